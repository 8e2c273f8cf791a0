#include "calc/period_account.h"

#include <optional>
#include <vector>

#include "calc/calendar.h"
#include "calc/day_counts.h"
#include "calc/employee_days.h"

namespace lug::calc {
namespace {

constexpr char kDayCursor[] =
    "select ZkbPnr ,ZkbZtr ,ZkbDtm ,ZkbKst ,ZkbKtr ,ZkbKrt ,ZkbZkt ,ZkbStd ,ZkbTge ,ZkbStg ,ZkbSta "
    ",ZkbDat  from Hor331Zkb where (((((ZkbPnr=:b0 and ZkbZkt=:b1) and ZkbZtr=1) and ZkbDtm>=:b2) "
    "and ZkbDtm<=:b3) and (ZkbStd>0 or :b4<>0)) order by ZkbDtm";
constexpr char kNextCalendarDay[] =
    "select (BakDtm+1) into :b0  from HORSYSTEM.Hor133Bak where BakDtm=:b1";
constexpr char kLastTargetDayBefore[] =
    "select max(TgbDtm) into :b0  from Hor320Tgb where (((TgbPnr=:b1 and TgbZtr=1) and TgbSol>0) "
    "and TgbDtm<:b2)";
constexpr char kFirstTargetDayAfter[] =
    "select min(TgbDtm) into :b0  from Hor320Tgb where (((TgbPnr=:b1 and TgbZtr=1) and TgbSol>0) "
    "and TgbDtm>:b2)";
constexpr char kAccountsOfDay[] =
    "select ZkbZkt  from Hor331Zkb where ((ZkbPnr=:b0 and ZkbZtr=1) and ZkbDtm=:b1)";

constexpr char kOpenFailedPeriodRecords[] = "Fehler 'SQLCurOpen_zeitraumkonto' (1): %d";
constexpr char kOpenFailedWorkTable[] = "Fehler 'SQLCurOpen_zeitraumkonto' (2): %d";

// The calendar days of a span and the day after each, read once per run
// (calc/calendar.h). A day of the span answers exactly as kNextCalendarDay
// would; a day outside it, a day stored twice, and every day of a span whose
// read failed go to that statement.
class CalendarDays {
 public:
  CalendarDays(RunContext& ctx, const Span& span) : ctx_(ctx), span_(span) {}

  int next(const std::string& day, std::string& next) {
    if (!covers(day)) return read(day, next);
    if (!asked_) days_ = Calendar::of(ctx_).span(ctx_, span_), asked_ = true;
    if (!days_) return read(day, next);
    const auto it = days_->find(day);
    if (it == days_->end()) {
      next.clear();
      return db::kNoData;
    }
    if (it->second.rows > 1) return read(day, next);
    next = it->second.next;
    return it->second.status;
  }

 private:
  // Every stored day that equals a day between the bounds (compared as
  // text, as the statement does) lies between them.
  bool covers(const std::string& day) const {
    return !span_.von.empty() && !span_.bis.empty() && span_.von <= day && day <= span_.bis;
  }

  int read(const std::string& day, std::string& next) {
    const int st = ctx_.db.exec(kNextCalendarDay, {day}, {next});
    ctx_.abortIfFatal(st);
    return st;
  }

  RunContext& ctx_;
  const Span span_;
  bool asked_ = false;
  const Calendar::Days* days_ = nullptr;  // the run's, once asked
};

struct Day {
  std::string date;
  int32_t minutes = 0;
  int32_t weight = 0;
  bool half = false;
};

struct OpenSpan {
  std::string von, bis, walked;  // first, last and last calendar day reached
  int32_t minutes = 0;
  int32_t weight = 0;
  bool half = false;
};

class SpanWalk {
 public:
  SpanWalk(RunContext& ctx, const PeriodAccountInput& in, RecordWriter& to, double& checkDays)
      : ctx_(ctx),
        in_(in),
        to_(to),
        checkDays_(checkDays),
        days_(ctx.db, kDayCursor, db::Cursor::Mode::FewRows),
        calendar_(ctx, in.period),
        attendance_(EmployeeDays::of(ctx, in.group.pnr, in.period)) {}

  int run() {
    open();
    Day day;
    if (nextDay(day)) {
      start(day);
      while (nextDay(day) && follow(day)) {
      }
      if (ctx_.topas) stretchToPeriodEdges();
      write();
    }
    days_.close();
    return written_;
  }

 private:
  // The employee's day bookings read ahead for the period answer as the
  // cursor would; without them the cursor reads the account's days.
  void open() {
    using Bookings = EmployeeDays::Bookings;
    kept_ = attendance_->accountDays(in_.group.zkt, in_.period,
                                     in_.line.ztr != 0 ? Bookings::All : Bookings::PositiveMinutes);
    if (kept_) return;
    const int st =
        days_.open({in_.group.pnr, in_.group.zkt, in_.period.von, in_.period.bis, in_.line.ztr});
    if (st == db::kOk) return;
    const bool periodRecords = to_.table() == RecordWriter::Table::PeriodRecords;
    ctx_.fail(st, periodRecords ? kOpenFailedPeriodRecords : kOpenFailedWorkTable, st);
  }

  int fetch(Booking& b) {
    if (!kept_) return fetchDay(days_, b);
    if (next_ == kept_->size()) return db::kNoData;
    b = (*kept_)[next_++];
    return db::kOk;
  }

  bool nextDay(Day& day) {
    Booking b;
    const int st = fetch(b);
    ctx_.abortIfFatal(st);
    if (st != db::kOk) return false;
    DayCodes codes;
    day.date = b.dtm;
    day.minutes = b.std;
    day.half = attendance_->dayCodes(b.pnr, b.dtm, codes) == db::kOk && codes.halfDay();
    day.weight = day.half ? kHalfDay : kWholeDay;
    if (in_.line.svk != 0) checkDays_ += day.weight;
    int32_t sol = 0;
    if (in_.line.sol != 0 && attendance_->dayTarget(b.pnr, b.dtm, sol) == db::kOk && sol == 0)
      day.minutes = 0, day.weight = 0;
    return true;
  }

  void start(const Day& day) {
    span_ = {day.date, day.date, day.date, day.minutes, day.weight, day.half};
  }

  // Takes the next booked day into the open span or closes the span before
  // it. Returns false when the calendar ends.
  bool follow(const Day& day) {
    if (day.half != span_.half) {
      write();
      start(day);
      return true;
    }
    span_.minutes += day.minutes;
    span_.weight += day.weight;
    return walkTo(day);
  }

  // Walks the calendar from the last day reached to the booked day. A day
  // in between ends the span, except under "TOPAS" a day without target. The
  // same day booked twice stays in the open span.
  bool walkTo(const Day& day) {
    for (;;) {
      std::string next;
      const int st = calendar_.next(span_.walked, next);
      if (st != db::kOk) return false;
      if (next >= day.date) {
        if (next == day.date) span_.bis = span_.walked = day.date;
        return true;
      }
      span_.walked = next;
      if (ctx_.topas && !isTargetDay(next)) continue;
      span_.minutes -= day.minutes;
      span_.weight -= day.weight;
      write();
      start(day);
      return true;
    }
  }

  bool isTargetDay(const std::string& date) {
    int32_t sol = 0;
    return attendance_->dayTarget(in_.group.pnr, date, sol) == db::kOk && sol != 0;
  }

  // Under "TOPAS" a span that reaches the last target day before the period's
  // start (or the first after its end) booked on the same account is
  // stretched to the period's edge.
  void stretchToPeriodEdges() {
    const Span& period = in_.period;
    if (span_.von > period.von) {
      const std::string day = nearestTargetDay(kLastTargetDayBefore, span_.von);
      if (!day.empty() && day < period.von && firstAccountBooked(day) == in_.group.zkt)
        span_.von = period.von;
    }
    if (span_.bis < period.bis) {
      const std::string day = nearestTargetDay(kFirstTargetDayAfter, span_.bis);
      if (!day.empty() && day > period.bis && firstAccountBooked(day) == in_.group.zkt)
        span_.bis = period.bis;
    }
  }

  std::string nearestTargetDay(const char* statement, const std::string& from) {
    std::string day;
    const int st = ctx_.db.exec(statement, {in_.group.pnr, from}, {day});
    ctx_.abortIfFatal(st);
    return st == db::kOk ? day : std::string();
  }

  std::string firstAccountBooked(const std::string& day) {
    db::Cursor accounts(ctx_.db, kAccountsOfDay, db::Cursor::Mode::FewRows);
    openCursor(ctx_, accounts, {in_.group.pnr, day});
    std::string account;
    ctx_.abortIfFatal(accounts.fetch({account}));
    accounts.close();
    return account;
  }

  void write() {
    const InterfaceLine& line = in_.line;
    Record r = lineRecord(line, in_.group, in_.upn);
    r.bdt = r.von = span_.von;
    r.bis = span_.bis;
    r.sta = 2;
    r.inf = static_cast<int16_t>(span_.half);
    if (line.tge == 0)
      r.std = span_.minutes;
    else
      r.tge = span_.weight;
    if (in_.followMonth)
      ctx_.abortIfFatal(to_.insertNextMonth(r));
    else
      to_.insertUnlessStored(ctx_, r);
    ++written_;
  }

  RunContext& ctx_;
  const PeriodAccountInput& in_;
  RecordWriter& to_;
  double& checkDays_;
  db::Cursor days_;
  CalendarDays calendar_;
  std::shared_ptr<EmployeeDays> attendance_;
  std::optional<std::vector<Booking>> kept_;  // the account's days, when kept
  size_t next_ = 0;
  OpenSpan span_;
  int written_ = 0;
};

}  // namespace

int periodAccount(RunContext& ctx, const PeriodAccountInput& in, RecordWriter& to,
                  double& checkDays) {
  return SpanWalk(ctx, in, to, checkDays).run();
}

}  // namespace lug::calc
