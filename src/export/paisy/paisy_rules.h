#pragma once
// What the two PAISY exporters (PAISY and PAISY(Br)) share: the company
// code, the payroll month and day of a booking, the record-kind flags, the
// dates of a period and the range extension of absence periods (P3).
#include <cstdint>
#include <string>

#include "base/run_context.h"
#include "db/row.h"
#include "export/framework.h"

namespace lug::exporters::paisy {

// The columns of the period cursor (Zk1Abr ... Zk1Upn, Zk1Rrn) as both
// exporters read them.
const db::Columns<PeriodRecord>& periodRecordColumns();

// A cost field whose line flag is 0 holds a single blank.
inline constexpr CostBlanks kBlankCosts{.kst = " ", .ktr = " ", .krt = " "};

// LugFir, else LugAkr, else the run's accounting group; a leading "_" becomes
// a blank; the staging rows carry the first two characters.
std::string companyCode(const InterfaceHeader& header, const std::string& akr);

// Payroll month and day of a booking date moved by the month offset LugMon.
struct PayrollDate {
  int32_t month = 0;  // month × 100 + two-digit year: March 2025 is 325 ("0325")
  int16_t day = 0;    // booking day; the last day of the payroll month for days
                      // above 28 when the offset is not 0
};
// Logs "Hor331Zk1-Datum-1: %s" / "Hor331Zk1-Datum+12: %s" when the month
// leaves the year.
PayrollDate payrollDate(RunContext& ctx, const std::string& bookingDate, int16_t offset);

// Whether a P3 record reverses an absence handed over before: a difference
// record (Zk1Rre 2) with negative minutes or days.
bool isReversal(const PeriodRecord& record);

// What a P4 or SS record adds to the employee's counters, by the status of
// its line: 3 the raw minutes to Ps4Bas, 103 the days to Ps4Bta, 108 the
// days to Ps4Kra; other statuses add nothing.
struct CounterValues {
  double bta = 0, bas = 0, kra = 0;
};
CounterValues counterValues(const PeriodRecord& record);

// The record-kind row (Hor170Lg1) of the payroll type and a record kind; the
// flags stay 0 when it is not found.
struct RecordKind {
  std::string stz;
  int16_t stt = 0, svt = 0, zes = 0, p4a = 0;
};
int readRecordKind(RunContext& ctx, const std::string& lgp, const std::string& stz,
                   RecordKind& kind);

// First and last day (yyyy.mm.dd) of a period of the run's accounting group.
struct PeriodDates {
  std::string von, bis;
};
int readPeriodDates(RunContext& ctx, int32_t abrnr, PeriodDates& dates);

// yyyy.mm.dd as ddmmyy; empty stays empty.
std::string ddmmyy(const std::string& date);

// An absence of a P3 record extended beyond its period: the earliest day of
// an unbroken run of booked days on the record's account that ends the day
// before the record starts (when that lies before the period), and whether
// the absence goes on after the period's last day.
struct Extension {
  std::string start;  // yyyy.mm.dd, empty when the absence does not reach back
  bool openEnd = false;
};
Extension extendRange(RunContext& ctx, const PeriodRecord& record, const PeriodDates& period);
// A new start alone replaces the from-date, an open end alone empties the
// to-date, both together empty both dates.
void applyExtension(const Extension& extension, PeriodRecord& record);

}  // namespace lug::exporters::paisy
