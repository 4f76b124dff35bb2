// Brings the copy an earlier run left up to date with the board as it is
// now. Between two runs a serving board changes rows in place (a job done,
// a post hidden, a rate bucket spent), deletes some (a post and all that
// hangs on it) and may add one again under a key the copy still holds. The
// rows of both sides are merged in key order; rows only in the copy are
// removed (last tables first), then rows that differ are updated and rows
// missing are added (first tables first), a batch a transaction.
#pragma once

#include "board/store/database.h"
#include "board/transfer/copy.h"

#include <cstdint>
#include <string>

namespace board::transfer {

struct ReconcileResult {
    std::int64_t updated = 0, added = 0, removed = 0;
};

ReconcileResult reconcile(store::Connection& source, store::Connection& target, const std::string& targetDialect,
                          const CopyOptions& options);

}  // namespace board::transfer
