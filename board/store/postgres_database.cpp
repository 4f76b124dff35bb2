#include "board/store/postgres_database.h"

#include "board/store/open_database.h"

#include <pqxx/pqxx>

#include <poll.h>

#include <charconv>
#include <chrono>
#include <thread>
#include <unordered_map>

namespace board::store {
namespace {

// A statement parameter as libpq takes it: text, or NULL. Bytes go as
// bytea's hex text ("\x0a1b..."), which the server decodes exactly.
struct PgParam {
    const std::string* text = nullptr;
};

}  // namespace
}  // namespace board::store

namespace pqxx {
template <>
struct string_traits<board::store::PgParam> {
    static constexpr const char* name() noexcept { return "PgParam"; }
    static constexpr bool has_null() noexcept { return true; }
    static bool is_null(const board::store::PgParam& p) { return p.text == nullptr; }
    static board::store::PgParam null() { return {}; }
    static std::string to_string(const board::store::PgParam& p) { return *p.text; }
};
}  // namespace pqxx

namespace board::store {
namespace {

using Clock = std::chrono::steady_clock;

// Column types by their fixed oids (pg_type).
constexpr pqxx::oid kBool = 16, kBytea = 17, kInt8 = 20, kInt2 = 21, kInt4 = 23, kOid = 26, kFloat4 = 700,
                    kFloat8 = 701, kNumeric = 1700;

std::string hexBytea(const Blob& b) {
    static const char digits[] = "0123456789abcdef";
    std::string s;
    s.reserve(2 + b.size() * 2);
    s += "\\x";
    for (std::uint8_t c : b) {
        s += digits[c >> 4];
        s += digits[c & 15];
    }
    return s;
}

std::string numberText(double d) {
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, d);  // shortest text that reads back the same
    return std::string(buf, r.ptr);
}

// Each character's value as a hex digit, or 16 when it is none.
struct HexDigits {
    std::uint8_t value[256];
    constexpr HexDigits() : value() {
        for (int c = 0; c < 256; ++c) value[c] = 16;
        for (int c = '0'; c <= '9'; ++c) value[c] = static_cast<std::uint8_t>(c - '0');
        for (int c = 'a'; c <= 'f'; ++c) value[c] = static_cast<std::uint8_t>(c - 'a' + 10);
        for (int c = 'A'; c <= 'F'; ++c) value[c] = static_cast<std::uint8_t>(c - 'A' + 10);
    }
};
constexpr HexDigits kHex;

// A bytea in the server's hex output ("\x0a1b..."), decoded here: libpq's
// PQunescapeBytea walks it a character at a time and took a third of the
// server's time when it sent 125 KB thumbnails. The older escape format
// (a server set to bytea_output = escape) goes through libpqxx.
Blob readBytea(const pqxx::field& f, const char* s, const char* end) {
    std::size_t n = static_cast<std::size_t>(end - s);
    if (n >= 2 && s[0] == '\\' && s[1] == 'x' && n % 2 == 0) {
        Blob out((n - 2) / 2);
        const char* p = s + 2;
        unsigned bad = 0;
        for (auto& byte : out) {
            unsigned hi = kHex.value[static_cast<unsigned char>(p[0])];
            unsigned lo = kHex.value[static_cast<unsigned char>(p[1])];
            bad |= (hi | lo) & 16;
            byte = static_cast<std::uint8_t>((hi << 4) | lo);
            p += 2;
        }
        if (!bad) return out;
    }
    pqxx::binarystring b(f);
    return Blob(b.data(), b.data() + b.size());
}

Value readField(const pqxx::field& f) {
    if (f.is_null()) return nullptr;
    const char* s = f.c_str();
    const char* end = s + f.size();
    switch (f.type()) {
        case kBool: return std::int64_t{*s == 't' ? 1 : 0};
        case kInt2:
        case kInt4:
        case kInt8:
        case kOid: {
            std::int64_t v = 0;
            std::from_chars(s, end, v);
            return v;
        }
        case kFloat4:
        case kFloat8:
        case kNumeric: {
            double v = 0;
            std::from_chars(s, end, v);
            return v;
        }
        case kBytea: return readBytea(f, s, end);
        default: return std::string(s, end);
    }
}

// SQLSTATEs that mean the server went away or will not take us now.
bool connectionLost(const std::string& state) {
    return state.rfind("08", 0) == 0 || state == "57P01" || state == "57P02" || state == "57P03" ||
           state == "53300";
}

class PgConnection : public Connection {
public:
    PgConnection(const std::string& conninfo, std::string described) : described_(std::move(described)) {
        guarded([&] {
            conn_ = std::make_unique<pqxx::connection>(conninfo);
            pqxx::nontransaction n(*conn_);
            // No NOTICEs on stderr (CREATE ... IF NOT EXISTS says "skipping").
            n.exec("SET client_min_messages TO warning");
            n.exec("SET application_name TO 'quillcast-board'");
            n.commit();
        });
    }

    ~PgConnection() override {
        tx_.reset();  // aborts an open transaction
    }

    std::vector<Row> query(const std::string& sql, const std::vector<Value>& params) override {
        return guarded([&] {
            pqxx::result r = exec(sql, params);
            std::vector<Row> rows;
            rows.reserve(r.size());
            for (const auto& row : r) {
                std::vector<Value> values;
                values.reserve(row.size());
                for (const auto& f : row) values.push_back(readField(f));
                rows.emplace_back(std::move(values));
            }
            return rows;
        });
    }

    std::int64_t run(const std::string& sql, const std::vector<Value>& params) override {
        return guarded([&] { return static_cast<std::int64_t>(exec(sql, params).affected_rows()); });
    }

    void script(const std::string& sql) override {
        guarded([&] {
            if (tx_) {
                tx_->exec(sql);
            } else {
                pqxx::nontransaction n(*conn_);
                n.exec(sql);
                n.commit();
            }
        });
    }

    void begin() override {
        if (tx_) throw DatabaseError("a transaction is already open on this connection");
        guarded([&] { tx_ = std::make_unique<pqxx::work>(*conn_); });
    }

    void commit() override {
        if (!tx_) throw DatabaseError("no transaction to commit");
        auto tx = std::move(tx_);
        guarded([&] { tx->commit(); });
    }

    void rollback() override {
        if (!tx_) return;
        auto tx = std::move(tx_);
        try {
            tx->abort();
        } catch (...) {
            broken_ = true;  // a failed ROLLBACK leaves the session in doubt
        }
    }

    // Whether an idle connection still works, without a round trip: the
    // server sends an idle session nothing (it LISTENs to nothing) unless it
    // is closing it, as a server shutting down or restarting does.
    bool usable() {
        if (broken_ || tx_ || !conn_ || !conn_->is_open() || conn_->sock() < 0) return false;
        pollfd p{conn_->sock(), POLLIN, 0};
        return ::poll(&p, 1, 0) == 0;
    }

    bool broken() const { return broken_; }

private:
    pqxx::result exec(const std::string& sql, const std::vector<Value>& params) {
        auto found = names_.find(sql);
        if (found == names_.end()) {
            std::string name = "q" + std::to_string(names_.size() + 1);
            conn_->prepare(name, sql);
            found = names_.emplace(sql, name).first;
        }
        std::vector<std::string> texts(params.size());
        std::vector<PgParam> bound(params.size());
        for (std::size_t i = 0; i < params.size(); ++i) {
            const Value& v = params[i];
            if (auto n = std::get_if<std::int64_t>(&v)) texts[i] = std::to_string(*n);
            else if (auto d = std::get_if<double>(&v)) texts[i] = numberText(*d);
            else if (auto b = std::get_if<Blob>(&v)) texts[i] = hexBytea(*b);
            if (auto s = std::get_if<std::string>(&v)) {
                // libpq takes text up to its first NUL: refuse rather than
                // store a shortened text as if whole.
                if (s->find('\0') != std::string::npos)
                    throw DatabaseError("PostgreSQL cannot store text with a NUL byte (parameter $" +
                                        std::to_string(i + 1) + ")");
                bound[i].text = s;
            }
            else if (!std::holds_alternative<std::nullptr_t>(v)) bound[i].text = &texts[i];
        }
        auto args = pqxx::prepare::make_dynamic_params(bound);
        if (tx_) return tx_->exec_prepared(found->second, args);
        pqxx::nontransaction n(*conn_);
        pqxx::result r = n.exec_prepared(found->second, args);
        n.commit();
        return r;
    }

    // libpqxx's errors as the store's: a lost connection is "unavailable"
    // and this connection is not used again.
    template <class F>
    auto guarded(F f) -> decltype(f()) {
        try {
            return f();
        } catch (const pqxx::broken_connection& e) {
            lost(e.what());
        } catch (const pqxx::in_doubt_error& e) {
            lost(e.what());
        } catch (const pqxx::sql_error& e) {
            if (connectionLost(e.sqlstate())) lost(e.what());
            throw DatabaseError(e.what());
        } catch (const pqxx::pqxx_exception& e) {
            throw DatabaseError(e.base().what());
        }
    }

    [[noreturn]] void lost(const std::string& what) {
        broken_ = true;
        std::string msg = what;
        while (!msg.empty() && (msg.back() == '\n' || msg.back() == ' ')) msg.pop_back();
        throw DatabaseUnavailable("PostgreSQL at " + described_ + " is unavailable: " + msg);
    }

    std::string described_;
    std::unique_ptr<pqxx::connection> conn_;
    std::unique_ptr<pqxx::work> tx_;
    std::unordered_map<std::string, std::string> names_;  // SQL -> prepared statement's name
    bool broken_ = false;
};

class Receiver : public pqxx::notification_receiver {
public:
    Receiver(pqxx::connection_base& c, const std::string& channel, bool& fired)
        : notification_receiver(c, channel), fired_(fired) {}
    void operator()(const std::string&, int) override { fired_ = true; }

private:
    bool& fired_;
};

// A connection of its own that LISTENs; after losing it, the next wait
// connects again and says "woken", as work may have come meanwhile.
class PgListener : public Listener {
public:
    PgListener(std::string conninfo, std::string channel)
        : conninfo_(std::move(conninfo)), channel_(std::move(channel)) {}

    ~PgListener() override { drop(); }

    bool wait(std::int64_t ms) override {
        auto until = Clock::now() + std::chrono::milliseconds(ms);
        try {
            if (!conn_) {
                conn_ = std::make_unique<pqxx::connection>(conninfo_);
                receiver_ = std::make_unique<Receiver>(*conn_, channel_, fired_);
                return true;
            }
            if (!fired_) {
                conn_->await_notification(static_cast<long>(ms / 1000), static_cast<long>(ms % 1000) * 1000);
                if (!conn_->is_open()) throw pqxx::broken_connection("the connection closed");
            }
        } catch (const std::exception&) {
            drop();
            std::this_thread::sleep_until(until);
            return false;
        }
        bool woken = fired_;
        fired_ = false;
        return woken;
    }

private:
    void drop() {
        try {
            receiver_.reset();
        } catch (...) {
        }
        conn_.reset();
        fired_ = false;
    }

    std::string conninfo_, channel_;
    std::unique_ptr<pqxx::connection> conn_;
    std::unique_ptr<Receiver> receiver_;
    bool fired_ = false;
};

// The location with a connect timeout unless it names one, so an
// unreachable host is "unavailable" in seconds rather than minutes.
std::string withConnectTimeout(const std::string& location) {
    if (location.find("connect_timeout=") != std::string::npos) return location;
    return location + (location.find('?') == std::string::npos ? "?" : "&") + "connect_timeout=5";
}

}  // namespace

PostgresDatabase::PostgresDatabase(std::string location)
    : conninfo_(withConnectTimeout(location)), described_(describeLocation(location)) {
    idle_.push_back(open());
    open_ = 1;
}

PostgresDatabase::~PostgresDatabase() = default;

std::unique_ptr<Connection> PostgresDatabase::open() { return std::make_unique<PgConnection>(conninfo_, described_); }

Database::Handle PostgresDatabase::acquire() {
    std::unique_ptr<Connection> c;
    {
        std::unique_lock<std::mutex> lock(mutex_);
        auto deadline = Clock::now() + std::chrono::seconds(10);
        for (;;) {
            while (!idle_.empty() && !c) {
                c = std::move(idle_.back());
                idle_.pop_back();
                if (!static_cast<PgConnection*>(c.get())->usable()) {
                    c.reset();
                    --open_;
                }
            }
            if (c) break;
            if (open_ < kMaxConnections) {
                ++open_;
                break;
            }
            if (returned_.wait_until(lock, deadline) == std::cv_status::timeout && idle_.empty() &&
                open_ >= kMaxConnections)
                throw DatabaseUnavailable("PostgreSQL at " + described_ + ": all " +
                                          std::to_string(kMaxConnections) + " connections are busy");
        }
    }
    if (!c) {
        try {
            c = open();
        } catch (...) {
            std::lock_guard<std::mutex> lock(mutex_);
            --open_;
            returned_.notify_one();
            throw;
        }
    }
    return Handle(c.release(), [this](Connection* back) {
        auto* pg = static_cast<PgConnection*>(back);
        pg->rollback();
        std::lock_guard<std::mutex> lock(mutex_);
        if (pg->broken()) {
            delete pg;
            --open_;
        } else {
            idle_.emplace_back(pg);
        }
        returned_.notify_one();
    });
}

void PostgresDatabase::backup(const std::string&) {
    throw DatabaseError("a PostgreSQL board is backed up with pg_dump (pg_dump --format=custom " + described_ +
                        "), not by quillcast-board");
}

std::unique_ptr<Listener> PostgresDatabase::listen(const std::string& channel) {
    return std::make_unique<PgListener>(conninfo_, channel);
}

void PostgresDatabase::notify(Connection& c, const std::string& channel) {
    c.query("SELECT pg_notify($1, '')", {channel});
}

}  // namespace board::store
