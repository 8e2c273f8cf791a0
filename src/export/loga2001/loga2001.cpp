#include "export/loga2001/loga2001.h"

#include <cstdio>
#include <string>
#include <vector>

#include "export/framework.h"
#include "export/handover.h"
#include "export/indexed_lines.h"
#include "export/layout.h"

namespace lug::exporters {
namespace {

constexpr char kEmptySums[] = "delete  from Hor333Lp2 ";
constexpr char kClearVartab[] = "delete  from Hor333Lpc ";
constexpr char kClearCalendar[] = "delete  from Hor333Lp1 ";
constexpr char kLastCalendarIndex[] = "select max(Lp1Idx) into :b0:b1  from Hor333Lp1 ";
constexpr char kLastVartabIndex[] = "select max(LpcIdx) into :b0:b1  from Hor333Lpc ";
constexpr char kRunDate[] = "select TO_CHAR(SYSDATE,'yyyy-mm-dd') into :b0  from dual ";
constexpr char kPeriodRecords[] =
    "select Zk1Abr ,Zk1Lfn ,Zk1Stz ,Zk1Bdt ,Zk1Pnr ,Zk1Zkt ,Zk1Lna ,Zk1Lgr ,Zk1Kst ,Zk1Ktr ,Zk1Krt "
    ",Zk1Std ,Zk1Tge ,Zk1Stg ,Zk1Von ,Zk1Bis ,Zk1Sts ,Zk1Rre ,Zk1Sta ,Zk1Upn ,Zk1Inf ,Zk1Su1  from "
    "Hor331Zk1 where ((Zk1Abr=:b0 and Zk1Lfn=:b1) and Zk1Rre<2) order by Zk1Pnr,Zk1Stz,Zk1Bdt";
constexpr char kRecalculated[] =
    "select Zk5Abr ,Zk5Stz ,Zk5Bdt ,Zk5Pnr ,Zk5Zkt ,Zk5Lna ,Zk5Lgr ,Zk5Kst ,Zk5Ktr ,Zk5Krt ,Zk5Std "
    ",Zk5Tge ,Zk5Stg ,Zk5Von ,Zk5Bis ,Zk5Sts ,Zk5Rre ,Zk5Sta ,Zk5Upn ,Zk5Inf ,Zk5Su1  from "
    "Hor331Zk5 "
    "where (Zk5Key=:b0 and Zk5Abr=:b1) order by Zk5Pnr,Zk5Stz,Zk5Bdt,Zk5Rre desc";
constexpr char kInsertSum[] =
    "insert into Hor333Lp2  values (:b0,:b1,:b2,:b3,:b4,:b5,:b6,:b7,0,0,:b8)";
constexpr char kAddSum[] =
    "update Hor333Lp2  set Lp2Pst=(Lp2Pst+:b0),Lp2Std=(Lp2Std+:b1) where ((((((Lp2Fir=:b2 and "
    "Lp2Akr=:b3) and Lp2Pnr=:b4) and Lp2Lna=:b5) and Lp2Kst=:b6) and Lp2Dat=:b7) and Lp2Rre=:b8)";
constexpr char kInsertCalendar[] = "insert into Hor333Lp1 (Lp1Fld,Lp1Idx) values (:b0,:b1)";
constexpr char kInsertVartab[] = "insert into Hor333Lpc (LpcFld,LpcIdx) values (:b0,:b1)";
constexpr char kSums[] =
    "select Lp2Fir ,Lp2Akr ,Lp2Pnr ,Lp2Lna ,Lp2Kst ,Lp2Dat ,Lp2Pst ,Lp2Std ,Lp2Rre  from Hor333Lp2 "
    " order by Lp2Fir,Lp2Akr,Lp2Pnr,Lp2Lna,Lp2Kst,Lp2Dat desc ,Lp2Rre desc";
constexpr char kOldValues[] =
    "select TO_CHAR(max(Zk1Dat),'yyyy-mm-dd') ,sum(Zk1Tge) ,sum(Zk1Std) into :b0,:b1,:b2  from "
    "Hor331Zk1 where (((Zk1Upn=:b3 and Zk1Lna=:b4) and (Zk1Bdt>=add_months(:b5,:b6) and "
    "Zk1Bdt<add_months(:b5,(:b6+1)))) and Zk1Abr in "
    "(:b9,:b10,:b11,:b12,:b13,:b14,:b15,:b16,:b17,:b18,:b19,:b20))";
constexpr char kReversal[] =
    "select Lp2Pst ,Lp2Std into :b0,:b1  from Hor333Lp2 where (((Lp2Pnr=:b2 and Lp2Lna=:b3) and "
    "Lp2Dat=to_date(:b4,'yyyy-mm-dd')) and Lp2Rre=4)";
constexpr char kCleanUp[] = "delete  from Hor331Zk5  where Zk5Key=:b0";
constexpr char kVartabFile[] = "select LpcFld ,LpcIdx  from HOR333Lpc  order by LpcIdx asc";
constexpr char kCalendarFile[] = "select Lp1Fld ,Lp1Idx  from HOR333Lp1  order by Lp1Idx asc";

constexpr char kStartLine[] = "\nLoga2001 Lohnprogramm Akr: %s, Abrnr: %d gestartet";
constexpr char kEndLine[] = "Loga2001 Lohnprogramm beendet";
constexpr char kCalendarName[] = "Loga2001Lp1.csv";
constexpr char kVartabName[] = "Loga2001Lpc.csv";
constexpr char kCalendarOpen[] = "Schnittstellendatei Lp1 kann nicht geoeffnet werden !";
constexpr char kVartabOpen[] = "Schnittstellendatei Lpc kann nicht geoeffnet werden !";
constexpr char kCalendarFailed[] = "Hor333Lp1-InsertFehler, Pnr: %s, Sqlfhl: %d";
constexpr char kVartabFailed[] = "Hor333Lpc-InsertFehler, Pnr: %s, Sqlfhl: %d";
constexpr char kSumInsertFailed[] = "Hor333Lp2-InsertFehler, Pnr: %s, Sqlfhl: %d";
constexpr char kSumUpdateFailed[] = "Hor333Lp2-UpdateFehler, Pnr: %s, Sqlfhl: %d";
constexpr char kNoOldDelete[] =
    "Delete: Datum d.alten Satzes nicht gefunden, Pnr: %s, Lna: %s, Belegdatum: %s";
constexpr char kNoOldInsert[] =
    "Insert: Datum d.alten Satzes nicht gefunden, Pnr: %s, Lna: %s, Belegdatum: %s";
constexpr char kDifferenceFailed[] = "Insert: Fehler Differenzbildung (LP2), Pnr: %s, Sqlfhl: %d";

constexpr int16_t kReversalMark = 4;
constexpr int16_t kRecalculatedMark = 3;

// Monthly sums of a wage type (Hor333Lp2); days and hours are single precision.
struct MonthSum {
  std::string fir, akr, pnr, lna, kst, dat;
  double days = 0, hours = 0;
  int16_t rre = 0;  // 0: the run's period; Zk5Rre of a recalculation record (4: reversal)
};

const IndexedLineStatements kCalendarCommands{
    .insert = kInsertCalendar, .lastIndex = kLastCalendarIndex, .read = kCalendarFile};
const IndexedLineStatements kVartabCommands{
    .insert = kInsertVartab, .lastIndex = kLastVartabIndex, .read = kVartabFile};

const Staging<MonthSum> kSumTable{
    .statements = {.insert = kInsertSum, .add = kAddSum},
    .insertColumns = {&MonthSum::fir, &MonthSum::akr, &MonthSum::pnr, &MonthSum::lna,
                      &MonthSum::kst, &MonthSum::dat, &MonthSum::days, &MonthSum::hours,
                      &MonthSum::rre},
    .addColumns = {&MonthSum::days, &MonthSum::hours, &MonthSum::fir, &MonthSum::akr,
                   &MonthSum::pnr, &MonthSum::lna, &MonthSum::kst, &MonthSum::dat, &MonthSum::rre}};
const Query<MonthSum> kSumRows{
    .sql = kSums,
    .columns = {&MonthSum::fir, &MonthSum::akr, &MonthSum::pnr, &MonthSum::lna, &MonthSum::kst,
                &MonthSum::dat, &MonthSum::days, &MonthSum::hours, &MonthSum::rre}};

const Query<PeriodRecord> kRecords{
    .sql = kPeriodRecords,
    .columns = {
        &PeriodRecord::abr,    &PeriodRecord::lfn, &PeriodRecord::stz, &PeriodRecord::bdt,
        &PeriodRecord::pnr,    &PeriodRecord::zkt, &PeriodRecord::lna, &PeriodRecord::lgr,
        &PeriodRecord::kst,    &PeriodRecord::ktr, &PeriodRecord::krt, &PeriodRecord::minutes,
        &PeriodRecord::tenths, &PeriodRecord::stg, &PeriodRecord::von, &PeriodRecord::bis,
        &PeriodRecord::sts,    &PeriodRecord::rre, &PeriodRecord::sta, &PeriodRecord::upn,
        &PeriodRecord::inf,    &PeriodRecord::su1}};
const Query<PeriodRecord> kRecalculationRecords{
    .sql = kRecalculated,
    .columns = {&PeriodRecord::abr, &PeriodRecord::stz,     &PeriodRecord::bdt,
                &PeriodRecord::pnr, &PeriodRecord::zkt,     &PeriodRecord::lna,
                &PeriodRecord::lgr, &PeriodRecord::kst,     &PeriodRecord::ktr,
                &PeriodRecord::krt, &PeriodRecord::minutes, &PeriodRecord::tenths,
                &PeriodRecord::stg, &PeriodRecord::von,     &PeriodRecord::bis,
                &PeriodRecord::sts, &PeriodRecord::rre,     &PeriodRecord::sta,
                &PeriodRecord::upn, &PeriodRecord::inf,     &PeriodRecord::su1}};

// A cost field whose flag is 0 holds a single blank.
constexpr CostBlanks kBlankCosts{.kst = " ", .ktr = " ", .krt = " "};
constexpr size_t kCostCentreWidth = 7;

// "%.2f" with a decimal point (time calendar) or a comma (variable table); a
// value that is written as zero is left out, also single-precision residue
// of a difference that would otherwise be written "-0,00".
std::string quantity(double value, char point) {
  if (roundedTo(value, 2) == 0) return {};
  return formatNumber(value, {.decimals = 2, .point = point});
}

float single(double value) {
  return static_cast<float>(value);
}

// The first `width` characters of a UTF-8 text.
std::string firstCharacters(const std::string& text, size_t width) {
  size_t characters = 0;
  for (size_t i = 0; i < text.size(); ++i)
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 && characters++ == width)
      return text.substr(0, i);
  return text;
}

// First day of the payroll month of a booking date, in the session's date
// format (yyyy.mm.01) in which the work table's date column stores it.
std::string monthDate(const std::string& bookingDate, int16_t offset) {
  const int32_t month = shiftMonth(dateNumber(bookingDate) / 100, offset);
  char text[32];
  std::snprintf(text, sizeof text, "%d.%02d.%02d", month / 100, month % 100, 1);
  return text;
}

// yyyy.mm.dd as the commands write dates: yyyy-mm-dd.
std::string isoDate(std::string date) {
  for (char& c : date)
    if (c == '.') c = '-';
  return date;
}

class Loga2001 {
 public:
  explicit Loga2001(RunContext& ctx)
      : h_(ctx, {.started = kStartLine, .finished = kEndLine}, {kVartabName, kCalendarName}),
        ctx_(ctx) {}

  void run();

 private:
  void stageRecord(PeriodRecord& r, int16_t rre);
  std::string calendarCommand(const PeriodRecord& r) const;
  std::string vartabCommand(const MonthSum& s);
  int readOldValues(const MonthSum& s, float& days, float& hours, std::string& latest);

  Handover h_;
  RunContext& ctx_;
  std::string company_, runDate_;
};

void Loga2001::run() {
  ctx_.abortIfFatal(ctx_.status = ctx_.db.exec(kEmptySums));
  h_.clear({{kClearVartab, nullptr}, {kClearCalendar, nullptr}});
  IndexedLines calendar(h_, kCalendarCommands, kCalendarFailed);
  IndexedLines vartab(h_, kVartabCommands, kVartabFailed);
  ctx_.status = ctx_.db.exec(kRunDate, {}, {runDate_});
  h_.readHeader(HeaderForm::Full);
  company_ = !h_.header.fir.empty()   ? h_.header.fir
             : !h_.header.akr.empty() ? h_.header.akr
                                      : ctx_.akr;

  PeriodRecord r;
  auto stage = [&](int16_t rre) {
    if (r.sts > 0) return calendar.append(calendarCommand(r), r.upn);
    stageRecord(r, rre);
  };
  h_.forEach(kRecords, {ctx_.abrnr, ctx_.lfn}, r, [&] { stage(0); });
  h_.forEach(kRecalculationRecords, {ctx_.runKey(), ctx_.abrnr}, r, [&] { stage(r.rre); });

  MonthSum s;
  h_.forEach(kSumRows, {}, s, [&] { vartab.append(vartabCommand(s), s.pnr); });
  ctx_.abortIfFatal(ctx_.status = ctx_.db.exec(kCleanUp, {ctx_.runKey()}));

  vartab.write(h_.file(kVartabName, kVartabOpen), ".\n");
  calendar.write(h_.file(kCalendarName, kCalendarOpen), ".\n");
  h_.finish();
}

// A record without day-by-day status is summed per wage type and payroll month.
void Loga2001::stageRecord(PeriodRecord& r, int16_t rre) {
  LineFlags flags;
  applyInterfaceLine(ctx_, h_.header.lug, kBlankCosts, r, flags);
  const MonthSum sum{.fir = company_,
                     .akr = h_.header.akr,
                     .pnr = r.upn,
                     .lna = r.lna,
                     .kst = firstCharacters(r.kst, kCostCentreWidth),
                     .dat = monthDate(r.bdt, h_.header.mon),
                     .days = single(daysOf(r.tenths)),
                     .hours = r.minutes == 0 ? 0 : single(hoursOf(r.minutes)),
                     .rre = rre};
  h_.stage(kSumTable, sum, failureLines(ctx_, kSumInsertFailed, kSumUpdateFailed, r.pnr));
}

std::string Loga2001::calendarCommand(const PeriodRecord& r) const {
  return std::string("[ZEITENKAL];") + (r.rre == kReversalMark ? "DELETE;" : "INSERT;") +
         formatNumber(r.su1, {.width = 12}) + ";;;;" + company_ + ";" + h_.header.akr + ";" +
         r.upn + ";;;;" + r.von + ";" + r.bis + ";" + (r.inf > 0 ? "1" : "") + ";;;;" + r.lgr +
         ";I;" + quantity(daysOf(r.tenths), '.') + ";;;;;;;;;;;";
}

// The old values of a payroll month: what the recalculated periods handed
// over for the employee and wage type. The month date already carries the
// interface's month offset, so the offset bound takes it back to the booking
// month of the period records. Returns the status (0: found).
int Loga2001::readOldValues(const MonthSum& s, float& days, float& hours, std::string& latest) {
  double tenths = 0, minutes = 0;
  std::vector<db::In> binds{s.pnr, s.lna, s.dat, static_cast<int16_t>(-h_.header.mon)};
  for (const int32_t period : ctx_.recalcPeriods) binds.push_back(period);
  const int st = ctx_.status = ctx_.db.exec(kOldValues, binds, {latest, tenths, minutes});
  ctx_.abortIfFatal(st);
  if (st == db::kOk) days = single(tenths * 0.1), hours = single(minutes / 60.0);
  return st;
}

// The command of a monthly sum. A reversal removes what was handed over
// before: the old values and their date. A recalculated month is handed over
// as the old values changed by the difference between its new values and
// its reversal.
std::string Loga2001::vartabCommand(const MonthSum& s) {
  float days = single(s.days), hours = single(s.hours);
  std::string last = runDate_;
  const std::string date = isoDate(s.dat);
  if (s.rre == kReversalMark) {
    float oldDays = 0, oldHours = 0;
    if (readOldValues(s, oldDays, oldHours, last) == db::kOk)
      days = oldDays, hours = oldHours;
    else
      ctx_.log(kNoOldDelete, s.pnr.c_str(), s.lna.c_str(), date.c_str()), last = runDate_;
  } else if (s.rre == kRecalculatedMark) {
    double reversalDays = 0, reversalHours = 0;
    const int st = ctx_.status =
        ctx_.db.exec(kReversal, {s.pnr, s.lna, date}, {reversalDays, reversalHours});
    if (st != db::kOk && st != db::kNoData) {
      ctx_.log(kDifferenceFailed, s.pnr.c_str(), st);
      ctx_.abortIfFatal(st);
    }
    if (st == db::kOk && (reversalDays != 0 || reversalHours != 0)) {
      const float dayDifference = days - single(reversalDays);
      const float hourDifference = hours - single(reversalHours);
      std::string unused;
      float oldDays = 0, oldHours = 0;
      if (readOldValues(s, oldDays, oldHours, unused) == db::kOk)
        days = oldDays + dayDifference, hours = oldHours + hourDifference;
      else
        ctx_.log(kNoOldInsert, s.pnr.c_str(), s.lna.c_str(), date.c_str());
    }
  }
  std::string command = std::string("[VARTAB];") +
                        (s.rre == kReversalMark ? "DELETE;" : "INSERT;") + s.fir + ";" + s.akr +
                        ";" + s.pnr + ";;;;" + s.lna + ";" + quantity(days, ',') + ";" +
                        quantity(hours, ',') + ";;;";
  if (s.kst != " " && s.kst != "0") command += s.kst;
  return command + ";;;;" + date + ";;" + last + ";;;;";
}

}  // namespace

void exportLoga2001(RunContext& ctx) {
  Loga2001(ctx).run();
}

}  // namespace lug::exporters
