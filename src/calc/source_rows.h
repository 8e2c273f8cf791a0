#pragma once
// Rows of the source tables as the calculation reads them: interface lines,
// bookings and employment rows, with the cursor fetches that fill them, and
// the small date rules shared by the period run and the recalculation.
#include <cstdint>
#include <string>

#include "db/session.h"
#include "driver/run_context.h"

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
// The part of the period the employment covers.
Span employmentSpan(const Employment& e, const Span& period);

// "dd.mm.yyyy ..." (the run's start time) as "yyyy.mm.dd".
std::string sessionDate(const std::string& startTime);

}  // namespace lug::calc
