#pragma once
// A staging table of an exporter as data: its insert and adding update with
// the row members each binds, so that one declaration serves every record
// written to it.
//
//   const Staging<Hours> kHours{
//       .statements = {.insert = kInsertHours, .add = kAddHours},
//       .insertColumns = {&Hours::pnr, &Hours::lna, &Hours::hours},
//       .addColumns = {&Hours::hours, &Hours::pnr, &Hours::lna}};
#include "db/insert_or_add.h"
#include "db/row.h"

namespace lug::exporters {

template <class Row>
struct Staging {
  db::InsertOrAdd statements;
  db::Columns<Row> insertColumns;
  db::Columns<Row> addColumns;  // the update's bind variables: added and set columns, then the key
};

// A cursor statement and the row members its select list is read into.
template <class Row>
struct Query {
  const char* sql;
  db::Columns<Row> columns;
};

// One staging table to be emptied: its delete statement and the log line for
// a failed delete (printf format with the status), or nullptr when the
// exporter does not check the delete.
struct StagingTable {
  const char* deleteStatement;
  const char* failureMessage;
};

}  // namespace lug::exporters
