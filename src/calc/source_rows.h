#pragma once
// Rows of the source tables as the calculation reads them: interface lines,
// bookings and employment rows, with the cursor fetches that fill them, and
// the small date rules shared by the period run and the recalculation.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/run_context.h"
#include "db/session.h"

namespace lug::calc {

// Single-row statuses that still tell that the row exists: a null read
// without indicator (-1405) or more rows than one (-1422).
inline constexpr int kTooManyRows = -1422;
bool rowExists(int status);

// Opens the cursor and returns the status; a fatal status ends the run.
int openCursor(RunContext& ctx, db::Cursor& c, db::Ins in);

// One line of the payroll interface (Hor171Lu1), columns in select order.
struct InterfaceLine {
  std::string num{}, stz{}, ztk{}, lna{}, lgr{}, gvo{}, gbi{};
  int16_t rre = 0, tgw = 0, kst = 0, ktr = 0, krt = 0, tge = 0, sol = 0, svk = 0, flg = 0, lfn = 0,
          sts = 0, fkt = 0, ztr = 0;
  double mog = 0;
  int16_t sta = 0;

  // The group key as records carry it: five blanks when the line has none.
  std::string groupKey() const { return lgr.empty() ? "     " : lgr; }
};
int fetchLine(db::Cursor& c, InterfaceLine& line);

// Interface lines in cursor order (account, wage type, newest validity
// first): of several lines with the same account and wage type only the
// newest counts; each further one is reported in the run log.
class NewestLines {
 public:
  explicit NewestLines(RunContext& ctx) : ctx_(ctx) {}
  // Whether the line counts; a line that counts is remembered.
  bool counts(const InterfaceLine& line);

 private:
  RunContext& ctx_;
  bool first_ = true;
  std::string ztk_, lna_;
};

// The record kinds of a payroll-system type (Hor170Lg1), at most five in
// cursor order. Returns the status that ended the reading.
int readRecordKinds(RunContext& ctx, const std::string& lgp, std::vector<std::string>& kinds);

// One booking row (Hor331Zkb); the month and summed cursors leave dtm and dat empty.
struct Booking {
  std::string pnr{};
  int16_t ztr = 0;
  std::string dtm{}, kst{}, ktr{}, krt{}, zkt{};
  int32_t std = 0, tge = 0;
  int16_t stg = 0, sta = 0;
  std::string dat{};
};
// Month values and summed day values (no booking day).
int fetchAccountRow(db::Cursor& c, Booking& b);
// Single days.
int fetchDay(db::Cursor& c, Booking& b);

// One employment row (Hor310Bsv), trimmed.
struct Employment {
  std::string pnr{}, akr{}, gvo{}, gbi{}, lug{}, sfr{};
  // The payroll personnel number: BsvLug when set, else the personnel number.
  const std::string& upn() const { return lug.empty() ? pnr : lug; }
};
int fetchEmployment(db::Cursor& c, Employment& e);
// The run-log line of an employment row being computed.
void logEmployment(RunContext& ctx, const Employment& e);

// The master cost assignment of an employee (Hor311Zuo).
struct CostAssignment {
  std::string kst{}, ktr{}, krt{};
};

// An end of employment that does not end it: none, or the "0001-01-01" marker.
bool openEnd(const std::string& gbi);

struct Span {
  std::string von{}, bis{};
  bool operator==(const Span&) const = default;
};
// The accounting group of the employee's employment row that overlaps the
// span; 0 when there is one.
int readGroupInSpan(RunContext& ctx, const std::string& pnr, const Span& span, std::string& group);

// The group an employee belonged to in a span, with that group's interface.
struct OtherGroup {
  std::string akr{};
  InterfaceRow lug{};
};
// An employment row that starts after the span is computed only when the
// employee belonged to another group than `akr` in the span: then that group
// is returned with its interface (a failed read logged with `readFailed`, a
// format with the status). Otherwise the reason is logged and nothing returned.
std::optional<OtherGroup> enteredFromOtherGroup(RunContext& ctx, const Employment& row,
                                                const Span& span, const std::string& akr,
                                                const char* readFailed);

// The booking date of month records: the period's last day when the
// interface says so (LugDtm 2), else its first day.
std::string bookingDate(const Span& period, int16_t dtm);

// The part of the period the employment covers.
Span employmentSpan(const Employment& e, const Span& period);

// "dd.mm.yyyy ..." (the run's start time) as "yyyy.mm.dd".
std::string sessionDate(const std::string& startTime);

}  // namespace lug::calc
