// What every route shares: the store, the settings, and the checks that run
// before a handler does its work (bans, rate limits, same-origin, CSRF).
#pragma once

#include "board/app/config.h"
#include "board/app/page_cache.h"
#include "board/jobs/workers.h"
#include "board/store/board_store.h"

#include <httplib.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace board::app {

class Context {
public:
    Context(const Config& config, store::Database& db, store::BoardStore& store, jobs::Workers& workers);

    const Config& config() const { return config_; }
    // The port actually bound (the settings may ask for any free one).
    void setPort(int port) { config_.port = port; }
    store::BoardStore& store() { return store_; }
    jobs::Workers& workers() { return workers_; }

    // The board's address as links and feeds show it: "http://127.0.0.1:8080".
    std::string base() const;
    bool secure() const;
    std::string clientAddress(const httplib::Request& req) const;
    // Bans are read from the store at most kBansTtl apart, so that a ban
    // made through another server holds here within that time.
    bool banned(const std::string& address);
    void bansChanged();
    static constexpr std::chrono::milliseconds kBansTtl{1000};

    // Whether the database answers a trivial query (for /healthz).
    bool databaseAnswers();

    // Takes a token of the bucket `what` ("post", "comment", "login") for the
    // client; false after answering 429 with Retry-After.
    bool rateAllows(const std::string& what, double perHour, const httplib::Request& req, httplib::Response& res,
                    bool json);
    // For the JSON API: a browser request from another site is refused
    // (Origin or Sec-Fetch-Site); tools such as curl send neither.
    bool sameOrigin(const httplib::Request& req) const;

    // The visitor's CSRF cookie, set on the answer when it is new, and the
    // token its forms carry.
    std::string csrfToken(const httplib::Request& req, httplib::Response& res);
    bool csrfValid(const httplib::Request& req) const;

    // The moderator logged in with this request's session cookie, if any.
    std::optional<std::string> moderator(const httplib::Request& req);

    // A form field (multipart or url-encoded); "" when absent.
    static std::string field(const httplib::Request& req, const std::string& name);

    // Pages for visitors without a session, kept for a moment (see page_cache.h).
    PageCache& pages() { return pages_; }
    // Whether this request may be answered from the page cache.
    static bool cacheable(const httplib::Request& req);
    // Something visitors see changed: pages are rendered afresh.
    void changed() { pages_.invalidate(); }
    // Stands in for the CSRF token in a cached page; unguessable, so no
    // visitor's text can hold it.
    const std::string& csrfMarker() const { return csrfMarker_; }

    // Layout values every page shares.
    nlohmann::json layout(const httplib::Request& req, const std::string& title);
    void sendPage(httplib::Response& res, const std::string& name, const nlohmann::json& values,
                  const nlohmann::json& layout, int status = 200);
    void sendMessage(const httplib::Request& req, httplib::Response& res, int status, const std::string& heading,
                     const std::string& message, const std::string& back = "/",
                     const std::string& backLabel = "Back to the board");

private:
    Config config_;
    store::Database& db_;
    store::BoardStore& store_;
    jobs::Workers& workers_;
    std::string csrfKey_;
    std::string csrfMarker_;
    PageCache pages_{std::chrono::milliseconds(2000)};
    std::mutex bansMutex_;
    std::vector<std::string> bans_;
    bool bansLoaded_ = false;
    std::chrono::steady_clock::time_point bansLoadedAt_{};
};

// POST /api/posts: answers 201 with the new post's JSON, or an error.
void createPost(Context& ctx, const httplib::Request& req, httplib::Response& res);

// Route groups.
void addApiRoutes(httplib::Server& server, Context& ctx);
void addPageRoutes(httplib::Server& server, Context& ctx);
void addModerationRoutes(httplib::Server& server, Context& ctx);
void addMediaRoutes(httplib::Server& server, Context& ctx);
void addSiteRoutes(httplib::Server& server, Context& ctx);  // last: every path not taken

}  // namespace board::app
