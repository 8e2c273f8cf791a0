#pragma once
// The day summary of an employment row (Hor331Zk2): employment days, target
// days and hours, booked-day share, unpaid hours, month maximum, days with
// bookings.
#include <cstdint>
#include <string>

#include "base/run_context.h"
#include "calc/records.h"
#include "calc/source_rows.h"

namespace lug::calc {

// Employment days a period counts at most, whatever its length.
inline constexpr double kPeriodDays = 30;

// The nine values of a day summary; hours are minutes until finished().
struct DayFigures {
  double stt = 0, svt = 0, slt = 0, ant = 0, sln = 0, uns = 0, zes = 0, bzt = 0, unt = 0;
  bool operator==(const DayFigures&) const = default;
};

struct SummaryInput {
  std::string pnr;
  Span span;        // the part of the period the employment covers
  Span period;      // the booked period
  std::string akr;  // accounting group whose interface lines count
  bool psybr = false;
};

// Employment days (added to the employee's running sum, which stays at most
// 30), target days and hours, and the month maximum.
DayFigures employmentFigures(RunContext& ctx, const SummaryInput& in, double& employedDays);
// Booked-day share, days with bookings and unpaid minutes.
void bookingFigures(RunContext& ctx, const SummaryInput& in, DayFigures& f);

// The figures as written: Zk2Svt reduced by the check days (tenths), minutes
// as hours, every value rounded to two decimals.
DayFigures finished(DayFigures f, double checkDays);
// Every value rounded to two decimals.
DayFigures roundedToCents(DayFigures f);

// Insert-or-add of a finished day summary.
void writeDaySummary(RunContext& ctx, int32_t abr, const std::string& pnr, const std::string& bdt,
                     int16_t rre, const DayFigures& f);

// The employee's master cost assignment valid in the period (cleared when none).
int readMasterCost(RunContext& ctx, const std::string& pnr, const Span& period,
                   CostAssignment& cost);

}  // namespace lug::calc
