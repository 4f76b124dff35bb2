// The board's store behind a small interface, so that the same schema and
// statements can run on SQLite (the default, embedded) and on a server
// database later. Statements use $1, $2... placeholders, bound in order;
// every statement is prepared and cached per connection, and no SQL is ever
// built from input.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace board::store {

using Blob = std::vector<std::uint8_t>;
using Value = std::variant<std::nullptr_t, std::int64_t, double, std::string, Blob>;

// One result row; columns by index. A NULL reads as 0, "" or an empty blob.
class Row {
public:
    explicit Row(std::vector<Value> values) : values_(std::move(values)) {}
    bool isNull(std::size_t i) const { return std::holds_alternative<std::nullptr_t>(values_.at(i)); }
    std::int64_t integer(std::size_t i) const;
    double real(std::size_t i) const;
    std::string text(std::size_t i) const;
    const Blob& blob(std::size_t i) const;
    std::size_t size() const { return values_.size(); }

private:
    std::vector<Value> values_;
};

struct DatabaseError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The database cannot be reached just now (a server database restarting or
// out of connections). Nothing of the failed call was stored; the request is
// answered 503 and a later call connects again.
struct DatabaseUnavailable : DatabaseError {
    using DatabaseError::DatabaseError;
};

// Wakes a process when another one says there is work on a channel (a new
// time-lapse job). A store without notifications just waits out the time.
class Listener {
public:
    virtual ~Listener() = default;
    // Waits up to `ms`; true when a notification came.
    virtual bool wait(std::int64_t ms) = 0;
};

class Connection {
public:
    virtual ~Connection() = default;
    // Runs a statement and returns its rows (RETURNING included).
    virtual std::vector<Row> query(const std::string& sql, const std::vector<Value>& params = {}) = 0;
    // Runs a statement and returns the rows it changed.
    virtual std::int64_t run(const std::string& sql, const std::vector<Value>& params = {}) = 0;
    // Runs statements without parameters (migrations).
    virtual void script(const std::string& sql) = 0;
    // A write transaction: taken up front, so that two writers never both
    // read and then fail to write.
    virtual void begin() = 0;
    virtual void commit() = 0;
    virtual void rollback() = 0;
};

// Commits when commit() is called, rolls back otherwise.
class Transaction {
public:
    explicit Transaction(Connection& c) : c_(c) { c_.begin(); }
    ~Transaction() {
        if (!done_) {
            try { c_.rollback(); } catch (...) {}
        }
    }
    void commit() { c_.commit(); done_ = true; }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

private:
    Connection& c_;
    bool done_ = false;
};

class Database {
public:
    virtual ~Database() = default;
    // The dialect's name, which selects its migrations ("sqlite", "postgresql").
    virtual std::string dialect() const = 0;
    // A connection for this thread's use until the handle goes.
    using Handle = std::unique_ptr<Connection, std::function<void(Connection*)>>;
    virtual Handle acquire() = 0;
    // Writes a consistent copy of the whole store to a file, while it serves.
    virtual void backup(const std::string& path) = 0;
    // Listens on a channel that notify() (from any process) wakes.
    virtual std::unique_ptr<Listener> listen(const std::string& channel) = 0;
    // Tells the channel's listeners, once the transaction on `c` commits
    // (at once outside a transaction).
    virtual void notify(Connection& c, const std::string& channel) = 0;
};

}  // namespace board::store
