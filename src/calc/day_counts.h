#pragma once
// Day counts that are more than a sum of bookings: the check days of an
// account, the booked-day share of an employment and the interruptions (blocks
// of at least five wholly unpaid days). Days are counted in tenths: 10 for a
// whole day, 5 for a half day.
#include <cstdint>
#include <string>

#include "base/run_context.h"
#include "calc/records.h"
#include "calc/source_rows.h"

namespace lug::calc {

inline constexpr int32_t kWholeDay = 10;
inline constexpr int32_t kHalfDay = 5;

// The day codes of an attendance record: whole day, first and second half.
struct DayCodes {
  std::string whole, first, second;
  // Only half-day codes: the day is a half day of absence.
  bool halfDay() const { return whole.empty(); }
};
// The day codes of the employee's attendance record of the day; 1403 when
// the day has none.
int readDayCodes(RunContext& ctx, const std::string& pnr, const std::string& day, DayCodes& codes);
// Target minutes of the employee's day record; 1403 when there is none.
int readDayTarget(RunContext& ctx, const std::string& pnr, const std::string& day, int32_t& sol);

// Check days of the booking's account, cost centre and cost unit over the
// range, by the line's target rule (Lu1Sol) and status (102: every half-day
// code counts), with the interface of accounting group `akr`.
int32_t checkDays(RunContext& ctx, const std::string& akr, const InterfaceLine& line,
                  const Booking& account, const Span& range);

// Booked-day share of the span: days booked on accounts of status 102, less
// the days whose day codes belong to accounts of status 105 to 109.
double bookedShare(RunContext& ctx, const std::string& akr, const std::string& pnr,
                   const Span& span);

// Number of interruptions of the employee in the period. A block that already
// ran into the month before (January excepted) is not counted again.
int32_t countInterruptions(RunContext& ctx, const std::string& pnr, const Span& period);

// The interface line (status 112) that names the wage type of interruptions.
struct InterruptionLine {
  std::string lna, stz;
  int16_t rre = 0;
};
// Reads the line valid over the whole period; 0 when there is one.
int readInterruptionLine(RunContext& ctx, const std::string& lugKey, const Span& period,
                         InterruptionLine& line);

struct InterruptionInput {
  std::string pnr, upn;
  Span period;      // the booked period
  std::string bdt;  // booking date
  CostAssignment cost;
};
// Counts the employee's interruptions and hands the count over as one record
// when there are any (a record stored already stays as it is). Returns the count.
int32_t handOverInterruptions(RunContext& ctx, const InterruptionLine& line,
                              const InterruptionInput& in, RecordWriter& to);

}  // namespace lug::calc
