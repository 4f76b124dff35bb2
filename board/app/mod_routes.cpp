// Moderation under /mod/: a login with a session cookie, then hiding and
// deleting posts and comments, resolving reports, and bans of an address or a
// network. Every action is written to the audit log, which the page shows.
#include "board/app/context.h"
#include "board/app/fields.h"
#include "board/app/views.h"
#include "board/http/server.h"
#include "board/security/crypto.h"
#include "board/util/clock.h"
#include "board/util/network.h"

#include <cstdlib>

namespace board::app {
namespace {

using httplib::Request;
using httplib::Response;

constexpr int kSessionSeconds = 12 * 3600;

void loginPage(Context& ctx, const Request& req, Response& res, const std::string& error = {}, int status = 200) {
    nlohmann::json values{{"csrf", ctx.csrfToken(req, res)}};
    if (!error.empty()) values["error"] = error;
    ctx.sendPage(res, "mod_login", values, ctx.layout(req, "Moderator login"), status);
}

void login(Context& ctx, const Request& req, Response& res) {
    if (!ctx.csrfValid(req)) return loginPage(ctx, req, res, "The form's security token is missing or old; send it again.", 403);
    if (!ctx.rateAllows("login", ctx.config().loginsPerHour, req, res, false)) return;
    std::string name = Context::field(req, "name");
    auto hash = ctx.store().moderatorPasswordHash(name);
    // A missing moderator costs a hash too, so timing does not tell names.
    static const std::string dummy = security::hashPassword(security::randomHex(16));
    bool ok = security::verifyPassword(hash ? *hash : dummy, Context::field(req, "password")) && hash;
    if (!ok) return loginPage(ctx, req, res, "Wrong name or password.", 403);
    std::string token = security::randomHex(32);
    ctx.store().createSession(security::sha256Hex(token), name, util::nowMs() + kSessionSeconds * 1000LL);
    ctx.store().audit(name, "login", ctx.clientAddress(req));
    res.set_header("Set-Cookie", http::setCookie("qc_session", token, kSessionSeconds, ctx.secure(), true));
    res.set_redirect("/mod/", 303);
}

void dashboard(Context& ctx, const Request& req, Response& res, const std::string& who) {
    std::string csrf = ctx.csrfToken(req, res);
    nlohmann::json reports = nlohmann::json::array(), posts = nlohmann::json::array(),
                   comments = nlohmann::json::array(), bans = nlohmann::json::array(), audit = nlohmann::json::array();
    for (const auto& r : ctx.store().openReports())
        reports.push_back({{"id", std::to_string(r.id)}, {"post_id", r.postId}, {"title", r.title}, {"reason", r.reason},
                           {"address", r.address}, {"created", r.created}, {"csrf", csrf}});
    for (const auto& p : ctx.store().posts(0, 50, std::nullopt, true)) {
        auto card = cardValues(p);
        card["csrf"] = csrf;
        posts.push_back(card);
    }
    for (const auto& c : ctx.store().recentComments(50))
        comments.push_back({{"id", std::to_string(c.id)}, {"post_id", c.postId}, {"name", c.name}, {"body", c.body},
                            {"address", c.address}, {"hidden", c.hidden}, {"csrf", csrf}});
    for (const auto& b : ctx.store().bans())
        bans.push_back({{"id", std::to_string(b.id)}, {"network", b.network}, {"moderator", b.moderator},
                        {"created", b.created}, {"csrf", csrf}});
    for (const auto& a : ctx.store().auditLog(100))
        audit.push_back({{"moderator", a.moderator}, {"action", a.action}, {"target", a.target}, {"created", a.created}});
    ctx.sendPage(res, "mod",
                 {{"moderator", who}, {"csrf", csrf}, {"reports", reports}, {"posts", posts}, {"comments", comments},
                  {"bans", bans}, {"audit", audit}},
                 ctx.layout(req, "Moderation"));
}

// Runs an action for a logged-in moderator whose form carries its token.
template <typename Action>
void guarded(Context& ctx, const Request& req, Response& res, Action action) {
    auto who = ctx.moderator(req);
    if (!who) return res.set_redirect("/mod/login", 303);
    if (!ctx.csrfValid(req))
        return ctx.sendMessage(req, res, 403, "Form expired", "The form's security token is missing or old; reload the page and try again.", "/mod/", "Moderation");
    std::string target = action(*who);
    ctx.changed();
    if (target.empty()) return ctx.sendMessage(req, res, 404, "Not found", "Nothing to act on there.", "/mod/", "Moderation");
    res.set_redirect("/mod/", 303);
}

}  // namespace

void addModerationRoutes(httplib::Server& server, Context& ctx) {
    server.Get("/mod/login", [&ctx](const Request& req, Response& res) { loginPage(ctx, req, res); });
    server.Post("/mod/login", [&ctx](const Request& req, Response& res) { login(ctx, req, res); });
    server.Post("/mod/logout", [&ctx](const Request& req, Response& res) {
        guarded(ctx, req, res, [&](const std::string& who) {
            ctx.store().deleteSession(security::sha256Hex(http::cookie(req, "qc_session")));
            ctx.store().audit(who, "logout", "");
            return std::string("session");
        });
        res.set_header("Set-Cookie", http::setCookie("qc_session", "", 0, ctx.secure(), true));
    });
    server.Get(R"(/mod/?)", [&ctx](const Request& req, Response& res) {
        auto who = ctx.moderator(req);
        if (!who) return res.set_redirect("/mod/login", 303);
        dashboard(ctx, req, res, *who);
    });
    server.Post(R"(/mod/posts/([a-z0-9]{1,32})/(hide|unhide|delete))", [&ctx](const Request& req, Response& res) {
        guarded(ctx, req, res, [&](const std::string& who) {
            std::string id = req.matches[1], what = req.matches[2];
            bool done = what == "delete" ? ctx.store().deletePost(id) : ctx.store().setPostHidden(id, what == "hide");
            if (!done) return std::string();
            ctx.store().audit(who, what + " post", id);
            return id;
        });
    });
    server.Post(R"(/mod/comments/([0-9]{1,18})/(hide|unhide|delete))", [&ctx](const Request& req, Response& res) {
        guarded(ctx, req, res, [&](const std::string& who) {
            std::int64_t id = std::atoll(req.matches.str(1).c_str());
            std::string what = req.matches[2];
            auto c = ctx.store().comment(id);
            bool done = what == "delete" ? ctx.store().deleteComment(id) : ctx.store().setCommentHidden(id, what == "hide");
            if (!done || !c) return std::string();
            ctx.store().audit(who, what + " comment", std::to_string(id) + " on " + c->postId + " by " + c->name);
            return std::to_string(id);
        });
    });
    server.Post(R"(/mod/reports/([0-9]{1,18})/resolve)", [&ctx](const Request& req, Response& res) {
        guarded(ctx, req, res, [&](const std::string& who) {
            std::string id = req.matches[1];
            if (!ctx.store().resolveReport(std::atoll(id.c_str()))) return std::string();
            ctx.store().audit(who, "resolve report", id);
            return id;
        });
    });
    server.Post("/mod/bans", [&ctx](const Request& req, Response& res) {
        auto net = util::parseNetwork(Context::field(req, "network"));
        if (!net && ctx.moderator(req))
            return ctx.sendMessage(req, res, 400, "Not a network", "network: give an address (203.0.113.7) or a network (203.0.113.0/24, 2001:db8::/32).", "/mod/", "Moderation");
        guarded(ctx, req, res, [&](const std::string& who) {
            ctx.store().addBan(net->text(), who);
            ctx.bansChanged();
            ctx.store().audit(who, "ban", net->text());
            return net->text();
        });
    });
    server.Post(R"(/mod/bans/([0-9]{1,18})/delete)", [&ctx](const Request& req, Response& res) {
        guarded(ctx, req, res, [&](const std::string& who) {
            std::string id = req.matches[1];
            std::string network;
            for (const auto& b : ctx.store().bans())
                if (std::to_string(b.id) == id) network = b.network;
            if (network.empty() || !ctx.store().removeBan(std::atoll(id.c_str()))) return std::string();
            ctx.bansChanged();
            ctx.store().audit(who, "lift ban", network);
            return network;
        });
    });
}

}  // namespace board::app
