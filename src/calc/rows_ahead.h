#pragma once
// The rows of one statement for the employees the walk reaches next
// (RunContext::walkAhead), read with one statement for up to kEmployees of
// them at the first question about one of them, instead of one statement per
// employee. The statement's first kEmployees bind variables are personnel
// numbers (NULL where the window has fewer), the rest the question's other
// values; its first column is the personnel number. An employee asked about
// with other values than the window's, or one the walk does not name, is left
// to the employee's own statement (nullptr); so is every employee of a window
// whose read failed, so that the employee's statement meets the failure and
// reports it as before.
#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/run_context.h"

// The personnel numbers of a window in a statement's text.
#define LUG_PNRS_AHEAD                                                                     \
  "(:b0,:b1,:b2,:b3,:b4,:b5,:b6,:b7,:b8,:b9,:b10,:b11,:b12,:b13,:b14,:b15,:b16,:b17,:b18," \
  ":b19,:b20,:b21,:b22,:b23,:b24,:b25,:b26,:b27,:b28,:b29,:b30,:b31)"

namespace lug::calc {

template <class Row>
class RowsAhead {
 public:
  static constexpr size_t kEmployees = 32;         // as many as LUG_PNRS_AHEAD names
  using Outputs = std::vector<db::Out> (*)(Row&);  // the columns after the personnel number

  RowsAhead(const char* statement, Outputs outputs) : statement_(statement), outputs_(outputs) {}

  using Rows = std::shared_ptr<const std::vector<Row>>;

  // The employee's rows, in the order the statement fetched them.
  Rows of(RunContext& ctx, const std::string& pnr, const std::vector<db::In>& values) {
    if (const auto it = rows_.find(pnr); it != rows_.end())
      return same(values) ? it->second : nullptr;
    const std::vector<std::string>& ahead = ctx.walkAhead;
    auto next = std::find(ahead.begin(), ahead.end(), pnr);
    if (next == ahead.end()) return nullptr;
    rows_.clear();
    values_ = values;
    std::vector<db::In> in;
    for (; next != ahead.end() && in.size() < kEmployees; ++next) {
      in.emplace_back(*next);
      rows_.try_emplace(*next, std::make_shared<std::vector<Row>>());
    }
    in.resize(kEmployees, db::In(""));
    in.insert(in.end(), values.begin(), values.end());
    // After a failed read the window's employees keep no rows: each reads
    // with its own statement, and none of them reads the window again.
    if (!read(ctx, in))
      for (auto& [windowPnr, rows] : rows_) rows.reset();
    return rows_[pnr];
  }

 private:
  bool same(const std::vector<db::In>& values) const {
    if (values.size() != values_.size()) return false;
    for (size_t i = 0; i < values.size(); ++i) {
      const db::Value a = values[i].value(), b = values_[i].value();
      if (a.type != b.type || a.i != b.i || a.d != b.d || a.s != b.s) return false;
    }
    return true;
  }

  // True when every row was read, each of a personnel number of the window
  // (a number the engine compares otherwise than as the same text would
  // leave the rows of its employee unknown).
  bool read(RunContext& ctx, const std::vector<db::In>& in) {
    db::Cursor cursor(ctx.db, statement_, db::Cursor::Mode::FewRows);
    int st = cursor.open(in);
    std::string pnr;
    Row row;
    std::vector<db::Out> out = outputs_(row);
    out.insert(out.begin(), db::Out(pnr));
    auto of = rows_.end();  // the rows of the last personnel number
    while (st == db::kOk && (st = cursor.fetch(out)) == db::kOk) {
      if (of == rows_.end() || of->first != pnr) of = rows_.find(pnr);
      if (of == rows_.end()) break;
      of->second->push_back(row);
    }
    cursor.close();
    return st == db::kNoData;
  }

  const char* const statement_;
  const Outputs outputs_;
  std::vector<db::In> values_;  // of the window
  // Every pnr of the window, also those without rows; no rows at all
  // (nullptr) after a failed read.
  std::unordered_map<std::string, std::shared_ptr<std::vector<Row>>> rows_;
};

// The answer of a single-row select from the employee's rows read ahead:
// 1403 and an empty row without a row, 0 and the row with one; std::nullopt
// with more rows (the statement answers with its status) or without rows.
template <class Row>
std::optional<int> singleRow(const typename RowsAhead<Row>::Rows& rows, Row& row) {
  if (!rows || rows->size() > 1) return std::nullopt;
  row = rows->empty() ? Row{} : rows->front();
  return rows->empty() ? db::kNoData : db::kOk;
}

}  // namespace lug::calc
