// Reads one table of a store in key order (texts in byte order, the same
// on every store), in batches that go on after the last key read; each row
// comes with its key and a hash of its values brought to their columns'
// kinds, so rows of two stores can be merged and compared.
#pragma once

#include "board/store/database.h"
#include "board/transfer/copy.h"
#include "board/transfer/tables.h"

#include <string>
#include <vector>

namespace board::transfer {

struct KeyedRow {
    std::vector<store::Value> key;
    std::string hash;
    // The hash with a medium's bytes counted by their length only: enough
    // to tell a changed row where the key is the bytes' own hash.
    std::string lightHash;
    bool bytesMatchKey = true;  // for media: the bytes hash to the key
};

class KeyOrderReader {
public:
    // `light`: a medium's bytes are not read; rows come with lightHash only.
    KeyOrderReader(store::Connection& c, const std::string& dialect, const Table& table, const CopyOptions& options,
                   bool light = false);
    // The next row; false after the last.
    bool next(KeyedRow& row);

private:
    bool fill();

    store::Connection& c_;
    const Table& table_;
    const CopyOptions& options_;
    bool light_;
    std::vector<std::string> keys_;
    std::string select_, after_, order_, sizes_;
    std::vector<store::Value> last_;
    std::vector<store::Row> batch_;
    std::size_t at_ = 0;
    bool ended_ = false;
};

// Where two readers' rows stand to each other: -1 the source's comes first
// (missing from the target), 1 the target's (only there), 0 the same key.
int mergeOrder(bool hasSource, const KeyedRow& source, bool hasTarget, const KeyedRow& target);

// A table's digest: the rows' hashes chained in key order ("" when empty).
std::string chainDigest(const std::string& digest, const std::string& rowHash);
// The digest of the rows' light hashes, without reading media's bytes.
std::string lightDigest(store::Connection& c, const std::string& dialect, const Table& table,
                        const CopyOptions& options);

}  // namespace board::transfer
