#include "export/asring/asring.h"

#include <cmath>
#include <string>
#include <utility>

#include "export/framework.h"
#include "export/handover.h"
#include "export/run_dates.h"

namespace lug::exporters {
namespace {

constexpr char kClearValues[] = "delete  from Hor333Asr ";
constexpr char kClearAbsences[] = "delete  from Hor333Ask ";
constexpr char kTimeOfDay[] = "select TO_CHAR(SYSDATE,'hh24:mi:ss') into :b0  from dual ";
// Ordered down to the record's key: the entry numbers and which of two
// records of one absence is entered are the same in every run.
constexpr char kPeriodRecords[] =
    "select Zk1Abr ,Zk1Lfn ,Zk1Stz ,Zk1Bdt ,Zk1Pnr ,Zk1Zkt ,Zk1Lna ,Zk1Lgr ,Zk1Kst ,Zk1Ktr ,Zk1Krt "
    ",Zk1Std ,Zk1Tge ,Zk1Stg ,to_char(Zk1Von,'dd.mm.yyyy') ,to_char(Zk1Bis,'dd.mm.yyyy') ,Zk1Sts "
    ",Zk1Rre ,Zk1Sta ,Zk1Upn  from Hor331Zk1 where (Zk1Abr=:b0 and Zk1Lfn=:b1) order by "
    "Zk1Pnr,Zk1Stz,Zk1Bdt,Zk1Zkt,Zk1Lna,Zk1Lgr,Zk1Kst,Zk1Ktr,Zk1Von,Zk1Bis";
constexpr char kInsertValue[] =
    "insert into Hor333Asr (AsrFir,AsrPnr,AsrJhr,AsrMon,AsrLna,AsrStd,AsrTag,AsrKst,AsrAbr,AsrLkz,"
    "AsrUhr,AsrVfj,AsrVfm) values (:b0,:b1,:b2,:b3,:b4,:b5,:b6,:b7,:b8,:b9,:b10,:b11,:b12)";
constexpr char kAddValue[] =
    "update Hor333Asr  set AsrStd=(AsrStd+:b0),AsrTag=(AsrTag+:b1),AsrUhr=:b2 where ((((((((AsrFir="
    ":b3 and AsrPnr=:b4) and AsrKst=:b5) and AsrLna=:b6) and AsrJhr=:b7) and AsrMon=:b8) and "
    "AsrLkz=:b9) and AsrVfj=:b10) and AsrVfm=:b11)";
constexpr char kAbsenceEntered[] =
    "select AskPnr into :b0:b1  from Hor333Ask where (((((((AskFir=:b2 and AskPnr=:b3) and "
    "AskJhr=:b4) and AskMon=:b5) and AskArt=:b6) and AskLkz=:b7) and AskVon=:b8) and AskBis=:b9)";
constexpr char kInsertAbsence[] =
    "insert into Hor333Ask (AskFir,AskPnr,AskJhr,AskMon,AskEnr,AskArt,AskVon,AskBis,AskEin,AskMge,"
    "AskLkz,AskUhr) values (:b0,:b1,:b2,:b3,:b4,:b5,:b6,:b7,:b8,:b9,:b10,:b11)";

constexpr char kStartLine[] = "\nAsring Lohnprogramm Akr: %s, Abrnr: %d gestartet";
constexpr char kEndLine[] = "Asring Lohnprogramm beendet";
constexpr char kClearFailed[] = "DeleteFehler HOR333Asring, Sqlfhl: %d";
constexpr char kReadFailed[] = "Abbruch Lesen aus Zk1, Fehler: %d";
constexpr char kValueInsertFailed[] = "Hor333Asr-InsertFehler, Pnr: %s, Sqlfhl: %d";
constexpr char kValueUpdateFailed[] = "Hor333Asr-UpdateFehler, Pnr: %s, Sqlfhl: %d";
constexpr char kAbsenceInsertFailed[] = "Hor333Ask: InsertFehler, Pnr: %s, Sqlfhl: %d";
constexpr char kRecordsRead[] = "%d Datensätze aus Hor333Zk1 übergeben.";

constexpr char kValueKind[] = "LS";
constexpr char kAbsenceKind[] = "SS";
constexpr int16_t kDifferenceRecord = 2;  // Zk1Rre

// A cost unit or cost type whose flag is 0 is one blank; the cost centre
// is cut to 10 characters below or is one blank.
constexpr CostBlanks kBlanks{.kst = " ", .ktr = " ", .krt = " "};
constexpr size_t kCostCentreWidth = 10;

// One row of Hor333Asr: hours and days of a wage type.
struct Value {
  std::string fir, pnr;
  int16_t jhr = 0, mon = 0;
  std::string lna;
  double hours = 0, days = 0;
  std::string kst;
  int32_t abr = 0;
  std::string lkz, uhr;
  int16_t vfj = 0, vfm = 0;
};

// One row of Hor333Ask: an absence entry.
struct Absence {
  std::string fir, pnr;
  int16_t jhr = 0, mon = 0, enr = 0;
  std::string art, von, bis, ein;
  double mge = 0;
  std::string lkz, uhr;
};

const Staging<Value> kValues{
    .statements = {.insert = kInsertValue, .add = kAddValue},
    .insertColumns = {&Value::fir, &Value::pnr, &Value::jhr, &Value::mon, &Value::lna,
                      &Value::hours, &Value::days, &Value::kst, &Value::abr, &Value::lkz,
                      &Value::uhr, &Value::vfj, &Value::vfm},
    .addColumns = {&Value::hours, &Value::days, &Value::uhr, &Value::fir, &Value::pnr, &Value::kst,
                   &Value::lna, &Value::jhr, &Value::mon, &Value::lkz, &Value::vfj, &Value::vfm}};
const db::Columns<Absence> kAbsenceKey{&Absence::fir, &Absence::pnr, &Absence::jhr, &Absence::mon,
                                       &Absence::art, &Absence::lkz, &Absence::von, &Absence::bis};
const db::Columns<Absence> kAbsenceInsert{
    &Absence::fir, &Absence::pnr, &Absence::jhr, &Absence::mon, &Absence::enr, &Absence::art,
    &Absence::von, &Absence::bis, &Absence::ein, &Absence::mge, &Absence::lkz, &Absence::uhr};

// A payroll month yyyymm as year and month.
struct PayrollMonth {
  int16_t year = 0, month = 0;
};
PayrollMonth payrollMonth(int32_t yyyymm) {
  return {static_cast<int16_t>(yyyymm / 100), static_cast<int16_t>(yyyymm % 100)};
}

class Asring {
 public:
  Asring(Handover& h, std::string timeOfDay)
      : h_(h),
        ctx_(h.ctx),
        company_((h.header.fir.empty() ? ctx_.akr : h.header.fir).substr(0, 3)),
        month_(payrollMonth(shiftMonth(dateNumber(periodBookingDate(ctx_)) / 100, h.header.mon))),
        uhr_(std::move(timeOfDay)) {}

  void stage(PeriodRecord& r) {
    ++read_;
    if (r.stz == kValueKind) stageValue(r);
    if (r.stz == kAbsenceKind) stageAbsence(r);
  }

  int read() const { return read_; }

 private:
  // A difference record is staged apart from the regular ones: under its own
  // booking month, flagged "J" when it takes hours or days back.
  Value stamped(const PeriodRecord& r) const {
    Value v;
    v.fir = company_, v.pnr = r.upn, v.jhr = month_.year, v.mon = month_.month;
    v.lkz = "N", v.uhr = uhr_;
    if (r.rre != kDifferenceRecord) return v;
    const PayrollMonth booked = payrollMonth(dateNumber(r.bdt) / 100);
    v.vfj = booked.year, v.vfm = booked.month;
    if (r.minutes < 0 || r.tenths < 0) v.lkz = "J";
    return v;
  }

  void stageValue(PeriodRecord& r) {
    LineFlags line;
    const bool lineFound = applyInterfaceLine(ctx_, h_.header.lug, kBlanks, r, line) == db::kOk;
    ctx_.abortIfFatal(ctx_.status);
    if (lineFound && line.kst != 0) r.kst = r.kst.substr(0, kCostCentreWidth);
    Value v = stamped(r);
    v.lna = r.lna;
    v.hours = r.minutes != 0 ? hoursOf(r.minutes) : 0;
    v.days = r.minutes == 0 ? daysOf(r.tenths) : 0;
    v.kst = r.kst;
    v.abr = month_.month * 10000 + month_.year;
    h_.stage(kValues, v, failureLines(ctx_, kValueInsertFailed, kValueUpdateFailed, r.pnr));
  }

  // An absence is entered once: a second record of the same kind and span
  // adds nothing.
  void stageAbsence(const PeriodRecord& r) {
    const Value stamp = stamped(r);
    const Absence a{.fir = stamp.fir,
                    .pnr = stamp.pnr,
                    .jhr = stamp.jhr,
                    .mon = stamp.mon,
                    .enr = static_cast<int16_t>(read_),
                    .art = r.lgr.substr(0, 1),
                    .von = r.von,
                    .bis = r.bis,
                    .ein = r.minutes != 0 ? "S" : "T",
                    .mge = std::fabs(r.minutes != 0 ? hoursOf(r.minutes) : daysOf(r.tenths)),
                    .lkz = stamp.lkz,
                    .uhr = stamp.uhr};
    std::string entered;
    ctx_.status = ctx_.db.exec(kAbsenceEntered, kAbsenceKey.inputs(a), {entered});
    ctx_.abortIfFatal(ctx_.status);
    if (ctx_.status == db::kOk) return;
    const int st = ctx_.status = ctx_.db.exec(kInsertAbsence, kAbsenceInsert.inputs(a));
    if (st != db::kOk) ctx_.fail(st, kAbsenceInsertFailed, r.upn.c_str(), st);
  }

  Handover& h_;
  RunContext& ctx_;
  const std::string company_;
  const PayrollMonth month_;
  const std::string uhr_;
  int read_ = 0;
};

}  // namespace

void exportAsring(RunContext& ctx) {
  Handover h(ctx, {.started = kStartLine, .finished = kEndLine, .readFailed = kReadFailed}, {});
  h.clear({{kClearValues, kClearFailed}, {kClearAbsences, kClearFailed}});
  std::string timeOfDay;
  ctx.status = ctx.db.exec(kTimeOfDay, {}, {timeOfDay});
  ctx.abortIfFatal(ctx.status);
  h.readHeader(HeaderForm::Full);

  Asring asring(h, timeOfDay);
  PeriodRecord record;
  h.forEach(Query<PeriodRecord>{kPeriodRecords, wholeRecordColumns()}, {ctx.abrnr, ctx.lfn}, record,
            [&] { asring.stage(record); });
  if (asring.read() == 0) ctx.log(kReadFailed, db::kNoData);
  ctx.log(kRecordsRead, asring.read());
  h.finish();
}

}  // namespace lug::exporters
