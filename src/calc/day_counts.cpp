#include "calc/day_counts.h"

#include "calc/employee_days.h"
#include "db/oracle.h"

namespace lug::calc {
namespace {

constexpr char kCheckDayCursor[] =
    "select distinct TagTag ,TagHtv ,TagHtn  from Hor327Tag where (TagPnr=:b0 and TagTag in "
    "(select ZkbDtm  from Hor331Zkb ,Hor171Lu1 ,O1001AbrKreis where ((((((((((ZkbPnr=:b0 and "
    "ZkbZtr=1) and ZkbDtm>=:b2) and ZkbDtm<=:b3) and ZkbKst=:b4) and ZkbKtr=:b5) and ZkbZkt=:b6) "
    "and (ZkbStd>0 or (ZKBSTD=0 and Lu1Art=1))) and ZkbZkt=Lu1Ztk) and Lu1Num=AkrLug) and "
    "AkrNum=:b7)))";
constexpr char kDayCodes[] =
    "select TagTgb ,TagHtv ,TagHtn into :b0:b1,:b2:b3,:b4:b5  from Hor327Tag where ((TagPnr=:b6 "
    "and TagTag=:b7) and ((TagTgb is  not null  or TagHtv is  not null ) or TagHtn is  not null ))";
constexpr char kDayTarget[] =
    "select TgbSol into :b0  from Hor320Tgb where ((TgbPnr=:b1 and TgbZtr=1) and TgbDtm=:b2)";
constexpr char kInterruptionLine[] =
    "select Lu1Lna ,Lu1Stz ,Lu1Rre into :b0:b1,:b2:b3,:b4:b5  from Hor171lu1 where "
    "(((Lu1Num=:b6 and Lu1Sts=112) and Lu1Gvo<=:b7) and (Lu1Gbi is null  or Lu1Gbi>=:b8))";
constexpr char kCodeAccount[] = "select FcdZkt into :b0  from Hor131Fcd where FcdNum=:b1";
constexpr char kShareCursor[] =
    "select distinct ZkbDtm  from Hor331zkb ,Hor171Lu1 ,O1001AbrKreis where ((((((((ZkbPnr=:b0 "
    "and ZkbDtm>=:b1) and ZkbDtm<=:b2) and (ZkbStd>0 or Lu1Art='1')) and ZkbZtr=1) and "
    "ZkbZkt=Lu1Ztk) and Lu1sts=102) and Lu1Num=AkrLug) and AkrNum=:b3) order by ZkbDtm";
constexpr char kReducingCode[] =
    "select Lu1Ztk into :b0  from Hor171Lu1 ,O1001AbrKreis ,Hor131Fcd where ((((((((Lu1Sts=105 or "
    "Lu1Sts=106) or Lu1Sts=107) or Lu1Sts=108) or Lu1Sts=109) and Lu1Num=AkrLug) and AkrNum=:b1) "
    "and Lu1Ztk=FcdZkt) and FcdNum=:b2)";
constexpr char kInterruptionDays[] =
    "select distinct TgbDtm  from Hor320Tgb where (((((TgbPnr=:b0 and TgbDtm>=:b1) and "
    "TgbDtm<=:b2) and TgbZtr=1) and TgbSol<>0) and TgbSol<=TgbUnb) order by TgbDtm";
constexpr char kInterruptionDaysBefore[] =
    "select distinct TgbDtm  from Hor320Tgb where (((((TgbPnr=:b0 and TgbDtm<:b1) and "
    "TgbDtm>ADD_MONTHS(:b1,(-1))) and TgbZtr=1) and TgbSol<>0) and TgbSol<=TgbUnb) order by "
    "TgbDtm desc";
constexpr char kDistance[] =
    "select (to_date(:b0,'yyyy.mm.dd')-to_date(:b1,'yyyy.mm.dd')) into :b2  from dual ";
constexpr char kTargetDaysBetween[] =
    "select count(TgbDtm) into :b0:b1  from Hor320Tgb where ((((TgbPnr=:b2 and TgbSol>0) and "
    "TgbDtm>:b3) and TgbDtm<:b4) and TgbZtr='1')";

constexpr int32_t kDefaultTarget = 480;
constexpr int16_t kEveryHalfDayCounts = 102;
// Lu1Sts of the accounts whose booked days make the booked-day share.
constexpr int16_t kShareStatus = 102;
constexpr int16_t kInterruptionStatus = 112;
// A block of this many interruption days is one interruption.
constexpr int32_t kBlockDays = 5;

// The days from `earlier` to `later` as kDistance reads them, when both are
// days written yyyy.mm.dd; by the date rules the engines' own date arithmetic
// follows (db/oracle.h). The server would spend almost a millisecond on its
// date functions. Any other text (an empty first day, a day with a time, no
// date at all) is left to the statement, with its status.
std::optional<int32_t> daysFromTo(const std::string& earlier, const std::string& later) {
  if (earlier.size() != 10 || later.size() != 10) return std::nullopt;
  try {
    const db::oracle::DateTime from = db::oracle::parseDate(earlier);
    const db::oracle::DateTime to = db::oracle::parseDate(later);
    if (db::oracle::canonical(from) != earlier || db::oracle::canonical(to) != later)
      return std::nullopt;
    return static_cast<int32_t>(db::oracle::daysBetween(to, from));
  } catch (const db::oracle::Error&) {
    return std::nullopt;
  }
}

// Whether a half-day code counts for the checked account.
bool halfDayCounts(RunContext& ctx, const InterfaceLine& line, const std::string& account,
                   const std::string& code) {
  if (code.empty()) return false;
  std::string codeAccount;
  const int st = ctx.db.exec(kCodeAccount, {code}, {codeAccount});
  ctx.abortIfFatal(st);
  return (st == db::kOk && codeAccount == account) || line.sts == kEveryHalfDayCounts;
}

// Check value of one attendance day: 10, 5 when exactly one half-day code
// belongs to the account, 0 on a day without target under the target rule.
int32_t checkValue(RunContext& ctx, EmployeeDays& days, const InterfaceLine& line,
                   const Booking& account, const std::string& day,
                   std::initializer_list<std::string> halfDayCodes) {
  int32_t value = kWholeDay, correction = 0, target = kDefaultTarget;
  if (line.sol != 0) {
    int32_t sol = 0;
    if (days.dayTarget(account.pnr, day, sol) == db::kOk) {
      target = sol;
      if (sol == 0) value = 0;
    }
  }
  if (target <= 0) return value;
  for (const std::string& code : halfDayCodes) {
    if (!halfDayCounts(ctx, line, account.zkt, code)) continue;
    value += kHalfDay;
    correction = kWholeDay;
  }
  return value - correction;
}

bool reducesShare(RunContext& ctx, const std::string& akr, const std::string& code) {
  if (code.empty()) return false;
  std::string account;
  const int st = ctx.db.exec(kReducingCode, {akr, code}, {account});
  ctx.abortIfFatal(st);
  return rowExists(st);
}

double shareOfDay(RunContext& ctx, EmployeeDays& days, const std::string& akr,
                  const std::string& pnr, const std::string& day) {
  DayCodes codes;
  double share = kWholeDay;
  if (days.dayCodes(pnr, day, codes) != db::kOk) return share;
  if (reducesShare(ctx, akr, codes.whole)) share -= kWholeDay;
  for (const std::string* code : {&codes.first, &codes.second})
    if (reducesShare(ctx, akr, *code)) share -= kHalfDay;
  return share;
}

// The walk over the interruption days of one employee and period.
class Interruptions {
 public:
  Interruptions(RunContext& ctx, const std::string& pnr, const Span& period)
      : ctx_(ctx), pnr_(pnr), period_(period) {}

  int32_t count() {
    if (const auto days = EmployeeDays::of(ctx_, pnr_, period_)->unpaidDays(period_))
      for (const std::string& day : *days) nextDay(day);
    else
      readDays();
    if (block_ >= kBlockDays) ++found_;
    return found_;
  }

 private:
  void readDays() {
    db::Cursor days(ctx_.db, kInterruptionDays, db::Cursor::Mode::FewRows);
    openCursor(ctx_, days, {pnr_, period_.von, period_.bis});
    std::string day;
    int st;
    while ((st = days.fetch({day})) == db::kOk) nextDay(day);
    ctx_.abortIfFatal(st);
    days.close();
  }

  // The next interruption day: it continues the block or starts a new one.
  void nextDay(const std::string& day) {
    step(day);
    previous_ = day;
  }

  void step(const std::string& day) {
    int32_t distance = 0;
    if (const auto days = daysFromTo(previous_, day))
      distance = *days;
    else
      ctx_.abortIfFatal(ctx_.db.exec(kDistance, {day, previous_}, {distance}));
    ++block_;
    if (distance < 0) {
      if (period_.von.substr(5, 2) != "01") lookBack(day);
      return;
    }
    if (distance == 1) return;
    const int32_t targetDays = targetDaysBetween(previous_, day);
    if (targetDays == 0) return;
    logTargetDays(targetDays, previous_, day);
    if (block_ - 1 >= kBlockDays) ++found_;
    block_ = 1;
  }

  // Continues the block of the period's first interruption day backwards into
  // the month before; a block that was already counted there is taken back.
  void lookBack(const std::string& first) {
    db::Cursor before(ctx_.db, kInterruptionDaysBefore, db::Cursor::Mode::FewRows);
    openCursor(ctx_, before, {pnr_, first});
    std::string later = first, earlier;
    int st;
    while ((st = before.fetch({earlier})) == db::kOk) {
      const int32_t targetDays = targetDaysBetween(earlier, later);
      if (targetDays > 0) {
        logTargetDays(targetDays, later, earlier);
        break;
      }
      if (++block_ == kBlockDays + 1) {
        --found_;
        break;
      }
      later = earlier;
    }
    ctx_.abortIfFatal(st);
    before.close();
  }

  int32_t targetDaysBetween(const std::string& from, const std::string& to) {
    int32_t n = 0;
    ctx_.abortIfFatal(ctx_.db.exec(kTargetDaysBetween, {pnr_, from, to}, {n}));
    return n;
  }

  void logTargetDays(int32_t n, const std::string& first, const std::string& second) {
    ctx_.log("--- %ld SollTage zwischen %s und %s", static_cast<long>(n), first.c_str(),
             second.c_str());
  }

  RunContext& ctx_;
  const std::string& pnr_;
  const Span& period_;
  std::string previous_ = "9999.01.01";
  int32_t block_ = 0;
  int32_t found_ = 0;
};

}  // namespace

int readDayCodes(RunContext& ctx, const std::string& pnr, const std::string& day, DayCodes& codes) {
  const int st = ctx.db.exec(kDayCodes, {pnr, day}, {codes.whole, codes.first, codes.second});
  ctx.abortIfFatal(st);
  return st;
}

int readDayTarget(RunContext& ctx, const std::string& pnr, const std::string& day, int32_t& sol) {
  const int st = ctx.db.exec(kDayTarget, {pnr, day}, {sol});
  ctx.abortIfFatal(st);
  return st;
}

int32_t checkDays(RunContext& ctx, const std::string& akr, const InterfaceLine& line,
                  const Booking& account, const Span& range) {
  const std::shared_ptr<EmployeeDays> employee = EmployeeDays::of(ctx, account.pnr, range);
  int32_t count = 0;
  if (const auto rows = employee->bookedAttendance(akr, account, range)) {
    for (const EmployeeDays::Attendance& r : *rows)
      count += checkValue(ctx, *employee, line, account, r.day, {r.first, r.second});
    return count;
  }
  db::Cursor days(ctx.db, kCheckDayCursor, db::Cursor::Mode::FewRows);
  openCursor(ctx, days,
             {account.pnr, range.von, range.bis, account.kst, account.ktr, account.zkt, akr});
  std::string day, first, second;
  int st;
  while ((st = days.fetch({day, first, second})) == db::kOk)
    count += checkValue(ctx, *employee, line, account, day, {first, second});
  ctx.abortIfFatal(st);
  days.close();
  return count;
}

double bookedShare(RunContext& ctx, const std::string& akr, const std::string& pnr,
                   const Span& span) {
  const std::shared_ptr<EmployeeDays> employee = EmployeeDays::of(ctx, pnr, span);
  double share = 0;
  const auto days = employee->bookedDays(akr, kShareStatus, span, EmployeeDays::Minutes::Any);
  if (days) {
    for (const std::string& day : *days) share += shareOfDay(ctx, *employee, akr, pnr, day);
    return share;
  }
  db::Cursor cursor(ctx.db, kShareCursor, db::Cursor::Mode::FewRows);
  openCursor(ctx, cursor, {pnr, span.von, span.bis, akr});
  std::string day;
  int st;
  while ((st = cursor.fetch({day})) == db::kOk) share += shareOfDay(ctx, *employee, akr, pnr, day);
  ctx.abortIfFatal(st);
  cursor.close();
  return share;
}

int32_t countInterruptions(RunContext& ctx, const std::string& pnr, const Span& period) {
  return Interruptions(ctx, pnr, period).count();
}

int readInterruptionLine(RunContext& ctx, const std::string& lugKey, const Span& period,
                         InterruptionLine& line) {
  const int st = ctx.db.exec(kInterruptionLine, {lugKey, period.von, period.bis},
                             {line.lna, line.stz, line.rre});
  ctx.abortIfFatal(st);
  return st;
}

int32_t handOverInterruptions(RunContext& ctx, const InterruptionLine& line,
                              const InterruptionInput& in, RecordWriter& to) {
  const int32_t count = countInterruptions(ctx, in.pnr, in.period);
  if (count <= 0) return count;
  ctx.log("--- Unterbrechungen: %d", count);
  const Record r{.stz = line.stz,
                 .bdt = in.bdt,
                 .pnr = in.pnr,
                 .zkt = line.lna,
                 .lna = line.lna,
                 .lgr = " ",
                 .kst = in.cost.kst,
                 .ktr = in.cost.ktr,
                 .krt = in.cost.krt,
                 .std = static_cast<double>(count),
                 .von = in.period.von,
                 .bis = in.period.bis,
                 .sts = kInterruptionStatus,
                 .rre = line.rre,
                 .upn = in.upn};
  const int st = to.insert(r);
  if (st != db::kOk && st != db::kDupKey) ctx.fail(st, "   Insert/Update Fehler %d", st);
  return count;
}

}  // namespace lug::calc
