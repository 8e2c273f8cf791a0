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
// aside (WindowOn::Aside): the kWindowsAhead windows after the one read are
// sent on the second connection (db::Cursor::Mode::Aside) with the same
// values, so that they are read (by the server, or by the embedded engine's
// own thread, which also stores their rows into Row values) while the walk
// computes this one. One over rows the run writes, but never rows
// a window's question asks for (WindowOn::Session), runs on the session's
// connection when its window is asked for.
#include <algorithm>
#include <deque>
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
  static constexpr size_t kWindowsAhead = 2;
  // The columns after the personnel number.
  using Outputs = std::function<std::vector<db::Out>(Row&)>;

  RowsAhead(RunContext& ctx, const char* statement, Outputs outputs, WindowOn on = WindowOn::Aside)
      : db_(ctx.db),
        statement_(statement),
        cursor_(ctx.db, statement,
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
    const std::vector<std::string> window = windowAt(first, ahead.end());
    values_ = values;
    // After a failed read the window's employees keep no rows: each reads
    // with its own statement, and none of them reads the window again.
    rows_ = read(window);
    if (on_ == WindowOn::Aside)
      sendAhead(first + static_cast<ptrdiff_t>(window.size()), ahead.end());
    return rows_[pnr];
  }

 private:
  using Pnrs = std::vector<std::string>::const_iterator;
  // Every pnr of a window, also those without rows; no rows at all
  // (nullptr) after a failed read.
  using Window = std::unordered_map<std::string, std::shared_ptr<std::vector<Row>>>;
  // A window sent aside; its rows are filled where they are read.
  struct Sent {
    Sent(db::Session& db, const char* statement) : cursor(db, statement, db::Cursor::Mode::Aside) {}
    std::vector<std::string> pnrs;
    std::vector<db::In> values;
    std::shared_ptr<Window> rows = std::make_shared<Window>();
    db::Cursor cursor;
  };

  static std::vector<std::string> windowAt(Pnrs first, Pnrs end) {
    return {first, first + std::min<ptrdiff_t>(kEmployees, end - first)};
  }

  // Keeps the kWindowsAhead windows after the one read sent aside, with the
  // same values; those sent for other employees or values are dropped.
  void sendAhead(Pnrs next, Pnrs end) {
    for (size_t i = 0; i < kWindowsAhead && next != end; ++i) {
      std::vector<std::string> window = windowAt(next, end);
      next += static_cast<ptrdiff_t>(window.size());
      if (i < sent_.size() && sent_[i]->pnrs == window && same(sent_[i]->values, values_)) continue;
      sent_.resize(i);
      std::unique_ptr<Sent> sent = send(std::move(window));
      if (!sent) return;
      sent_.push_back(std::move(sent));
    }
  }

  // Sends a window; its rows are taken into the calculation's rows where
  // they are read.
  std::unique_ptr<Sent> send(std::vector<std::string> window) {
    auto sent = std::make_unique<Sent>(db_, statement_);
    sent->pnrs = std::move(window);
    sent->values = values_;
    const auto take = [rows = sent->rows, pnrs = sent->pnrs,
                       outputs = outputs_](db::FetchedRows& fetched) {
      *rows = collect(pnrs, outputs, [&](db::Outs out) { return fetched.fetch(out); });
    };
    if (sent->cursor.send(inputs(sent->pnrs), take) != db::kOk) return nullptr;
    return sent;
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

  // The window sent aside first is taken when it is this one with the same
  // values; else the window is read now.
  Window read(const std::vector<std::string>& window) {
    if (!sent_.empty() && sent_.front()->pnrs == window && same(sent_.front()->values, values_)) {
      const std::unique_ptr<Sent> sent = std::move(sent_.front());
      sent_.pop_front();
      return sent->cursor.open() == db::kOk ? std::move(*sent->rows) : failed(window);
    }
    sent_.clear();  // sent for others
    int st = cursor_.open(inputs(window));
    Window rows = collect(window, outputs_, [&](db::Outs out) {
      return st == db::kOk ? (st = cursor_.fetch(out)) : st;
    });
    cursor_.close();
    return rows;
  }

  // Every row fetched, each of a personnel number of the window (a number
  // the engine compares otherwise than as the same text would leave the
  // rows of its employee unknown); else the window's failed read.
  template <class Fetch>
  static Window collect(const std::vector<std::string>& window, const Outputs& outputs,
                        Fetch fetch) {
    Window rows = failed(window);
    for (auto& [pnr, of] : rows) of = std::make_shared<std::vector<Row>>();
    std::string pnr;
    Row row;
    std::vector<db::Out> out = outputs(row);
    out.insert(out.begin(), db::Out(pnr));
    auto of = rows.end();  // the rows of the last personnel number
    int st;
    while ((st = fetch(out)) == db::kOk) {
      if (of == rows.end() || of->first != pnr) of = rows.find(pnr);
      if (of == rows.end()) break;
      of->second->push_back(row);
    }
    return st == db::kNoData ? rows : failed(window);
  }

  static Window failed(const std::vector<std::string>& window) {
    Window rows;
    for (const std::string& p : window) rows.try_emplace(p);
    return rows;
  }

  db::Session& db_;
  const char* const statement_;
  db::Cursor cursor_;
  const Outputs outputs_;
  const WindowOn on_;
  std::vector<db::In> values_;  // of the window
  Window rows_;
  std::deque<std::unique_ptr<Sent>> sent_;  // in the order the walk reaches them
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
