#include "export/lodas/lodas.h"

#include <string>
#include <vector>

#include "base/run_exit.h"
#include "export/delimited_text.h"
#include "export/framework.h"
#include "export/handover.h"
#include "export/layout.h"

namespace lug::exporters {
namespace {

constexpr char kClearStaging[] = "delete  from Hor333Ld1 ";
constexpr char kOwnPeriod[] =
    "select trim(Zk1Pnr) ,trim(Zk1Zkt) ,trim(Zk1Lna) ,trim(Zk1Kst) ,trim(Zk1Ktr) ,trim(Zk1Stz) "
    ",trim(Zk1Upn) ,trim(Zk1Lgr) ,Zk1Std ,Zk1Tge ,to_char(Zk1Bdt,'dd.mm.yyyy')  from HOR331Zk1 "
    "where ((Zk1Abr=:b0 and Zk1Lfn=:b1) and Zk1Rre<2) order by Zk1Pnr,Zk1Von,Zk1Ktr";
// The journal rows of this run only: rows of an earlier run of the period
// were handed over by that run. The readers' orders end in the cost unit and
// the writers' in the staging key, so that the cost unit a staging row keeps
// and the order of the lines are the same on every engine.
constexpr char kRecalculations[] =
    "select trim(Zk5Pnr) ,trim(Zk5Zkt) ,trim(Zk5Lna) ,trim(Zk5Kst) ,trim(Zk5Ktr) ,trim(Zk5Stz) "
    ",trim(Zk5Upn) ,trim(Zk5Lgr) ,Zk5Std ,Zk5Tge ,to_char(Zk5Bdt,'dd.mm.yyyy') ,Zk5Rre  from "
    "HOR331Zk5 where (((Zk5Abr=:b0 and Zk5Lfn=:b1) and Zk5Rre>1) and Zk5Key=:b2) order by Zk5Bdt "
    "desc ,Zk5Rre desc ,Zk5Pnr,Zk5Ktr";
constexpr char kInsertMovement[] =
    "insert into Hor333Ld1 (Ld1Art,Ld1Pnr,Ld1Azr,Ld1Key,Ld1Val,Ld1Lna,Ld1Kst,Ld1Ktr,Ld1Rre) values "
    "(:b0,:b1,to_date(:b2,'dd.mm.yyyy'),:b3,:b4,:b5,:b6,:b7,:b8)";
constexpr char kAddMovement[] =
    "update Hor333Ld1  set Ld1Val=(Ld1Val+:b0) where ((((((Ld1Art=:b1 and Ld1Pnr=:b2) and "
    "Ld1Azr=to_date(:b3,'dd.mm.yyyy')) and Ld1Key=:b4) and Ld1Lna=:b5) and Ld1Kst=:b6) and "
    "Ld1Rre=:b7)";
constexpr char kOwnMovements[] =
    "select Ld1Art ,Ld1Pnr ,to_char(Ld1Azr,'dd.mm.yyyy') ,Ld1Key ,Ld1Val ,Ld1Lna ,Ld1Kst ,Ld1Ktr "
    ",Ld1Rre  from HOR333Ld1 where Ld1Rre<2 order by Ld1Art,Ld1Pnr,Ld1Azr,Ld1Key,Ld1Lna,Ld1Kst";
constexpr char kCorrections[] =
    "select Ld1Art ,Ld1Pnr ,to_char(Ld1Azr,'dd.mm.yyyy') ,Ld1Key ,Ld1Val ,Ld1Lna ,Ld1Kst ,Ld1Ktr "
    ",Ld1Rre  from HOR333Ld1 where Ld1Rre>2 order by Ld1Azr desc ,Ld1Rre desc ,Ld1Art,Ld1Pnr,"
    "Ld1Key,Ld1Lna,Ld1Kst";

constexpr char kStartLine[] = "\nLODAS-Lohnprogramm Akr: %s, Abrnr: %d gestartet";
constexpr char kEndLine[] = "LODAS-Lohnprogramm beendet";
constexpr char kClearFailed[] = "DeleteFehler HOR333Ld1, Sqlfhl: %d";
constexpr char kLineFailed[] = "Fehler beim Lesen Hor171Lu1: %d";
constexpr char kStagingFailed[] = "     SQL_Hor333Ld1_Write, ERROR: %ld";
constexpr char kPnrTooLong[] = "PersNr zu lang : %s";
constexpr char kLnaTooLong[] = "Pnr %s: Lohnart zu lang (%s)";
constexpr char kKstTooLong[] = "Pnr %s: Kostenstelle zu lang (%s)";
constexpr char kKtrTooLong[] = "Pnr %s: Kostenträger zu lang (%s)";
constexpr char kSeparatorInField[] = "Pnr %s: Trennzeichen im Feld (%s)";
constexpr char kStaged[] = "%d Datensätze aus Hor333Zk1 gelesen.";
constexpr char kWritten[] = "%d Datensätze in Datei(en) geschrieben.";
constexpr char kTooManyPeriods[] = "Zu viele Rückrechnungszeiträume !";
constexpr char kOpenFailure[] = "LODAS-Exportdatei kann nicht geoeffnet werden !";

constexpr char kDescription[] =
    "[Allgemein]\nZiel=LODAS\nBeraterNr=%s\nMandantenNr=%s\nFeldtrennzeichen=;\n"
    "Stringbegrenzer=\"\nZahlenkomma=.\nDatumsformat=TT.MM.JJJJ\n\n[Satzbeschreibung]\n"
    "1;u_lod_bwd_buchung_standard;pnr#bwd;abrechnung_zeitraum#bwd;bs_nr#bwd;bs_wert_butab#bwd;"
    "la_eigene#bwd;kostenstelle#bwd;kostentraeger#bwd;\n";
constexpr char kAdditions[] = "\n[Bewegungsdaten]\n";
constexpr char kRemovals[] = "\n[Entfernen]\n";

constexpr char kRecordKind[] = "1";  // Ld1Art
constexpr int16_t kOwnRecord = 0;    // Ld1Rre of the run's own period
constexpr int16_t kAddition = 3;     // Zk5Rre: new value
constexpr int16_t kRemoval = 4;      // Zk5Rre: cancelled old value
constexpr int kCorrectionFiles = 12;

// A blanked cost centre is one blank, a blanked cost unit empty.
constexpr CostBlanks kBlanks{.kst = " ", .ktr = ""};

// One staging row of Hor333Ld1; Ld1Ktr is not part of the key, the first
// row's cost unit stays.
struct Movement {
  std::string art, pnr, azr, key;  // azr: dd.mm.yyyy
  double val = 0;
  std::string lna, kst, ktr;
  int16_t rre = kOwnRecord;
};

const Staging<Movement> kMovements{
    .statements = {.insert = kInsertMovement, .add = kAddMovement},
    .insertColumns = {&Movement::art, &Movement::pnr, &Movement::azr, &Movement::key,
                      &Movement::val, &Movement::lna, &Movement::kst, &Movement::ktr,
                      &Movement::rre},
    .addColumns = {&Movement::val, &Movement::art, &Movement::pnr, &Movement::azr, &Movement::key,
                   &Movement::lna, &Movement::kst, &Movement::rre}};
const db::Columns<Movement> kMovementColumns{&Movement::art, &Movement::pnr, &Movement::azr,
                                             &Movement::key, &Movement::val, &Movement::lna,
                                             &Movement::kst, &Movement::ktr, &Movement::rre};
const Query<Movement> kOwnRows{.sql = kOwnMovements, .columns = kMovementColumns};
const Query<Movement> kCorrectionRows{.sql = kCorrections, .columns = kMovementColumns};

// Records arrive trimmed, with the booking date as dd.mm.yyyy. The own
// period's cursor does not read Zk1Rre, so its records stage with Ld1Rre 0
// (kOwnRecord); a journal row brings its Zk5Rre.
const db::Columns<PeriodRecord> kRecordColumns{
    &PeriodRecord::pnr,     &PeriodRecord::zkt,    &PeriodRecord::lna, &PeriodRecord::kst,
    &PeriodRecord::ktr,     &PeriodRecord::stz,    &PeriodRecord::upn, &PeriodRecord::lgr,
    &PeriodRecord::minutes, &PeriodRecord::tenths, &PeriodRecord::bdt};
const Query<PeriodRecord> kOwnRecords{.sql = kOwnPeriod, .columns = kRecordColumns};
const Query<PeriodRecord> kJournalRows{
    .sql = kRecalculations,
    .columns = {&PeriodRecord::pnr, &PeriodRecord::zkt, &PeriodRecord::lna, &PeriodRecord::kst,
                &PeriodRecord::ktr, &PeriodRecord::stz, &PeriodRecord::upn, &PeriodRecord::lgr,
                &PeriodRecord::minutes, &PeriodRecord::tenths, &PeriodRecord::bdt,
                &PeriodRecord::rre}};

// The value with two decimals; a sum that cancels out is "0.00", never "-0.00".
std::string value(const Movement& m) {
  return formatNumber(roundedTo(m.val, 2) + 0.0, {.decimals = 2});
}
const DelimitedLayout<Movement> kDataLine{
    ';',
    true,
    {text(&Movement::art), text(&Movement::pnr), text(&Movement::azr), text(&Movement::key), value,
     text(&Movement::lna), [](const Movement& m) { return rightTrim(m.kst); },
     [](const Movement& m) { return rightTrim(m.ktr); }}};

// Maps a record onto its staging row and adds it; false when a check drops it
// or the write fails. A field that would shift the fields after it in the
// file (a separator, the text delimiter, a line end) drops the record too.
bool stageRecord(Handover& h, const PeriodRecord& r) {
  RunContext& ctx = h.ctx;
  const bool fits = passes({
      {exceedsWidth(r.upn, 5), [&] { reject(ctx, kPnrTooLong, r.upn.c_str()); }},
      {exceedsWidth(r.lna, 3), [&] { reject(ctx, kLnaTooLong, r.pnr.c_str(), r.lna.c_str()); }},
      {exceedsWidth(r.kst, 8), [&] { reject(ctx, kKstTooLong, r.pnr.c_str(), r.kst.c_str()); }},
      {exceedsWidth(r.ktr, 8), [&] { reject(ctx, kKtrTooLong, r.pnr.c_str(), r.ktr.c_str()); }},
  });
  if (!fits) return false;
  for (const std::string* field : {&r.upn, &r.lna, &r.lgr, &r.kst, &r.ktr}) {
    if (!breaksDelimitedLine(*field, ';', '"')) continue;
    reject(ctx, kSeparatorInField, r.pnr.c_str(), field->c_str());
    return false;
  }
  // Hours when there are minutes, days otherwise; a wage-type group gives the key.
  Movement m{.art = kRecordKind,
             .pnr = r.upn,
             .azr = r.bdt,
             .key = r.minutes != 0 ? "01" : "10",
             .val = r.minutes != 0 ? hoursOf(r.minutes) : daysOf(r.tenths),
             .lna = r.lna,
             .kst = r.kst,
             .ktr = r.ktr,
             .rre = r.rre};
  if (!r.lgr.empty()) m.key = r.lgr.substr(0, 2), m.lna = " ";
  return h.stage(kMovements, m, [&](db::WriteStep, int st) {
    ctx.log(kStagingFailed, static_cast<long>(st));
  }) == db::kOk;
}

// One pass over a cursor of records: cost flags of the interface line valid
// at the booking date, then the staging row. Returns the rows staged.
int stagePass(Handover& h, const Query<PeriodRecord>& query, db::Ins binds) {
  RunContext& ctx = h.ctx;
  PeriodRecord r;
  LineFlags flags;
  int staged = 0;
  h.forEach(query, binds, r, [&] {
    const std::string bookingDate = r.bdt;
    r.bdt = sessionDateOf(bookingDate);
    const int st = applyInterfaceLine(ctx, h.header.lug, kBlanks, r, flags);
    r.bdt = bookingDate;
    if (st != db::kOk) ctx.fail(st, kLineFailed, st);
    staged += stageRecord(h, r);
  });
  return staged;
}

void startFile(Handover& h, TransferFile& file) {
  const auto orUnknown = [](const std::string& s) { return s.empty() ? "???" : s.c_str(); };
  file.printf(kDescription, orUnknown(h.header.akr), orUnknown(h.header.fir));
}

std::string fileName(int number) {
  return "LodasSST-" + std::to_string(number) + ".txt";
}

// LodasSST-0.txt: the movements of the run's own period.
int writeOwnPeriod(Handover& h) {
  TransferFile& file = h.file(fileName(0), kOpenFailure);
  startFile(h, file);
  file.write(kAdditions);
  Movement m;
  return h.writeRows(kOwnRows, {}, m, [&] { file.write(kDataLine.line(m) + "\n"); });
}

// One file per recalculated period, newest first, each with its removals and
// then its additions.
int writeCorrections(Handover& h) {
  TransferFile* file = nullptr;
  int number = 0;
  std::string period;
  int16_t section = 0;
  Movement m;
  return h.writeRows(kCorrectionRows, {}, m, [&] {
    if (!file || m.azr != period) {
      if (number == kCorrectionFiles) {
        h.ctx.log("%s", kTooManyPeriods);
        throw base::RunExit{1};
      }
      file = &h.file(fileName(++number), kOpenFailure);
      startFile(h, *file);
      period = m.azr, section = 0;
    }
    if (m.rre != section && (m.rre == kRemoval || m.rre == kAddition)) {
      file->write(m.rre == kRemoval ? kRemovals : kAdditions);
      section = m.rre;
    }
    file->write(kDataLine.line(m) + "\n");
  });
}

std::vector<std::string> allFileNames() {
  std::vector<std::string> names;
  for (int n = 0; n <= kCorrectionFiles; ++n) names.push_back(fileName(n));
  return names;
}

}  // namespace

void exportLodas(RunContext& ctx) {
  Handover h(ctx, {.started = kStartLine, .finished = kEndLine}, allFileNames());
  h.clear({{kClearStaging, kClearFailed}});
  h.readHeader(HeaderForm::Full);
  int staged = stagePass(h, kOwnRecords, {ctx.abrnr, ctx.lfn});
  staged += stagePass(h, kJournalRows, {ctx.abrnr, ctx.lfn, ctx.runKey()});
  ctx.log(kStaged, staged);
  int written = writeOwnPeriod(h);
  written += writeCorrections(h);
  ctx.log(kWritten, written);
  h.finish();
}

}  // namespace lug::exporters
