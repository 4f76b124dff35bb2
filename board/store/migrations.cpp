#include "board/store/migrations.h"

#include <string>
#include <vector>

namespace board::store {
namespace {

// SQLite's migrations. Identifiers and types are kept to what a server
// database takes with few changes (INTEGER ids, TEXT, BLOB as bytea).
const std::vector<std::string> kSqlite = {
    // 1: posts and their versions, the media they point at, comments, the
    // job queue, moderators and their sessions, bans, reports, the audit
    // log, rate buckets and the board's own settings (its CSRF key).
    R"(
CREATE TABLE media(
  sha256 TEXT PRIMARY KEY,
  type TEXT NOT NULL,
  bytes BLOB NOT NULL,
  created TEXT NOT NULL);
CREATE TABLE posts(
  seq INTEGER PRIMARY KEY AUTOINCREMENT,
  id TEXT NOT NULL UNIQUE,
  title TEXT NOT NULL,
  artist TEXT NOT NULL,
  password_hash TEXT,
  created TEXT NOT NULL,
  latest INTEGER NOT NULL,
  hidden INTEGER NOT NULL DEFAULT 0);
CREATE INDEX posts_artist ON posts(artist, seq);
CREATE TABLE versions(
  post_id TEXT NOT NULL REFERENCES posts(id) ON DELETE CASCADE,
  version INTEGER NOT NULL,
  title TEXT NOT NULL,
  created TEXT NOT NULL,
  drawing TEXT NOT NULL REFERENCES media(sha256),
  picture TEXT NOT NULL REFERENCES media(sha256),
  thumbnail TEXT NOT NULL REFERENCES media(sha256),
  width INTEGER NOT NULL,
  height INTEGER NOT NULL,
  show_seconds REAL NOT NULL,
  PRIMARY KEY(post_id, version));
CREATE TABLE jobs(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  post_id TEXT NOT NULL REFERENCES posts(id) ON DELETE CASCADE,
  version INTEGER NOT NULL,
  kind TEXT NOT NULL,
  state TEXT NOT NULL,
  attempts INTEGER NOT NULL DEFAULT 0,
  run_after INTEGER NOT NULL DEFAULT 0,
  lease_until INTEGER NOT NULL DEFAULT 0,
  result TEXT,
  error TEXT,
  created TEXT NOT NULL);
CREATE INDEX jobs_state ON jobs(state, run_after);
CREATE INDEX jobs_post ON jobs(post_id, version);
CREATE TABLE comments(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  post_id TEXT NOT NULL REFERENCES posts(id) ON DELETE CASCADE,
  name TEXT NOT NULL,
  body TEXT NOT NULL,
  password_hash TEXT,
  address TEXT NOT NULL,
  created TEXT NOT NULL,
  hidden INTEGER NOT NULL DEFAULT 0);
CREATE INDEX comments_post ON comments(post_id, id);
CREATE TABLE moderators(
  name TEXT PRIMARY KEY,
  password_hash TEXT NOT NULL,
  created TEXT NOT NULL);
CREATE TABLE sessions(
  token_hash TEXT PRIMARY KEY,
  moderator TEXT NOT NULL REFERENCES moderators(name) ON DELETE CASCADE,
  expires INTEGER NOT NULL);
CREATE TABLE bans(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  network TEXT NOT NULL UNIQUE,
  moderator TEXT NOT NULL,
  created TEXT NOT NULL);
CREATE TABLE reports(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  post_id TEXT NOT NULL REFERENCES posts(id) ON DELETE CASCADE,
  reason TEXT NOT NULL,
  address TEXT NOT NULL,
  created TEXT NOT NULL,
  resolved INTEGER NOT NULL DEFAULT 0);
CREATE TABLE audit(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  moderator TEXT NOT NULL,
  action TEXT NOT NULL,
  target TEXT NOT NULL,
  created TEXT NOT NULL);
CREATE TABLE rate_buckets(
  key TEXT PRIMARY KEY,
  tokens REAL NOT NULL,
  updated_ms INTEGER NOT NULL);
CREATE TABLE settings(
  key TEXT PRIMARY KEY,
  value TEXT NOT NULL);
)",
};

// PostgreSQL's migrations: the same steps, tables, columns, constraints and
// indexes. Integers are BIGINT (SQLite's are 64-bit), REAL is DOUBLE
// PRECISION, BLOB is BYTEA. Text compares byte by byte (COLLATE "C"), as in
// SQLite, so every ordering and every page is the same whatever locale the
// cluster was made with.
const std::vector<std::string> kPostgres = {
    // 1: as SQLite's first.
    R"(
CREATE TABLE media(
  sha256 TEXT COLLATE "C" PRIMARY KEY,
  type TEXT COLLATE "C" NOT NULL,
  bytes BYTEA NOT NULL,
  created TEXT COLLATE "C" NOT NULL);
CREATE TABLE posts(
  seq BIGSERIAL PRIMARY KEY,
  id TEXT COLLATE "C" NOT NULL UNIQUE,
  title TEXT COLLATE "C" NOT NULL,
  artist TEXT COLLATE "C" NOT NULL,
  password_hash TEXT COLLATE "C",
  created TEXT COLLATE "C" NOT NULL,
  latest BIGINT NOT NULL,
  hidden BIGINT NOT NULL DEFAULT 0);
CREATE INDEX posts_artist ON posts(artist, seq);
CREATE TABLE versions(
  post_id TEXT COLLATE "C" NOT NULL REFERENCES posts(id) ON DELETE CASCADE,
  version BIGINT NOT NULL,
  title TEXT COLLATE "C" NOT NULL,
  created TEXT COLLATE "C" NOT NULL,
  drawing TEXT COLLATE "C" NOT NULL REFERENCES media(sha256),
  picture TEXT COLLATE "C" NOT NULL REFERENCES media(sha256),
  thumbnail TEXT COLLATE "C" NOT NULL REFERENCES media(sha256),
  width BIGINT NOT NULL,
  height BIGINT NOT NULL,
  show_seconds DOUBLE PRECISION NOT NULL,
  PRIMARY KEY(post_id, version));
CREATE TABLE jobs(
  id BIGSERIAL PRIMARY KEY,
  post_id TEXT COLLATE "C" NOT NULL REFERENCES posts(id) ON DELETE CASCADE,
  version BIGINT NOT NULL,
  kind TEXT COLLATE "C" NOT NULL,
  state TEXT COLLATE "C" NOT NULL,
  attempts BIGINT NOT NULL DEFAULT 0,
  run_after BIGINT NOT NULL DEFAULT 0,
  lease_until BIGINT NOT NULL DEFAULT 0,
  result TEXT COLLATE "C",
  error TEXT COLLATE "C",
  created TEXT COLLATE "C" NOT NULL);
CREATE INDEX jobs_state ON jobs(state, run_after);
CREATE INDEX jobs_post ON jobs(post_id, version);
CREATE TABLE comments(
  id BIGSERIAL PRIMARY KEY,
  post_id TEXT COLLATE "C" NOT NULL REFERENCES posts(id) ON DELETE CASCADE,
  name TEXT COLLATE "C" NOT NULL,
  body TEXT COLLATE "C" NOT NULL,
  password_hash TEXT COLLATE "C",
  address TEXT COLLATE "C" NOT NULL,
  created TEXT COLLATE "C" NOT NULL,
  hidden BIGINT NOT NULL DEFAULT 0);
CREATE INDEX comments_post ON comments(post_id, id);
CREATE TABLE moderators(
  name TEXT COLLATE "C" PRIMARY KEY,
  password_hash TEXT COLLATE "C" NOT NULL,
  created TEXT COLLATE "C" NOT NULL);
CREATE TABLE sessions(
  token_hash TEXT COLLATE "C" PRIMARY KEY,
  moderator TEXT COLLATE "C" NOT NULL REFERENCES moderators(name) ON DELETE CASCADE,
  expires BIGINT NOT NULL);
CREATE TABLE bans(
  id BIGSERIAL PRIMARY KEY,
  network TEXT COLLATE "C" NOT NULL UNIQUE,
  moderator TEXT COLLATE "C" NOT NULL,
  created TEXT COLLATE "C" NOT NULL);
CREATE TABLE reports(
  id BIGSERIAL PRIMARY KEY,
  post_id TEXT COLLATE "C" NOT NULL REFERENCES posts(id) ON DELETE CASCADE,
  reason TEXT COLLATE "C" NOT NULL,
  address TEXT COLLATE "C" NOT NULL,
  created TEXT COLLATE "C" NOT NULL,
  resolved BIGINT NOT NULL DEFAULT 0);
CREATE TABLE audit(
  id BIGSERIAL PRIMARY KEY,
  moderator TEXT COLLATE "C" NOT NULL,
  action TEXT COLLATE "C" NOT NULL,
  target TEXT COLLATE "C" NOT NULL,
  created TEXT COLLATE "C" NOT NULL);
CREATE TABLE rate_buckets(
  key TEXT COLLATE "C" PRIMARY KEY,
  tokens DOUBLE PRECISION NOT NULL,
  updated_ms BIGINT NOT NULL);
CREATE TABLE settings(
  key TEXT COLLATE "C" PRIMARY KEY,
  value TEXT COLLATE "C" NOT NULL);
)",
};

struct Dialect {
    const std::vector<std::string>& steps;
    // Run first in each migration's transaction: it waits while another
    // process migrates, so processes starting at once never race.
    const char* lock;
};

Dialect dialectOf(const std::string& name) {
    // SQLite's write transactions (BEGIN IMMEDIATE) already exclude each other.
    if (name == "sqlite") return {kSqlite, nullptr};
    if (name == "postgresql") return {kPostgres, "SELECT pg_advisory_xact_lock(7391530122)"};
    throw DatabaseError("no migrations for the " + name + " dialect");
}

}  // namespace

int migrate(Database& db) {
    Dialect dialect = dialectOf(db.dialect());
    auto c = db.acquire();
    auto lock = [&] {
        if (dialect.lock) c->query(dialect.lock);
    };
    {
        Transaction t(*c);
        lock();
        c->script("CREATE TABLE IF NOT EXISTS schema_migrations(version INTEGER PRIMARY KEY, applied TEXT NOT NULL)");
        t.commit();
    }
    for (std::size_t i = 0; i < dialect.steps.size(); ++i) {
        auto version = static_cast<std::int64_t>(i + 1);
        Transaction t(*c);
        lock();
        if (!c->query("SELECT 1 FROM schema_migrations WHERE version = $1", {version}).empty()) continue;
        c->script(dialect.steps[i]);
        c->run("INSERT INTO schema_migrations(version, applied) VALUES($1, CAST(CURRENT_TIMESTAMP AS TEXT))",
               {version});
        t.commit();
    }
    auto rows = c->query("SELECT MAX(version) FROM schema_migrations");
    return static_cast<int>(rows.at(0).integer(0));
}

}  // namespace board::store
