#include "export/paisy/paisy.h"

#include <cmath>
#include <cstdlib>
#include <string>

#include "db/oracle.h"
#include "export/handover.h"
#include "export/paisy/paisy_rules.h"
#include "export/paisy/paisy_steps.h"

namespace lug::exporters {
namespace {

using namespace paisy;

constexpr char kPeriodRecords[] =
    "select Zk1Abr ,Zk1Lfn ,Zk1Stz ,Zk1Bdt ,Zk1Pnr ,Zk1Zkt ,Zk1Lna ,Zk1Lgr ,Zk1Kst ,Zk1Ktr ,Zk1Krt "
    ",Zk1Std ,Zk1Tge ,Zk1Stg ,Zk1Von ,Zk1Bis ,Zk1Sts ,Zk1Rre ,Zk1Sta ,Zk1Upn ,Zk1Rrn  from "
    "Hor331Zk1 "
    "where (Zk1Abr=:b0 and Zk1Lfn=:b1) order by Zk1Pnr,Zk1Stz,Zk1Bdt";
constexpr char kEmployeeCounters[] =
    "select Zk2Stt ,Zk2Svt ,Zk2Ant into :b0,:b1,:b2  from Hor331Zk2 where ((Zk2Abr=:b3 and "
    "Zk2Pnr=:b4) and Zk2Rre<2)";
constexpr char kInsertP1[] =
    "insert into Hor333Ps1 (Ps1Stz,Ps1Frm,Ps1Prs,Ps1Abt,Ps1Abd,Ps1Abn,Ps1Dne,Ps1Lhn,Ps1Ztd,Ps1Lhg,"
    "Ps1Btr,Ps1Kst) values ('P1',:b0,:b1,:b2:b3,:b4,:b5,'1',:b6,:b7,:b8,:b9,:b10)";
constexpr char kAddP1[] =
    "update Hor333Ps1  set Ps1Ztd=(Ps1Ztd+:b0),Ps1Btr=(Ps1Btr+:b1) where ((((((((Ps1Stz='P1' and "
    "Ps1Frm=:b2) and Ps1Prs=:b3) and Ps1Abt=:b4) and Ps1Abd=:b5) and Ps1Abn=:b6) and Ps1Lhn=:b7) "
    "and Ps1Lhg=:b8) and Ps1Kst=:b9)";
constexpr char kAddP1WithoutDay[] =
    "update Hor333Ps1  set Ps1Ztd=(Ps1Ztd+:b0),Ps1Btr=(Ps1Btr+:b1) where ((((((((Ps1Stz='P1' and "
    "Ps1Frm=:b2) and Ps1Prs=:b3) and Ps1Abt is null ) and Ps1Abd=:b4) and Ps1Abn=:b5) and "
    "Ps1Lhn=:b6) and Ps1Lhg=:b7) and Ps1Kst=:b8)";
constexpr char kInsertP4[] =
    "insert into Hor333Ps4 (Ps4Stz,Ps4Frm,Ps4Prs,Ps4Abd,Ps4Abn,Ps4Dne,Ps4F37,Ps4Bta,Ps4St1,Ps4F33,"
    "Ps4Bas,Ps4St2,Ps4F12,Ps4Sta,Ps4St3,Ps4F13,Ps4Sva,Ps4St4,Ps4F14,Ps4Ana,Ps4St5,Ps4F15,Ps4Kra,"
    "Ps4St6,Ps4F22,Ps4Arn,Ps4St7) values ('P4',:b0,:b1,:b2,:b3,'1',37,:b4,'*',33,:b5,'*',12,:b6:b7,"
    "'*',13,:b8:b9,'*',14,:b10,'*',15,:b11,'*',22,'1','*')";
constexpr char kAddEmployeeP4[] =
    "update Hor333Ps4  set Ps4Bta=(Ps4Bta+:b0),Ps4Bas=(Ps4Bas+:b1),Ps4Sta=(Ps4Sta+:b2),"
    "Ps4Sva=(Ps4Sva+:b3),Ps4Ana=(Ps4Ana+:b4),Ps4Kra=(Ps4Kra+:b5) where ((((Ps4Stz='P4' and "
    "Ps4Frm=:b6) and Ps4Prs=:b7) and Ps4Abd=:b8) and Ps4Abn=:b9)";
constexpr char kAddCounterP4[] =
    "update Hor333Ps4  set Ps4Bta=(Ps4Bta+:b0),Ps4Bas=(Ps4Bas+:b1),Ps4Sta=:b2:b3,Ps4Sva=:b4:b5,"
    "Ps4Ana=(Ps4Ana+:b6),Ps4Kra=(Ps4Kra+:b7) where ((((Ps4Stz='P4' and Ps4Frm=:b8) and "
    "Ps4Prs=:b9) and Ps4Abd=:b10) and Ps4Abn=:b11)";

constexpr char kStartLine[] = "\nPaisy Lohnprogramm Akr: %s, Abrnr: %d gestartet";
constexpr char kEndLine[] = "Paisy Lohnprogramm beendet";
constexpr char kReadFailed[] = "Abbruch Lesen aus Zk1, Fehler: %d";
constexpr char kRecordsRead[] = "%d Datensätze aus Hor333Zk1 übergeben.";
constexpr char kKindFailed[] = "Hor170Lg1-SelectFehler, Lgp: %s, Stz: %s, Sqlfhl: %d";
constexpr char kWageTypeTooLong[] = "Lohnart zu lang : %s";
constexpr char kHoursTooLarge[] = "PNR %s: Stundenwert zu groß f.Übergabe";
constexpr char kP1InsertFailed[] = "Hor333PS1-InsertFehler, Pnr: %s, Sqlfhl: %d";
constexpr char kP1UpdateFailed[] = "Hor333Ps1-UpdateFehler, Pnr: %s, Sqlfhl: %d";
constexpr char kP4InsertFailed[] = "Hor333Ps4-InsertFehler, Pnr: %s, Sqlfhl: %d";
constexpr char kP4UpdateFailed[] = "Hor333Ps4-UpdateFehler, Pnr: %s, Sqlfhl: %d";

// Ps4Sta and Ps4Sva of a record kind that does not hand them over.
constexpr double kNoCounter = 999;

// A wage-type movement; a day of "" is stored as null (no day).
struct P1Row {
  std::string frm, prs, abt;
  int32_t abd = 0;
  int16_t abn = 0;
  int32_t lhn = 0;
  double ztd = 0;
  std::string lhg;
  double btr = 0;
  std::string kst;
};

const Staging<P1Row> kP1{
    .statements = {.insert = kInsertP1, .add = kAddP1},
    .insertColumns = {&P1Row::frm, &P1Row::prs, &P1Row::abt, &P1Row::abd, &P1Row::abn, &P1Row::lhn,
                      &P1Row::ztd, &P1Row::lhg, &P1Row::btr, &P1Row::kst},
    .addColumns = {&P1Row::ztd, &P1Row::btr, &P1Row::frm, &P1Row::prs, &P1Row::abt, &P1Row::abd,
                   &P1Row::abn, &P1Row::lhn, &P1Row::lhg, &P1Row::kst}};
// Binds of the adding update of a row without day.
const db::Columns<P1Row> kAddWithoutDay{&P1Row::ztd, &P1Row::btr, &P1Row::frm,
                                        &P1Row::prs, &P1Row::abd, &P1Row::abn,
                                        &P1Row::lhn, &P1Row::lhg, &P1Row::kst};

// Day and hour counters of an employee and payroll month; a counter of ""
// is stored as null.
struct P4Row {
  std::string frm, prs;
  int32_t abd = 0;
  int16_t abn = 0;
  double bta = 0, bas = 0;
  std::string sta{}, sva{};
  double ana = 0, kra = 0;
};

const db::Columns<P4Row> kP4Insert{&P4Row::frm, &P4Row::prs, &P4Row::abd, &P4Row::abn, &P4Row::bta,
                                   &P4Row::bas, &P4Row::sta, &P4Row::sva, &P4Row::ana, &P4Row::kra};
const db::Columns<P4Row> kP4Add{&P4Row::bta, &P4Row::bas, &P4Row::sta, &P4Row::sva, &P4Row::ana,
                                &P4Row::kra, &P4Row::frm, &P4Row::prs, &P4Row::abd, &P4Row::abn};
const Staging<P4Row> kEmployeeP4{.statements = {.insert = kInsertP4, .add = kAddEmployeeP4},
                                 .insertColumns = kP4Insert,
                                 .addColumns = kP4Add};
const Staging<P4Row> kCounterP4{.statements = {.insert = kInsertP4, .add = kAddCounterP4},
                                .insertColumns = kP4Insert,
                                .addColumns = kP4Add};

// A counter as its column gets it: 999 stands for null.
std::string counter(double value) {
  return value == kNoCounter ? std::string() : db::oracle::numberText(value);
}

class Paisy {
 public:
  explicit Paisy(Handover& h) : h_(h), ctx_(h.ctx), company_(companyCode(h.header, ctx_.akr)) {}

  void stage(PeriodRecord& r) {
    PayrollDate date = payrollDate(ctx_, r.bdt, h_.header.mon);
    if (ctx_.lug.dtm == 3) date.day = 0;
    LineFlags flags;
    applyInterfaceLine(ctx_, h_.header.lug, kBlankCosts, r, flags);
    RecordKind kind;
    if (const int st = readRecordKind(ctx_, ctx_.lug.lgp, r.stz, kind); st != db::kOk)
      ctx_.fail(st, kKindFailed, ctx_.lug.lgp.c_str(), r.stz.c_str(), st);
    if (exceedsWidth(r.lna, 6)) return reject(ctx_, kWageTypeTooLong, r.upn.c_str());

    double hours = 0, amount = 0;
    if (flags.bau == 1)
      amount = hoursOf(r.minutes);
    else
      hours = r.minutes != 0 ? hoursOf(r.minutes) : daysOf(r.tenths);
    if (r.stz != "P3" && std::fabs(hours) > 999) {
      hours = std::copysign(999.99, hours);
      reject(ctx_, kHoursTooLarge, r.upn.c_str());
    }
    P4Row p4{.frm = company_,
             .prs = r.upn.substr(0, 6),
             .abd = date.month,
             .abn = static_cast<int16_t>(r.rre == 0 ? 1 : r.rre)};
    if (r.pnr != employee_) startEmployee(r, kind, p4);

    if (r.stz == "P1" || r.stz == "LS") {
      if (flags.mog != 0) hours *= flags.mog;
      if (hours == 0 && amount == 0) return;
      stageMovement(r, P1Row{.frm = company_,
                             .prs = p4.prs,
                             .abt = date.day == 0 ? std::string() : std::to_string(date.day),
                             .abd = date.month,
                             .abn = p4.abn,
                             .lhn = std::atoi(r.lna.c_str()),
                             .ztd = hours,
                             .lhg = r.lgr.substr(0, 5),
                             .btr = amount,
                             .kst = r.kst.substr(0, 6)});
    } else if ((r.stz == "P4" || r.stz == "SS") && withCounters_) {
      const CounterValues values = counterValues(r);
      p4.bta = values.bta, p4.bas = values.bas, p4.kra = values.kra;
      p4.sta = counter(kind.stt == 0 ? kNoCounter : stt_);
      p4.sva = counter(kind.svt == 0 ? kNoCounter : svt_);
      h_.stage(kCounterP4, p4, failureLines(ctx_, kP4InsertFailed, kP4UpdateFailed, r.pnr));
    } else if (r.stz == "P3") {
      stageAbsence(h_, company_, r);
    }
  }

 private:
  // The employee's counters of the period; an employee with a whole month of
  // 30 days on both counters at a record kind that says so gets no P4 rows.
  void startEmployee(const PeriodRecord& r, const RecordKind& kind, P4Row row) {
    employee_ = r.pnr;
    double ant = 0;
    stt_ = svt_ = 0;
    ctx_.status = ctx_.db.exec(kEmployeeCounters, {ctx_.abrnr, r.pnr}, {stt_, svt_, ant});
    ctx_.abortIfFatal(ctx_.status);
    if (ctx_.status != db::kOk) stt_ = svt_ = ant = 0;
    withCounters_ = !(kind.p4a != 0 && stt_ == 30 && svt_ == 30);
    if (!withCounters_) return;
    row.sta = counter(stt_), row.sva = counter(svt_), row.ana = ant;
    h_.stage(kEmployeeP4, row, failureLines(ctx_, kP4InsertFailed, kP4UpdateFailed, r.pnr));
  }

  void stageMovement(const PeriodRecord& r, const P1Row& row) {
    const StagingFailure failed = failureLines(ctx_, kP1InsertFailed, kP1UpdateFailed, r.pnr);
    if (!row.abt.empty()) {
      h_.stage(kP1, row, failed);
      return;
    }
    // Oracle's unique key counts two rows whose day is null as the same row,
    // the engines here do not: a row without day is added to the stored row
    // first and inserted only when there is none.
    int st = ctx_.status = ctx_.db.exec(kAddP1WithoutDay, kAddWithoutDay.inputs(row));
    db::WriteStep step = db::WriteStep::Add;
    if (st == db::kNoData) {
      st = ctx_.status = ctx_.db.exec(kInsertP1, kP1.insertColumns.inputs(row));
      step = db::WriteStep::Insert;
    }
    if (st == db::kOk) return;
    failed(step, st);
    ctx_.abortIfFatal(st);
  }

  Handover& h_;
  RunContext& ctx_;
  const std::string company_;
  std::string employee_;  // Zk1Pnr of the previous record
  double stt_ = 0, svt_ = 0;
  bool withCounters_ = true;
};

}  // namespace

void exportPaisy(RunContext& ctx) {
  Handover h(ctx, {.started = kStartLine, .finished = nullptr, .readFailed = kReadFailed},
             {"PaisyP1.txt", "PaisyP3.txt", "PaisyP4.txt"});
  h.clear({{"delete  from Hor333Ps1 ", nullptr},
           {"delete  from Hor333Ps3 ", nullptr},
           {"delete  from Hor333Ps4 ", nullptr}});
  if (ctx.site == paisy::kSiteWithGroupKey) h.clear({{"delete  from Hor333Ps3O ", nullptr}});
  h.readHeader(HeaderForm::Full);

  Paisy paisy(h);
  PeriodRecord record;
  const int read = h.forEach(Query<PeriodRecord>{kPeriodRecords, periodRecordColumns()},
                             {ctx.abrnr, ctx.lfn}, record, [&] { paisy.stage(record); });
  if (read == 0) ctx.log(kReadFailed, db::kNoData);
  ctx.log(kRecordsRead, read);
  ctx.log("%s", kEndLine);
  paisy::writeFiles(h);
  h.finish();
}

}  // namespace lug::exporters
