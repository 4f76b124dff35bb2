// The board's tables as the transfer copies them: in an order that keeps
// every reference satisfied (media and posts before the versions that point
// at them), each with its columns and the kind each column is read as. The
// key columns come first in every table; tables whose first column is an
// automatic id (posts.seq, jobs.id...) carry a sequence the copy sets past
// the copied ids.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace board::transfer {

enum class Kind { Integer, Real, Text, Bytes };

struct Column {
    std::string name;
    Kind kind;
};

struct Table {
    std::string name;
    std::vector<Column> columns;
    std::size_t keyColumns = 1;  // the primary key: the first columns
    bool sequence = false;       // the first column is an automatic id
    bool keyIsHash = false;      // the key is the sha256 of the bytes column
    // The column of large bytes (media), or -1: batches are cut by size.
    int bytesColumn() const;
    // "a, b, c"
    std::string columnList() const;
};

// Every table of the board's schema, in copy order.
const std::vector<Table>& boardTables();

// The transfer's own bookkeeping table in the target (which source it
// copies, how far each table has come).
extern const char* const kProgressTable;

}  // namespace board::transfer
