#pragma once
// Test data of an accounting group for the period calculation: short helpers
// that fill the source tables, a fixture with a run context on the test
// installation's session, and readers of the result tables and the run log.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/run_context.h"
#include "base/run_log.h"
#include "calc/source_rows.h"
#include "support/installation.h"

namespace lug::calc::test {

using lug::test::Installation;
using Lines = std::vector<std::string>;

// Accounting group A1 with interface L1 of the given payroll type and its
// record kind "LA"; periods 1 to 3 (from `firstPeriod` on) are January to
// March 2024.
struct GroupData {
  std::string akr = "A1", lug = "L1", lgp = "DATEV";
  int dtm = 0;          // 2: booking date is the period's last day
  int payrollOnly = 0;  // LugPnr
  std::vector<std::string> kinds = {"LA"};
  int recalcDepth = 0;  // AkrRrm: earlier periods recalculated by a run
  int firstPeriod = 1;
};
void addGroup(Installation& inst, const GroupData& g = {});
void addPeriod(Installation& inst, const std::string& akr, int nr, const std::string& von,
               const std::string& bis);

struct LineData {
  std::string stz = "LA", ztk{}, lna{}, lgr{};
  std::string gvo = "2020.01.01", gbi{};
  int rre = 1, tgw = 0, tge = 0, sol = 0, svk = 0, flg = 0, sts = 0, fkt = 0, ztr = 0, art = 0;
  std::string lug = "L1";
};
void addLine(Installation& inst, const LineData& l);

void addEmployee(Installation& inst, const std::string& pnr, const std::string& akr = "A1",
                 const std::string& gvo = "2020.01.01", const std::string& gbi = "",
                 const std::string& lug = "", const std::string& sfr = "");
void addCost(Installation& inst, const std::string& pnr, const std::string& kst,
             const std::string& ktr, const std::string& krt);

struct BookingData {
  std::string pnr = "4711", dtm{}, zkt{};
  int std = 0, tge = 0, stg = 0, ztr = 1;
  std::string kst{}, ktr{}, krt{};
};
void addBooking(Installation& inst, const BookingData& b);

// Day records (TgbZtr 1) from `von` to `bis`: `sol` minutes target on
// working days (Monday to Friday), 0 on weekends; `unb` unpaid minutes.
void addDays(Installation& inst, const std::string& pnr, const std::string& von,
             const std::string& bis, int sol = 480, int unb = 0);
struct DayData {
  std::string pnr = "4711", dtm{};
  int ztr = 1, sol = 0, unb = 0;
  double max = 0;
  int sa1 = 0, vt1 = 0, sa2 = 0, vt2 = 0, sa3 = 0, vt3 = 0, vt5 = 0;
};
void addDay(Installation& inst, const DayData& d);

// Attendance record with day codes (whole day, first and second half).
void addAttendance(Installation& inst, const std::string& pnr, const std::string& day,
                   const std::string& whole, const std::string& first = "",
                   const std::string& second = "");
void addDayCode(Installation& inst, const std::string& code, const std::string& account);

// Runs the lug program for a period of a group with the database clock at
// `now` ("yyyy.mm.dd hh24:mi:ss"; it is also the run key); mode "1" is an
// interim run, `filter` the optional sixth argument.
lug::test::RunResult runAt(Installation& inst, const std::string& now, const std::string& akr,
                           const std::string& abrnr, const std::string& mode = "0",
                           const std::string& filter = "");

// Days of a calendar span, yyyy.mm.dd.
std::vector<std::string> daysOf(const std::string& von, const std::string& bis);
bool isWeekend(const std::string& day);

// Rows of a query, cells joined with '|'.
Lines joinedRows(Installation& inst, const std::string& sql);
// Every period record: Abr|Lfn|Stz|Bdt|Pnr|Zkt|Lna|Lgr|Kst|Ktr|Krt|Std|Tge|Stg|Von|Bis|Sts|Rre|Sta|
// Upn|Inf|Su1, in key order.
Lines periodRecords(Installation& inst);
// Every day summary: Abr|Pnr|Bdt|Stt|Svt|Slt|Ant|Sln|Uns|Zes|Bzt|Unt|Rre.
Lines daySummaries(Installation& inst);

// Windows-1252 text as UTF-8.
std::string fromWindows1252(const std::string& bytes);
// The lines of a text with CR LF line ends.
Lines logLines(const std::string& text);
// The lines from the first starting with `first` up to the first after it
// starting with `last`, both included.
Lines logSection(const Lines& lines, const std::string& first, const std::string& last);

// A run context on the installation's session for calling the calculation
// in-process: group A1, January 2024 (period 1), final run.
class CalcTest : public ::testing::Test {
 protected:
  CalcTest();
  // Sets the period and reads the interface row of the group.
  void usePeriod(int32_t abrnr, const std::string& von, const std::string& bis);
  // The lines of the run log, as UTF-8.
  Lines log() const;

  Installation inst;
  base::RunLog runLog{inst.logPath().string()};
  RunContext ctx{inst.db(), runLog};
};

}  // namespace lug::calc::test
