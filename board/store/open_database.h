// Opens the store a command line names: "sqlite:DIR" (the embedded store,
// DIR/board.sqlite3, made when missing) or "postgresql://..." (a server
// database, given as a libpq connection URI).
#pragma once

#include "board/store/database.h"

#include <memory>
#include <string>

namespace board::store {

// The location from --database, or the embedded store in DIR when empty.
std::string databaseLocation(const std::string& database, const std::string& dataDir);
// Throws DatabaseError naming what is wrong with the location.
std::unique_ptr<Database> openDatabase(const std::string& location);
// The location with any password left out, for messages and logs.
std::string describeLocation(const std::string& location);

}  // namespace board::store
