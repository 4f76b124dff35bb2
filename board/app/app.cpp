#include "board/app/app.h"

#include "board/app/context.h"
#include "board/http/server.h"
#include "board/jobs/workers.h"
#include "board/pages/render.h"
#include "board/store/migrations.h"
#include "board/store/open_database.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>

namespace board::app {
namespace {

// The answer to a request that met the database down: 503 with Retry-After,
// as JSON for the API and tools, as a page for a browser. Nothing here may
// touch the store.
void unavailable(const httplib::Request& req, httplib::Response& res) {
    const char* message = "The board's database is not answering just now (it may be restarting). "
                          "Try again in a few seconds.";
    res.set_header("Retry-After", "5");
    bool page = req.path.rfind("/api/", 0) != 0 && req.get_header_value("Accept").find("text/html") != std::string::npos;
    if (!page) return http::jsonError(res, 503, message);
    // A page is asked for again; a form is sent again from the page it came
    // from, which the browser's Back keeps filled in.
    bool get = req.method == "GET" || req.method == "HEAD";
    std::string text = get ? message : std::string(message) + " What you sent may not have been saved: go back, and send it again if it is not there.";
    res.status = 503;
    res.set_content(pages::page("message",
                                {{"heading", "Back in a moment"}, {"message", text}, {"back", get ? req.path : "/"},
                                 {"back_label", get ? "Try again" : "Back to the board"}},
                                {{"title", "Back in a moment"}}),
                    "text/html; charset=utf-8");
    res.set_header("Cache-Control", "no-store");
}

}  // namespace

jobs::Settings jobSettings(const Config& c) {
    jobs::Settings s;
    s.workers = c.workers;
    s.leaseMs = c.jobLeaseMs;
    s.maxAttempts = c.jobAttempts;
    s.backoffMs = c.jobBackoffMs;
    s.idlePollMs = c.jobPollMs;
    s.limits.seconds = c.timelapseSeconds;
    return s;
}

struct App::Parts {
    Config config;
    std::unique_ptr<store::Database> db;
    store::BoardStore store;
    jobs::Workers workers;
    Context ctx;
    http::Server server;
    std::mutex logMutex;

    static http::Limits httpLimits(const Config& c) {
        http::Limits l;
        l.bodyBytes = std::max(c.uploadBytes, c.formBytes) + 64 * 1024;
        l.threads = c.threads;
        return l;
    }

    static std::vector<http::BodyLimit> bodyLimits(const Config& c) {
        // Multipart framing adds a little to the file and the fields.
        return {{"POST", "/api/posts", c.uploadBytes + 16 * 1024},
                {"POST", "/post", c.uploadBytes + 16 * 1024},
                {"POST", "/p/", c.formBytes},
                {"POST", "/mod/", c.formBytes}};
    }

    static std::unique_ptr<store::Database> migrated(std::unique_ptr<store::Database> db) {
        store::migrate(*db);
        return db;
    }

    explicit Parts(const Config& c)
        : config(c),
          db(migrated(store::openDatabase(store::databaseLocation(c.database, c.dataDir)))),
          store(*db),
          workers(*db, store, jobSettings(c)),
          ctx(c, *db, store, workers),
          server(httpLimits(c), bodyLimits(c), false) {}
};

App::App(const Config& c) {
    parts_ = std::make_unique<Parts>(c);
    auto& s = parts_->server.routes();
    Context& ctx = parts_->ctx;

    s.set_post_routing_handler([&ctx](const httplib::Request& req, httplib::Response& res) {
        // The web player's page may be embedded anywhere (oEmbed); the rest only here.
        bool frameable = req.path == "/player/" || req.path == "/index.html" || req.path.rfind("/player/", 0) == 0;
        http::securityHeaders(res, frameable);
    });
    s.set_logger([this](const httplib::Request& req, const httplib::Response& res) {
        std::string line = http::logLine(req, res);
        std::lock_guard<std::mutex> lock(parts_->logMutex);
        std::fprintf(stdout, "%s\n", line.c_str());
        std::fflush(stdout);
    });
    s.set_exception_handler([](const httplib::Request& req, httplib::Response& res, std::exception_ptr ep) {
        std::string what = "unknown";
        try {
            if (ep) std::rethrow_exception(ep);
        } catch (const store::DatabaseUnavailable& e) {
            // Another server may still reach the database; the balancer
            // learns of this one from /healthz.
            std::fprintf(stderr, "database unavailable: %s\n", e.what());
            return unavailable(req, res);
        } catch (const std::exception& e) {
            what = e.what();
        } catch (...) {
        }
        std::fprintf(stderr, "error: %s\n", what.c_str());
        http::jsonError(res, 500, "the board met an internal error; nothing was stored");
    });

    addMediaRoutes(s, ctx);  // /media, /_board and /healthz first: the busiest
    addApiRoutes(s, ctx);
    addModerationRoutes(s, ctx);
    addPageRoutes(s, ctx);
    addSiteRoutes(s, ctx);  // the site's files last: every other path is the board's
}

App::~App() = default;

bool App::bind() {
    if (!parts_->server.bind(parts_->config.host, parts_->config.port)) {
        std::fprintf(stderr, "quillcast-board: cannot listen on %s:%d: %s\n", parts_->config.host.c_str(),
                     parts_->config.port, std::strerror(errno));
        return false;
    }
    parts_->ctx.setPort(parts_->server.port());
    return true;
}

int App::port() const { return parts_->server.port(); }

void App::serve() {
    parts_->workers.start();
    parts_->server.serve();
    parts_->workers.stop();
}

void App::stop() { parts_->server.stop(); }

}  // namespace board::app
