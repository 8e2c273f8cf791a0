#pragma once
// Calendar days of the dates in transfer files: the day before and the day
// after a dd.mm.yyyy date, and a date moved into another month kept to a day
// that month has. The day after the 31st of January is the 1st of February,
// the day before the 1st of March the last day of February.
#include <cstdint>
#include <string>

namespace lug::exporters {

// The day after / before a dd.mm.yyyy date, as dd.mm.yyyy. A text that is
// not a date of the calendar stays as it is.
std::string nextDay(const std::string& ddmmyyyy);
std::string previousDay(const std::string& ddmmyyyy);

// A date yyyymmdd whose day lies beyond the end of its month (after a month
// shift: 20240131 moved by one month is 20240231) becomes the month's last
// day (20240229). Other numbers stay as they are.
int32_t withinMonth(int32_t yyyymmdd);

// The number of days of a month (1..12) of the Gregorian calendar.
int16_t lastDayOfMonth(int32_t year, int32_t month);

// A date yyyymmdd moved by `offset` months with year carry (shiftDate), whose
// day is then kept inside the new month: a 31st moved into a month of 30 days
// becomes the 30th, the 31st of January moved by one month the last day of
// February. A payroll system must never be handed a day that does not exist.
int32_t shiftCalendarDate(int32_t yyyymmdd, int offset);

// A date yyyymmdd as dd.mm.yyyy.
std::string dottedDate(int32_t yyyymmdd);

}  // namespace lug::exporters
