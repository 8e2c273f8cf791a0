#include "export/loga400/loga400.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/interface_row.h"
#include "export/calendar_days.h"
#include "export/field_text.h"
#include "export/loga400/loga400_steps.h"

namespace lug::exporters {
namespace loga400 {
namespace {

constexpr char kClearCounters[] = "delete  from Hor333B01 ";
constexpr char kClearWageTypes[] = "delete  from Hor333B06 ";
constexpr char kClearJournal[] = "delete  from Hor333B05 ";
constexpr char kClearCalendar[] = "delete  from Hor333Bzr ";
constexpr char kClearCarried[] = "delete  from Hor331Zk4  where ZK4ABR=:b0";
constexpr char kEarlierPeriods[] =
    "select AbrAkr ,AbrNum  from Hor330Abr where ((AbrAkr=:b0 and AbrVon<(select AbrVon  from "
    "Hor330Abr where (AbrAkr=:b0 and AbrNum=:b2))) and AbrSts<>8) order by AbrVon desc";
constexpr char kPeriodRecords[] =
    "select Zk1Abr ,Zk1Lfn ,Zk1Stz ,Zk1Bdt ,Zk1Pnr ,Zk1Zkt ,Zk1Lna ,Zk1Lgr ,Zk1Kst ,Zk1Ktr ,Zk1Krt "
    ",Zk1Std ,Zk1Tge ,Zk1Stg ,Zk1Von ,Zk1Bis ,Zk1Sts ,Zk1Rre ,Zk1Sta ,Zk1Upn  from Hor331Zk1 where "
    "(((Zk1Abr=:b0 and Zk1Lfn=:b1) and (Zk1Tge<>0 or Zk1Std<>0)) and Zk1Rre<2) order by "
    "Zk1Pnr,Zk1Stz,Zk1Bdt";
constexpr char kJournal[] =
    "select Zk5Abr ,Zk5Stz ,Zk5Bdt ,Zk5Pnr ,Zk5Zkt ,Zk5Lna ,Zk5Lgr ,Zk5Kst ,Zk5Ktr ,Zk5Krt ,Zk5Std "
    ",Zk5Tge ,Zk5Stg ,Zk5Von ,Zk5Bis ,Zk5Sts ,Zk5Rre ,Zk5Sta ,Zk5Upn ,Zk5Inf ,Zk5Su1  from "
    "Hor331Zk5 where (Zk5Key=:b0 and Zk5Abr=:b1) order by Zk5Pnr,Zk5Stz,Zk5Bdt,Zk5Rre desc";
constexpr char kRemoveCopies[] = "delete  from Hor331Zk4  where ZK4STZ<>'ZR*E'";
constexpr char kRemoveJournal[] = "delete  from Hor331Zk5  where Zk5Key=:b0";
constexpr char kRecordKind[] =
    "select Lg1Stz ,Lg1Stt ,Lg1Svt ,Lg1Zes ,Lg1P4A into :b0:b1,:b2:b3,:b4:b5,:b6:b7,:b8:b9  from "
    "Hor170Lg1 where (Lg1Num=:b10 and Lg1Stz=:b11)";
constexpr char kDaySummary[] =
    "select Zk2Stt ,Zk2Ant ,Zk2Zes into :b0,:b1,:b2  from Hor331Zk2 where ((Zk2Abr=:b3 and "
    "Zk2Pnr=:b4) and Zk2Rre<2)";
constexpr char kInsertCounters[] =
    "insert into Hor333B01 (B01Art,B01Fir,B01Pnr,B01Fln,B01Bdt,B01Ltt,B01Arb,B01Sol,B01Stg,B01Anw,"
    "B01Url,B01Krk,B01Ftg,B01Soz,B01Ent,B01Unt,B01Urs,B01Krs,B01Fts,B01Sos,B01Ens,B01Uns,B01Sez,"
    "B01Std,B01Aun) values "
    "('B1',:b0,:b1,0,:b2,:b3,:b4,:b5,:b6,:b7,:b8,:b9,:b10,:b11,:b12,:b13,:b14,:b15,:b16,0,:b17,:"
    "b18,0,:b19,0)";
constexpr char kAddCounters[] =
    "update Hor333B01  set "
    "B01Arb=(B01Arb+:b0),B01Sol=(B01Sol+:b1),B01Stg=:b2,B01Anw=:b3,B01Url=(B01Url+:b4),B01Krk=("
    "B01Krk+:b5),B01Ftg=(B01Ftg+:b6),B01Soz=(B01Soz+:b7),B01Ent=(B01Ent+:b8),B01Unt=(B01Unt+:b9),"
    "B01Urs=(B01Urs+:b10),B01Krs=(B01Krs+:b11),B01Fts=(B01Fts+:b12),B01Sos=(B01Sos+:b13),B01Ens=("
    "B01Ens+:b14),B01Uns=(B01Uns+:b15),B01Sez=(B01Sez+:b16),B01Std=:b17,B01Aun=(B01Aun+0) where "
    "((B01Art='B1' and B01Fir=:b18) and B01Pnr=:b19)";
constexpr char kInsertWageType[] =
    "insert into Hor333B06 (B06Art,B06Fir,B06Pnr,B06Bln,B06Bdt,B06Ltt,B06Aks,B06Bks,B06Lna,B06Lbt,"
    "B06Bzt) values ('B6',:b0,:b1,:b2,:b3,:b4,:b5,:b5,:b7,0,:b8)";
constexpr char kAddWageType[] =
    "update Hor333B06  set B06Bzt=(B06Bzt+:b0) where (((B06Art='B6' and B06Fir=:b1) and "
    "B06Pnr=:b2) and B06Bln=:b3)";
constexpr char kInsertJournalRow[] =
    "insert into Hor333B05 (B05Art,B05Fir,B05Pnr,B05Bln,B05Bdt,B05Ltt,B05Aks,B05Bks,B05Lna,B05Lbt,"
    "B05Bzt) values ('B5',:b0,:b1,:b2,:b3,:b4,:b5,:b5,:b7,0,:b8)";
constexpr char kAddJournalRow[] =
    "update Hor333B05  set B05Bzt=(B05Bzt+:b0) where (((B05Art='B5' and B05Fir=:b1) and "
    "B05Pnr=:b2) and B05Bln=:b3)";
constexpr char kStoredLines[] =
    "select B06Bln  from Hor333B06 where ((B06Art='B6' and B06Fir=:b0) and B06Pnr=:b1)";
constexpr char kStoredJournalLines[] =
    "select B05Bln  from Hor333B05 where ((B05Art='B5' and B05Fir=:b0) and B05Pnr=:b1)";

constexpr char kStartLine[] = "\nLoga400 Lohnprogramm fuer Akr: %s mit der Abrnr: %d gestartet";
constexpr char kEndLine[] = "Loga400 Lohnprogramm beendet";
constexpr char kHeaderFailed[] = "Hor171Lug-Lesenfehler: %d";
constexpr char kNoPreviousPeriod[] =
    "AbrNummmer des Vormonats kann nicht ermittelt werden! Error: %d";
constexpr char kRecordKindFailed[] = "Hor170Lg1-SelectFehler,Lgp: %s, Stz: %s, Sqlfhl: %d";
constexpr char kJournalFailed[] = "      Fehler Öffnen Tab.Hor331Zk5: %d";

constexpr int16_t kCancellation = 4;  // Zk5Rre of a journal row that cancels an old value
constexpr size_t kCompanyWidth = 2, kPnrWidth = 7, kWageTypeWidth = 3, kCostCentreWidth = 10;

// A row of Hor333B01: day and hour counters of an employee.
struct CounterRow {
  std::string fir, pnr;
  int32_t bdt = 0;
  int16_t ltt = 0;
  int32_t arb = 0;
  double sol = 0;
  std::string stg;
  double anw = 0, url = 0, krk = 0, ftg = 0, soz = 0, ent = 0, unt = 0, urs = 0, krs = 0, fts = 0,
         sos = 0, ens = 0, uns = 0, sez = 0, std = 0;
};

// A row of Hor333B06 or Hor333B05: hours of a wage type under a line number.
struct WageTypeRow {
  std::string fir, pnr, bln;
  int32_t bdt = 0;
  int16_t ltt = 0;
  std::string kst, lna;
  double bzt = 0;
};

// A line number stored by an earlier run.
struct StoredLine {
  std::string bln;
};
const Query<StoredLine> kWageTypeLines{.sql = kStoredLines, .columns = {&StoredLine::bln}};
const Query<StoredLine> kJournalLines{.sql = kStoredJournalLines, .columns = {&StoredLine::bln}};

const Staging<CounterRow> kCounters{
    .statements = {.insert = kInsertCounters, .add = kAddCounters},
    .insertColumns = {&CounterRow::fir, &CounterRow::pnr, &CounterRow::bdt, &CounterRow::ltt,
                      &CounterRow::arb, &CounterRow::sol, &CounterRow::stg, &CounterRow::anw,
                      &CounterRow::url, &CounterRow::krk, &CounterRow::ftg, &CounterRow::soz,
                      &CounterRow::ent, &CounterRow::unt, &CounterRow::urs, &CounterRow::krs,
                      &CounterRow::fts, &CounterRow::ens, &CounterRow::uns, &CounterRow::std},
    .addColumns = {&CounterRow::arb, &CounterRow::sol, &CounterRow::stg, &CounterRow::anw,
                   &CounterRow::url, &CounterRow::krk, &CounterRow::ftg, &CounterRow::soz,
                   &CounterRow::ent, &CounterRow::unt, &CounterRow::urs, &CounterRow::krs,
                   &CounterRow::fts, &CounterRow::sos, &CounterRow::ens, &CounterRow::uns,
                   &CounterRow::sez, &CounterRow::std, &CounterRow::fir, &CounterRow::pnr}};

const db::Columns<WageTypeRow> kWageTypeInsert{
    &WageTypeRow::fir, &WageTypeRow::pnr, &WageTypeRow::bln, &WageTypeRow::bdt,
    &WageTypeRow::ltt, &WageTypeRow::kst, &WageTypeRow::lna, &WageTypeRow::bzt};
const db::Columns<WageTypeRow> kWageTypeAdd{&WageTypeRow::bzt, &WageTypeRow::fir, &WageTypeRow::pnr,
                                            &WageTypeRow::bln};
const Staging<WageTypeRow> kWageTypes{
    .statements = {.insert = kInsertWageType, .add = kAddWageType},
    .insertColumns = kWageTypeInsert,
    .addColumns = kWageTypeAdd};
const Staging<WageTypeRow> kJournalRows{
    .statements = {.insert = kInsertJournalRow, .add = kAddJournalRow},
    .insertColumns = kWageTypeInsert,
    .addColumns = kWageTypeAdd};

// The counter a record of kind "B1" or "SS" fills, by its status: hours
// (minutes / 60) or days (tenths / 10). Status 101 counts whole working days
// (B01Arb) and 102 takes the booked-day share of the day summary (B01Anw).
struct CounterRule {
  int16_t sts;
  double CounterRow::*column;
  bool hours;
};
constexpr CounterRule kCounterRules[] = {
    {1, &CounterRow::sol, true},    {5, &CounterRow::urs, true},    {6, &CounterRow::fts, true},
    {8, &CounterRow::krs, true},    {9, &CounterRow::ens, true},    {10, &CounterRow::uns, true},
    {105, &CounterRow::url, false}, {106, &CounterRow::ftg, false}, {107, &CounterRow::soz, false},
    {108, &CounterRow::krk, false}, {109, &CounterRow::ent, false}, {110, &CounterRow::unt, false}};
constexpr int16_t kWorkingDays = 101, kBookedShare = 102;

// A cost field whose flag is 0 holds a single blank.
constexpr CostBlanks kBlankCosts{.kst = " ", .ktr = " ", .krt = " "};

const Query<PeriodRecord> kRecords{
    .sql = kPeriodRecords,
    .columns = {
        &PeriodRecord::abr,    &PeriodRecord::lfn, &PeriodRecord::stz, &PeriodRecord::bdt,
        &PeriodRecord::pnr,    &PeriodRecord::zkt, &PeriodRecord::lna, &PeriodRecord::lgr,
        &PeriodRecord::kst,    &PeriodRecord::ktr, &PeriodRecord::krt, &PeriodRecord::minutes,
        &PeriodRecord::tenths, &PeriodRecord::stg, &PeriodRecord::von, &PeriodRecord::bis,
        &PeriodRecord::sts,    &PeriodRecord::rre, &PeriodRecord::sta, &PeriodRecord::upn}};
const Query<PeriodRecord> kJournalRecords{
    .sql = kJournal, .columns = {&PeriodRecord::abr, &PeriodRecord::stz,     &PeriodRecord::bdt,
                                 &PeriodRecord::pnr, &PeriodRecord::zkt,     &PeriodRecord::lna,
                                 &PeriodRecord::lgr, &PeriodRecord::kst,     &PeriodRecord::ktr,
                                 &PeriodRecord::krt, &PeriodRecord::minutes, &PeriodRecord::tenths,
                                 &PeriodRecord::stg, &PeriodRecord::von,     &PeriodRecord::bis,
                                 &PeriodRecord::sts, &PeriodRecord::rre,     &PeriodRecord::sta,
                                 &PeriodRecord::upn, &PeriodRecord::inf,     &PeriodRecord::su1}};

bool isWageType(const std::string& stz) {
  return stz == "B6" || stz == "LS";
}

bool isCounter(const std::string& stz) {
  return stz == "B1" || stz == "SS";
}

}  // namespace

std::string wageTypeCode(const std::string& lna) {
  return firstCharacters(lna, kWageTypeWidth);
}

Loga400::Loga400(RunContext& ctx)
    : h_(ctx, {.started = kStartLine, .finished = kEndLine}, {}), ctx_(ctx), calendar_(ctx) {}

void Loga400::run() {
  h_.clear({{kClearCounters, nullptr},
            {kClearWageTypes, nullptr},
            {kClearJournal, nullptr},
            {kClearCalendar, nullptr}});
  if (ctx_.akrSsl == 1) ctx_.abortIfFatal(ctx_.status = ctx_.db.exec(kClearCarried, {ctx_.abrnr}));
  const int st = ctx_.status = readInterfaceRow(ctx_.db, ctx_.akr, lug_);
  if (st != db::kOk) ctx_.fail(st, kHeaderFailed, st);
  readPreviousPeriod();
  if (lug_.fir.empty()) lug_.fir = ctx_.akr;
  company_ = firstCharacters(lug_.fir, kCompanyWidth);
  if (previous_ != 0) carriedSpans();

  PeriodRecord r;
  h_.forEach(kRecords, {ctx_.abrnr, ctx_.lfn}, r, [&] { periodRecord(r); });
  correctedAbsences();
  ctx_.abortIfFatal(ctx_.status = ctx_.db.exec(kRemoveCopies));
  h_.forEach(
      kJournalRecords, {ctx_.runKey(), ctx_.abrnr}, r, [&] { journalRow(r); }, NullRow::EndsLoop,
      kJournalFailed);
  ctx_.abortIfFatal(ctx_.status = ctx_.db.exec(kRemoveJournal, {ctx_.runKey()}));
  h_.finish();
}

// The period before the run's one: the newest earlier period of the group.
void Loga400::readPreviousPeriod() {
  db::Cursor earlier(ctx_.db, kEarlierPeriods);
  earlier.open({ctx_.akr, ctx_.abrnr});
  std::string akr;
  const int st = ctx_.status = earlier.fetch({akr, previous_});
  earlier.close();
  if (st == db::kOk) return;
  previous_ = 0;
  ctx_.fail(st, kNoPreviousPeriod, st);
}

void Loga400::periodRecord(PeriodRecord& r) {
  const Staged s = staged(r.bdt, r.upn);
  if (r.stz == kAbsence) return absenceSpan(r, s);
  if (isCounter(r.stz)) return counters(r, s);
  if (isWageType(r.stz)) wageType(r, r.minutes, false);
}

// The counters of a "B1" or "SS" record: the one its status fills, the day
// summary's calendar days (B01Stg) and hours (B01Std) as the record kind asks
// for them, and the booked-day share kept from the employee's 102 record.
void Loga400::counters(const PeriodRecord& r, const Staged& s) {
  if (r.pnr != summaryPnr_) {
    summaryPnr_ = r.pnr, summary_ = {}, anw_ = 0;
    ctx_.status =
        ctx_.db.exec(kDaySummary, {ctx_.abrnr, r.pnr}, {summary_.stt, summary_.ant, summary_.zes});
    ctx_.abortIfFatal(ctx_.status);
  }
  CounterRow c;
  c.fir = company_, c.pnr = s.pnr, c.bdt = s.month, c.ltt = s.day;
  if (r.sts == kWorkingDays) c.arb = r.tenths / 10;
  if (r.sts == kBookedShare) anw_ = summary_.ant * 0.1;
  for (const CounterRule& rule : kCounterRules)
    if (rule.sts == r.sts)
      c.*rule.column = rule.hours ? (r.minutes == 0 ? 0 : hoursOf(r.minutes)) : daysOf(r.tenths);
  c.anw = anw_;

  std::string stz;
  int16_t stt = 0, svt = 0, zes = 0, p4a = 0;
  const int st = ctx_.status =
      ctx_.db.exec(kRecordKind, {lug_.lgp, r.stz}, {stz, stt, svt, zes, p4a});
  if (st != db::kOk) ctx_.fail(st, kRecordKindFailed, lug_.lgp.c_str(), r.stz.c_str(), st);
  char days[16];
  std::snprintf(days, sizeof days, "%d", static_cast<int>(summary_.stt));
  c.stg = stt == 0 ? " " : days;
  c.std = zes == 0 ? 0 : summary_.zes;
  h_.stage(kCounters, c,
           failureLines(ctx_, "Hor333B01-InsertFehler, Pnr: %s, Sqlfhl: %d",
                        "Hor333B01-UpdateFehler, Pnr: %s, Sqlfhl: %d", r.pnr));
}

// The hours of a wage-type record (Hor333B06) or journal row (Hor333B05) under
// the employee's next line number; both tables share the numbering.
void Loga400::wageType(PeriodRecord& r, int32_t minutes, bool journal) {
  const Staged s = staged(r.bdt, r.upn);
  LineFlags flags;
  const bool found = applyInterfaceLine(ctx_, lug_.lug, kBlankCosts, r, flags) == db::kOk;
  double hours = minutes == 0 ? 0 : hoursOf(minutes);
  if (found && flags.mog != 0) hours *= flags.mog;
  if (found && flags.kst != 0) r.kst = firstCharacters(r.kst, kCostCentreWidth);
  const WageTypeRow row{.fir = company_,
                        .pnr = s.pnr,
                        .bln = std::to_string(nextLine(s.pnr)),
                        .bdt = s.month,
                        .ltt = s.day,
                        .kst = r.kst,
                        .lna = wageTypeCode(r.lna),
                        .bzt = hours};
  if (journal)
    h_.stage(kJournalRows, row,
             failureLines(ctx_, "Hor333B05-InsertFehler, Pnr: %s, Sqlfhl: %d",
                          "Hor333B05-UpdateFehler, Pnr: %s, Sqlfhl: %d", r.pnr));
  else
    h_.stage(kWageTypes, row,
             failureLines(ctx_, "Hor333B06-InsertFehler, Pnr: %s, Sqlfhl: %d",
                          "Hor333B06-UpdateFehler, Pnr: %s, Sqlfhl: %d", r.pnr));
}

// The employee's next line number. Staging rows that an earlier run left
// (the tables were not emptied) keep their numbers: this run's lines follow
// them, so that its hours are never added to a row of another wage type or
// month that happens to carry the same number.
int Loga400::nextLine(const std::string& pnr) {
  const auto [last, first] = lines_.try_emplace(pnr, 0);
  if (first && ctx_.akrSsl != 1) {
    StoredLine stored;
    for (const Query<StoredLine>* lines : {&kWageTypeLines, &kJournalLines})
      h_.forEach(*lines, {company_, pnr}, stored,
                 [&] { last->second = std::max(last->second, std::atoi(stored.bln.c_str())); });
  }
  return ++last->second;
}

// A journal row of the recalculation: a cancellation of an old value is
// handed over with negative hours, a new value with positive ones.
void Loga400::journalRow(PeriodRecord& r) {
  if (!isWageType(r.stz)) return;
  wageType(r, r.rre == kCancellation ? -r.minutes : r.minutes, true);
}

// Staging month and day of a date moved by the interface's month offset; a
// day past the 28th of a moved date becomes the last day of its month.
Staged Loga400::staged(const std::string& date, const std::string& upn) const {
  const int32_t moved = shiftDate(dateNumber(date), lug_.mon);
  Staged s{.month = moved / 100,
           .day = static_cast<int16_t>(moved % 100),
           .pnr = firstCharacters(upn, kPnrWidth)};
  if (lug_.dtm == 3)
    s.day = 0;
  else if (s.day > 28 && lug_.mon != 0)
    s.day = lastDayOfMonth(s.month / 100, s.month % 100);
  return s;
}

}  // namespace loga400

void exportLoga400(RunContext& ctx) {
  loga400::Loga400(ctx).run();
}

}  // namespace lug::exporters
