#include "board/store/board_store.h"

#include "board/security/crypto.h"
#include "board/util/clock.h"

#include <algorithm>
#include <cmath>

namespace board::store {
namespace {

// Where createPost and addVersion say that time-lapse jobs are queued.
const char* kJobsChannel = "board_jobs";

const char* kPostColumns =
    "p.seq, p.id, p.title, p.artist, p.created, p.latest, p.hidden, v.thumbnail, v.picture, v.width, v.height, "
    "v.show_seconds";

Post readPost(const Row& r) {
    Post p;
    p.seq = r.integer(0);
    p.id = r.text(1);
    p.title = r.text(2);
    p.artist = r.text(3);
    p.created = r.text(4);
    p.latest = static_cast<int>(r.integer(5));
    p.hidden = r.integer(6) != 0;
    p.thumbnail = r.text(7);
    p.picture = r.text(8);
    p.width = static_cast<int>(r.integer(9));
    p.height = static_cast<int>(r.integer(10));
    p.showSeconds = r.real(11);
    return p;
}

Comment readComment(const Row& r) {
    Comment c;
    c.id = r.integer(0);
    c.postId = r.text(1);
    c.name = r.text(2);
    c.body = r.text(3);
    c.created = r.text(4);
    c.hidden = r.integer(5) != 0;
    c.hasPassword = !r.isNull(6);
    c.address = r.text(7);
    return c;
}

const char* kCommentColumns = "id, post_id, name, body, created, hidden, password_hash, address";

Value optionalText(const std::optional<std::string>& s) {
    if (s) return *s;
    return nullptr;
}

}  // namespace

void BoardStore::putMedia(Connection& c, const std::string& sha, const std::string& type, const Blob& bytes) {
    c.run("INSERT INTO media(sha256, type, bytes, created) VALUES($1, $2, $3, $4) ON CONFLICT(sha256) DO NOTHING",
          {sha, type, bytes, util::nowIso()});
}

void BoardStore::insertVersion(Connection& c, const std::string& id, int number, const std::string& title,
                               const NewVersion& v) {
    std::string drawing = security::sha256Hex(v.drawing);
    std::string picture = security::sha256Hex(v.picture);
    std::string thumbnail = security::sha256Hex(v.thumbnail);
    putMedia(c, drawing, "qcd", v.drawing);
    putMedia(c, picture, "png", v.picture);
    putMedia(c, thumbnail, "png", v.thumbnail);
    std::string now = util::nowIso();
    c.run("INSERT INTO versions(post_id, version, title, created, drawing, picture, thumbnail, width, height, "
          "show_seconds) VALUES($1, $2, $3, $4, $5, $6, $7, $8, $9, $10)",
          {id, std::int64_t{number}, title, now, drawing, picture, thumbnail, std::int64_t{v.width},
           std::int64_t{v.height}, v.showSeconds});
    for (const char* kind : {"gif", "mp4"})
        c.run("INSERT INTO jobs(post_id, version, kind, state, created) VALUES($1, $2, $3, 'queued', $4)",
              {id, std::int64_t{number}, std::string(kind), now});
}

std::string BoardStore::createPost(const std::string& title, const std::string& artist,
                                   const std::optional<std::string>& passwordHash, const NewVersion& v) {
    auto c = db_.acquire();
    for (;;) {
        std::string id = security::randomId(8);
        Transaction t(*c);
        // An id taken (even by a post another server is storing just now)
        // inserts nothing: draw again.
        if (c->run("INSERT INTO posts(id, title, artist, password_hash, created, latest) VALUES($1, $2, $3, $4, $5, 1)"
                   " ON CONFLICT(id) DO NOTHING",
                   {id, title, artist, optionalText(passwordHash), util::nowIso()}) == 0)
            continue;
        insertVersion(*c, id, 1, title, v);
        db_.notify(*c, kJobsChannel);
        t.commit();
        return id;
    }
}

int BoardStore::addVersion(const std::string& id, const std::optional<std::string>& title, const NewVersion& v) {
    auto c = db_.acquire();
    Transaction t(*c);
    // One statement takes the number and locks the post until commit, so
    // two versions sent at once (to two servers) get two numbers.
    auto rows = c->query("UPDATE posts SET latest = latest + 1, title = COALESCE(CAST($2 AS TEXT), title)"
                         " WHERE id = $1 RETURNING latest, title",
                         {id, optionalText(title)});
    if (rows.empty()) return 0;
    int number = static_cast<int>(rows[0].integer(0));
    insertVersion(*c, id, number, rows[0].text(1), v);
    db_.notify(*c, kJobsChannel);
    t.commit();
    return number;
}

std::optional<Post> BoardStore::post(const std::string& id) {
    auto c = db_.acquire();
    auto rows = c->query(std::string("SELECT ") + kPostColumns +
                             " FROM posts p JOIN versions v ON v.post_id = p.id AND v.version = p.latest"
                             " WHERE p.id = $1",
                         {id});
    if (rows.empty()) return std::nullopt;
    return readPost(rows[0]);
}

std::vector<Post> BoardStore::posts(std::int64_t before, int limit, const std::optional<std::string>& artist,
                                    bool withHidden) {
    // One statement for each combination of conditions, rather than one with
    // "($1 = 0 OR seq < $1)" and the like: a server database keeps one plan for a
    // prepared statement whatever its parameters, and that plan cannot walk
    // the index from the cursor, so a deep page or an artist's page would
    // read every newer post first.
    std::string sql = std::string("SELECT ") + kPostColumns +
                      " FROM posts p JOIN versions v ON v.post_id = p.id AND v.version = p.latest"
                      " WHERE " + (withHidden ? "TRUE" : "p.hidden = 0");
    std::vector<Value> params;
    if (before != 0) {
        params.emplace_back(before);
        sql += " AND p.seq < $" + std::to_string(params.size());
    }
    if (artist) {
        params.emplace_back(*artist);
        sql += " AND p.artist = $" + std::to_string(params.size());
    }
    params.emplace_back(std::int64_t{limit});
    sql += " ORDER BY p.seq DESC LIMIT $" + std::to_string(params.size());
    auto c = db_.acquire();
    std::vector<Post> out;
    for (auto& r : c->query(sql, params)) out.push_back(readPost(r));
    return out;
}

std::vector<Version> BoardStore::versions(const std::string& id) {
    auto c = db_.acquire();
    std::vector<Version> out;
    for (auto& r : c->query("SELECT version, title, created, drawing, picture, thumbnail, width, height, "
                            "show_seconds FROM versions WHERE post_id = $1 ORDER BY version",
                            {id})) {
        Version v;
        v.version = static_cast<int>(r.integer(0));
        v.title = r.text(1);
        v.created = r.text(2);
        v.drawing = r.text(3);
        v.picture = r.text(4);
        v.thumbnail = r.text(5);
        v.width = static_cast<int>(r.integer(6));
        v.height = static_cast<int>(r.integer(7));
        v.showSeconds = r.real(8);
        out.push_back(v);
    }
    for (auto& r : c->query("SELECT version, kind, state, result, error FROM jobs WHERE post_id = $1", {id})) {
        auto it = std::find_if(out.begin(), out.end(), [&](const Version& v) { return v.version == r.integer(0); });
        if (it == out.end()) continue;
        JobState& s = r.text(1) == "gif" ? it->gif : it->mp4;
        s.state = r.text(2);
        s.result = r.text(3);
        s.error = r.text(4);
    }
    return out;
}

std::optional<std::string> BoardStore::postPasswordHash(const std::string& id) {
    auto c = db_.acquire();
    auto rows = c->query("SELECT password_hash FROM posts WHERE id = $1", {id});
    if (rows.empty() || rows[0].isNull(0)) return std::nullopt;
    return rows[0].text(0);
}

bool BoardStore::setPostHidden(const std::string& id, bool hidden) {
    auto c = db_.acquire();
    return c->run("UPDATE posts SET hidden = $2 WHERE id = $1", {id, std::int64_t{hidden ? 1 : 0}}) > 0;
}

bool BoardStore::renamePost(const std::string& id, const std::string& title) {
    auto c = db_.acquire();
    Transaction t(*c);
    if (c->run("UPDATE posts SET title = $2 WHERE id = $1", {id, title}) == 0) return false;
    c->run("UPDATE versions SET title = $2 WHERE post_id = $1 AND version = (SELECT latest FROM posts WHERE id = $1)",
           {id, title});
    t.commit();
    return true;
}

bool BoardStore::deletePost(const std::string& id) {
    auto c = db_.acquire();
    return c->run("DELETE FROM posts WHERE id = $1", {id}) > 0;
}

std::optional<Media> BoardStore::media(const std::string& sha256) {
    auto c = db_.acquire();
    auto rows = c->query("SELECT type, bytes FROM media WHERE sha256 = $1", {sha256});
    if (rows.empty()) return std::nullopt;
    return Media{rows[0].text(0), rows[0].blob(1)};
}

bool BoardStore::hasMedia(const std::string& sha256) {
    auto c = db_.acquire();
    return !c->query("SELECT 1 FROM media WHERE sha256 = $1", {sha256}).empty();
}

std::int64_t BoardStore::addComment(const std::string& postId, const std::string& name, const std::string& body,
                                    const std::optional<std::string>& passwordHash, const std::string& address) {
    auto c = db_.acquire();
    auto rows = c->query("INSERT INTO comments(post_id, name, body, password_hash, address, created) "
                         "VALUES($1, $2, $3, $4, $5, $6) RETURNING id",
                         {postId, name, body, optionalText(passwordHash), address, util::nowIso()});
    return rows.at(0).integer(0);
}

std::vector<Comment> BoardStore::comments(const std::string& postId, bool withHidden) {
    auto c = db_.acquire();
    std::vector<Comment> out;
    for (auto& r : c->query(std::string("SELECT ") + kCommentColumns +
                                " FROM comments WHERE post_id = $1 AND ($2 = 1 OR hidden = 0) ORDER BY id",
                            {postId, std::int64_t{withHidden ? 1 : 0}}))
        out.push_back(readComment(r));
    return out;
}

std::vector<Comment> BoardStore::recentComments(int limit) {
    auto c = db_.acquire();
    std::vector<Comment> out;
    for (auto& r : c->query(std::string("SELECT ") + kCommentColumns + " FROM comments ORDER BY id DESC LIMIT $1",
                            {std::int64_t{limit}}))
        out.push_back(readComment(r));
    return out;
}

std::optional<Comment> BoardStore::comment(std::int64_t id) {
    auto c = db_.acquire();
    auto rows = c->query(std::string("SELECT ") + kCommentColumns + " FROM comments WHERE id = $1", {id});
    if (rows.empty()) return std::nullopt;
    return readComment(rows[0]);
}

std::optional<std::string> BoardStore::commentPasswordHash(std::int64_t id) {
    auto c = db_.acquire();
    auto rows = c->query("SELECT password_hash FROM comments WHERE id = $1", {id});
    if (rows.empty() || rows[0].isNull(0)) return std::nullopt;
    return rows[0].text(0);
}

bool BoardStore::setCommentHidden(std::int64_t id, bool hidden) {
    auto c = db_.acquire();
    return c->run("UPDATE comments SET hidden = $2 WHERE id = $1", {id, std::int64_t{hidden ? 1 : 0}}) > 0;
}

bool BoardStore::deleteComment(std::int64_t id) {
    auto c = db_.acquire();
    return c->run("DELETE FROM comments WHERE id = $1", {id}) > 0;
}

std::optional<Job> BoardStore::claimJob(std::int64_t leaseMs, int maxAttempts) {
    auto c = db_.acquire();
    std::int64_t now = util::nowMs();
    if (maxAttempts > 0)
        c->run("UPDATE jobs SET state = 'failed', error = $3"
               " WHERE state = 'running' AND lease_until < $1 AND attempts >= $2",
               {now, std::int64_t{maxAttempts},
                std::string("its worker stopped before finishing, on every attempt")});
    // One statement picks and leases the job. On PostgreSQL a job another
    // worker is taking just now is skipped rather than waited for; SQLite
    // has one writer at a time anyway.
    std::string pick =
        "SELECT id FROM jobs WHERE (state = 'queued' AND run_after <= $1) OR (state = 'running' AND lease_until < $1)"
        " ORDER BY id LIMIT 1";
    if (db_.dialect() == "postgresql") pick += " FOR UPDATE SKIP LOCKED";
    auto rows = c->query("UPDATE jobs SET state = 'running', attempts = attempts + 1, lease_until = $2"
                         " WHERE id = (" + pick + ") RETURNING id, post_id, version, kind, attempts",
                         {now, now + leaseMs});
    if (rows.empty()) return std::nullopt;
    Job job;
    job.id = rows[0].integer(0);
    job.postId = rows[0].text(1);
    job.version = static_cast<int>(rows[0].integer(2));
    job.kind = rows[0].text(3);
    job.attempts = static_cast<int>(rows[0].integer(4));
    auto drawing = c->query("SELECT m.bytes FROM versions v JOIN media m ON m.sha256 = v.drawing"
                            " WHERE v.post_id = $1 AND v.version = $2",
                            {job.postId, std::int64_t{job.version}});
    if (!drawing.empty()) job.drawing = drawing[0].blob(0);
    return job;
}

bool BoardStore::finishJob(std::int64_t id, int attempt, const std::string& type, const Blob& result) {
    std::string sha = security::sha256Hex(result);
    auto c = db_.acquire();
    Transaction t(*c);
    // Only the attempt that holds the job stores its result: a worker whose
    // lease ran out and whose job was taken again stores nothing.
    if (c->run("UPDATE jobs SET state = 'done', result = $3, error = NULL"
               " WHERE id = $1 AND attempts = $2 AND state = 'running'",
               {id, std::int64_t{attempt}, sha}) == 0)
        return false;
    putMedia(*c, sha, type, result);
    t.commit();
    return true;
}

bool BoardStore::failJob(std::int64_t id, int attempt, const std::string& message, int maxAttempts,
                         std::int64_t backoffMs) {
    auto c = db_.acquire();
    const char* held = " WHERE id = $1 AND attempts = $2 AND state = 'running'";
    if (attempt >= maxAttempts)
        return c->run(std::string("UPDATE jobs SET state = 'failed', error = $3") + held,
                      {id, std::int64_t{attempt}, message}) > 0;
    std::int64_t delay = backoffMs << std::clamp(attempt - 1, 0, 16);
    return c->run(std::string("UPDATE jobs SET state = 'queued', error = $3, run_after = $4") + held,
                  {id, std::int64_t{attempt}, message, util::nowMs() + delay}) > 0;
}

int BoardStore::unfinishedJobs() {
    auto c = db_.acquire();
    return static_cast<int>(
        c->query("SELECT COUNT(*) FROM jobs WHERE state IN ('queued', 'running')").at(0).integer(0));
}

void BoardStore::addModerator(const std::string& name, const std::string& passwordHash) {
    auto c = db_.acquire();
    c->run("INSERT INTO moderators(name, password_hash, created) VALUES($1, $2, $3)"
           " ON CONFLICT(name) DO UPDATE SET password_hash = excluded.password_hash",
           {name, passwordHash, util::nowIso()});
}

std::optional<std::string> BoardStore::moderatorPasswordHash(const std::string& name) {
    auto c = db_.acquire();
    auto rows = c->query("SELECT password_hash FROM moderators WHERE name = $1", {name});
    if (rows.empty()) return std::nullopt;
    return rows[0].text(0);
}

void BoardStore::createSession(const std::string& tokenHash, const std::string& moderator, std::int64_t expiresMs) {
    auto c = db_.acquire();
    c->run("DELETE FROM sessions WHERE expires < $1", {util::nowMs()});
    c->run("INSERT INTO sessions(token_hash, moderator, expires) VALUES($1, $2, $3)", {tokenHash, moderator, expiresMs});
}

std::optional<std::string> BoardStore::sessionModerator(const std::string& tokenHash) {
    auto c = db_.acquire();
    auto rows = c->query("SELECT moderator FROM sessions WHERE token_hash = $1 AND expires > $2",
                         {tokenHash, util::nowMs()});
    if (rows.empty()) return std::nullopt;
    return rows[0].text(0);
}

void BoardStore::deleteSession(const std::string& tokenHash) {
    auto c = db_.acquire();
    c->run("DELETE FROM sessions WHERE token_hash = $1", {tokenHash});
}

bool BoardStore::addBan(const std::string& network, const std::string& moderator) {
    auto c = db_.acquire();
    return c->run("INSERT INTO bans(network, moderator, created) VALUES($1, $2, $3) ON CONFLICT(network) DO NOTHING",
                  {network, moderator, util::nowIso()}) > 0;
}

bool BoardStore::removeBan(std::int64_t id) {
    auto c = db_.acquire();
    return c->run("DELETE FROM bans WHERE id = $1", {id}) > 0;
}

std::vector<Ban> BoardStore::bans() {
    auto c = db_.acquire();
    std::vector<Ban> out;
    for (auto& r : c->query("SELECT id, network, moderator, created FROM bans ORDER BY id"))
        out.push_back(Ban{r.integer(0), r.text(1), r.text(2), r.text(3)});
    return out;
}

void BoardStore::addReport(const std::string& postId, const std::string& reason, const std::string& address) {
    auto c = db_.acquire();
    c->run("INSERT INTO reports(post_id, reason, address, created) VALUES($1, $2, $3, $4)",
           {postId, reason, address, util::nowIso()});
}

std::vector<Report> BoardStore::openReports() {
    auto c = db_.acquire();
    std::vector<Report> out;
    for (auto& r : c->query("SELECT r.id, r.post_id, p.title, r.reason, r.address, r.created FROM reports r"
                            " JOIN posts p ON p.id = r.post_id WHERE r.resolved = 0 ORDER BY r.id DESC LIMIT 200"))
        out.push_back(Report{r.integer(0), r.text(1), r.text(2), r.text(3), r.text(4), r.text(5)});
    return out;
}

bool BoardStore::resolveReport(std::int64_t id) {
    auto c = db_.acquire();
    return c->run("UPDATE reports SET resolved = 1 WHERE id = $1", {id}) > 0;
}

void BoardStore::audit(const std::string& moderator, const std::string& action, const std::string& target) {
    auto c = db_.acquire();
    c->run("INSERT INTO audit(moderator, action, target, created) VALUES($1, $2, $3, $4)",
           {moderator, action, target, util::nowIso()});
}

std::vector<AuditEntry> BoardStore::auditLog(int limit) {
    auto c = db_.acquire();
    std::vector<AuditEntry> out;
    for (auto& r : c->query("SELECT moderator, action, target, created FROM audit ORDER BY id DESC LIMIT $1",
                            {std::int64_t{limit}}))
        out.push_back(AuditEntry{r.text(0), r.text(1), r.text(2), r.text(3)});
    return out;
}

double BoardStore::takeToken(const std::string& key, double capacity, double perSecond) {
    auto c = db_.acquire();
    std::int64_t now = util::nowMs();
    Transaction t(*c);
    // The upsert creates a full bucket or locks the one there until commit,
    // so two servers never both spend the same token.
    auto rows = c->query("INSERT INTO rate_buckets(key, tokens, updated_ms) VALUES($1, $2, $3)"
                         " ON CONFLICT(key) DO UPDATE SET tokens = rate_buckets.tokens RETURNING tokens, updated_ms",
                         {key, capacity, now});
    std::int64_t updated = rows.at(0).integer(1);
    double elapsed = static_cast<double>(std::max<std::int64_t>(0, now - updated)) / 1000.0;
    double tokens = std::min(capacity, rows[0].real(0) + elapsed * perSecond);
    double wait = 0;
    if (tokens >= 1) tokens -= 1;
    else wait = perSecond > 0 ? (1 - tokens) / perSecond : 3600;
    // A server whose clock is behind never moves the bucket back in time.
    c->run("UPDATE rate_buckets SET tokens = $2, updated_ms = $3 WHERE key = $1",
           {key, tokens, std::max(now, updated)});
    t.commit();
    return wait;
}

std::string BoardStore::setting(const std::string& key, const std::string& initial) {
    auto c = db_.acquire();
    // Servers starting at once all keep the value the first one stored.
    c->run("INSERT INTO settings(key, value) VALUES($1, $2) ON CONFLICT(key) DO NOTHING", {key, initial});
    return c->query("SELECT value FROM settings WHERE key = $1", {key}).at(0).text(0);
}

std::vector<BoardStore::StoredVersion> BoardStore::allVersions() {
    auto c = db_.acquire();
    std::vector<StoredVersion> out;
    for (auto& r : c->query("SELECT post_id, version, drawing, picture FROM versions ORDER BY post_id, version"))
        out.push_back(StoredVersion{r.text(0), static_cast<int>(r.integer(1)), r.text(2), r.text(3)});
    return out;
}

}  // namespace board::store
