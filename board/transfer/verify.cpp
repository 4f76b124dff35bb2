#include "board/transfer/verify.h"

#include "board/security/crypto.h"
#include "board/transfer/dialect.h"
#include "board/transfer/row_values.h"
#include "board/transfer/tables.h"

namespace board::transfer {

using store::Connection;
using store::Value;

namespace {

const std::size_t kShownDifferences = 5;

struct Entry {
    std::vector<Value> key;
    std::string rowHash;
    bool bytesMatchKey = true;
};

// Reads a table in key order, in batches that go on after the last key read.
class KeyOrderReader {
public:
    KeyOrderReader(Connection& c, const std::string& dialect, const Table& table, const CopyOptions& options)
        : c_(c), table_(table), options_(options) {
        std::string cond, order;
        for (std::size_t i = 0; i < table.keyColumns; ++i) {
            const Column& k = table.columns[i];
            keys_.push_back(k.kind == Kind::Text ? inByteOrder(dialect, k.name) : k.name);
            order += (i ? ", " : "") + keys_.back();
        }
        // Rows after the last key read: (a > $1) or (a = $1 and b > $2)...
        for (std::size_t i = table.keyColumns; i-- > 0;) {
            std::string here = keys_[i] + " > $" + std::to_string(i + 1);
            cond = cond.empty() ? here : here + " OR (" + keys_[i] + " = $" + std::to_string(i + 1) + " AND (" + cond + "))";
        }
        after_ = " WHERE " + cond;
        order_ = " ORDER BY " + order;
        int b = table.bytesColumn();
        if (b >= 0) {
            std::string keyList;
            for (std::size_t i = 0; i < table.keyColumns; ++i) keyList += table.columns[i].name + ", ";
            sizes_ = "SELECT " + keyList + "LENGTH(" + table.columns[static_cast<std::size_t>(b)].name + ") FROM " +
                     table.name;
        }
    }

    bool next(Entry& e) {
        if (at_ == batch_.size() && !fill()) return false;
        const store::Row& r = batch_[at_++];
        auto values = normaliseRow(r, table_);
        e.key.assign(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(table_.keyColumns));
        std::string bytesHash;
        if (int b = table_.bytesColumn(); b >= 0) {
            const auto* bytes = std::get_if<store::Blob>(&values[static_cast<std::size_t>(b)]);
            bytesHash = security::sha256Hex(bytes ? *bytes : store::Blob{});
            const auto* key = std::get_if<std::string>(&e.key[0]);
            if (table_.keyIsHash) e.bytesMatchKey = key && *key == bytesHash;
        }
        e.rowHash = security::sha256Hex(canonicalRow(values, table_, bytesHash));
        last_ = e.key;
        return true;
    }

private:
    bool fill() {
        if (ended_) return false;
        std::vector<Value> params;
        std::string where;
        if (!last_.empty()) {
            params = last_;
            where = after_;
        }
        std::int64_t limit = options_.batchRows;
        if (!sizes_.empty()) {
            // As many rows as fit the batch's bytes, one at least.
            std::vector<Value> p = params;
            p.emplace_back(limit);
            auto sizes = c_.query(sizes_ + where + order_ + " LIMIT $" + std::to_string(p.size()), p);
            std::int64_t bytes = 0;
            limit = 0;
            for (const auto& s : sizes) {
                std::int64_t n = s.integer(table_.keyColumns);
                if (limit > 0 && bytes + n > options_.batchBytes) break;
                bytes += n;
                ++limit;
            }
            if (limit == 0) limit = 1;
        }
        params.emplace_back(limit);
        batch_ = c_.query("SELECT " + table_.columnList() + " FROM " + table_.name + where + order_ + " LIMIT $" +
                              std::to_string(params.size()),
                          params);
        at_ = 0;
        if (batch_.empty()) ended_ = true;
        return !batch_.empty();
    }

    Connection& c_;
    const Table& table_;
    const CopyOptions& options_;
    std::vector<std::string> keys_;
    std::string after_, order_, sizes_;
    std::vector<Value> last_;
    std::vector<store::Row> batch_;
    std::size_t at_ = 0;
    bool ended_ = false;
};

void note(TableCheck& check, const std::string& what, const std::vector<Value>& key, const Table& table) {
    ++check.differing;
    if (check.differences.size() < kShownDifferences) check.differences.push_back(what + ": " + keyText(key, table));
}

}  // namespace

bool VerifyReport::ok() const {
    if (!badMedia.empty()) return false;
    for (const auto& t : tables)
        if (!t.ok()) return false;
    return true;
}

VerifyReport verifyBoard(Snapshot& snapshot, store::Database& target, const CopyOptions& options,
                         const ProgressFn& progress) {
    VerifyReport report;
    auto out = target.acquire();
    for (const auto& table : boardTables()) {
        KeyOrderReader a(snapshot.connection(), "sqlite", table, options);
        KeyOrderReader b(*out, target.dialect(), table, options);
        TableCheck check;
        check.table = table.name;
        TableProgress p;
        p.table = table.name;
        p.totalRows = snapshot.connection().query("SELECT COUNT(*) FROM " + table.name).at(0).integer(0);
        Entry x, y;
        bool hasX = a.next(x), hasY = b.next(y);
        auto step = [&](bool source) {
            if (source) {
                check.sourceDigest = security::sha256Hex(check.sourceDigest + x.rowHash);
                ++check.sourceRows;
                hasX = a.next(x);
                if (progress && ++p.rows % options.batchRows == 0) progress(p);
            } else {
                check.targetDigest = security::sha256Hex(check.targetDigest + y.rowHash);
                ++check.targetRows;
                if (table.keyIsHash) {
                    ++report.mediaChecked;
                    if (!y.bytesMatchKey) report.badMedia.push_back(keyText(y.key, table));
                }
                hasY = b.next(y);
            }
        };
        while (hasX || hasY) {
            int order = !hasY ? -1 : !hasX ? 1 : compareKeys(x.key, y.key);
            if (order < 0) {
                note(check, "missing from the target", x.key, table);
                step(true);
            } else if (order > 0) {
                note(check, "only in the target", y.key, table);
                step(false);
            } else {
                if (x.rowHash != y.rowHash) note(check, "differs", x.key, table);
                step(true);
                step(false);
            }
        }
        p.done = true;
        if (progress) progress(p);
        report.tables.push_back(std::move(check));
    }
    return report;
}

}  // namespace board::transfer
