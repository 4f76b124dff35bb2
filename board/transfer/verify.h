// Checks a moved board against its source, table by table: the rows on
// both sides are read in key order (byte order for texts, on either store),
// each brought to its column's kind and hashed, and the two lists are
// merged, so a row missing, added or changed is named by its key. Each
// table's rows also give one digest, chained in key order, that the summary
// shows for both sides; every medium's bytes in the target are hashed again
// and must give its key.
#pragma once

#include "board/store/database.h"
#include "board/transfer/copy.h"
#include "board/transfer/snapshot.h"

#include <cstdint>
#include <string>
#include <vector>

namespace board::transfer {

struct TableCheck {
    std::string table;
    std::int64_t sourceRows = 0, targetRows = 0;
    std::string sourceDigest, targetDigest;
    std::int64_t differing = 0;              // rows missing, added or changed
    std::vector<std::string> differences;    // the first few, by key
    bool ok() const { return differing == 0 && sourceRows == targetRows && sourceDigest == targetDigest; }
};

struct VerifyReport {
    std::vector<TableCheck> tables;
    std::int64_t mediaChecked = 0;
    std::vector<std::string> badMedia;  // keys whose bytes hash to something else
    bool ok() const;
};

// A copy found the same is marked verified in the target, with its tables'
// digests.
VerifyReport verifyBoard(Snapshot& source, store::Database& target, const CopyOptions& options = {},
                         const ProgressFn& progress = {});

}  // namespace board::transfer
