#include "board/transfer/tables.h"

namespace board::transfer {

const char* const kProgressTable = "board_transfer";

int Table::bytesColumn() const {
    for (std::size_t i = 0; i < columns.size(); ++i)
        if (columns[i].kind == Kind::Bytes) return static_cast<int>(i);
    return -1;
}

std::string Table::columnList() const {
    std::string out;
    for (const auto& c : columns) out += (out.empty() ? "" : ", ") + c.name;
    return out;
}

const std::vector<Table>& boardTables() {
    using K = Kind;
    static const std::vector<Table> tables = {
        {"media", {{"sha256", K::Text}, {"type", K::Text}, {"bytes", K::Bytes}, {"created", K::Text}},
         1, false, true},
        {"posts",
         {{"seq", K::Integer}, {"id", K::Text}, {"title", K::Text}, {"artist", K::Text}, {"password_hash", K::Text},
          {"created", K::Text}, {"latest", K::Integer}, {"hidden", K::Integer}},
         1, true},
        {"versions",
         {{"post_id", K::Text}, {"version", K::Integer}, {"title", K::Text}, {"created", K::Text},
          {"drawing", K::Text}, {"picture", K::Text}, {"thumbnail", K::Text}, {"width", K::Integer},
          {"height", K::Integer}, {"show_seconds", K::Real}},
         2},
        {"jobs",
         {{"id", K::Integer}, {"post_id", K::Text}, {"version", K::Integer}, {"kind", K::Text}, {"state", K::Text},
          {"attempts", K::Integer}, {"run_after", K::Integer}, {"lease_until", K::Integer}, {"result", K::Text},
          {"error", K::Text}, {"created", K::Text}},
         1, true},
        {"comments",
         {{"id", K::Integer}, {"post_id", K::Text}, {"name", K::Text}, {"body", K::Text},
          {"password_hash", K::Text}, {"address", K::Text}, {"created", K::Text}, {"hidden", K::Integer}},
         1, true},
        {"reports",
         {{"id", K::Integer}, {"post_id", K::Text}, {"reason", K::Text}, {"address", K::Text}, {"created", K::Text},
          {"resolved", K::Integer}},
         1, true},
        {"moderators", {{"name", K::Text}, {"password_hash", K::Text}, {"created", K::Text}}},
        {"sessions", {{"token_hash", K::Text}, {"moderator", K::Text}, {"expires", K::Integer}}},
        {"bans", {{"id", K::Integer}, {"network", K::Text}, {"moderator", K::Text}, {"created", K::Text}}, 1, true},
        {"audit",
         {{"id", K::Integer}, {"moderator", K::Text}, {"action", K::Text}, {"target", K::Text}, {"created", K::Text}},
         1, true},
        {"rate_buckets", {{"key", K::Text}, {"tokens", K::Real}, {"updated_ms", K::Integer}}},
        {"settings", {{"key", K::Text}, {"value", K::Text}}},
    };
    return tables;
}

}  // namespace board::transfer
