#pragma once
// Several rows in one insert. The text of a single-row insert,
//
//   insert into T (a,b,c) values (:b0,:b1,SYSDATE)
//
// becomes, for three rows, the same insert with three value lists whose host
// variables run on: (:b0,:b1,SYSDATE),(:b2,:b3,SYSDATE),(:b4,:b5,SYSDATE).
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

}  // namespace lug::db
