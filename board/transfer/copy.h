// Copies a whole board from a snapshot of its embedded store into another
// store that has the same schema, keeping every id, in batches: each batch
// is one transaction on the target that also records how far its table has
// come. A copy killed at any moment goes on, when run again, from the last
// batch that committed, with no row twice and none left out, and what the
// board changed meanwhile is brought up to date. The target must be empty or
// hold an earlier run's copy of the same board that has not been changed
// since it was verified.
#pragma once

#include "board/store/database.h"
#include "board/transfer/snapshot.h"

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

namespace board::transfer {

struct CopyOptions {
    std::int64_t batchRows = 500;
    // A batch of media stops once it holds this many bytes (one row at least).
    std::int64_t batchBytes = 16 << 20;
    // For tests: return, as if killed, after this many batches (0: never).
    std::int64_t stopAfterBatches = 0;
    // The source as messages name it (recorded in the target).
    std::string sourceName;
};

struct TableProgress {
    std::string table;
    std::int64_t rows = 0, totalRows = 0;
    std::int64_t bytes = 0, totalBytes = 0;  // of media
    bool done = false;
};
using ProgressFn = std::function<void(const TableProgress&)>;

struct CopyResult {
    bool resumed = false;   // an earlier run had copied part of it
    bool complete = false;  // every table copied and the sequences set
    std::int64_t rows = 0, bytes = 0, batches = 0;  // copied by this run
    // Rows of an earlier run's copy that the board changed or deleted since,
    // or added again, brought up to date.
    std::int64_t updated = 0, added = 0, removed = 0;
};

// The target holds something other than this board's copy.
struct TargetRefused : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The target must have the board's schema already (store::migrate).
CopyResult copyBoard(Snapshot& source, store::Database& target, const CopyOptions& options,
                     const ProgressFn& progress = {});

// Who a board is, the same on every run: from its own random key and the
// moment its schema was made.
std::string sourceIdentity(store::Connection& source);

}  // namespace board::transfer
