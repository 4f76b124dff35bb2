// The little that differs between the stores a board moves between: how
// text keys are put in byte order, and how an automatic id's sequence is
// read and set.
#pragma once

#include "board/store/database.h"

#include <cstdint>
#include <string>

namespace board::transfer {

// The column in byte order (SQLite's default; a server database's "C"
// collation), so both stores list text keys alike.
std::string inByteOrder(const std::string& dialect, const std::string& column);

// The highest id the table's sequence has handed out (0 when none).
std::int64_t lastId(store::Connection& c, const std::string& dialect, const std::string& table,
                    const std::string& column);

// Makes the next automatic id of table.column come after `last`.
void setLastId(store::Connection& c, const std::string& dialect, const std::string& table, const std::string& column,
               std::int64_t last);

}  // namespace board::transfer
