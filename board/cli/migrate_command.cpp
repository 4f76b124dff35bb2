#include "board/cli/migrate_command.h"

#include "board/security/crypto.h"
#include "board/store/migrations.h"
#include "board/store/open_database.h"
#include "board/transfer/copy.h"
#include "board/transfer/verify.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <optional>

namespace board::cli {
namespace {

const char* kMigrateUsage = R"(Usage: quillcast-board migrate --from sqlite:DIR --to postgresql://USER@HOST/NAME [options]

Copies the whole board in DIR (DIR/board.sqlite3) into an empty database:
posts, versions, media, jobs, comments, moderators, sessions, bans, reports,
the audit log, rate buckets and settings, every id kept. The board may still
be serving: it is read as one consistent snapshot and never written. If the
copy is interrupted, the same command again goes on where it stopped. At the
end every table is compared with the board (its rows, a digest of its rows in
key order, the hash of every medium's bytes) and a summary is printed.

Options:
  --from sqlite:DIR   the board to move
  --to LOCATION       where to: postgresql://... (any libpq URI) or sqlite:DIR
  --batch-rows N      rows copied per transaction (default 500; a batch of media
                      also stops at 16 MB)
  --quiet             no progress on stderr

Exit status: 0 copied and verified, 1 an error or a copy that differs from
the board, 2 a wrong command line.
)";

struct MigrateArgs {
    std::string from, to;
    std::int64_t batchRows = 500;
    bool quiet = false, help = false;
};

bool parseArgs(const std::vector<std::string>& args, MigrateArgs& a, std::string& error) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i], value;
        bool hasValue = false;
        if (auto eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name = name.substr(0, eq);
            hasValue = true;
        }
        if (name == "--help" || name == "--quiet") {
            (name == "--help" ? a.help : a.quiet) = true;
            continue;
        }
        if (name != "--from" && name != "--to" && name != "--batch-rows") {
            error = name.rfind("--", 0) == 0 ? "unknown option " + name : "unexpected argument \"" + name + "\"";
            return false;
        }
        if (!hasValue) {
            if (i + 1 == args.size()) {
                error = name + " needs a value";
                return false;
            }
            value = args[++i];
        }
        if (name == "--from") a.from = value;
        else if (name == "--to") a.to = value;
        else {
            char* end = nullptr;
            long long n = std::strtoll(value.c_str(), &end, 10);
            if (value.empty() || *end != '\0' || n < 1 || n > 1000000) {
                error = "--batch-rows: expected a number from 1 to 1000000, got \"" + value + "\"";
                return false;
            }
            a.batchRows = n;
        }
    }
    if (a.help) return true;
    if (a.from.empty() || a.to.empty()) {
        error = a.from.empty() ? "--from sqlite:DIR is needed (the board to move)" : "--to is needed (where to move it)";
        return false;
    }
    if (a.from.rfind("sqlite:", 0) != 0 || a.from.size() == 7) {
        error = "--from: expected sqlite:DIR (the folder of the board to move), got \"" + a.from + "\"";
        return false;
    }
    bool server = a.to.rfind("postgresql://", 0) == 0 || a.to.rfind("postgres://", 0) == 0;
    if (!server && (a.to.rfind("sqlite:", 0) != 0 || a.to.size() == 7)) {
        error = "--to: expected postgresql://... or sqlite:DIR, got \"" + store::describeLocation(a.to) + "\"";
        return false;
    }
    namespace fs = std::filesystem;
    std::error_code ec;
    if (!server && fs::weakly_canonical(a.from.substr(7), ec) == fs::weakly_canonical(a.to.substr(7), ec)) {
        error = "--from and --to name the same board";
        return false;
    }
    return true;
}

std::string megabytes(std::int64_t bytes) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f", static_cast<double>(bytes) / 1e6);
    return buf;
}

// Progress on stderr: redrawn in place on a terminal, otherwise a line a
// table and one every few seconds.
class ProgressPrinter {
public:
    ProgressPrinter(std::ostream& err, bool quiet) : err_(err), quiet_(quiet), tty_(isatty(2) != 0) {}

    void show(const char* phase, const transfer::TableProgress& p) {
        if (quiet_) return;
        auto now = std::chrono::steady_clock::now();
        if (!p.done && !tty_ && now - last_ < std::chrono::seconds(2)) return;
        if (!p.done && tty_ && now - last_ < std::chrono::milliseconds(100)) return;
        last_ = now;
        std::string line = std::string("migrate: ") + phase + " " + p.table + ": " + std::to_string(p.rows) + "/" +
                           std::to_string(p.totalRows) + " rows";
        if (p.totalBytes > 0) line += ", " + megabytes(p.bytes) + "/" + megabytes(p.totalBytes) + " MB";
        if (tty_) err_ << "\r\033[K" << line << (p.done ? "\n" : "") << std::flush;
        else err_ << line << "\n" << std::flush;
    }

private:
    std::ostream& err_;
    bool quiet_, tty_;
    std::chrono::steady_clock::time_point last_{};
};

int schemaVersion(store::Connection& c) {
    auto rows = c.query("SELECT COALESCE(MAX(version), 0) FROM schema_migrations");
    return static_cast<int>(rows.at(0).integer(0));
}

void printSummary(const transfer::VerifyReport& r, std::ostream& out) {
    char line[160];
    std::snprintf(line, sizeof line, "%-14s %10s %10s  %-12s %s\n", "table", "board", "copy", "digest", "");
    out << line;
    for (const auto& t : r.tables) {
        std::string digest = t.sourceDigest.empty() ? "(empty)" : t.sourceDigest.substr(0, 12);
        if (t.targetDigest != t.sourceDigest)
            digest += " / " + (t.targetDigest.empty() ? "(empty)" : t.targetDigest.substr(0, 12));
        std::snprintf(line, sizeof line, "%-14s %10lld %10lld  %-12s %s\n", t.table.c_str(),
                      static_cast<long long>(t.sourceRows), static_cast<long long>(t.targetRows), digest.c_str(),
                      t.ok() ? "same"
                             : ("DIFFERS (" + std::to_string(t.differing) + (t.differing == 1 ? " row)" : " rows)")).c_str());
        out << line;
        for (const auto& d : t.differences) out << "    " << d << "\n";
        if (t.differing > static_cast<std::int64_t>(t.differences.size()))
            out << "    and " << t.differing - static_cast<std::int64_t>(t.differences.size()) << " more\n";
    }
    out << "media: " << r.mediaChecked - static_cast<std::int64_t>(r.badMedia.size()) << " of " << r.mediaChecked
        << " hash to their keys\n";
    for (const auto& m : r.badMedia) out << "    bytes do not match the key: " << m << "\n";
}

double secondsSince(std::chrono::steady_clock::time_point t) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count();
}

// `copying` turns true once batches may have gone into the target.
int migrate(const MigrateArgs& a, std::ostream& out, std::ostream& err, bool& copying) {
    std::string dir = a.from.substr(7);
    // Opening a missing file would make an empty board there: the source is
    // never written, so it has to exist first.
    if (!std::filesystem::is_regular_file(dir + "/board.sqlite3")) {
        err << "quillcast-board: migrate: --from: no board in " << dir << " (" << dir << "/board.sqlite3 is missing)\n";
        return 1;
    }
    security::initCrypto();
    std::unique_ptr<store::Database> source;
    std::optional<transfer::Snapshot> snapshot;
    int have = 0;
    try {
        source = store::openDatabase(a.from);
        snapshot.emplace(*source);
        have = schemaVersion(snapshot->connection());
    } catch (const store::DatabaseError& e) {
        err << "quillcast-board: migrate: --from: " << dir << "/board.sqlite3 is not a board we can read (" << e.what()
            << ")\n";
        return 1;
    }
    std::unique_ptr<store::Database> target;
    int want = 0;
    try {
        target = store::openDatabase(a.to);
        want = store::migrate(*target);
    } catch (const store::DatabaseError& e) {
        err << "quillcast-board: migrate: --to " << store::describeLocation(a.to) << ": " << e.what() << "\n";
        return 1;
    }
    if (have != want) {
        err << "quillcast-board: migrate: the board's schema is version " << have << ", this program's is " << want
            << (have < want ? ": serve the board once with this version, which upgrades it, then migrate it\n"
                            : ": it was made by a newer quillcast-board; migrate it with that one\n");
        return 1;
    }

    copying = true;
    transfer::CopyOptions options;
    options.batchRows = a.batchRows;
    options.sourceName = a.from;
    ProgressPrinter printer(err, a.quiet);
    auto started = std::chrono::steady_clock::now();
    auto copied = transfer::copyBoard(*snapshot, *target, options,
                                      [&](const transfer::TableProgress& p) { printer.show("copying", p); });
    double copySeconds = secondsSince(started);
    if (!a.quiet && copied.resumed) {
        err << "migrate: went on with the copy an earlier run had begun in " << store::describeLocation(a.to) << "\n";
        if (copied.updated + copied.added + copied.removed > 0)
            err << "migrate: brought up to date what the board changed since: " << copied.updated << " rows updated, "
                << copied.added << " added, " << copied.removed << " removed\n";
    }

    started = std::chrono::steady_clock::now();
    auto report = transfer::verifyBoard(*snapshot, *target, options,
                                        [&](const transfer::TableProgress& p) { printer.show("verifying", p); });
    double verifySeconds = secondsSince(started);
    printSummary(report, out);
    char times[200];
    std::snprintf(times, sizeof times, "copied %lld rows (%s MB) in %.2f s, verified in %.2f s",
                  static_cast<long long>(copied.rows), megabytes(copied.bytes).c_str(), copySeconds, verifySeconds);
    if (!report.ok()) {
        out << times << ": the copy DIFFERS from the board\n";
        err << "quillcast-board: migrate: verification failed: " << store::describeLocation(a.to)
            << " is not the same board as " << a.from << " (see the summary)\n";
        return 1;
    }
    out << times << ": " << store::describeLocation(a.to) << " holds the same board as " << a.from << "\n";
    return 0;
}

}  // namespace

int runMigrate(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    MigrateArgs a;
    std::string error;
    if (!parseArgs(args, a, error)) {
        err << "quillcast-board: migrate: " << error << "\n(quillcast-board migrate --help shows how it is used)\n";
        return 2;
    }
    if (a.help) {
        out << kMigrateUsage;
        return 0;
    }
    bool copying = false;
    try {
        return migrate(a, out, err, copying);
    } catch (const transfer::TargetRefused& e) {
        err << "quillcast-board: migrate: --to " << store::describeLocation(a.to) << ": " << e.what() << "\n";
    } catch (const std::exception& e) {
        err << "quillcast-board: migrate: " << e.what() << "\n";
        if (copying) err << "quillcast-board: migrate: what was copied is kept; the same command goes on from there\n";
    }
    return 1;
}

}  // namespace board::cli
