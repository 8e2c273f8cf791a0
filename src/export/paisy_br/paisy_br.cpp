#include "export/paisy_br/paisy_br.h"

#include <cstdlib>
#include <string>

#include "export/handover.h"
#include "export/paisy/paisy_rules.h"
#include "export/paisy_br/paisy_br_steps.h"

namespace lug::exporters {
namespace {

using namespace paisy;

constexpr char kPeriodRecords[] =
    "select Zk1Abr ,Zk1Lfn ,Zk1Stz ,Zk1Bdt ,Zk1Pnr ,Zk1Zkt ,Zk1Lna ,Zk1Lgr ,Zk1Kst ,Zk1Ktr ,Zk1Krt "
    ",Zk1Std ,Zk1Tge ,Zk1Stg ,Zk1Von ,Zk1Bis ,Zk1Sts ,Zk1Rre ,Zk1Sta ,Zk1Upn ,Zk1Rrn  from "
    "Hor331Zk1 "
    "where (Zk1Abr=:b0 and Zk1Lfn=:b1) order by Zk1Pnr,Zk1Bdt,Zk1Stz";
constexpr char kRecalculatedCounters[] =
    "select Zk2Stt ,Zk2Svt ,Zk2Ant ,Zk2Uns ,Zk2Bzt ,Zk2Unt ,Zk2Slt into "
    ":b0,:b1,:b2,:b3,:b4,:b5,:b6  "
    "from Hor331Zk2 where (((Zk2Abr=:b7 and Zk2Pnr=:b8) and Zk2Bdt=:b9) and Zk2Rre=2)";
constexpr char kCounters[] =
    "select Zk2Stt ,Zk2Svt ,Zk2Ant ,Zk2Uns ,Zk2Bzt ,Zk2Unt ,Zk2Slt into "
    ":b0,:b1,:b2,:b3,:b4,:b5,:b6  "
    "from Hor331Zk2 where (((Zk2Abr=:b7 and Zk2Pnr=:b8) and Zk2Bdt=:b9) and Zk2Rre<>2)";
constexpr char kContractMinutes[] =
    "select BsvDms  from Hor310Bsv where ((BsvPnr=:b0 and BsvGvo<=:b1) and (BsvGbi is null  or "
    "BsvGbi>=:b2)) order by BsvGvo desc";
constexpr char kInsertP1[] =
    "insert into Hor333Ps1B (Ps1Stz,Ps1Frm,Ps1Prs,Ps1Abt,Ps1Abd,Ps1Abn,Ps1Dne,Ps1Lhn,Ps1Ztd,Ps1Lhg,"
    "Ps1Kst) values ('P1',:b0,:b1,:b2,:b3,:b4,'1',:b5,:b6,:b7,:b8)";
constexpr char kAddP1[] =
    "update Hor333Ps1B  set Ps1Ztd=(Ps1Ztd+:b0) where ((((((((Ps1Stz='P1' and Ps1Frm=:b1) and "
    "Ps1Prs=:b2) and Ps1Abt=:b3) and Ps1Abd=:b4) and Ps1Abn=:b5) and Ps1Lhn=:b6) and Ps1Lhg=:b7) "
    "and Ps1Kst=:b8)";
constexpr char kInsertP4[] =
    "insert into Hor333Ps4B (Ps4Stz,Ps4Frm,Ps4Prs,Ps4Abd,Ps4Abn,Ps4Dne,Ps4F37,Ps4Bta,Ps4St1,Ps4F33,"
    "Ps4Bas,Ps4St2,Ps4F12,Ps4Sta,Ps4St3,Ps4F13,Ps4Sva,Ps4St4,Ps4F14,Ps4Ana,Ps4St5,Ps4F15,Ps4Kra,"
    "Ps4St6) values ('P4',:b0,:b1,:b2,:b3,' ',37,:b4,'*',33,:b5,'*',12,:b6,'*',13,:b7,'*',14,:b8,"
    "'*',15,:b9,'*')";
constexpr char kAddP4[] =
    "update Hor333Ps4B  set Ps4Bta=(Ps4Bta+:b0),Ps4Bas=(Ps4Bas+:b1),Ps4Sta=:b2,Ps4Sva=:b3,"
    "Ps4Ana=(Ps4Ana+:b4),Ps4Kra=(Ps4Kra+:b5) where ((((Ps4Stz='P4' and Ps4Frm=:b6) and "
    "Ps4Prs=:b7) and Ps4Abd=:b8) and Ps4Abn=:b9)";
constexpr char kInsertP3[] =
    "insert into Hor333Ps3B (Ps3Stz,Ps3Frm,Ps3Prs,Ps3Bdt,Ps3Abn,Ps3Lna,Ps3Zet,Ps3Edt,Ps3Res) "
    "values "
    "('P3',:b0,:b1,:b2,'1',:b3,:b4,:b5,:b6)";
constexpr char kInsertOpenP3[] =
    "insert into Hor333Ps3B (Ps3Stz,Ps3Frm,Ps3Prs,Ps3Bdt,Ps3Abn,Ps3Lna,Ps3Zet,Ps3Aen,Ps3Edt,Ps3Een,"
    "Ps3Res) values ('P3',:b0,:b1,:b2,'1',:b3,:b4,'  ',:b5,' ',:b6)";

constexpr char kStartLine[] = "\nPaisy(Br) Lohnprogramm Akr: %s, Abrnr: %d gestartet";
constexpr char kEndLine[] = "Paisy(Br) Lohnprogramm beendet";
constexpr char kReadFailed[] = "Abbruch Lesen aus Zk1, Fehler: %d";
constexpr char kOwnPeriodFailed[] = "Fehler Lesen Hor330Abr (7): %d";
constexpr char kContractFailed[] = "  Pnr: %s Fehler beim Lesen der DMS: %d";
constexpr char kKindFailed[] = "Hor170Lg1-SelectFehler,Lgp: %s, Stz: %s, Sqlfhl: %d";
constexpr char kP1InsertFailed[] = "Hor333Ps1B-InsertFehler, Pnr: %s, Sqlfhl: %d";
constexpr char kP1UpdateFailed[] = "Hor333Ps1B-UpdateFehler, Pnr: %s, Sqlfhl: %d";
constexpr char kP4InsertFailed[] = "Hor333Ps4B-InsertFehler, Pnr: %s, Sqlfhl: %d";
constexpr char kP4UpdateFailed[] = "Hor333Ps4B-UpdateFehler, Pnr: %s, Sqlfhl: %d";
constexpr char kP3InsertFailed[] = "Hor333Ps3B-InsertFehler, Pnr: %s, Sqlfhl: %d";

// Interruption records carry hundredths of an hour in their minutes.
constexpr int16_t kInterruption = 112;

struct P1Row {
  std::string frm, prs;
  int16_t abt = 0;
  int32_t abd = 0;
  int16_t abn = 0;
  int32_t lhn = 0;
  double ztd = 0;
  std::string lhg, kst;
};
const Staging<P1Row> kP1{
    .statements = {.insert = kInsertP1, .add = kAddP1},
    .insertColumns = {&P1Row::frm, &P1Row::prs, &P1Row::abt, &P1Row::abd, &P1Row::abn, &P1Row::lhn,
                      &P1Row::ztd, &P1Row::lhg, &P1Row::kst},
    .addColumns = {&P1Row::ztd, &P1Row::frm, &P1Row::prs, &P1Row::abt, &P1Row::abd, &P1Row::abn,
                   &P1Row::lhn, &P1Row::lhg, &P1Row::kst}};

struct P4Row {
  std::string frm, prs;
  int32_t abd = 0;
  int16_t abn = 0;
  double bta = 0, bas = 0, sta = 0, sva = 0, ana = 0, kra = 0;
};
const db::Columns<P4Row> kP4Insert{&P4Row::frm, &P4Row::prs, &P4Row::abd, &P4Row::abn, &P4Row::bta,
                                   &P4Row::bas, &P4Row::sta, &P4Row::sva, &P4Row::ana, &P4Row::kra};
const Staging<P4Row> kP4{
    .statements = {.insert = kInsertP4, .add = kAddP4},
    .insertColumns = kP4Insert,
    .addColumns = {&P4Row::bta, &P4Row::bas, &P4Row::sta, &P4Row::sva, &P4Row::ana, &P4Row::kra,
                   &P4Row::frm, &P4Row::prs, &P4Row::abd, &P4Row::abn}};
// The employee's row is inserted once; a stored row stays as it is.
const Staging<P4Row> kEmployeeP4{.statements = {.insert = kInsertP4, .add = nullptr},
                                 .insertColumns = kP4Insert,
                                 .addColumns = {}};

struct P3Row {
  std::string frm{}, prs{}, bdt{}, lna{}, zet{}, edt{}, res{};
};
const Staging<P3Row> kP3{.statements = {.insert = kInsertP3, .add = nullptr},
                         .insertColumns = {&P3Row::frm, &P3Row::prs, &P3Row::bdt, &P3Row::lna,
                                           &P3Row::zet, &P3Row::edt, &P3Row::res},
                         .addColumns = {}};
const Staging<P3Row> kOpenP3{
    .statements = {.insert = kInsertOpenP3, .add = nullptr},
    .insertColumns = {&P3Row::frm, &P3Row::prs, &P3Row::bdt, &P3Row::lna, &P3Row::zet, &P3Row::res},
    .addColumns = {}};

// The day summary of an employee as the P4 rows use it.
struct Counters {
  double stt = 0, svt = 0, ant = 0, uns = 0, bzt = 0, unt = 0, slt = 0;
};

class PaisyBr {
 public:
  explicit PaisyBr(Handover& h) : h_(h), ctx_(h.ctx), company_(companyCode(h.header, ctx_.akr)) {}

  void stage(PeriodRecord& r) {
    const PayrollDate date = payrollDate(ctx_, r.bdt, h_.header.mon);
    LineFlags flags;
    applyInterfaceLine(ctx_, h_.header.lug, kBlankCosts, r, flags);
    P4Row p4{.frm = company_,
             .prs = r.upn.substr(0, 6),
             .abd = date.month,
             .abn = static_cast<int16_t>(r.rre == 2 ? 2 : 1)};
    if (r.pnr + "/" + std::to_string(date.month) != employeeMonth_) startEmployee(r, p4);

    if (r.stz == "P1" || r.stz == "LS") {
      const double hours = r.sts == kInterruption ? r.minutes * 0.01
                           : r.minutes != 0       ? hoursOf(r.minutes)
                                                  : daysOf(r.tenths);
      h_.stage(kP1,
               P1Row{.frm = company_,
                     .prs = p4.prs,
                     .abt = date.day,
                     .abd = date.month,
                     .abn = p4.abn,
                     .lhn = std::atoi(r.lna.c_str()),
                     .ztd = hours,
                     .lhg = r.lgr.substr(0, 4),
                     .kst = r.kst.substr(0, 5)},
               failureLines(ctx_, kP1InsertFailed, kP1UpdateFailed, r.pnr));
    } else if (r.stz == "P4" || r.stz == "SS") {
      stageCounters(r, p4);
    } else if (r.stz == "P3") {
      stageAbsence(r, p4.prs);
    }
  }

 private:
  // The period of the record (its own for a recalculation record), the
  // employee's day summary and contract hours, and his P4 row of the month.
  void startEmployee(const PeriodRecord& r, P4Row row) {
    employeeMonth_ = r.pnr + "/" + std::to_string(row.abd);
    period_ = {.von = ctx_.abrVon, .bis = ctx_.abrBis};
    if (r.rre == 2) {
      PeriodDates own;
      const int st = readPeriodDates(ctx_, r.rrn, own);
      if (st == db::kOk) period_ = own;
      if (st != db::kOk) ctx_.fail(st, kOwnPeriodFailed, st);
    }
    Counters c;
    ctx_.status = ctx_.db.exec(r.rre == 2 ? kRecalculatedCounters : kCounters,
                               {ctx_.abrnr, r.pnr, period_.von},
                               {c.stt, c.svt, c.ant, c.uns, c.bzt, c.unt, c.slt});
    ctx_.abortIfFatal(ctx_.status);
    const bool found = ctx_.status == db::kOk;
    if (!found) c = Counters{};
    stt_ = c.stt, svt_ = c.svt;
    row.bta = c.bzt, row.bas = found ? contractHours(r, c) : 0, row.sta = c.stt, row.sva = c.svt;
    row.ana = c.ant;
    h_.stage(kEmployeeP4, row, [&](db::WriteStep, int st) {
      if (st != db::kDupKey) ctx_.log(kP4InsertFailed, r.pnr.c_str(), st);
    });
  }

  // Contract minutes of the employment valid in the period, less the share of
  // days on accounts of status 104, in hours (never below 0).
  double contractHours(const PeriodRecord& r, const Counters& c) {
    int32_t minutes = 0;
    db::Cursor contract(ctx_.db, kContractMinutes);
    contract.open({r.pnr, period_.bis, period_.von});
    const int st = ctx_.status = contract.fetch({minutes});
    contract.close();
    if (st != db::kOk) ctx_.fail(st, kContractFailed, r.pnr.c_str(), st);
    if (minutes <= 0) return 0;
    double reduced = minutes;
    if (c.slt > 0) reduced -= minutes * (c.unt / c.slt);
    return reduced > 0 ? reduced / 60 : 0;
  }

  void stageCounters(const PeriodRecord& r, P4Row row) {
    const CounterValues values = counterValues(r);
    row.bta = values.bta, row.bas = values.bas, row.kra = values.kra;
    RecordKind kind;
    if (const int st = readRecordKind(ctx_, ctx_.lug.lgp, r.stz, kind); st != db::kOk)
      ctx_.fail(st, kKindFailed, ctx_.lug.lgp.c_str(), r.stz.c_str(), st);
    row.sta = kind.stt == 0 ? 0 : stt_;
    row.sva = kind.svt == 0 ? 0 : svt_;
    if (row.abn == 2 && row.bta + row.bas + row.ana + row.kra == 0) return;
    h_.stage(kP4, row, failureLines(ctx_, kP4InsertFailed, kP4UpdateFailed, r.pnr));
  }

  // The absence within the period: an absence that began earlier starts on
  // the period's first day and names its real start in Ps3Res ("16ddmmyy*");
  // one without end ends on the period's last day.
  void stageAbsence(PeriodRecord& r, const std::string& prs) {
    const bool reversal = isReversal(r);
    P3Row row{.frm = company_,
              .prs = prs,
              .lna = r.lna.substr(0, 3),
              .zet = reversal ? "00000" : "     "};
    const std::string before = r.von;
    const Extension extension = extendRange(ctx_, r, period_);
    applyExtension(extension, r);
    if (r.von.empty() || r.von < period_.von) {
      const std::string start = !extension.start.empty() ? extension.start
                                : !before.empty()        ? before
                                                         : period_.von;
      r.von = period_.von;
      row.res = "16" + ddmmyy(start) + "*";
    }
    if (r.bis.empty()) r.bis = period_.bis;
    row.bdt = ddmmyy(r.von), row.edt = ddmmyy(r.bis);
    if (row.bdt.empty() && row.edt.empty()) return;
    h_.stage(row.edt.empty() ? kOpenP3 : kP3, row,
             failureLines(ctx_, kP3InsertFailed, kP3InsertFailed, r.pnr));
  }

  Handover& h_;
  RunContext& ctx_;
  const std::string company_;
  std::string employeeMonth_;  // personnel number and payroll month of the previous record
  PeriodDates period_;
  double stt_ = 0, svt_ = 0;
};

}  // namespace

void exportPaisyBr(RunContext& ctx) {
  Handover h(ctx, {.started = kStartLine, .finished = nullptr, .readFailed = kReadFailed},
             {"PaisyP1b.txt", "PaisyP3b.txt", "PaisyP4b.txt"});
  h.clear({{"delete  from Hor333Ps1B ", nullptr},
           {"delete  from Hor333Ps3B ", nullptr},
           {"delete  from Hor333Ps4B ", nullptr}});
  h.readHeader(HeaderForm::Full);
  PaisyBr paisyBr(h);
  PeriodRecord record;
  h.forEach(Query<PeriodRecord>{kPeriodRecords, periodRecordColumns()}, {ctx.abrnr, ctx.lfn},
            record, [&] { paisyBr.stage(record); });
  ctx.log("%s", kEndLine);
  paisy_br::writeFiles(h);
  h.finish();
}

}  // namespace lug::exporters
