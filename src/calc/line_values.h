#pragma once
// The records of one booking row under an interface line: a month value, the
// day values of a day-by-day line, or the spans of a period account. The
// period run hands them over as period records; the recalculation writes the
// same records into the work table to compare them with what was handed over.
#include <string>

#include "base/run_context.h"
#include "calc/records.h"
#include "calc/source_rows.h"

namespace lug::calc {

// Where the records of a line go, and the messages of failed writes.
struct LineTargets {
  RecordWriter& values;          // month values and day values
  RecordWriter& periodAccounts;  // spans of period accounts
  bool keepEmpty;                // also values with neither minutes nor days
  const char* monthFailed;       // insert of a month value failed (format with the status)
  const char* dayFailed;         // insert of a day value failed
  const char* addFailed;         // addition to a stored record failed
};

// The employee and the periods a booking row is handed over for.
struct LineScope {
  std::string pnr, upn;
  std::string akr;   // accounting group whose interface lines count the check days
  int16_t dtm = 0;   // LugDtm of that group's interface
  Span booked;       // the period whose bookings are handed over
  Span own;          // the period the hand-over belongs to (booking dates)
  bool followMonth;  // a follow-month call
};

// Writes the records of one booking row of a line that applies: spans of a
// period account, the day values of a day-by-day line, or the month value.
// Days of lines that reduce Zk2Svt are added to `checkDays` (tenths).
// Returns whether a record was attempted.
bool handOverBooking(RunContext& ctx, const LineScope& scope, const InterfaceLine& line,
                     const Booking& b, const LineTargets& to, double& checkDays);

}  // namespace lug::calc
