// The pages visitors read, rendered on the server: the board, a post (with
// its versions, downloads, time-lapses and comments), an artist's posts, the
// Atom feed and oEmbed; and the forms visitors send from them.
#include "board/app/context.h"
#include "board/app/fields.h"
#include "board/app/views.h"
#include "board/engine_bridge/bridge.h"
#include "board/http/server.h"
#include "board/pages/render.h"
#include "board/security/crypto.h"
#include "board/util/clock.h"
#include "board/util/text.h"

#include <cstdlib>
#include <cstring>

namespace board::app {
namespace {

using httplib::Request;
using httplib::Response;

constexpr int kPageSize = 24;

std::int64_t cursor(const Request& req) {
    if (!req.has_param("before")) return 0;
    const std::string& s = req.get_param_value("before");
    if (s.empty() || s.size() > 18 || s.find_first_not_of("0123456789") != std::string::npos) return 0;
    return std::strtoll(s.c_str(), nullptr, 10);
}

void listing(Context& ctx, const Request& req, Response& res, const std::optional<std::string>& artist) {
    std::int64_t before = cursor(req);
    std::string key = (artist ? "a:" + *artist : std::string("b:")) + "@" + std::to_string(before);
    bool cacheable = Context::cacheable(req);
    if (cacheable) {
        if (auto html = ctx.pages().get(key)) {
            res.set_content(std::move(*html), "text/html; charset=utf-8");
            res.set_header("Cache-Control", "no-cache");
            return;
        }
    }
    auto posts = ctx.store().posts(before, kPageSize + 1, artist);
    bool more = posts.size() > kPageSize;
    if (more) posts.pop_back();
    nlohmann::json cards = nlohmann::json::array();
    for (const auto& p : posts) cards.push_back(cardValues(p));
    std::string heading = artist ? "Pictures by " + *artist : "Newest pictures";
    nlohmann::json values{{"heading", heading}, {"posts", cards}, {"has_posts", !posts.empty()}};
    if (!artist && before == 0)
        values["intro"] = "Pictures painted in the studio, replayed stroke by stroke. Open one to watch it being made.";
    if (more) {
        std::string path = artist ? "/a/" + util::urlEncode(*artist) : "/";
        values["older"] = path + "?before=" + std::to_string(posts.back().seq);
    }
    if (artist && posts.empty() && before == 0) {
        return ctx.sendMessage(req, res, 404, "No such artist", "Nobody called " + *artist + " has posted here.");
    }
    ctx.sendPage(res, "board", values, ctx.layout(req, heading));
    if (cacheable) ctx.pages().put(key, res.body);
}

nlohmann::json timelapseValues(const store::Version& v) {
    nlohmann::json list = nlohmann::json::array();
    for (auto [s, label, ext] : {std::tuple{&v.gif, "Time-lapse GIF", "gif"}, std::tuple{&v.mp4, "Time-lapse video (MP4)", "mp4"}}) {
        nlohmann::json e{{"label", label}};
        if (s->state == "done") e["ready"] = true, e["url"] = mediaUrl(s->result, ext);
        else if (s->state == "failed") e["failed"] = true, e["error"] = s->error;
        else e["making"] = true;
        list.push_back(e);
    }
    return list;
}

// The post page; version 0 is the latest. An error (a refused comment) is
// shown above the comment form.
void postPage(Context& ctx, const Request& req, Response& res, const std::string& id, int number,
              const std::string& error = {}, int status = 200) {
    bool cacheable = Context::cacheable(req) && error.empty();
    std::string key = "p:" + id + "@" + std::to_string(number);
    auto withToken = [&](std::string html) {
        std::string token = ctx.csrfToken(req, res);
        const std::string& marker = ctx.csrfMarker();
        for (auto at = html.find(marker); at != std::string::npos; at = html.find(marker, at + token.size()))
            html.replace(at, marker.size(), token);
        res.set_content(std::move(html), "text/html; charset=utf-8");
        res.set_header("Cache-Control", "no-cache");
    };
    if (cacheable) {
        if (auto html = ctx.pages().get(key)) return withToken(std::move(*html));
    }
    auto post = ctx.store().post(id);
    auto moderator = ctx.moderator(req);
    if (!post || (post->hidden && !moderator))
        return ctx.sendMessage(req, res, 404, "Picture not found", "There is no picture at this address, or it was removed.");
    auto versions = ctx.store().versions(id);
    if (number == 0) number = post->latest;
    const store::Version* v = nullptr;
    for (const auto& e : versions)
        if (e.version == number) v = &e;
    if (!v) return ctx.sendMessage(req, res, 404, "Version not found", post->title + " has no version " + std::to_string(number) + ".", postUrl(id), "Latest version");

    std::string csrf = ctx.csrfMarker();
    std::string link = ctx.base() + (number == post->latest ? postUrl(id) : postUrl(id, number));
    std::string dl = "/p/" + id + "/v/" + std::to_string(number) + "/drawing.";
    nlohmann::json versionList = nlohmann::json::array();
    for (const auto& e : versions)
        versionList.push_back({{"version", std::to_string(e.version)}, {"url", postUrl(id, e.version)}, {"current", e.version == number}});
    nlohmann::json comments = nlohmann::json::array();
    auto list = ctx.store().comments(id, moderator.has_value());
    for (const auto& c : list)
        comments.push_back({{"id", std::to_string(c.id)}, {"post_id", id}, {"name", c.name}, {"body", c.body},
                            {"created", c.created}, {"day", util::dayText(c.created)}, {"hidden", c.hidden},
                            {"has_password", c.hasPassword}, {"csrf", csrf}});
    nlohmann::json values{
        {"id", id},
        {"title", v->title},
        {"artist", post->artist},
        {"artist_url", "/a/" + util::urlEncode(post->artist)},
        {"created", v->created},
        {"day", util::dayText(v->created)},
        {"length", util::durationText(v->showSeconds)},
        {"version", std::to_string(number)},
        {"latest", std::to_string(post->latest)},
        {"multiple", versions.size() > 1},
        {"versions", versionList},
        {"hidden", post->hidden},
        {"player", "/player/#embed=1&drawing=" + mediaUrl(v->drawing, "qcd")},
        {"picture", mediaUrl(v->picture, "png")},
        {"width", std::to_string(v->width)},
        {"height", std::to_string(v->height)},
        // The player's frame is 7 pixels a side; its controls take about 130
        // pixels under the picture, and a margin of 16 goes round it all.
        {"frame_width", std::to_string(v->width + 14 + 32)},
        {"frame_height", std::to_string(v->height + 14 + 130)},
        {"link", link},
        {"downloads", {{"qcd", dl + "qcd"}, {"qcs", dl + "qcs"}, {"exe", dl + "exe"}}},
        {"timelapse", timelapseValues(*v)},
        {"has_password", ctx.store().postPasswordHash(id).has_value()},
        {"continue", "/studio/#continue=" + id},
        {"comments", comments},
        {"comment_count", std::to_string(list.size())},
        {"csrf", csrf},
    };
    if (!error.empty()) values["error"] = error;
    std::string description = v->title + " by " + post->artist + ", painted stroke by stroke (" +
                              util::durationText(v->showSeconds) + ")";
    nlohmann::json og{{"type", "website"},
                      {"title", v->title},
                      {"description", description},
                      {"url", link},
                      {"image", ctx.base() + mediaUrl(v->picture, "png")},
                      {"image_width", std::to_string(v->width)},
                      {"image_height", std::to_string(v->height)}};
    if (v->gif.state == "done") og["gif"] = ctx.base() + mediaUrl(v->gif.result, "gif");
    nlohmann::json layout = ctx.layout(req, v->title + " by " + post->artist);
    layout["og"] = og;
    layout["oembed"] = ctx.base() + "/oembed?format=json&url=" + util::urlEncode(link);
    ctx.sendPage(res, "post", values, layout, status);
    if (cacheable) ctx.pages().put(key, res.body);
    withToken(std::move(res.body));
}

void download(Context& ctx, const Request& req, Response& res) {
    std::string id = req.matches[1];
    int number = std::atoi(req.matches.str(2).c_str());
    std::string ext = req.matches[3];
    auto post = ctx.store().post(id);
    if (!post || post->hidden) return ctx.sendMessage(req, res, 404, "Picture not found", "There is no picture at this address.");
    for (const auto& v : ctx.store().versions(id)) {
        if (v.version != number) continue;
        auto drawing = ctx.store().media(v.drawing);
        if (!drawing) break;
        std::string name = util::fileStem(v.title) + (number > 1 ? "-v" + std::to_string(number) : "") + "." + ext;
        res.set_header("Content-Disposition", "attachment; filename=\"" + name + "\"");
        res.set_header("Cache-Control", "public, max-age=86400");
        try {
            if (ext == "qcd") {
                res.set_content(std::string(drawing->bytes.begin(), drawing->bytes.end()), "application/octet-stream");
            } else if (ext == "qcs") {
                res.set_content(engine::scriptText(drawing->bytes), "text/plain; charset=utf-8");
            } else {
                auto exe = engine::makePlayer(drawing->bytes);
                res.set_content(std::string(exe.begin(), exe.end()), "application/vnd.microsoft.portable-executable");
            }
        } catch (const std::exception& e) {
            res.headers.erase("Content-Disposition");
            ctx.sendMessage(req, res, 500, "Download failed", std::string("The file could not be made: ") + e.what(), postUrl(id, number), "Back to the picture");
        }
        return;
    }
    ctx.sendMessage(req, res, 404, "Version not found", "This picture has no such version.");
}

// A form sent from a post page: CSRF, bans; then the handler.
bool formAdmitted(Context& ctx, const Request& req, Response& res) {
    if (!ctx.csrfValid(req)) {
        ctx.sendMessage(req, res, 403, "Form expired", "This form's security token is missing or old. Go back, reload the page and send it again.", req.path);
        return false;
    }
    if (ctx.banned(ctx.clientAddress(req))) {
        ctx.sendMessage(req, res, 403, "Banned", "Your address is banned from this board.");
        return false;
    }
    return true;
}

void addComment(Context& ctx, const Request& req, Response& res) {
    std::string id = req.matches[1];
    if (!formAdmitted(ctx, req, res)) return;
    auto post = ctx.store().post(id);
    if (!post || post->hidden) return ctx.sendMessage(req, res, 404, "Picture not found", "There is no picture at this address.");
    Checked name = singleLineField("name", Context::field(req, "name"), 1, 50);
    Checked body = multiLineField("comment", Context::field(req, "body"), 1, 2000);
    Checked password = passwordField(Context::field(req, "password"));
    for (const auto* f : {&name, &body, &password})
        if (!f->error.empty()) return postPage(ctx, req, res, id, 0, f->error, 400);
    if (!ctx.rateAllows("comment", ctx.config().commentsPerHour, req, res, false)) return;
    std::optional<std::string> hash;
    if (!password.value.empty()) hash = security::hashPassword(password.value);
    auto cid = ctx.store().addComment(id, name.value, body.value, hash, ctx.clientAddress(req));
    ctx.changed();
    res.set_redirect(postUrl(id) + "#c" + std::to_string(cid), 303);
}

void deleteComment(Context& ctx, const Request& req, Response& res) {
    std::string id = req.matches[1];
    std::int64_t cid = std::atoll(req.matches.str(2).c_str());
    if (!formAdmitted(ctx, req, res)) return;
    auto c = ctx.store().comment(cid);
    if (!c || c->postId != id) return ctx.sendMessage(req, res, 404, "Comment not found", "That comment is gone.", postUrl(id), "Back to the picture");
    if (!ctx.rateAllows("login", ctx.config().loginsPerHour, req, res, false)) return;
    auto hash = ctx.store().commentPasswordHash(cid);
    if (!hash || !security::verifyPassword(*hash, Context::field(req, "password")))
        return ctx.sendMessage(req, res, 403, "Wrong password", "The password does not match this comment's.", postUrl(id), "Back to the picture");
    ctx.store().deleteComment(cid);
    ctx.changed();
    res.set_redirect(postUrl(id) + "#comments-h", 303);
}

void deletePost(Context& ctx, const Request& req, Response& res) {
    std::string id = req.matches[1];
    if (!formAdmitted(ctx, req, res)) return;
    if (!ctx.rateAllows("login", ctx.config().loginsPerHour, req, res, false)) return;
    auto hash = ctx.store().postPasswordHash(id);
    if (!hash || !security::verifyPassword(*hash, Context::field(req, "password")))
        return ctx.sendMessage(req, res, 403, "Wrong password", "The password does not match this post's.", postUrl(id), "Back to the picture");
    ctx.store().deletePost(id);
    ctx.changed();
    ctx.sendMessage(req, res, 200, "Post deleted", "The picture and all its versions are deleted.");
}

void renamePost(Context& ctx, const Request& req, Response& res) {
    std::string id = req.matches[1];
    if (!formAdmitted(ctx, req, res)) return;
    Checked title = singleLineField("title", Context::field(req, "title"), 1, 100);
    if (!title.error.empty()) return postPage(ctx, req, res, id, 0, title.error, 400);
    if (!ctx.rateAllows("login", ctx.config().loginsPerHour, req, res, false)) return;
    auto hash = ctx.store().postPasswordHash(id);
    if (!hash || !security::verifyPassword(*hash, Context::field(req, "password")))
        return ctx.sendMessage(req, res, 403, "Wrong password", "The password does not match this post's.", postUrl(id), "Back to the picture");
    ctx.store().renamePost(id, title.value);
    ctx.changed();
    res.set_redirect(postUrl(id), 303);
}

void report(Context& ctx, const Request& req, Response& res) {
    std::string id = req.matches[1];
    if (!formAdmitted(ctx, req, res)) return;
    Checked reason = singleLineField("reason", Context::field(req, "reason"), 1, 500);
    if (!reason.error.empty()) return postPage(ctx, req, res, id, 0, reason.error, 400);
    if (!ctx.store().post(id)) return ctx.sendMessage(req, res, 404, "Picture not found", "There is no picture at this address.");
    if (!ctx.rateAllows("comment", ctx.config().commentsPerHour, req, res, false)) return;
    ctx.store().addReport(id, reason.value, ctx.clientAddress(req));
    ctx.sendMessage(req, res, 200, "Thank you", "The moderators will look at this picture.", postUrl(id), "Back to the picture");
}

// The upload form: a .qcd, .qcs or player .exe posted without the studio.
void uploadPage(Context& ctx, const Request& req, Response& res, const std::string& error = {}, int status = 200) {
    nlohmann::json values{{"csrf", ctx.csrfToken(req, res)},
                          {"max_kib", std::to_string(ctx.config().uploadBytes / 1024)},
                          {"title", Context::field(req, "title")},
                          {"artist", Context::field(req, "artist")}};
    if (!error.empty()) values["error"] = error;
    ctx.sendPage(res, "upload", values, ctx.layout(req, "Post a drawing"), status);
}

void upload(Context& ctx, const Request& req, Response& res) {
    if (!ctx.csrfValid(req)) return uploadPage(ctx, req, res, "The form's security token is missing or old; send it again.", 403);
    createPost(ctx, req, res);
    if (res.status == 201) {
        std::string to = res.get_header_value("Location");
        res.headers.erase("Location");
        res.body.clear();
        return res.set_redirect(to, 303);
    }
    std::string message = "the post failed";
    try {
        message = nlohmann::json::parse(res.body).value("error", message);
    } catch (const std::exception&) {
    }
    int status = res.status;
    res.body.clear();
    uploadPage(ctx, req, res, message, status);
}

void feed(Context& ctx, const Request&, Response& res) {
    auto posts = ctx.store().posts(0, 30);
    nlohmann::json entries = nlohmann::json::array();
    for (const auto& p : posts) entries.push_back(cardValues(p));
    std::string updated = posts.empty() ? util::nowIso() : posts.front().created;
    res.set_content(pages::render("feed", {{"base", ctx.base()}, {"updated", updated}, {"posts", entries}}),
                    "application/atom+xml; charset=utf-8");
    res.set_header("Cache-Control", "public, max-age=60");
}

// "/p/<id>" or "/p/<id>/v/<n>", after an optional "http(s)://host"; the
// version is 0 when the URL names none.
bool postFromUrl(std::string url, std::string& id, int& number) {
    for (const char* scheme : {"http://", "https://"}) {
        if (url.rfind(scheme, 0) == 0) {
            auto slash = url.find('/', std::strlen(scheme));
            url = slash == std::string::npos ? "" : url.substr(slash);
        }
    }
    if (!url.empty() && url.back() == '/') url.pop_back();
    if (url.rfind("/p/", 0) != 0) return false;
    std::string rest = url.substr(3);
    auto v = rest.find("/v/");
    id = rest.substr(0, v);
    number = 0;
    if (id.empty() || id.size() > 32 || id.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789") != std::string::npos)
        return false;
    if (v == std::string::npos) return true;
    std::string n = rest.substr(v + 3);
    if (n.empty() || n.size() > 6 || n.find_first_not_of("0123456789") != std::string::npos) return false;
    number = std::atoi(n.c_str());
    return number > 0;
}

void oembed(Context& ctx, const Request& req, Response& res) {
    std::string url = req.get_param_value("url");
    std::string format = req.has_param("format") ? req.get_param_value("format") : "json";
    if (format != "json") return http::jsonError(res, 501, "only the json format is offered");
    std::string id;
    int number = 0;
    if (!postFromUrl(url, id, number)) return http::jsonError(res, 404, "url: not a picture on this board");
    auto post = ctx.store().post(id);
    if (!post || post->hidden) return http::jsonError(res, 404, "url: no such picture");
    if (number == 0) number = post->latest;
    for (const auto& v : ctx.store().versions(post->id)) {
        if (v.version != number) continue;
        int w = v.width + 32, h = v.height + 96;
        std::string src = ctx.base() + "/player/#embed=1&drawing=" + ctx.base() + mediaUrl(v.drawing, "qcd");
        nlohmann::json j{{"version", "1.0"},
                         {"type", "rich"},
                         {"provider_name", "Quillcast Board"},
                         {"provider_url", ctx.base() + "/"},
                         {"title", v.title},
                         {"author_name", post->artist},
                         {"author_url", ctx.base() + "/a/" + util::urlEncode(post->artist)},
                         {"width", w},
                         {"height", h},
                         {"html", "<iframe src=\"" + src + "\" width=\"" + std::to_string(w) + "\" height=\"" +
                                      std::to_string(h) + "\" title=\"Replay\" allowfullscreen></iframe>"},
                         {"thumbnail_url", ctx.base() + mediaUrl(v.thumbnail, "png")}};
        res.set_content(j.dump(), "application/json");
        return;
    }
    http::jsonError(res, 404, "url: no such version");
}

}  // namespace

void addPageRoutes(httplib::Server& server, Context& ctx) {
    server.Get("/", [&ctx](const Request& req, Response& res) { listing(ctx, req, res, std::nullopt); });
    server.Get(R"(/a/(.{1,200}))", [&ctx](const Request& req, Response& res) {
        listing(ctx, req, res, util::singleLine(req.matches.str(1)));
    });
    server.Get(R"(/p/([a-z0-9]{1,32})/?)", [&ctx](const Request& req, Response& res) { postPage(ctx, req, res, req.matches[1], 0); });
    server.Get(R"(/p/([a-z0-9]{1,32})/v/([0-9]{1,6}))", [&ctx](const Request& req, Response& res) {
        postPage(ctx, req, res, req.matches[1], std::atoi(req.matches.str(2).c_str()));
    });
    server.Get(R"(/p/([a-z0-9]{1,32})/v/([0-9]{1,6})/drawing\.(qcd|qcs|exe))",
               [&ctx](const Request& req, Response& res) { download(ctx, req, res); });
    server.Post(R"(/p/([a-z0-9]{1,32})/comments)", [&ctx](const Request& req, Response& res) { addComment(ctx, req, res); });
    server.Post(R"(/p/([a-z0-9]{1,32})/comments/([0-9]{1,18})/delete)",
                [&ctx](const Request& req, Response& res) { deleteComment(ctx, req, res); });
    server.Post(R"(/p/([a-z0-9]{1,32})/delete)", [&ctx](const Request& req, Response& res) { deletePost(ctx, req, res); });
    server.Post(R"(/p/([a-z0-9]{1,32})/edit)", [&ctx](const Request& req, Response& res) { renamePost(ctx, req, res); });
    server.Post(R"(/p/([a-z0-9]{1,32})/report)", [&ctx](const Request& req, Response& res) { report(ctx, req, res); });
    server.Get("/post", [&ctx](const Request& req, Response& res) { uploadPage(ctx, req, res); });
    server.Post("/post", [&ctx](const Request& req, Response& res) { upload(ctx, req, res); });
    server.Get("/feed.atom", [&ctx](const Request& req, Response& res) { feed(ctx, req, res); });
    server.Get("/oembed", [&ctx](const Request& req, Response& res) { oembed(ctx, req, res); });
}

}  // namespace board::app
