#include "board/cli/commands.h"

#include "board/app/app.h"
#include "board/cli/migrate_command.h"
#include "board/cli/stop_signals.h"
#include "board/cli/worker_command.h"
#include "board/engine_bridge/bridge.h"
#include "board/jobs/outage.h"
#include "board/security/crypto.h"
#include "board/store/board_store.h"
#include "board/store/migrations.h"
#include "board/store/open_database.h"

#include <malloc.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <iomanip>
#include <iostream>
#include <pthread.h>
#include <sstream>
#include <thread>

#ifndef QC_VERSION
#define QC_VERSION "0"
#endif

namespace board::cli {
namespace {

const char* kUsage = R"(Usage:
  quillcast-board serve [--data DIR | --database URL] [--listen HOST:PORT] [--public-url URL] [--workers N]
                        [--site DIR] [options]
  quillcast-board worker --database URL [--workers N] [job options]
                                                  (makes time-lapses only; no HTTP)
  quillcast-board admin add NAME [--data DIR]     (reads the password from stdin)
  quillcast-board backup FILE [--data DIR]        (an online backup; restore by copying it back)
  quillcast-board check [--data DIR]              (plays every drawing again and compares its picture)
  quillcast-board migrate --from sqlite:DIR --to URL  (moves a board; migrate --help tells more)

The board's data is DIR/board.sqlite3 (default DIR: board-data), or the server
database that --database postgresql://USER@HOST/NAME names (any libpq URI).
Every command takes --database URL in place of --data DIR.

One machine: `serve` alone, with a time-lapse worker thread inside. Many: any
number of `serve --workers 0` behind a balancer and any number of `worker`
processes, all on one --database postgresql://...; a worker wakes as soon as
a post is stored, and each job is leased, so a worker that dies loses nothing.

serve options:
  --listen HOST:PORT        address to serve (default 127.0.0.1:8080; port 0: any free port)
  --public-url URL          the board's address as visitors see it (links, feeds, Secure cookies)
  --site DIR                the web player's and studio's site (default build-web/site)
  --workers N               time-lapse worker threads (default 1; 0: leave jobs to `worker` processes)
  --trust-proxy             take the client's address from X-Forwarded-For (behind a balancer)
  --posts-per-hour N        posts and versions per address (default 30; 0: no limit)
  --comments-per-hour N     comments and reports per address (default 120)
  --logins-per-hour N       moderator logins and password tries per address (default 20)
  --upload-kib N            largest posted file (default 4096)
  --check-seconds S         the work bound of playing a posted drawing (default 20)
  --threads N               connections served at once (default 64)

job options (serve and worker):
  --workers N               jobs made at once (worker: default 1)
  --timelapse-seconds S     the deadline of a time-lapse (default 60)
  --job-lease-seconds S     how long a job is held before another worker may take it (default 120)
  --job-attempts N          tries before a job is marked failed (default 3)
  --job-backoff-seconds S   wait after the first failure, doubled after each (default 5)
  --job-poll-seconds S      how often an idle worker looks for leases run out and retries due
                            (default 0.5; new jobs wake it at once on PostgreSQL)

A worker prints "ready" once it waits for jobs. SIGTERM (or SIGINT) lets it
finish the jobs in hand, then it exits 0. While the database is unreachable,
servers answer 503 (and /healthz says so) and workers wait; both go on by
themselves when it answers again, and one started meanwhile waits for it.
)";

struct Args {
    std::vector<std::string> positional;
    std::vector<std::pair<std::string, std::string>> options;
    std::vector<std::string> flags;
};

bool isFlag(const std::string& name) { return name == "--trust-proxy" || name == "--help" || name == "--version"; }

bool parse(const std::vector<std::string>& args, Args& out, std::string& error) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.rfind("--", 0) == 0) {
            auto eq = a.find('=');
            if (eq != std::string::npos) {
                out.options.emplace_back(a.substr(0, eq), a.substr(eq + 1));
            } else if (isFlag(a)) {
                out.flags.push_back(a);
            } else if (i + 1 < args.size()) {
                out.options.emplace_back(a, args[++i]);
            } else {
                error = a + " needs a value";
                return false;
            }
        } else {
            out.positional.push_back(a);
        }
    }
    return true;
}

bool number(const std::string& name, const std::string& text, double min, double max, double& out, std::string& error) {
    char* end = nullptr;
    double v = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !(v >= min && v <= max)) {
        auto show = [](double x) {
            std::ostringstream o;
            o << std::setprecision(12) << x;
            return o.str();
        };
        error = name + ": expected a number from " + show(min) + " to " + show(max) + ", got \"" + text + "\"";
        return false;
    }
    out = v;
    return true;
}

// Which options a command takes: every one names the store; serve takes
// the rest, and worker the ones of its jobs.
bool takes(const std::string& command, const std::string& option) {
    if (option == "--data" || option == "--database") return true;
    if (command == "serve") return true;
    if (command == "worker")
        return option == "--workers" || option == "--timelapse-seconds" || option.rfind("--job-", 0) == 0;
    return false;
}

bool applyOptions(const Args& args, app::Config& c, const std::string& command, std::string& error) {
    for (const auto& f : args.flags)
        if (f == "--trust-proxy") c.trustProxy = true;
    for (const auto& [name, value] : args.options) {
        double v = 0;
        if (name == "--data") {
            c.dataDir = value;
            continue;
        }
        if (name == "--database") {
            c.database = value;
            continue;
        }
        if (!takes(command, name)) {
            error = command + " takes no option " + name;
            return false;
        }
        if (name == "--listen") {
            auto colon = value.rfind(':');
            if (colon == std::string::npos || !number(name, value.substr(colon + 1), 0, 65535, v, error)) {
                if (error.empty()) error = "--listen: expected HOST:PORT, got \"" + value + "\"";
                return false;
            }
            c.host = value.substr(0, colon);
            if (c.host.size() > 2 && c.host.front() == '[' && c.host.back() == ']') c.host = c.host.substr(1, c.host.size() - 2);
            c.port = static_cast<int>(v);
        } else if (name == "--public-url") {
            if (value.rfind("http://", 0) != 0 && value.rfind("https://", 0) != 0) {
                error = "--public-url: expected http://... or https://..., got \"" + value + "\"";
                return false;
            }
            c.publicUrl = value;
        } else if (name == "--site") {
            c.siteDir = value;
        } else if (name == "--workers") {
            if (!number(name, value, 0, 64, v, error)) return false;
            c.workers = static_cast<int>(v);
        } else if (name == "--posts-per-hour") {
            if (!number(name, value, 0, 1e9, c.postsPerHour, error)) return false;
        } else if (name == "--comments-per-hour") {
            if (!number(name, value, 0, 1e9, c.commentsPerHour, error)) return false;
        } else if (name == "--logins-per-hour") {
            if (!number(name, value, 0, 1e9, c.loginsPerHour, error)) return false;
        } else if (name == "--upload-kib") {
            if (!number(name, value, 1, 1 << 20, v, error)) return false;
            c.uploadBytes = static_cast<std::size_t>(v) * 1024;
        } else if (name == "--check-seconds") {
            if (!number(name, value, 0.1, 3600, c.checkSeconds, error)) return false;
        } else if (name == "--timelapse-seconds") {
            if (!number(name, value, 0.1, 3600, c.timelapseSeconds, error)) return false;
        } else if (name == "--job-lease-seconds") {
            if (!number(name, value, 1, 86400, v, error)) return false;
            c.jobLeaseMs = static_cast<std::int64_t>(v * 1000);
        } else if (name == "--job-attempts") {
            if (!number(name, value, 1, 100, v, error)) return false;
            c.jobAttempts = static_cast<int>(v);
        } else if (name == "--job-backoff-seconds") {
            if (!number(name, value, 0, 86400, v, error)) return false;
            c.jobBackoffMs = static_cast<std::int64_t>(v * 1000);
        } else if (name == "--job-poll-seconds") {
            if (!number(name, value, 0.05, 3600, v, error)) return false;
            c.jobPollMs = static_cast<std::int64_t>(v * 1000);
        } else if (name == "--threads") {
            if (!number(name, value, 4, 1024, v, error)) return false;
            c.threads = static_cast<std::size_t>(v);
        } else {
            error = "unknown option " + name;
            return false;
        }
    }
    return true;
}

int serve(const app::Config& c, std::ostream& out, std::ostream& err) {
    // SIGTERM and SIGINT are taken by one thread, which stops the server;
    // every other thread (made after this) has them blocked.
    StopSignals signals;
    // One malloc arena per request thread would keep many megabytes that
    // freed answers leave behind; a few arenas serve 64 threads as well.
    mallopt(M_ARENA_MAX, 4);

    // A server started while its database is down (a server database
    // restarting) waits for it rather than exiting.
    std::unique_ptr<app::App> board;
    jobs::Outage outage("serve");
    while (!board) {
        try {
            board = std::make_unique<app::App>(c);
            outage.succeeded();
        } catch (const store::DatabaseUnavailable& e) {
            if (signals.waitFor(outage.failed(e.what()))) return 0;
        }
    }
    if (!board->bind()) return 1;
    std::thread stopper([&board, &signals] {
        signals.wait();
        board->stop();
    });
    std::string host = c.host.find(':') != std::string::npos ? "[" + c.host + "]" : c.host;
    out << "quillcast-board: serving http://" << host << ":" << board->port() << "/ (data in "
        << store::describeLocation(store::databaseLocation(c.database, c.dataDir)) << ")"
        << std::endl;
    board->serve();
    // serve() returned: the stopper got its signal, or the server failed.
    pthread_kill(stopper.native_handle(), SIGTERM);
    stopper.join();
    err << "quillcast-board: stopped" << std::endl;
    return 0;
}

int adminAdd(const app::Config& c, const std::string& name, std::istream& in, std::ostream& out, std::ostream& err) {
    if (name.empty() || name.size() > 50 || name.find_first_of(" \t\r\n/") != std::string::npos) {
        err << "quillcast-board: admin add: NAME must be 1 to 50 characters without spaces or slashes\n";
        return 2;
    }
    std::string password;
    std::getline(in, password);
    if (!password.empty() && password.back() == '\r') password.pop_back();
    if (password.size() < 8) {
        err << "quillcast-board: admin add: the password (read from stdin) must have at least 8 characters\n";
        return 2;
    }
    auto db = store::openDatabase(store::databaseLocation(c.database, c.dataDir));
    store::migrate(*db);
    store::BoardStore s(*db);
    s.addModerator(name, security::hashPassword(password));
    s.audit("admin", "add moderator", name);
    out << "moderator " << name << " can log in at /mod/login\n";
    return 0;
}

int backup(const app::Config& c, const std::string& file, std::ostream& out) {
    auto db = store::openDatabase(store::databaseLocation(c.database, c.dataDir));
    store::migrate(*db);
    db->backup(file);
    out << "backup written to " << file << "\n";
    return 0;
}

}  // namespace

int checkAll(const std::string& location, std::ostream& out) {
    auto db = store::openDatabase(location);
    store::migrate(*db);
    store::BoardStore s(*db);
    int bad = 0, total = 0;
    for (const auto& v : s.allVersions()) {
        ++total;
        std::string where = "/p/" + v.postId + "/v/" + std::to_string(v.version);
        auto drawing = s.media(v.drawing);
        auto picture = s.media(v.picture);
        if (!drawing || !picture) {
            out << where << ": its drawing or picture is missing from the store\n";
            ++bad;
            continue;
        }
        auto checked = engine::checkDrawing(drawing->bytes, "drawing.qcd");
        if (!checked.error.empty()) {
            out << where << ": no longer plays: " << checked.error << "\n";
            ++bad;
        } else if (checked.picture != picture->bytes) {
            out << where << ": plays to a different picture than the one stored\n";
            ++bad;
        }
    }
    out << total - bad << " of " << total << " drawings match their stored pictures\n";
    return bad;
}

int run(const std::vector<std::string>& argv, std::istream& in, std::ostream& out, std::ostream& err) {
    if (!argv.empty() && argv[0] == "migrate") return runMigrate({argv.begin() + 1, argv.end()}, out, err);
    Args args;
    std::string error;
    if (!parse(argv, args, error)) {
        err << "quillcast-board: " << error << "\n";
        return 2;
    }
    for (const auto& f : args.flags) {
        if (f == "--help") {
            out << kUsage;
            return 0;
        }
        if (f == "--version") {
            out << "quillcast-board " << QC_VERSION << "\n";
            return 0;
        }
    }
    if (args.positional.empty()) {
        err << kUsage;
        return 2;
    }
    const std::string& command = args.positional[0];
    app::Config c;
    if (!applyOptions(args, c, command, error)) {
        err << "quillcast-board: " << error << "\n";
        return 2;
    }
    try {
        security::initCrypto();
        if (command == "serve" && args.positional.size() == 1) return serve(c, out, err);
        if (command == "worker" && args.positional.size() == 1) return runWorker(c, out, err);
        if (command == "admin" && args.positional.size() == 3 && args.positional[1] == "add")
            return adminAdd(c, args.positional[2], in, out, err);
        if (command == "backup" && args.positional.size() == 2) return backup(c, args.positional[1], out);
        if (command == "check" && args.positional.size() == 1) return checkAll(store::databaseLocation(c.database, c.dataDir), out) == 0 ? 0 : 1;
    } catch (const std::exception& e) {
        err << "quillcast-board: " << e.what() << "\n";
        return 1;
    }
    err << "quillcast-board: unknown command\n" << kUsage;
    return 2;
}

}  // namespace board::cli
