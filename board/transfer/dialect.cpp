#include "board/transfer/dialect.h"

#include <algorithm>

namespace board::transfer {

std::string inByteOrder(const std::string& dialect, const std::string& column) {
    return dialect == "sqlite" ? column : column + " COLLATE \"C\"";
}

std::int64_t lastId(store::Connection& c, const std::string& dialect, const std::string& table,
                    const std::string& column) {
    // Table and column names come from the transfer's own list, never from
    // input.
    std::int64_t last = c.query("SELECT COALESCE(MAX(" + column + "), 0) FROM " + table).at(0).integer(0);
    if (dialect == "sqlite") {
        // AUTOINCREMENT remembers ids of rows deleted since: they are not
        // handed out again, on this store or the next.
        auto rows = c.query("SELECT seq FROM sqlite_sequence WHERE name = $1", {table});
        if (!rows.empty()) last = std::max(last, rows[0].integer(0));
    } else {
        auto rows = c.query("SELECT COALESCE(s.last_value, 0) FROM pg_sequences s WHERE quote_ident(s.schemaname) "
                            "|| '.' || quote_ident(s.sequencename) = pg_get_serial_sequence($1, $2)",
                            {table, column});
        if (!rows.empty()) last = std::max(last, rows[0].integer(0));
    }
    return last;
}

void setLastId(store::Connection& c, const std::string& dialect, const std::string& table, const std::string& column,
               std::int64_t last) {
    if (dialect == "sqlite") {
        if (c.run("UPDATE sqlite_sequence SET seq = $2 WHERE name = $1", {table, last}) == 0)
            c.run("INSERT INTO sqlite_sequence(name, seq) VALUES($1, $2)", {table, last});
        return;
    }
    if (last > 0)
        c.query("SELECT setval(pg_get_serial_sequence($1, $2), $3)", {table, column, last});
    else
        c.query("SELECT setval(pg_get_serial_sequence($1, $2), 1, false)", {table, column});
}

}  // namespace board::transfer
