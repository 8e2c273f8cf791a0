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
// reports it as before. A statement over tables the run never writes runs
// aside (WindowOn::Aside): the window after the one read is sent on the
// second connection (db::Cursor::Mode::Aside) with the same values, so that
// it is read (by the server, or by the embedded engine's own thread) while
// the walk computes this one. One over rows the run writes, but never rows
// a window's question asks for (WindowOn::Session), runs on the session's
// connection when its window is asked for.
#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "base/run_context.h"

// The personnel numbers of a window in a statement's text.
#define LUG_PNRS_AHEAD                                                                     \
  "(:b0,:b1,:b2,:b3,:b4,:b5,:b6,:b7,:b8,:b9,:b10,:b11,:b12,:b13,:b14,:b15,:b16,:b17,:b18," \
  ":b19,:b20,:b21,:b22,:b23,:b24,:b25,:b26,:b27,:b28,:b29,:b30,:b31)"
// The same as alternatives of equalities of the column `c` (a string
// literal), for a personnel number that is part of a table's unique key: the
// equalities compare empty as equal to empty, as the key index does, and so
// find the rows through it, where an in-list cannot.
#define LUG_PNR_EQUALS_AHEAD(c)                                                                    \
  "(" c "=:b0 or " c "=:b1 or " c "=:b2 or " c "=:b3 or " c "=:b4 or " c "=:b5 or " c "=:b6 or " c \
  "=:b7 or " c "=:b8 or " c "=:b9 or " c "=:b10 or " c "=:b11 or " c "=:b12 or " c "=:b13 or " c   \
  "=:b14 or " c "=:b15 or " c "=:b16 or " c "=:b17 or " c "=:b18 or " c "=:b19 or " c              \
  "=:b20 or " c "=:b21 or " c "=:b22 or " c "=:b23 or " c "=:b24 or " c "=:b25 or " c              \
  "=:b26 or " c "=:b27 or " c "=:b28 or " c "=:b29 or " c "=:b30 or " c "=:b31)"

namespace lug::calc {

enum class WindowOn { Aside, Session };

template <class Row>
class RowsAhead {
 public:
  static constexpr size_t kEmployees = 32;  // as many as LUG_PNRS_AHEAD names
  // The columns after the personnel number.
  using Outputs = std::function<std::vector<db::Out>(Row&)>;

  RowsAhead(RunContext& ctx, const char* statement, Outputs outputs, WindowOn on = WindowOn::Aside)
      : cursor_(ctx.db, statement,
                on == WindowOn::Aside ? db::Cursor::Mode::Aside : db::Cursor::Mode::FewRows),
        outputs_(std::move(outputs)),
        on_(on) {}

  using Rows = std::shared_ptr<const std::vector<Row>>;

  // The employee's rows, in the order the statement fetched them.
  Rows of(RunContext& ctx, const std::string& pnr, const std::vector<db::In>& values) {
    if (const auto it = rows_.find(pnr); it != rows_.end())
      return same(values, values_) ? it->second : nullptr;
    const std::vector<std::string>& ahead = ctx.walkAhead;
    const auto first = std::find(ahead.begin(), ahead.end(), pnr);
    if (first == ahead.end()) return nullptr;
    const auto following = first + std::min<ptrdiff_t>(kEmployees, ahead.end() - first);
    const std::vector<std::string> window(first, following);
    rows_.clear();
    values_ = values;
    for (const std::string& p : window) rows_.try_emplace(p, std::make_shared<std::vector<Row>>());
    // After a failed read the window's employees keep no rows: each reads
    // with its own statement, and none of them reads the window again.
    if (!read(window))
      for (auto& [windowPnr, rows] : rows_) rows.reset();
    if (on_ == WindowOn::Aside) send(following, ahead.end());
    return rows_[pnr];
  }

 private:
  // Sends the window after the one read, with the same values.
  void send(std::vector<std::string>::const_iterator first,
            std::vector<std::string>::const_iterator end) {
    sent_ = std::vector<std::string>(first, first + std::min<ptrdiff_t>(kEmployees, end - first));
    sentValues_ = values_;
    if (!sent_.empty() && cursor_.send(inputs(sent_)) != db::kOk) sent_.clear();
  }

  static bool same(const std::vector<db::In>& values, const std::vector<db::In>& other) {
    if (values.size() != other.size()) return false;
    for (size_t i = 0; i < values.size(); ++i) {
      const db::Value a = values[i].value(), b = other[i].value();
      if (a.type != b.type || a.i != b.i || a.d != b.d || a.s != b.s) return false;
    }
    return true;
  }

  // The window's personnel numbers, NULL for the missing ones, then the values.
  std::vector<db::In> inputs(const std::vector<std::string>& window) const {
    std::vector<db::In> in(window.begin(), window.end());
    in.resize(kEmployees, db::In(""));
    in.insert(in.end(), values_.begin(), values_.end());
    return in;
  }

  // True when every row was read, each of a personnel number of the window
  // (a number the engine compares otherwise than as the same text would
  // leave the rows of its employee unknown). The window sent aside before
  // is taken when it is this one with the same values.
  bool read(const std::vector<std::string>& window) {
    if (sent_ != window || !same(sentValues_, values_)) cursor_.close();  // sent for others
    int st = cursor_.open(inputs(window));
    std::string pnr;
    Row row;
    std::vector<db::Out> out = outputs_(row);
    out.insert(out.begin(), db::Out(pnr));
    auto of = rows_.end();  // the rows of the last personnel number
    while (st == db::kOk && (st = cursor_.fetch(out)) == db::kOk) {
      if (of == rows_.end() || of->first != pnr) of = rows_.find(pnr);
      if (of == rows_.end()) break;
      of->second->push_back(row);
    }
    cursor_.close();
    return st == db::kNoData;
  }

  db::Cursor cursor_;
  const Outputs outputs_;
  const WindowOn on_;
  std::vector<db::In> values_;  // of the window
  // The window sent aside and the values it was sent with.
  std::vector<std::string> sent_;
  std::vector<db::In> sentValues_;
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
