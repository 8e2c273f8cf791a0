#pragma once
// The absence calendar LOGA payroll reads from Hor333Bzr: one row per company,
// employee and staging month with one text column per day of the month
// (BzrT01 ... BzrT31). An absence span is marked by its wage-type code on its
// first day and by the end marker "0" on the day after its last.
//
// Every value is bound; the day column is chosen by its number from the
// fixed statements of the 31 columns, never taken from a text.
#include <cstdint>
#include <string>

#include "base/run_context.h"

namespace lug::exporters::loga400 {

// The calendar row of a company, staging personnel number and staging month
// (yyyymm).
struct CalendarRow {
  std::string fir, pnr;
  int32_t month = 0;
};

// Log lines of a write: printf formats with the personnel number and the status.
struct CalendarMessages {
  const char* insertFailed;
  const char* updateFailed;
};

// What a write does when the row exists already (insert status -1).
enum class ExistingRow { Update, Report };

class DayCalendar {
 public:
  explicit DayCalendar(RunContext& ctx) : ctx_(ctx) {}

  // Writes `code` on day `startDay` and the end marker on day `endDay` of the
  // row (0: no such day), inserting the row or updating the stored one. An
  // end on day 32 (a span that ends on the 31st) goes to day 01 of the
  // following month. Failures are logged with `pnr` (-9999 ends the run).
  void mark(const CalendarRow& row, int startDay, int endDay, const std::string& code,
            const CalendarMessages& messages, const std::string& pnr,
            ExistingRow existing = ExistingRow::Update);

  // The end of a span that ran to the last day of the row's month: the end
  // marker on day 01 of the following month's row, unless that day holds a
  // code already (a new span that starts there).
  void markEndInFollowingMonth(const CalendarRow& row, const CalendarMessages& messages,
                               const std::string& pnr);

 private:
  int insert(const CalendarRow& row, int day, const std::string& value);
  int update(const CalendarRow& row, int day, const std::string& value);

  RunContext& ctx_;
};

// The day digits of a yyyy.mm.dd date as a number (0 when it is empty).
int dayOf(const std::string& date);

}  // namespace lug::exporters::loga400
