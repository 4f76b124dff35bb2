#include "board/transfer/row_values.h"

#include <cstring>

namespace board::transfer {

using store::Blob;
using store::Value;

std::vector<Value> normaliseRow(const store::Row& row, const Table& table, std::size_t firstColumn) {
    std::vector<Value> out;
    out.reserve(table.columns.size());
    for (std::size_t i = 0; i < table.columns.size(); ++i) {
        std::size_t at = firstColumn + i;
        if (row.isNull(at)) {
            out.emplace_back(nullptr);
            continue;
        }
        switch (table.columns[i].kind) {
            case Kind::Integer: out.emplace_back(row.integer(at)); break;
            case Kind::Real: out.emplace_back(row.real(at)); break;
            case Kind::Text: out.emplace_back(row.text(at)); break;
            case Kind::Bytes: out.emplace_back(row.blob(at)); break;
        }
    }
    return out;
}

std::string canonicalRow(const std::vector<Value>& values, const Table& table, const std::string& bytesStandIn) {
    std::string out;
    for (std::size_t i = 0; i < values.size(); ++i) {
        const Value& v = values[i];
        if (std::holds_alternative<std::nullptr_t>(v)) {
            out += "N;";
            continue;
        }
        switch (table.columns[i].kind) {
            case Kind::Integer: out += "I" + std::to_string(std::get<std::int64_t>(v)) + ";"; break;
            case Kind::Real: {
                double d = std::get<double>(v);
                std::uint64_t bits = 0;
                std::memcpy(&bits, &d, sizeof bits);
                out += "R" + std::to_string(bits) + ";";
                break;
            }
            case Kind::Text: {
                const auto& s = std::get<std::string>(v);
                out += "T" + std::to_string(s.size()) + ":" + s + ";";
                break;
            }
            case Kind::Bytes: {
                if (!bytesStandIn.empty()) {
                    out += bytesStandIn + ";";
                    break;
                }
                const auto& b = std::get<Blob>(v);
                out += "B" + std::to_string(b.size()) + ":" + std::string(b.begin(), b.end()) + ";";
                break;
            }
        }
    }
    return out;
}

namespace {

int compareValues(const Value& a, const Value& b) {
    bool an = std::holds_alternative<std::nullptr_t>(a), bn = std::holds_alternative<std::nullptr_t>(b);
    if (an || bn) return an == bn ? 0 : (an ? -1 : 1);
    if (auto x = std::get_if<std::int64_t>(&a)) {
        auto y = std::get<std::int64_t>(b);
        return *x < y ? -1 : (*x > y ? 1 : 0);
    }
    // std::string compares as unsigned bytes, like memcmp.
    int c = std::get<std::string>(a).compare(std::get<std::string>(b));
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

}  // namespace

int compareKeys(const std::vector<Value>& a, const std::vector<Value>& b) {
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
        if (int c = compareValues(a[i], b[i])) return c;
    return 0;
}

std::string keyText(const std::vector<Value>& key, const Table& table) {
    std::string out;
    for (std::size_t i = 0; i < key.size(); ++i) {
        out += (i ? ", " : "") + table.columns[i].name + "=";
        if (auto n = std::get_if<std::int64_t>(&key[i])) out += std::to_string(*n);
        else if (auto s = std::get_if<std::string>(&key[i])) out += *s;
        else out += "NULL";
    }
    return out;
}

}  // namespace board::transfer
