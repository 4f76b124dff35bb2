#include "board/http/server.h"

#include <sys/socket.h>
#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>

namespace board::http {

Server::Server(const Limits& limits, std::vector<BodyLimit> bodyLimits, bool)
    : limits_(limits), bodyLimits_(std::move(bodyLimits)) {
    std::size_t threads = limits.threads;
    server_.new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
    server_.set_read_timeout(limits.readTimeoutSeconds, 0);
    server_.set_write_timeout(limits.writeTimeoutSeconds, 0);
    server_.set_keep_alive_timeout(limits.keepAliveSeconds);
    server_.set_keep_alive_max_count(limits.keepAliveRequests);
    server_.set_payload_max_length(limits.bodyBytes);
    server_.set_tcp_nodelay(true);
    server_.set_socket_options([this](socket_t sock) {
        int yes = 1;
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        listenSocket_ = sock;
    });

    // Bounds that hold before any handler runs, and before the body is read:
    // a body announced larger than its route takes is refused at once.
    server_.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
        std::size_t head = req.method.size() + req.target.size() + 12;
        for (const auto& [k, v] : req.headers) head += k.size() + v.size() + 4;
        if (head > limits_.headBytes) {
            jsonError(res, 431, "the request's headers are too large");
            res.set_header("Connection", "close");
            return httplib::Server::HandlerResponse::Handled;
        }
        if (req.has_header("Content-Length")) {
            const std::string& text = req.get_header_value("Content-Length");
            char* end = nullptr;
            errno = 0;
            unsigned long long length = std::strtoull(text.c_str(), &end, 10);
            std::size_t limit = 0;  // bodies are refused where no route takes one
            for (const auto& b : bodyLimits_)
                if (req.method == b.method && req.path.compare(0, b.prefix.size(), b.prefix) == 0) limit = b.bytes;
            if (errno != 0 || end == text.c_str() || *end != '\0' || length > limit) {
                if (length > 0 || errno != 0) {
                    jsonError(res, 413,
                              limit == 0 ? "this address takes no request body"
                                         : "the upload is too large: at most " + std::to_string(limit / 1024) +
                                               " KiB");
                    res.set_header("Connection", "close");
                    return httplib::Server::HandlerResponse::Handled;
                }
            }
        }
        return httplib::Server::HandlerResponse::Unhandled;
    });
}

bool Server::bind(const std::string& host, int port) {
    port_ = port == 0 ? server_.bind_to_any_port(host) : (server_.bind_to_port(host, port) ? port : -1);
    if (port_ <= 0) return false;
    // The library listens with a short backlog; a second listen() raises it.
    if (listenSocket_ >= 0) ::listen(listenSocket_, limits_.backlog);
    return true;
}

void Server::serve() { server_.listen_after_bind(); }

void Server::stop() { server_.stop(); }

void jsonError(httplib::Response& res, int status, const std::string& message) {
    res.status = status;
    std::string escaped;
    for (char c : message) {
        if (c == '"' || c == '\\') escaped += '\\';
        if (static_cast<unsigned char>(c) < 0x20) continue;
        escaped += c;
    }
    res.set_content("{\"error\":\"" + escaped + "\"}", "application/json");
}

void securityHeaders(httplib::Response& res, bool frameableAnywhere) {
    res.set_header("Content-Security-Policy",
                   std::string("default-src 'self'; script-src 'self' 'wasm-unsafe-eval'; style-src 'self'; "
                               "img-src 'self' data: blob:; media-src 'self' blob:; worker-src 'self' blob:; "
                               "connect-src 'self'; frame-src 'self'; object-src 'none'; base-uri 'self'; "
                               "form-action 'self'; frame-ancestors ") +
                       (frameableAnywhere ? "*" : "'self'"));
    res.set_header("X-Content-Type-Options", "nosniff");
    res.set_header("Referrer-Policy", "strict-origin-when-cross-origin");
    // The engine's memory may be shared with its workers.
    res.set_header("Cross-Origin-Opener-Policy", "same-origin");
}

std::string logLine(const httplib::Request& req, const httplib::Response& res) {
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    gmtime_r(&now, &tm);
    char when[40];
    std::strftime(when, sizeof when, "%d/%b/%Y:%H:%M:%S +0000", &tm);
    std::ostringstream line;
    // The path only: query strings are not logged, in case one carries a secret.
    std::string path;
    for (char c : req.path) path += (static_cast<unsigned char>(c) < 0x20 || c == '"') ? '?' : c;
    line << (req.remote_addr.empty() ? "-" : req.remote_addr) << " - - [" << when << "] \"" << req.method << ' '
         << path << ' ' << req.version << "\" " << res.status << ' ' << res.body.size();
    return line.str();
}

std::string mimeType(const std::string& path) {
    auto dot = path.rfind('.');
    std::string ext = dot == std::string::npos ? "" : path.substr(dot + 1);
    if (ext == "html") return "text/html; charset=utf-8";
    if (ext == "js" || ext == "mjs") return "text/javascript; charset=utf-8";
    if (ext == "css") return "text/css; charset=utf-8";
    if (ext == "json" || ext == "map") return "application/json";
    if (ext == "wasm") return "application/wasm";
    if (ext == "png") return "image/png";
    if (ext == "gif") return "image/gif";
    if (ext == "svg") return "image/svg+xml";
    if (ext == "ico") return "image/x-icon";
    if (ext == "mp4") return "video/mp4";
    if (ext == "qcs" || ext == "txt" || ext == "md") return "text/plain; charset=utf-8";
    return "application/octet-stream";
}

bool serveFile(const std::string& root, const std::string& urlPath, httplib::Response& res) {
    if (urlPath.empty() || urlPath[0] != '/') return false;
    std::string rel;
    std::size_t start = 1;
    while (start <= urlPath.size()) {
        std::size_t end = urlPath.find('/', start);
        if (end == std::string::npos) end = urlPath.size();
        std::string seg = urlPath.substr(start, end - start);
        bool last = end == urlPath.size();
        if (seg.empty() && last) {
            seg = "index.html";  // a folder's page
        }
        if (seg.empty() || seg == "." || seg == ".." || seg.find('\\') != std::string::npos ||
            seg.find('\0') != std::string::npos)
            return false;
        rel += "/" + seg;
        start = end + 1;
        if (last) break;
    }
    std::string full = root + rel;
    char resolved[PATH_MAX], base[PATH_MAX];
    // Symbolic links may not lead out of the site either.
    if (!realpath(full.c_str(), resolved) || !realpath(root.c_str(), base)) return false;
    std::string r = resolved, b = base;
    if (r.compare(0, b.size(), b) != 0 || (r.size() > b.size() && r[b.size()] != '/')) return false;
    struct stat st {};
    if (stat(resolved, &st) != 0 || !S_ISREG(st.st_mode)) return false;
    std::ifstream in(resolved, std::ios::binary);
    if (!in) return false;
    std::string body((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    res.set_content(std::move(body), mimeType(rel));
    res.set_header("Cache-Control", "no-cache");
    res.set_header("ETag", "\"" + std::to_string(st.st_mtime) + "-" + std::to_string(st.st_size) + "\"");
    return true;
}

std::string cookie(const httplib::Request& req, const std::string& name) {
    std::string all = req.get_header_value("Cookie");
    std::size_t pos = 0;
    while (pos < all.size()) {
        std::size_t end = all.find(';', pos);
        if (end == std::string::npos) end = all.size();
        std::string part = all.substr(pos, end - pos);
        std::size_t a = part.find_first_not_of(' ');
        if (a != std::string::npos) {
            part = part.substr(a);
            if (part.size() > name.size() && part.compare(0, name.size(), name) == 0 && part[name.size()] == '=')
                return part.substr(name.size() + 1);
        }
        pos = end + 1;
    }
    return {};
}

std::string setCookie(const std::string& name, const std::string& value, int maxAgeSeconds, bool secure,
                      bool strict) {
    return name + "=" + value + "; Path=/; Max-Age=" + std::to_string(maxAgeSeconds) + "; HttpOnly; SameSite=" +
           (strict ? "Strict" : "Lax") + (secure ? "; Secure" : "");
}

}  // namespace board::http
