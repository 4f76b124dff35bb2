#include "board/transfer/copy.h"

#include "board/security/crypto.h"
#include "board/transfer/dialect.h"
#include "board/transfer/key_order.h"
#include "board/transfer/reconcile.h"
#include "board/transfer/row_values.h"
#include "board/transfer/tables.h"
#include "board/util/clock.h"

#include <algorithm>

namespace board::transfer {

using store::Connection;
using store::Value;

namespace {

const std::string kBook = kProgressTable;

std::string progressItem(const Table& t) { return "rowid:" + t.name; }

// Rows a statement: 64 of the widest table (11 columns) stay far under
// every store's limit on parameters.
const std::size_t kRowsAStatement = 64;

std::string describeRows(Connection& c) {
    std::string out;
    for (const auto& t : boardTables()) {
        auto n = c.query("SELECT COUNT(*) FROM " + t.name).at(0).integer(0);
        if (n > 0) out += (out.empty() ? "" : ", ") + std::to_string(n) + " in " + t.name;
    }
    return out;
}

// A copy verified by an earlier run may have become a board of its own
// since (served, posted to): then it is not written again. Otherwise it is
// marked unverified until this run's verification.
void reopen(Connection& target, const std::string& dialect, const CopyOptions& options) {
    auto verified = target.query("SELECT value FROM " + kBook + " WHERE item = 'verified'");
    if (verified.empty()) return;
    std::string changed;
    for (const auto& table : boardTables()) {
        auto recorded = target.query("SELECT value FROM " + kBook + " WHERE item = $1", {"digest:" + table.name});
        if (recorded.empty() || recorded[0].text(0) != lightDigest(target, dialect, table, options))
            changed += (changed.empty() ? "" : ", ") + table.name;
    }
    if (!changed.empty())
        throw TargetRefused("the target has changed since its copy was verified (" + verified[0].text(0) + ") in " +
                            changed + ": it has become a board of its own, and migrate does not write to it again");
    target.run("DELETE FROM " + kBook + " WHERE item = 'verified' OR item LIKE 'digest:%'");
}

// Makes the target this source's copy, or refuses it. Returns whether an
// earlier run had begun it.
bool claim(Connection& source, Connection& target, const std::string& dialect, const CopyOptions& options) {
    const std::string& sourceName = options.sourceName;
    target.script("CREATE TABLE IF NOT EXISTS " + kBook + "(item TEXT PRIMARY KEY, value TEXT NOT NULL)");
    std::string identity = sourceIdentity(source);
    store::Transaction t(target);
    auto rows = target.query("SELECT value FROM " + kBook + " WHERE item = 'source'");
    if (rows.empty()) {
        std::string held = describeRows(target);
        if (!held.empty())
            throw TargetRefused("the target already holds a board (" + held +
                                "); a board is moved into an empty database only");
        target.run("INSERT INTO " + kBook + "(item, value) VALUES('source', $1), ('from', $2), ('started', $3)",
                   {identity, sourceName, util::nowIso()});
        for (const auto& table : boardTables())
            target.run("INSERT INTO " + kBook + "(item, value) VALUES($1, '0')", {progressItem(table)});
        t.commit();
        return false;
    }
    if (rows[0].text(0) != identity) {
        auto from = target.query("SELECT value FROM " + kBook + " WHERE item = 'from'");
        auto started = target.query("SELECT value FROM " + kBook + " WHERE item = 'started'");
        throw TargetRefused("the target holds the copy of another board (from " +
                            (from.empty() ? std::string("?") : from[0].text(0)) + ", begun " +
                            (started.empty() ? std::string("?") : started[0].text(0)) +
                            "); a board is moved into an empty database only");
    }
    reopen(target, dialect, options);
    t.commit();
    return true;
}

std::int64_t recordedRowid(Connection& target, const Table& table) {
    auto rows = target.query("SELECT value FROM " + kBook + " WHERE item = $1", {progressItem(table)});
    return rows.empty() ? 0 : std::stoll(rows[0].text(0));
}

class TableCopier {
public:
    TableCopier(Connection& source, Connection& target, const Table& table, const CopyOptions& options, bool resumed)
        : source_(source), target_(target), table_(table), options_(options) {
        select_ = "SELECT rowid, " + table.columnList() + " FROM " + table.name;
        // After an earlier run, a row the board deleted and added again
        // since may meet its old copy: reconcile() sorts that out after.
        if (resumed) onConflict_ = " ON CONFLICT DO NOTHING";
        int b = table.bytesColumn();
        bytesExpr_ = b < 0 ? "0" : "LENGTH(" + table.columns[static_cast<std::size_t>(b)].name + ")";
    }

    // Counts what there is and what an earlier run copied.
    void start(TableProgress& p) {
        last_ = recordedRowid(target_, table_);
        std::string count = "SELECT COUNT(*), COALESCE(SUM(" + bytesExpr_ + "), 0) FROM " + table_.name;
        auto all = source_.query(count).at(0);
        auto done = source_.query(count + " WHERE rowid <= $1", {last_}).at(0);
        p = TableProgress{table_.name, done.integer(0), all.integer(0), done.integer(1), all.integer(1), false};
    }

    // Copies the next batch; false when there was none.
    bool next(TableProgress& p, CopyResult& result) {
        std::vector<store::Row> rows;
        if (table_.bytesColumn() >= 0) {
            // Cut the batch by size first, from the lengths alone.
            auto sizes = source_.query("SELECT rowid, " + bytesExpr_ + " FROM " + table_.name +
                                           " WHERE rowid > $1 ORDER BY rowid LIMIT $2",
                                       {last_, options_.batchRows});
            if (sizes.empty()) return false;
            std::int64_t bytes = 0, upTo = sizes[0].integer(0);
            for (const auto& s : sizes) {
                if (bytes > 0 && bytes + s.integer(1) > options_.batchBytes) break;
                bytes += s.integer(1);
                upTo = s.integer(0);
            }
            rows = source_.query(select_ + " WHERE rowid > $1 AND rowid <= $2 ORDER BY rowid", {last_, upTo});
        } else {
            rows = source_.query(select_ + " WHERE rowid > $1 ORDER BY rowid LIMIT $2", {last_, options_.batchRows});
        }
        if (rows.empty()) return false;

        std::int64_t newLast = rows.back().integer(0), bytes = 0;
        try {
            bytes = write(rows, newLast);
        } catch (const store::DatabaseUnavailable&) {
            throw;
        } catch (const store::DatabaseError& e) {
            // Say which rows the target refused (a text it cannot hold...).
            throw store::DatabaseError(table_.name + ", rows " + std::to_string(last_ + 1) + " to " +
                                       std::to_string(newLast) + " by rowid: " + e.what());
        }

        last_ = newLast;
        auto n = static_cast<std::int64_t>(rows.size());
        p.rows += n;
        p.bytes += bytes;
        result.rows += n;
        result.bytes += bytes;
        ++result.batches;
        return true;
    }

private:
    // One batch and the mark of how far it came, in one transaction; returns
    // the bytes of media it held.
    std::int64_t write(const std::vector<store::Row>& rows, std::int64_t newLast) {
        std::int64_t bytes = 0;
        store::Transaction t(target_);
        // Rows go in by statements of many rows: one round trip each to a
        // server database rather than one a row.
        std::vector<Value> params;
        std::size_t inStatement = 0;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            auto values = normaliseRow(rows[i], table_, 1);
            if (int b = table_.bytesColumn(); b >= 0)
                bytes += static_cast<std::int64_t>(rows[i].blob(static_cast<std::size_t>(b) + 1).size());
            params.insert(params.end(), std::make_move_iterator(values.begin()), std::make_move_iterator(values.end()));
            if (++inStatement == kRowsAStatement || i + 1 == rows.size()) {
                target_.run(insertOf(inStatement), params);
                params.clear();
                inStatement = 0;
            }
        }
        // The batch and the mark of how far it came commit together; the
        // mark also catches a second copy running into the same target.
        if (target_.run("UPDATE " + kBook + " SET value = $2 WHERE item = $1 AND value = $3",
                        {progressItem(table_), std::to_string(newLast), std::to_string(last_)}) != 1)
            throw store::DatabaseError("another migrate is copying into the same target");
        t.commit();
        return bytes;
    }

    // INSERT ... VALUES($1..$n), ($n+1..$2n)...: rows of one statement.
    std::string insertOf(std::size_t rowCount) const {
        std::size_t n = table_.columns.size();
        std::string sql = "INSERT INTO " + table_.name + "(" + table_.columnList() + ") VALUES";
        for (std::size_t r = 0; r < rowCount; ++r) {
            sql += r ? ", (" : "(";
            for (std::size_t i = 1; i <= n; ++i) sql += (i > 1 ? ", $" : "$") + std::to_string(r * n + i);
            sql += ")";
        }
        return sql + onConflict_;
    }

    Connection& source_;
    Connection& target_;
    const Table& table_;
    const CopyOptions& options_;
    std::string select_, onConflict_, bytesExpr_;
    std::int64_t last_ = 0;
};

// Every automatic id goes on after the highest the source handed out.
void setSequences(Connection& source, Connection& target, const std::string& targetDialect) {
    store::Transaction t(target);
    for (const auto& table : boardTables()) {
        if (!table.sequence) continue;
        const std::string& column = table.columns[0].name;
        std::int64_t last = std::max(lastId(source, "sqlite", table.name, column),
                                     lastId(target, targetDialect, table.name, column));
        setLastId(target, targetDialect, table.name, column, last);
    }
    target.run("INSERT INTO " + kBook + "(item, value) VALUES('copied', $1) ON CONFLICT(item) DO UPDATE SET value = "
               "excluded.value",
               {util::nowIso()});
    t.commit();
}

}  // namespace

std::string sourceIdentity(Connection& source) {
    auto key = source.query("SELECT value FROM settings WHERE key = 'csrf_key'");
    auto made = source.query("SELECT applied FROM schema_migrations WHERE version = 1");
    return security::sha256Hex("quillcast-board:" + (key.empty() ? std::string() : key[0].text(0)) + "|" +
                               (made.empty() ? std::string() : made[0].text(0)));
}

CopyResult copyBoard(Snapshot& snapshot, store::Database& target, const CopyOptions& options,
                     const ProgressFn& progress) {
    Connection& source = snapshot.connection();
    auto out = target.acquire();
    CopyResult result;
    result.resumed = claim(source, *out, target.dialect(), options);
    for (const auto& table : boardTables()) {
        TableCopier copier(source, *out, table, options, result.resumed);
        TableProgress p;
        copier.start(p);
        if (progress) progress(p);
        while (copier.next(p, result)) {
            if (progress) progress(p);
            if (options.stopAfterBatches > 0 && result.batches >= options.stopAfterBatches) return result;
        }
        p.done = true;
        if (progress) progress(p);
    }
    if (result.resumed) {
        auto r = reconcile(source, *out, target.dialect(), options);
        result.updated = r.updated;
        result.added = r.added;
        result.removed = r.removed;
    }
    setSequences(source, *out, target.dialect());
    result.complete = true;
    return result;
}

}  // namespace board::transfer
