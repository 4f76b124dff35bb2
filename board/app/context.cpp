#include "board/app/context.h"

#include "board/http/server.h"
#include "board/pages/render.h"
#include "board/security/crypto.h"
#include "board/util/network.h"
#include "board/util/text.h"

#include <cmath>

namespace board::app {

Context::Context(const Config& config, store::Database& db, store::BoardStore& store, jobs::Workers& workers)
    : config_(config), db_(db), store_(store), workers_(workers) {
    // The key lives in the store, so that every server of one board agrees
    // and a form from one server is taken by another.
    csrfKey_ = store_.setting("csrf_key", security::randomHex(32));
    csrfMarker_ = "qc" + security::randomHex(16);
}

bool Context::cacheable(const httplib::Request& req) {
    return http::cookie(req, "qc_session").empty() && req.method == "GET";
}

std::string Context::base() const {
    if (!config_.publicUrl.empty()) {
        std::string u = config_.publicUrl;
        while (!u.empty() && u.back() == '/') u.pop_back();
        return u;
    }
    return "http://" + config_.host + ":" + std::to_string(config_.port);
}

bool Context::secure() const { return base().compare(0, 8, "https://") == 0; }

std::string Context::clientAddress(const httplib::Request& req) const {
    if (config_.trustProxy && req.has_header("X-Forwarded-For")) {
        // The proxy appends the address it saw, to the header (nginx) or as a
        // header of its own after the client's (HAProxy): the last entry of
        // the last one is the one to trust.
        std::size_t count = req.get_header_value_count("X-Forwarded-For");
        std::string all = req.get_header_value("X-Forwarded-For", count - 1);
        auto comma = all.rfind(',');
        std::string last = util::trim(comma == std::string::npos ? all : all.substr(comma + 1));
        if (util::parseNetwork(last)) return last;
    }
    return req.remote_addr;
}

bool Context::banned(const std::string& address) {
    auto who = util::parseNetwork(address);
    if (!who) return false;
    std::lock_guard<std::mutex> lock(bansMutex_);
    auto now = std::chrono::steady_clock::now();
    if (!bansLoaded_ || now - bansLoadedAt_ >= kBansTtl) {
        std::vector<std::string> fresh;
        for (const auto& b : store_.bans()) fresh.push_back(b.network);
        bans_ = std::move(fresh);
        bansLoaded_ = true;
        bansLoadedAt_ = now;
    }
    for (const auto& text : bans_) {
        auto net = util::parseNetwork(text);
        if (net && net->contains(*who)) return true;
    }
    return false;
}

void Context::bansChanged() {
    std::lock_guard<std::mutex> lock(bansMutex_);
    bansLoaded_ = false;
}

bool Context::databaseAnswers() {
    try {
        auto c = db_.acquire();
        c->query("SELECT 1");
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool Context::rateAllows(const std::string& what, double perHour, const httplib::Request& req,
                         httplib::Response& res, bool json) {
    if (perHour <= 0) return true;
    double wait = store_.takeToken(what + ":" + clientAddress(req), perHour, perHour / 3600.0);
    if (wait <= 0) return true;
    long seconds = std::max(1L, static_cast<long>(std::ceil(wait)));
    res.set_header("Retry-After", std::to_string(seconds));
    std::string message = "too many " + what + "s from your address: try again in " + std::to_string(seconds) + " s";
    if (json) http::jsonError(res, 429, message);
    else sendMessage(req, res, 429, "Please wait", message);
    return false;
}

bool Context::sameOrigin(const httplib::Request& req) const {
    std::string site = req.get_header_value("Sec-Fetch-Site");
    if (!site.empty() && site != "same-origin" && site != "none") return false;
    if (req.has_header("Origin")) {
        std::string origin = req.get_header_value("Origin");
        std::string host = req.get_header_value("Host");
        if (origin != base() && origin != "http://" + host && origin != "https://" + host) return false;
    }
    return true;
}

std::string Context::csrfToken(const httplib::Request& req, httplib::Response& res) {
    std::string id = http::cookie(req, "qc_csrf");
    if (id.size() != 32 || id.find_first_not_of("0123456789abcdef") != std::string::npos) {
        id = security::randomHex(16);
        res.set_header("Set-Cookie", http::setCookie("qc_csrf", id, 60 * 60 * 24 * 365, secure(), false));
    }
    return security::keyedToken(csrfKey_, "csrf:" + id);
}

bool Context::csrfValid(const httplib::Request& req) const {
    std::string id = http::cookie(req, "qc_csrf");
    if (id.empty()) return false;
    return security::sameToken(field(req, "csrf"), security::keyedToken(csrfKey_, "csrf:" + id));
}

std::optional<std::string> Context::moderator(const httplib::Request& req) {
    std::string token = http::cookie(req, "qc_session");
    if (token.size() != 64) return std::nullopt;
    return store_.sessionModerator(security::sha256Hex(token));
}

std::string Context::field(const httplib::Request& req, const std::string& name) {
    if (req.has_file(name)) return req.get_file_value(name).content;
    if (req.has_param(name)) return req.get_param_value(name);
    return {};
}

nlohmann::json Context::layout(const httplib::Request& req, const std::string& title) {
    nlohmann::json l{{"title", title}};
    if (http::cookie(req, "qc_session").size() == 64) {
        if (auto m = moderator(req)) l["moderator"] = *m;
    }
    return l;
}

void Context::sendPage(httplib::Response& res, const std::string& name, const nlohmann::json& values,
                       const nlohmann::json& layoutValues, int status) {
    res.status = status;
    res.set_content(pages::page(name, values, layoutValues), "text/html; charset=utf-8");
    res.set_header("Cache-Control", "no-cache");
}

void Context::sendMessage(const httplib::Request& req, httplib::Response& res, int status, const std::string& heading,
                          const std::string& message, const std::string& back, const std::string& backLabel) {
    sendPage(res, "message", {{"heading", heading}, {"message", message}, {"back", back}, {"back_label", backLabel}},
             layout(req, heading), status);
}

}  // namespace board::app
