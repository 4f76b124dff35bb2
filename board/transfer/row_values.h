// Values as the transfer sees them, whatever store they come from. SQLite
// keeps what it was given (an integer may sit in a TEXT column) and a server
// database answers in its own types, so every value is first brought to its
// column's kind; then rows can be copied, compared and hashed the same way
// on both sides.
#pragma once

#include "board/store/database.h"
#include "board/transfer/tables.h"

#include <string>
#include <vector>

namespace board::transfer {

// A row's values, each read as its column's kind (NULL stays NULL), from
// the row's column `firstColumn` on.
std::vector<store::Value> normaliseRow(const store::Row& row, const Table& table, std::size_t firstColumn = 0);

// A canonical byte form of one row, the same for equal rows on any store:
// each value tagged with its kind, texts and bytes with their lengths, reals
// by their exact bits. `bytesStandIn`, when not empty, is written in place
// of the bytes column (their hash, so large media are hashed once, or their
// length).
std::string canonicalRow(const std::vector<store::Value>& values, const Table& table,
                         const std::string& bytesStandIn = {});

// Orders keys as both stores do with byte order: integers by value, texts
// byte by byte.
int compareKeys(const std::vector<store::Value>& a, const std::vector<store::Value>& b);

// "post_id=ab12cd34, version=2", for messages.
std::string keyText(const std::vector<store::Value>& key, const Table& table);

}  // namespace board::transfer
