// The JSON API the studio posts to, and curl -F as well:
//   POST /api/posts                  a new post (drawing, title, artist, password?)
//   POST /api/posts/<id>/versions    the next version (drawing, password, title?)
//   GET  /api/posts/<id>             a post and its versions
//   GET  /api/board                  {"name"}: the studio asks it to know that a board serves it
#include "board/app/context.h"
#include "board/app/fields.h"
#include "board/app/views.h"
#include "board/engine_bridge/bridge.h"
#include "board/http/server.h"
#include "board/security/crypto.h"

namespace board::app {
namespace {

using httplib::Request;
using httplib::Response;

// The checks every posting request passes before its drawing is played.
bool admit(Context& ctx, const Request& req, Response& res) {
    if (!ctx.sameOrigin(req)) {
        http::jsonError(res, 403, "posts from other sites are refused");
        return false;
    }
    if (ctx.banned(ctx.clientAddress(req))) {
        http::jsonError(res, 403, "your address is banned from posting");
        return false;
    }
    if (!req.is_multipart_form_data()) {
        http::jsonError(res, 400, "send the post as multipart/form-data with a drawing file");
        return false;
    }
    if (!req.has_file("drawing") || req.get_file_value("drawing").content.empty()) {
        http::jsonError(res, 400, "drawing: no file was sent");
        return false;
    }
    return true;
}

// Plays the upload; answers 422 with the engine's message when it refuses.
bool checkUpload(Context& ctx, const Request& req, Response& res, store::NewVersion& out) {
    const auto& file = req.get_file_value("drawing");
    engine::Bytes bytes(file.content.begin(), file.content.end());
    engine::Limits limits;
    limits.seconds = ctx.config().checkSeconds;
    limits.memoryBytes = ctx.config().checkMemoryBytes;
    engine::Checked checked = engine::checkDrawing(bytes, file.filename, limits);
    if (!checked.error.empty()) {
        http::jsonError(res, 422, checked.error);
        return false;
    }
    out.drawing = std::move(checked.drawing);
    out.picture = std::move(checked.picture);
    out.thumbnail = std::move(checked.thumbnail);
    out.width = checked.width;
    out.height = checked.height;
    out.showSeconds = checked.showSeconds;
    return true;
}

void created(Response& res, const std::string& id, int version) {
    std::string url = postUrl(id, version == 1 ? 0 : version);
    res.status = 201;
    res.set_header("Location", url);
    res.set_content(nlohmann::json{{"id", id}, {"version", version}, {"url", url}}.dump(), "application/json");
}

}  // namespace

void createPost(Context& ctx, const Request& req, Response& res) {
    if (!admit(ctx, req, res)) return;
    Checked title = singleLineField("title", Context::field(req, "title"), 1, 100);
    Checked artist = singleLineField("artist", Context::field(req, "artist"), 1, 50);
    Checked password = passwordField(Context::field(req, "password"));
    for (const auto* f : {&title, &artist, &password})
        if (!f->error.empty()) return http::jsonError(res, 400, f->error);
    if (!ctx.rateAllows("post", ctx.config().postsPerHour, req, res, true)) return;
    store::NewVersion v;
    if (!checkUpload(ctx, req, res, v)) return;
    std::optional<std::string> hash;
    if (!password.value.empty()) hash = security::hashPassword(password.value);
    std::string id = ctx.store().createPost(title.value, artist.value, hash, v);
    ctx.changed();
    ctx.workers().notify();
    created(res, id, 1);
}

namespace {

void addVersion(Context& ctx, const Request& req, Response& res) {
    std::string id = req.matches[1];
    if (!admit(ctx, req, res)) return;
    Checked password = passwordField(Context::field(req, "password"));
    if (!password.error.empty()) return http::jsonError(res, 400, password.error);
    if (password.value.empty()) return http::jsonError(res, 400, "password: required to continue a post");
    std::optional<std::string> title;
    if (!Context::field(req, "title").empty()) {
        Checked t = singleLineField("title", Context::field(req, "title"), 1, 100);
        if (!t.error.empty()) return http::jsonError(res, 400, t.error);
        title = t.value;
    }
    auto post = ctx.store().post(id);
    if (!post || post->hidden) return http::jsonError(res, 404, "no post " + id);
    // Guesses cost a token each, like posts.
    if (!ctx.rateAllows("post", ctx.config().postsPerHour, req, res, true)) return;
    auto hash = ctx.store().postPasswordHash(id);
    if (!hash) return http::jsonError(res, 403, "this post was made without a password, so it cannot be continued");
    if (!security::verifyPassword(*hash, password.value)) return http::jsonError(res, 403, "wrong password");
    store::NewVersion v;
    if (!checkUpload(ctx, req, res, v)) return;
    int number = ctx.store().addVersion(id, title, v);
    if (number == 0) return http::jsonError(res, 404, "no post " + id);
    ctx.changed();
    ctx.workers().notify();
    created(res, id, number);
}

void getPost(Context& ctx, const Request& req, Response& res) {
    std::string id = req.matches[1];
    auto post = ctx.store().post(id);
    if (!post || (post->hidden && !ctx.moderator(req))) return http::jsonError(res, 404, "no post " + id);
    res.set_content(postJson(*post, ctx.store().versions(id)).dump(), "application/json");
    res.set_header("Cache-Control", "no-cache");
}

}  // namespace

void addApiRoutes(httplib::Server& server, Context& ctx) {
    server.Post("/api/posts", [&ctx](const Request& req, Response& res) { createPost(ctx, req, res); });
    server.Post(R"(/api/posts/([a-z0-9]{1,32})/versions)",
                [&ctx](const Request& req, Response& res) { addVersion(ctx, req, res); });
    server.Get(R"(/api/posts/([a-z0-9]{1,32}))", [&ctx](const Request& req, Response& res) { getPost(ctx, req, res); });
    server.Get("/api/board", [](const Request&, Response& res) {
        res.set_content(R"({"name":"Quillcast Board"})", "application/json");
        res.set_header("Cache-Control", "no-cache");
    });
}

}  // namespace board::app
