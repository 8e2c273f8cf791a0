#pragma once
// Several rows in one statement. The text of a single-row insert,
//
//   insert into T (a,b,c) values (:b0,:b1,SYSDATE)
//
// becomes, for three rows, the same insert with three value lists whose host
// variables run on: (:b0,:b1,SYSDATE),(:b2,:b3,SYSDATE),(:b4,:b5,SYSDATE).
// Likewise a statement ending in a comparison with one host variable,
//
//   delete from T where (A=:b0 and (B=:b1))
//
// becomes, for three values, the same statement with
// (B=:b1 or B=:b2 or B=:b3): alternatives of equalities, which compare empty
// as equal to empty and find their rows through the key indexes, as an
// in-list would not.
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

// The statement with its closing group grown to `values` alternatives (1 to
// kMaxInsertRows); the single-value text must end in "(... Column=:bN))",
// and each alternative repeats the group with the next host variable:
// "(A=:b0 and B=:b1)" grows to "(A=:b0 and B=:b1 or A=:b0 and B=:b2 ...)".
// Repeating the other comparisons lets each alternative use an index.
const char* moreAlternatives(const char* singleValue, size_t values);

// The statement with its where clause repeated for `rows` rows (1 to
// kMaxInsertRows), each with host variables of its own, the repetitions
// joined by "or": "delete  from T  where (A=:b0 and B=:b1)" grows to
// "delete  from T  where ((A=:b0 and B=:b1) or (A=:b2 and B=:b3) ...)". The
// single-row text must end in its where clause, one parenthesized group
// whose host variables run from :b0.
const char* anyOfRows(const char* singleRow, size_t rows);

// The one-row text that a text of the three functions above was grown from;
// any other text is itself.
const char* grownFrom(const char* text);

}  // namespace lug::db
