#pragma once
// What the payroll exporters share besides the hand-over skeleton
// (export/handover.h): the period record and the interface data they read,
// field checks, dates, months, trims and quantities.
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>

#include "base/run_context.h"
#include "db/session.h"
#include "export/rejection.h"

namespace lug::exporters {

// A period record (Hor331Zk1) as the exporters read it; null columns read as
// empty texts or 0.
struct PeriodRecord {
  int32_t abr = 0;
  int16_t lfn = 0;
  std::string stz, bdt, pnr, zkt, lna, lgr, kst, ktr, krt;
  int32_t minutes = 0;  // Zk1Std
  int32_t tenths = 0;   // Zk1Tge: days in tenths
  int32_t stg = 0;
  std::string von, bis;
  int16_t sts = 0, rre = 0, sta = 0;
  std::string upn;  // personnel number in the payroll system
  int32_t rrn = 0;  // Zk1Rrn: the period a recalculation record comes from
  int16_t inf = 0;  // Zk1Inf
  double su1 = 0;   // Zk1Su1: sequence number of the LOGA2 interface
};

// --- interface data -------------------------------------------------------------

// The accounting group's interface header (Hor171Lug).
struct InterfaceHeader {
  std::string lug;  // LugLug: key of the interface lines
  int16_t mon = 0;  // LugMon: months between the time period and the payroll month
  std::string fir;  // LugFir: company number at the payroll system
  std::string akr;  // LugAkr: accounting-group number at the payroll system
};

// Full: all four fields; Short: LugLug and LugFir; WithGroup: without LugMon.
enum class HeaderForm { Full, Short, WithGroup };

// Reads the header of ctx.akr's interface; a field the form does not read, or
// a null column, stays empty (0). Returns the status (kept in ctx.status).
int readInterfaceHeader(RunContext& ctx, HeaderForm form, InterfaceHeader& header);

// First day of the run's period as yyyy.mm.dd (empty when it cannot be read).
int readPeriodStart(RunContext& ctx, std::string& periodStart);

// Flags of the interface line of a record (Hor171Lu1).
struct LineFlags {
  int16_t kst = 0;  // 1: hand the cost centre over
  int16_t ktr = 0;  // 1: hand the cost unit over
  int16_t krt = 0;  // 1: hand the cost type over
  double mog = 0;   // factor of the line
  int16_t fkt = 0;
  int16_t bau = 0;  // 1: an amount line
};

// What a cost field holds in the exporter's format when its flag is 0 (an
// empty text, a single blank, "0"); nullptr leaves the field as it is.
struct CostBlanks {
  const char* kst = nullptr;
  const char* ktr = nullptr;
  const char* krt = nullptr;
};

// Blanks the record's cost fields whose flags are 0.
void applyCostFlags(const LineFlags& flags, const CostBlanks& blanks, PeriodRecord& record);

// The shared interface-line lookup: the flags of the first line of interface
// `lug` for the record's kind, account and wage type that is valid at its
// booking date (a null flag counts as 0), applied to the record. When no line
// is found the record keeps its cost fields. Returns the fetch status.
int applyInterfaceLine(RunContext& ctx, const std::string& lug, const CostBlanks& blanks,
                       PeriodRecord& record, LineFlags& flags);

// Whether a fetch that met a null without indicator (-1405) counts as a row:
// the file writers write such rows like the others.
enum class NullRow { EndsLoop, Counts };

struct LoopEnd {
  int status = 0;  // the fetch status that ended the loop
  int rows = 0;    // rows handed to the body
};

// --- field checks -------------------------------------------------------------------

// One check of a record before it is staged: whether it failed, and the log
// line that names the personnel number and the offending value.
struct FieldCheck {
  bool failed;
  std::function<void()> report;
};

// Runs the checks in order; the first that fails writes its line. Returns
// whether the record passed them all.
bool passes(std::initializer_list<FieldCheck> checks);

// Whether a text is longer than a field of `width` characters of the payroll
// file's single-byte text.
bool exceedsWidth(std::string_view text, size_t width);

// --- dates, months, texts, quantities ---------------------------------------------

// yyyy.mm.dd as the number yyyymmdd (2024.03.15 gives 20240315; empty gives 0).
int32_t dateNumber(std::string_view date);

// Moves a payroll month yyyymm by `offset` months with year carry, forward
// for a positive offset and back for a negative one.
int32_t shiftMonth(int32_t yyyymm, int offset);
// The same for a date yyyymmdd; the day digits stay as they are.
int32_t shiftDate(int32_t yyyymmdd, int offset);

// Removes trailing blanks and tabs; a text of blanks and tabs only stays as it is.
std::string rightTrim(std::string_view text);
// Removes leading and trailing blanks and tabs; a text of blanks and tabs only
// becomes empty.
std::string fullTrim(std::string_view text);

// Hours and days as the payroll systems get them: minutes × 1/60 and tenths × 0.1.
double hoursOf(int32_t minutes);
double daysOf(int32_t tenths);

}  // namespace lug::exporters
