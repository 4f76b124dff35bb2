// The HTTP server library (cpp-httplib) set up as the board needs it: a
// bounded head and body, timeouts for slow clients, a worker pool and a
// listen backlog sized for load, security headers on every answer, a log line
// per request, and static files without path traversal.
#pragma once

#include <httplib.h>

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace board::http {

struct Limits {
    std::size_t headBytes = 16 * 1024;         // request line and headers together
    std::size_t bodyBytes = 8u << 20;          // the largest any route takes
    int readTimeoutSeconds = 10;               // a client that stops sending is dropped
    int writeTimeoutSeconds = 10;
    int keepAliveSeconds = 5;
    std::size_t keepAliveRequests = 10000;
    std::size_t threads = 64;                  // connections served at once
    int backlog = 512;                         // connections waiting to be accepted
};

// A body limit for the routes under a prefix with a method ("POST /api/posts").
struct BodyLimit {
    std::string method, prefix;
    std::size_t bytes;
};

class Server {
public:
    Server(const Limits& limits, std::vector<BodyLimit> bodyLimits, bool secureCookies);
    httplib::Server& routes() { return server_; }
    // Binds; false with errno set when the address is taken.
    bool bind(const std::string& host, int port);
    int port() const { return port_; }
    // Serves until stop(); requests in flight are finished first.
    void serve();
    void stop();

private:
    httplib::Server server_;
    Limits limits_;
    std::vector<BodyLimit> bodyLimits_;
    int listenSocket_ = -1;
    int port_ = 0;
};

// Answers with a JSON error: {"error": message}.
void jsonError(httplib::Response& res, int status, const std::string& message);
// Sets the headers every answer carries (CSP, nosniff, referrer policy).
void securityHeaders(httplib::Response& res, bool frameableAnywhere);
// A line of the common log format for a request and its answer.
std::string logLine(const httplib::Request& req, const httplib::Response& res);
// Serves root/path when it is a regular file inside root; false otherwise.
// Path segments "..", "." and empty ones, and backslashes, are refused.
bool serveFile(const std::string& root, const std::string& urlPath, httplib::Response& res);
std::string mimeType(const std::string& path);
// A cookie's value from the Cookie header; "" when absent.
std::string cookie(const httplib::Request& req, const std::string& name);
// A Set-Cookie value: HttpOnly, SameSite=Lax (Strict when strict), Path=/,
// Secure when the board is served over https.
std::string setCookie(const std::string& name, const std::string& value, int maxAgeSeconds, bool secure,
                      bool strict);

}  // namespace board::http
