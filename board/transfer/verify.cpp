#include "board/transfer/verify.h"

#include "board/transfer/key_order.h"
#include "board/transfer/row_values.h"
#include "board/transfer/tables.h"
#include "board/util/clock.h"

namespace board::transfer {

namespace {

const std::size_t kShownDifferences = 5;

void note(TableCheck& check, const std::string& what, const std::vector<store::Value>& key, const Table& table) {
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
    std::vector<std::string> lights;
    auto out = target.acquire();
    for (const auto& table : boardTables()) {
        KeyOrderReader a(snapshot.connection(), "sqlite", table, options);
        KeyOrderReader b(*out, target.dialect(), table, options);
        TableCheck check;
        check.table = table.name;
        std::string light;  // the target's, recorded for later runs
        TableProgress p;
        p.table = table.name;
        p.totalRows = snapshot.connection().query("SELECT COUNT(*) FROM " + table.name).at(0).integer(0);
        KeyedRow x, y;
        bool hasX = a.next(x), hasY = b.next(y);
        auto step = [&](bool source) {
            if (source) {
                check.sourceDigest = chainDigest(check.sourceDigest, x.hash);
                ++check.sourceRows;
                hasX = a.next(x);
                if (progress && ++p.rows % options.batchRows == 0) progress(p);
            } else {
                check.targetDigest = chainDigest(check.targetDigest, y.hash);
                light = chainDigest(light, y.lightHash);
                ++check.targetRows;
                if (table.keyIsHash) {
                    ++report.mediaChecked;
                    if (!y.bytesMatchKey) report.badMedia.push_back(keyText(y.key, table));
                }
                hasY = b.next(y);
            }
        };
        while (hasX || hasY) {
            int order = mergeOrder(hasX, x, hasY, y);
            if (order < 0) {
                note(check, "missing from the target", x.key, table);
                step(true);
            } else if (order > 0) {
                note(check, "only in the target", y.key, table);
                step(false);
            } else {
                if (x.hash != y.hash) note(check, "differs", x.key, table);
                step(true);
                step(false);
            }
        }
        p.done = true;
        if (progress) progress(p);
        report.tables.push_back(std::move(check));
        lights.push_back(light);
    }
    if (report.ok()) {
        // What the copy is now, so that a later run can tell whether it has
        // been changed since (served as a board of its own).
        store::Transaction t(*out);
        const std::string book = kProgressTable;
        out->run("DELETE FROM " + book + " WHERE item = 'verified' OR item LIKE 'digest:%'");
        out->run("INSERT INTO " + book + "(item, value) VALUES('verified', $1)", {util::nowIso()});
        for (std::size_t i = 0; i < report.tables.size(); ++i)
            out->run("INSERT INTO " + book + "(item, value) VALUES($1, $2)",
                     {"digest:" + report.tables[i].table, lights[i]});
        t.commit();
    }
    return report;
}

}  // namespace board::transfer
