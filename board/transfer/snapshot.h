// A consistent, read-only view of an embedded store that may still be
// serving: one read transaction on one connection, held for the whole
// transfer, so the copy and its verification see the same board while
// writers go on (SQLite's WAL keeps the snapshot). The connection is also
// made query-only, so nothing the transfer does can write to its source.
#pragma once

#include "board/store/database.h"

namespace board::transfer {

class Snapshot {
public:
    // Throws store::DatabaseError when the store is not an embedded one.
    explicit Snapshot(store::Database& db);
    ~Snapshot();
    Snapshot(const Snapshot&) = delete;
    Snapshot& operator=(const Snapshot&) = delete;

    store::Connection& connection() { return *c_; }

private:
    store::Database::Handle c_;
};

}  // namespace board::transfer
