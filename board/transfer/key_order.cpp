#include "board/transfer/key_order.h"

#include "board/security/crypto.h"
#include "board/transfer/dialect.h"
#include "board/transfer/row_values.h"

namespace board::transfer {

using store::Value;

KeyOrderReader::KeyOrderReader(store::Connection& c, const std::string& dialect, const Table& table,
                               const CopyOptions& options, bool light)
    : c_(c), table_(table), options_(options), light_(light && table.keyIsHash) {
    std::string cond, order;
    for (std::size_t i = 0; i < table.keyColumns; ++i) {
        const Column& k = table.columns[i];
        keys_.push_back(k.kind == Kind::Text ? inByteOrder(dialect, k.name) : k.name);
        order += (i ? ", " : "") + keys_.back();
    }
    // Rows after the last key read: a > $1, or a = $1 and b > $2...
    for (std::size_t i = table.keyColumns; i-- > 0;) {
        std::string here = keys_[i] + " > $" + std::to_string(i + 1);
        cond = cond.empty() ? here : here + " OR (" + keys_[i] + " = $" + std::to_string(i + 1) + " AND (" + cond + "))";
    }
    after_ = " WHERE " + cond;
    order_ = " ORDER BY " + order;
    int b = table.bytesColumn();
    select_ = "SELECT ";
    for (std::size_t i = 0; i < table.columns.size(); ++i) {
        const std::string& name = table.columns[i].name;
        select_ += (i ? ", " : "") + (light_ && static_cast<int>(i) == b ? "LENGTH(" + name + ")" : name);
    }
    select_ += " FROM " + table.name;
    if (b >= 0 && !light_) {
        std::string keyList;
        for (std::size_t i = 0; i < table.keyColumns; ++i) keyList += table.columns[i].name + ", ";
        sizes_ = "SELECT " + keyList + "LENGTH(" + table.columns[static_cast<std::size_t>(b)].name + ") FROM " +
                 table.name;
    }
}

bool KeyOrderReader::next(KeyedRow& e) {
    if (at_ == batch_.size() && !fill()) return false;
    const store::Row& r = batch_[at_++];
    auto values = normaliseRow(r, table_);
    e.key.assign(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(table_.keyColumns));
    e.bytesMatchKey = true;
    int b = table_.bytesColumn();
    if (b < 0) {
        e.hash = e.lightHash = security::sha256Hex(canonicalRow(values, table_));
    } else if (light_) {
        // The column holds the bytes' length here.
        auto at = static_cast<std::size_t>(b);
        e.hash.clear();
        e.lightHash = security::sha256Hex(canonicalRow(values, table_, "L" + std::to_string(r.integer(at))));
    } else {
        const auto* bytes = std::get_if<store::Blob>(&values[static_cast<std::size_t>(b)]);
        std::string bytesHash = security::sha256Hex(bytes ? *bytes : store::Blob{});
        const auto* key = std::get_if<std::string>(&e.key[0]);
        if (table_.keyIsHash) e.bytesMatchKey = key && *key == bytesHash;
        e.hash = security::sha256Hex(canonicalRow(values, table_, "H" + bytesHash));
        e.lightHash = security::sha256Hex(
            canonicalRow(values, table_, "L" + std::to_string(bytes ? bytes->size() : 0)));
    }
    last_ = e.key;
    return true;
}

bool KeyOrderReader::fill() {
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
    batch_ = c_.query(select_ + where + order_ + " LIMIT $" + std::to_string(params.size()), params);
    at_ = 0;
    if (batch_.empty()) ended_ = true;
    return !batch_.empty();
}

int mergeOrder(bool hasSource, const KeyedRow& source, bool hasTarget, const KeyedRow& target) {
    if (!hasTarget) return -1;
    if (!hasSource) return 1;
    return compareKeys(source.key, target.key);
}

std::string chainDigest(const std::string& digest, const std::string& rowHash) {
    return security::sha256Hex(digest + rowHash);
}

std::string lightDigest(store::Connection& c, const std::string& dialect, const Table& table,
                        const CopyOptions& options) {
    KeyOrderReader reader(c, dialect, table, options, true);
    std::string digest;
    KeyedRow row;
    while (reader.next(row)) digest = chainDigest(digest, row.lightHash);
    return digest;
}

}  // namespace board::transfer
