#include "board/store/sqlite_database.h"

#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <thread>
#include <unordered_map>

namespace board::store {

std::int64_t Row::integer(std::size_t i) const {
    const Value& v = values_.at(i);
    if (auto p = std::get_if<std::int64_t>(&v)) return *p;
    if (auto p = std::get_if<double>(&v)) return static_cast<std::int64_t>(*p);
    return 0;
}

double Row::real(std::size_t i) const {
    const Value& v = values_.at(i);
    if (auto p = std::get_if<double>(&v)) return *p;
    if (auto p = std::get_if<std::int64_t>(&v)) return static_cast<double>(*p);
    return 0;
}

std::string Row::text(std::size_t i) const {
    const Value& v = values_.at(i);
    if (auto p = std::get_if<std::string>(&v)) return *p;
    if (auto p = std::get_if<std::int64_t>(&v)) return std::to_string(*p);
    return {};
}

const Blob& Row::blob(std::size_t i) const {
    static const Blob empty;
    const Value& v = values_.at(i);
    if (auto p = std::get_if<Blob>(&v)) return *p;
    return empty;
}

namespace {

class SqliteConnection : public Connection {
public:
    explicit SqliteConnection(const std::string& path) {
        int rc = sqlite3_open_v2(path.c_str(), &db_,
                                 SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
        if (rc != SQLITE_OK) {
            std::string msg = db_ ? sqlite3_errmsg(db_) : "out of memory";
            sqlite3_close(db_);
            db_ = nullptr;
            throw DatabaseError("cannot open " + path + ": " + msg);
        }
        sqlite3_busy_timeout(db_, 10000);
        // A small page cache a connection: the pool grows to one connection
        // for each request served at once, and the OS caches the file anyway.
        script("PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL; PRAGMA foreign_keys=ON; PRAGMA cache_size=-512;");
    }

    ~SqliteConnection() override {
        for (auto& [sql, stmt] : statements_) sqlite3_finalize(stmt);
        sqlite3_close(db_);
    }

    std::vector<Row> query(const std::string& sql, const std::vector<Value>& params) override {
        sqlite3_stmt* stmt = prepare(sql, params);
        std::vector<Row> rows;
        for (;;) {
            int rc = sqlite3_step(stmt);
            if (rc == SQLITE_ROW) {
                rows.emplace_back(readRow(stmt));
                continue;
            }
            if (rc == SQLITE_DONE) break;
            fail(stmt);
        }
        sqlite3_reset(stmt);
        return rows;
    }

    std::int64_t run(const std::string& sql, const std::vector<Value>& params) override {
        sqlite3_stmt* stmt = prepare(sql, params);
        int rc;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        }
        if (rc != SQLITE_DONE) fail(stmt);
        sqlite3_reset(stmt);
        return sqlite3_changes(db_);
    }

    void script(const std::string& sql) override {
        char* err = nullptr;
        if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
            std::string msg = err ? err : "unknown error";
            sqlite3_free(err);
            throw DatabaseError(msg);
        }
    }

    void begin() override { run("BEGIN IMMEDIATE", {}); }
    void commit() override { run("COMMIT", {}); }
    void rollback() override {
        if (!sqlite3_get_autocommit(db_)) run("ROLLBACK", {});
    }

    sqlite3* handle() { return db_; }

private:
    sqlite3_stmt* prepare(const std::string& sql, const std::vector<Value>& params) {
        sqlite3_stmt*& stmt = statements_[sql];
        if (!stmt) {
            if (sqlite3_prepare_v3(db_, sql.c_str(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT,
                                   &stmt, nullptr) != SQLITE_OK) {
                stmt = nullptr;
                statements_.erase(sql);
                throw DatabaseError(std::string(sqlite3_errmsg(db_)) + " in: " + sql);
            }
        }
        sqlite3_clear_bindings(stmt);
        for (std::size_t i = 0; i < params.size(); ++i) {
            std::string name = "$" + std::to_string(i + 1);
            int at = sqlite3_bind_parameter_index(stmt, name.c_str());
            if (at == 0) continue;  // not used by this statement
            const Value& v = params[i];
            int rc = SQLITE_OK;
            if (std::holds_alternative<std::nullptr_t>(v)) rc = sqlite3_bind_null(stmt, at);
            else if (auto p = std::get_if<std::int64_t>(&v)) rc = sqlite3_bind_int64(stmt, at, *p);
            else if (auto d = std::get_if<double>(&v)) rc = sqlite3_bind_double(stmt, at, *d);
            else if (auto s = std::get_if<std::string>(&v))
                rc = sqlite3_bind_text64(stmt, at, s->data(), s->size(), SQLITE_TRANSIENT, SQLITE_UTF8);
            else if (auto b = std::get_if<Blob>(&v))
                // An empty vector's data() may be null, which would bind NULL.
                rc = b->empty() ? sqlite3_bind_zeroblob(stmt, at, 0)
                                : sqlite3_bind_blob64(stmt, at, b->data(), b->size(), SQLITE_TRANSIENT);
            if (rc != SQLITE_OK) throw DatabaseError(sqlite3_errmsg(db_));
        }
        return stmt;
    }

    static Row readRow(sqlite3_stmt* stmt) {
        int n = sqlite3_column_count(stmt);
        std::vector<Value> values;
        values.reserve(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i) {
            switch (sqlite3_column_type(stmt, i)) {
                case SQLITE_INTEGER: values.emplace_back(static_cast<std::int64_t>(sqlite3_column_int64(stmt, i))); break;
                case SQLITE_FLOAT: values.emplace_back(sqlite3_column_double(stmt, i)); break;
                case SQLITE_TEXT: {
                    auto p = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
                    values.emplace_back(std::string(p, static_cast<std::size_t>(sqlite3_column_bytes(stmt, i))));
                    break;
                }
                case SQLITE_BLOB: {
                    auto p = static_cast<const std::uint8_t*>(sqlite3_column_blob(stmt, i));
                    values.emplace_back(Blob(p, p + sqlite3_column_bytes(stmt, i)));
                    break;
                }
                default: values.emplace_back(nullptr);
            }
        }
        return Row(std::move(values));
    }

    [[noreturn]] void fail(sqlite3_stmt* stmt) {
        std::string msg = sqlite3_errmsg(db_);
        int code = sqlite3_extended_errcode(db_) & 0xff;
        sqlite3_reset(stmt);
        // Another process held the file past the busy timeout: nothing was
        // written, and the request may be tried again.
        if (code == SQLITE_BUSY || code == SQLITE_LOCKED) throw DatabaseUnavailable(msg);
        throw DatabaseError(msg);
    }

    sqlite3* db_ = nullptr;
    std::unordered_map<std::string, sqlite3_stmt*> statements_;
};

}  // namespace

SqliteDatabase::SqliteDatabase(std::string path) : path_(std::move(path)) {
    idle_.push_back(open());  // fails here, at start, when the file cannot be opened
}

SqliteDatabase::~SqliteDatabase() = default;

std::unique_ptr<Connection> SqliteDatabase::open() { return std::make_unique<SqliteConnection>(path_); }

Database::Handle SqliteDatabase::acquire() {
    std::unique_ptr<Connection> c;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!idle_.empty()) {
            c = std::move(idle_.back());
            idle_.pop_back();
        }
    }
    if (!c) c = open();
    return Handle(c.release(), [this](Connection* back) {
        try { back->rollback(); } catch (...) {}
        std::lock_guard<std::mutex> lock(mutex_);
        idle_.emplace_back(back);
    });
}

namespace {
class PollingListener : public Listener {
public:
    bool wait(std::int64_t ms) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        return false;
    }
};
}  // namespace

std::unique_ptr<Listener> SqliteDatabase::listen(const std::string&) { return std::make_unique<PollingListener>(); }

void SqliteDatabase::backup(const std::string& path) {
    std::string temp = path + ".part";
    std::remove(temp.c_str());
    sqlite3* dest = nullptr;
    if (sqlite3_open(temp.c_str(), &dest) != SQLITE_OK) {
        sqlite3_close(dest);
        throw DatabaseError("cannot create " + temp);
    }
    auto source = acquire();
    auto* conn = static_cast<SqliteConnection*>(source.get());
    sqlite3_backup* b = sqlite3_backup_init(dest, "main", conn->handle(), "main");
    int rc = SQLITE_ERROR;
    if (b) {
        // Steps of 256 pages, so writers are held up only briefly.
        while ((rc = sqlite3_backup_step(b, 256)) == SQLITE_OK || rc == SQLITE_BUSY || rc == SQLITE_LOCKED)
            sqlite3_sleep(5);
        sqlite3_backup_finish(b);
    }
    std::string msg = sqlite3_errmsg(dest);
    // The copy leaves WAL mode, so the backup is one self-contained file.
    if (rc == SQLITE_DONE) sqlite3_exec(dest, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr);
    sqlite3_close(dest);
    if (rc != SQLITE_DONE) {
        std::remove(temp.c_str());
        throw DatabaseError("backup failed: " + msg);
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        throw DatabaseError("cannot write " + path);
    }
}

}  // namespace board::store
