#pragma once
// The interface lines of the run (Hor171Lu1), read with one cursor at their
// first use and served from memory for the rest of the run: a run never
// changes them. A reading answers as the statement it stands for: the same
// lines in the same order (of lines equal in account, wage type and validity
// start, the order is the engine's either way), the same statuses (1403 for
// none, -1422 for more than one where one is read). Values compare as the
// statements compare them: texts byte for byte, an empty value (NULL) equal
// to nothing, validity dates as stored. When the lines cannot be read, every
// reading runs its statement instead.
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/run_context.h"
#include "calc/source_rows.h"

namespace lug::calc {

class InterfaceLines {
 public:
  // A line as the readings see it: its values as fetched (validity dates
  // without time) and the validity dates as stored, for comparing.
  struct Line {
    InterfaceLine values;
    std::string gvo, gbi;
    double art = 0;  // Lu1Art; 1: a booking without minutes counts as a booked day
  };
  using Keep = std::function<bool(const Line&)>;

  // The run's lines, read at the first call.
  static InterfaceLines& of(RunContext& ctx);

  // Whether the lines are in memory; false after a reading that failed.
  bool inMemory() const { return inMemory_; }

  // Whether the line is valid in a span: Lu1Gvo<=:von and (Lu1Gbi is null or
  // Lu1Gbi>=:bis).
  static bool validIn(const Line& line, const std::string& von, const std::string& bis);
  // Lu1<column>=:value for a text column: an empty value is NULL.
  static bool equal(const std::string& column, const std::string& value) {
    return !value.empty() && column == value;
  }

  // The lines `keep` selects, in the order "order by Lu1Ztk,Lu1Lna,Lu1Gvo desc".
  std::vector<const InterfaceLine*> select(const Keep& keep) const;

  // The one line `keep` selects: 0, 1403 or -1422 (then `line` is null).
  int selectOne(const Keep& keep, const InterfaceLine*& line) const;

  // The lines of group `akr`'s interface (AkrLug of O1001AbrKreis) of any
  // validity, once for every row of the group, as a join of the two tables
  // on Lu1Num=AkrLug sees them; read once per group. Null when the lines or
  // the group cannot be read.
  const std::vector<const Line*>* ofGroup(RunContext& ctx, const std::string& akr);

 private:
  explicit InterfaceLines(RunContext& ctx);

  std::vector<Line> lines_;
  bool inMemory_ = false;
  std::map<std::string, std::optional<std::vector<const Line*>>> groups_;
};

// The lines of an ordered cursor over Hor171Lu1: from memory, or from the
// statement when the lines are not in memory. `statement` and its inputs
// select what `keep` selects.
class LineCursor {
 public:
  LineCursor(RunContext& ctx, const char* statement, InterfaceLines::Keep keep);

  int open(db::Ins in);
  int fetch(InterfaceLine& line);
  void close();

 private:
  db::Cursor cursor_;
  const InterfaceLines& lines_;
  InterfaceLines::Keep keep_;
  std::vector<const InterfaceLine*> selected_;
  size_t next_ = 0;
};

}  // namespace lug::calc
