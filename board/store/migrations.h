// The schema, created and upgraded by numbered migrations, one list per SQL
// dialect. A migration is never edited once released: a change is a new one.
#pragma once

#include "board/store/database.h"

namespace board::store {

// Brings the database to the newest schema; returns the version it now has.
int migrate(Database& db);

}  // namespace board::store
