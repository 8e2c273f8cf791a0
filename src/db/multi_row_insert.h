#pragma once
// Several rows in one statement. The text of a single-row insert,
//
//   insert into T (a,b,c) values (:b0,:b1,SYSDATE)
//
// becomes, for three rows, the same insert with three value lists whose host
// variables run on: (:b0,:b1,SYSDATE),(:b2,:b3,SYSDATE),(:b4,:b5,SYSDATE).
// Likewise a statement ending in an in-list of one host variable,
//
//   delete from T where (A=:b0 and B in (:b1))
//
// becomes, for three values, the same statement with B in (:b1,:b2,:b3).
// The text depends on the single-row text and the number of rows only, never
// on values; it is built once per process and keeps its address, so the
// session prepares it once per run like any other statement text.
#include <cstddef>

namespace lug::db {

// At most this many rows go into one insert (both engines take the host
// variables of 64 rows of the widest result table easily).
constexpr size_t kMaxInsertRows = 64;

// The insert of `rows` value lists (1 to kMaxInsertRows); the single-row text
// must end in its value list and number its host variables from :b0.
const char* multiRowInsert(const char* singleRow, size_t rows);

// The statement with its closing in-list grown to `values` host variables
// (1 to kMaxInsertRows); the single-value text must end in "in (:bN))".
const char* longerInList(const char* singleValue, size_t values);

}  // namespace lug::db
