#include "board/transfer/snapshot.h"

namespace board::transfer {

Snapshot::Snapshot(store::Database& db) {
    // Rows are read in batches by SQLite's rowid, which keeps the order in
    // which rows were added: a resumed copy goes on where it stopped.
    if (db.dialect() != "sqlite") throw store::DatabaseError("only an embedded (sqlite:DIR) board can be the source");
    c_ = db.acquire();
    c_->script("PRAGMA query_only = ON; BEGIN DEFERRED");
    // The first read takes the snapshot.
    c_->query("SELECT COUNT(*) FROM sqlite_master");
}

Snapshot::~Snapshot() {
    try {
        c_->script("ROLLBACK; PRAGMA query_only = OFF");
    } catch (...) {
    }
}

}  // namespace board::transfer
