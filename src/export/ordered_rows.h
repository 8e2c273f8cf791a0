#pragma once
// The rows of a file's staging cursor in one fixed order. A file statement
// often orders by the personnel number only; the rows of one employee then
// come in whatever order the engine returns them, which differs between
// engines and between runs. The rows are read whole and every group of rows
// that the statement leaves in no order among themselves is put into the
// order of `tieOrder`, so that the same staging rows always give the same
// file:
//
//   for (const Row& r : rowsInOrder(h, kRows, [](const Row& r) { return std::tie(r.pnr); },
//                                   [](const Row& r) { return std::tie(r.day, r.lna); }))
//     file.write(...);
#include <algorithm>
#include <vector>

#include "export/handover.h"

namespace lug::exporters {

// Sorts each run of neighbouring rows that are equal in `statementOrder` by
// `tieOrder`; the order between the runs stays. Both return comparable keys
// (std::tie of the row's members).
template <class Row, class StatementOrder, class TieOrder>
void orderTies(std::vector<Row>& rows, StatementOrder statementOrder, TieOrder tieOrder) {
  auto first = rows.begin();
  while (first != rows.end()) {
    auto last = std::find_if(first, rows.end(), [&](const Row& r) {
      return statementOrder(r) != statementOrder(*first);
    });
    std::stable_sort(first, last,
                     [&](const Row& a, const Row& b) { return tieOrder(a) < tieOrder(b); });
    first = last;
  }
}

// Every row of a file writer's staging cursor (rows that met a null without
// indicator count, as in Handover::writeRows), ties ordered by `tieOrder`.
template <class Row, class StatementOrder, class TieOrder>
std::vector<Row> rowsInOrder(Handover& h, const Query<Row>& query, StatementOrder statementOrder,
                             TieOrder tieOrder, db::Ins binds = {}) {
  std::vector<Row> rows;
  Row row;
  h.writeRows(query, binds, row, [&] { rows.push_back(row); });
  orderTies(rows, statementOrder, tieOrder);
  return rows;
}

}  // namespace lug::exporters
