#include "board/transfer/reconcile.h"

#include "board/transfer/key_order.h"
#include "board/transfer/row_values.h"
#include "board/transfer/tables.h"

#include <algorithm>

namespace board::transfer {

using store::Value;

namespace {

using Key = std::vector<Value>;

struct Plan {
    const Table* table;
    std::vector<Key> remove, update, add;
};

std::string keyMatch(const Table& t) {
    std::string out;
    for (std::size_t i = 0; i < t.keyColumns; ++i)
        out += (i ? " AND " : "") + t.columns[i].name + " = $" + std::to_string(i + 1);
    return out;
}

Plan plan(store::Connection& source, store::Connection& target, const std::string& targetDialect, const Table& table,
          const CopyOptions& options) {
    Plan p{&table, {}, {}, {}};
    // A medium's key is its bytes' hash: the bytes need not be read here
    // (the verification after reads them all).
    KeyOrderReader a(source, "sqlite", table, options, true);
    KeyOrderReader b(target, targetDialect, table, options, true);
    KeyedRow x, y;
    bool hasX = a.next(x), hasY = b.next(y);
    while (hasX || hasY) {
        int order = mergeOrder(hasX, x, hasY, y);
        if (order < 0) p.add.push_back(x.key);
        else if (order > 0) p.remove.push_back(y.key);
        else if (x.lightHash != y.lightHash) p.update.push_back(x.key);
        if (order <= 0) hasX = a.next(x);
        if (order >= 0) hasY = b.next(y);
    }
    return p;
}

// Runs `each` over the keys, a batch a transaction.
template <class F>
void inBatches(store::Connection& target, const std::vector<Key>& keys, const CopyOptions& options, F each) {
    for (std::size_t at = 0; at < keys.size();) {
        store::Transaction t(target);
        std::size_t end = std::min(keys.size(), at + static_cast<std::size_t>(options.batchRows));
        for (; at < end; ++at) each(keys[at]);
        t.commit();
    }
}

}  // namespace

ReconcileResult reconcile(store::Connection& source, store::Connection& target, const std::string& targetDialect,
                          const CopyOptions& options) {
    std::vector<Plan> plans;
    for (const auto& table : boardTables()) plans.push_back(plan(source, target, targetDialect, table, options));

    ReconcileResult result;
    for (auto p = plans.rbegin(); p != plans.rend(); ++p) {
        std::string remove = "DELETE FROM " + p->table->name + " WHERE " + keyMatch(*p->table);
        // Removing a post removes what hangs on it too: count what went.
        inBatches(target, p->remove, options, [&](const Key& key) { result.removed += target.run(remove, key); });
    }
    for (const auto& p : plans) {
        const Table& t = *p.table;
        std::string select = "SELECT " + t.columnList() + " FROM " + t.name + " WHERE " + keyMatch(t);
        std::string insert = "INSERT INTO " + t.name + "(" + t.columnList() + ") VALUES(";
        std::string update = "UPDATE " + t.name + " SET ";
        for (std::size_t i = 0; i < t.columns.size(); ++i) {
            insert += (i ? ", $" : "$") + std::to_string(i + 1);
            if (i >= t.keyColumns)
                update += (i > t.keyColumns ? ", " : "") + t.columns[i].name + " = $" + std::to_string(i + 1);
        }
        insert += ")";
        update += " WHERE " + keyMatch(t);
        auto copyRow = [&](const Key& key, const std::string& sql, std::int64_t& counter) {
            auto rows = source.query(select, key);
            if (!rows.empty()) counter += target.run(sql, normaliseRow(rows[0], t));
        };
        inBatches(target, p.update, options, [&](const Key& key) { copyRow(key, update, result.updated); });
        inBatches(target, p.add, options, [&](const Key& key) { copyRow(key, insert, result.added); });
    }
    return result;
}

}  // namespace board::transfer
