// Bytes served as they are: media by content hash (immutable, so a cache in
// front keeps them), the board's own stylesheet and script, and the site's web
// player and studio from --site.
#include "board/app/context.h"
#include "board/http/server.h"
#include "board/pages/assets.h"

#include <sys/stat.h>

namespace board::app {
namespace {

using httplib::Request;
using httplib::Response;

const char* mediaType(const std::string& ext) {
    if (ext == "png") return "image/png";
    if (ext == "gif") return "image/gif";
    if (ext == "mp4") return "video/mp4";
    return "application/octet-stream";
}

void media(Context& ctx, const Request& req, Response& res) {
    std::string sha = req.matches[1], ext = req.matches[2];
    std::string etag = "\"" + sha + "\"";
    if (req.get_header_value("If-None-Match") == etag) {
        res.status = 304;
        res.set_header("ETag", etag);
        res.set_header("Cache-Control", "public, max-age=31536000, immutable");
        return;
    }
    auto m = ctx.store().media(sha);
    if (!m || m->type != ext) return http::jsonError(res, 404, "no such file");
    res.set_header("ETag", etag);
    res.set_header("Cache-Control", "public, max-age=31536000, immutable");
    if (ext == "qcd") res.set_header("Access-Control-Allow-Origin", "*");  // embeds on other sites fetch it
    res.set_content(std::string(m->bytes.begin(), m->bytes.end()), mediaType(ext));
}

}  // namespace

void addMediaRoutes(httplib::Server& server, Context& ctx) {
    server.Get(R"(/media/([0-9a-f]{64})\.(qcd|png|gif|mp4))", [&ctx](const Request& req, Response& res) { media(ctx, req, res); });
    server.Get(R"(/_board/(board\.css|board\.js))", [](const Request& req, Response& res) {
        std::string name = req.matches[1];
        res.set_content(pages::asset(name), http::mimeType(name));
        res.set_header("Cache-Control", "public, max-age=300");
    });
    // For a balancer's health check: a server whose database does not answer
    // is taken out until it does.
    server.Get("/healthz", [&ctx](const Request&, Response& res) {
        res.set_header("Cache-Control", "no-store");
        if (ctx.databaseAnswers()) return res.set_content("ok\n", "text/plain");
        res.status = 503;
        res.set_header("Retry-After", "5");
        res.set_content("the database does not answer\n", "text/plain");
    });
    // The web player is the site's front page; under the board it lives at
    // /player/ (its own index.html there when the site has one). A redirect
    // keeps the #fragment that names the drawing.
    server.Get("/player/", [&ctx](const Request& req, Response& res) {
        if (http::serveFile(ctx.config().siteDir, "/player/index.html", res)) return;
        if (!http::serveFile(ctx.config().siteDir, "/index.html", res)) return ctx.sendMessage(req, res, 404, "No web player", "This board was started without the web player's site (--site).");
        res.set_content("", "text/plain");
        res.set_redirect("/index.html", 302);
    });
}

void addSiteRoutes(httplib::Server& server, Context& ctx) {
    server.Get(R"(/.*)", [&ctx](const Request& req, Response& res) {
        if (http::serveFile(ctx.config().siteDir, req.path, res)) return;
        // A folder named without its slash ("/studio") is sent to the folder.
        struct stat st {};
        if (req.path.find("..") == std::string::npos && req.path.back() != '/' &&
            stat((ctx.config().siteDir + req.path).c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
            http::serveFile(ctx.config().siteDir, req.path + "/", res)) {
            res.body.clear();
            return res.set_redirect(req.path + "/", 301);
        }
        ctx.sendMessage(req, res, 404, "Not found", "There is nothing at this address.");
    });
}

}  // namespace board::app
