#include "calc/line_values.h"

#include "calc/day_counts.h"
#include "calc/employee_days.h"
#include "calc/period_account.h"

namespace lug::calc {
namespace {

constexpr char kSingleDays[] =
    "select ZkbPnr ,ZkbZtr ,ZkbDtm ,ZkbKst ,ZkbKtr ,ZkbKrt ,ZkbZkt ,ZkbStd ,ZkbTge ,ZkbStg ,ZkbSta "
    ",ZkbDat  from Hor331Zkb where ((((ZkbPnr=:b0 and ZkbZtr=1) and ZkbZkt=:b1) and ZkbDtm>=:b2) "
    "and ZkbDtm<=:b3) order by ZkbZkt,ZkbDtm";

class BookingRow {
 public:
  BookingRow(RunContext& ctx, const LineScope& scope, const InterfaceLine& line,
             const LineTargets& to, double& checkDays)
      : ctx_(ctx), scope_(scope), line_(line), to_(to), checkDays_(checkDays) {}

  bool handOver(const Booking& b) {
    if (line_.ztr != 0) {
      const PeriodAccountInput in{b, line_, scope_.booked, scope_.upn, scope_.followMonth};
      return periodAccount(ctx_, in, to_.periodAccounts, checkDays_) > 0;
    }
    if (line_.tgw == 0) return monthValue(b);
    return dayValues(b);
  }

 private:
  bool monthValue(const Booking& b) {
    // In a follow month the line tells which period's day is the booking date.
    const bool bookedDate = scope_.followMonth && line_.fkt != 0;
    Record r = valueRecord(b, bookingDate(bookedDate ? scope_.booked : scope_.own, scope_.dtm));
    r.sta = 1;
    return value(r, b, scope_.booked,
                 "PNR: %s, Prueftage: %d, M-Konto: %s,Kst-Stelle: %s, Kst-Art: %s",
                 to_.monthFailed);
  }

  // The employee's day bookings read ahead for the period answer as the
  // cursor would; without them the cursor reads the account's days.
  bool dayValues(const Booking& month) {
    const auto kept = ctx_.daysAhead
                          ? EmployeeDays::of(ctx_, month.pnr, scope_.booked)
                                ->accountDays(month.zkt, scope_.booked, EmployeeDays::Bookings::All)
                          : std::nullopt;
    bool written = false;
    if (kept) {
      for (const Booking& b : *kept) written |= dayValue(b);
      return written;
    }
    db::Cursor days(ctx_.db, kSingleDays, db::Cursor::Mode::FewRows);
    // An open that fails repeats its status at the first fetch, which
    // reports it with the step's message.
    days.open({month.pnr, month.zkt, scope_.booked.von, scope_.booked.bis});
    Booking b;
    int st;
    while ((st = fetchDay(days, b)) == db::kOk) written |= dayValue(b);
    if (st != db::kNoData)
      ctx_.fail(st, "Warnung Tageszeitkonto_Status: %d, Pnr: %s", st, scope_.pnr.c_str());
    days.close();
    return written;
  }

  bool dayValue(const Booking& b) {
    Record r = valueRecord(b, b.dtm);
    r.sta = 2;
    return value(r, b, {b.dtm, b.dtm},
                 "PNR: %s, Prueftage: %d, T-Konto: %s, Kst-Stelle: %s, Kst-Art: %s", to_.dayFailed);
  }

  Record valueRecord(const Booking& b, const std::string& bdt) const {
    Record r = lineRecord(line_, b, scope_.upn);
    r.bdt = bdt;
    r.von = scope_.booked.von, r.bis = scope_.booked.bis;
    return r;
  }

  // Minutes, or the check days of the range on lines that count them; a
  // value of neither is written only when the targets keep empty values.
  bool value(Record& r, const Booking& b, const Span& range, const char* checkDaysLine,
             const char* insertFailed) {
    if (line_.tge != 0) {
      r.tge = checkDays(ctx_, scope_.akr, line_, b, range);
      ctx_.log(checkDaysLine, b.pnr.c_str(), r.tge, b.zkt.c_str(), b.kst.c_str(), b.krt.c_str());
    } else {
      r.std = b.std;
    }
    if (line_.svk != 0) checkDays_ += r.tge;
    const bool empty = r.std == 0 && r.tge == 0;
    if (empty && !to_.keepEmpty) return false;
    insertOrAdd(ctx_, to_.values, r, insertFailed, to_.addFailed);
    return !empty;
  }

  RunContext& ctx_;
  const LineScope& scope_;
  const InterfaceLine& line_;
  const LineTargets& to_;
  double& checkDays_;
};

}  // namespace

bool handOverBooking(RunContext& ctx, const LineScope& scope, const InterfaceLine& line,
                     const Booking& b, const LineTargets& to, double& checkDays) {
  return BookingRow(ctx, scope, line, to, checkDays).handOver(b);
}

}  // namespace lug::calc
