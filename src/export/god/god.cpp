#include "export/god/god.h"

#include <cstdio>
#include <string>

#include "base/run_exit.h"
#include "export/date_text.h"
#include "export/field_text.h"
#include "export/framework.h"
#include "export/handover.h"
#include "export/layout.h"

namespace lug::exporters {
namespace {

constexpr char kClearStaging[] = "delete  from Hor333God ";
// Zk1Tge tells a cancelled absence by its sign also when it has no minutes;
// the order ends in the record's key, so that the row a staging key keeps is
// the same on every engine.
constexpr char kPeriodRecords[] =
    "select trim(NVL(Zk1Stz,' ')) ,Zk1Bdt ,trim(NVL(Zk1Pnr,' ')) ,trim(NVL(Zk1Zkt,' ')) "
    ",trim(NVL(Zk1Lna,' ')) ,trim(NVL(Zk1Lgr,' ')) ,trim(NVL(Zk1Kst,' ')) ,Zk1Std "
    ",to_char(Zk1Von,'yyyymmdd') ,to_char(Zk1Bis,'yyyymmdd') ,trim(NVL(Zk1Upn,' ')) ,Zk1Tge  from "
    "HOR331Zk1 where (Zk1Abr=:b0 and ZK1Lfn=:b1) order by Zk1Pnr,Zk1Stz,Zk1Bdt,Zk1Zkt,Zk1Lna,"
    "Zk1Lgr,Zk1Kst,Zk1Ktr,Zk1Von,Zk1Bis";
constexpr char kEmployeeName[] = "select PnrNam into :b0:b1  from Hor300Pnr where PnrNum=:b2";
constexpr char kInsertRow[] =
    "insert into Hor333God (GodArt,GodTnr,GodPnr,GodLna,GodDvo,GodDbi,GodStd,GodEin,GodKst,GodEar,"
    "GodFvo,GodFbi,GodFgr,GodNam) values (:b0,:b1,:b2,:b3,:b4,:b5,:b6,:b7,:b8,:b9,:b10,:b11,:b12,"
    ":b13)";
constexpr char kAddRow[] =
    "update Hor333God  set GodStd=(GodStd+:b0),GodFbi=:b1 where (((((GodArt=:b2 and GodPnr=:b3) "
    "and "
    "GodLna=:b4) and GodDvo=:b5) and GodDbi=:b6) and GodFvo=:b7)";
constexpr char kCountRows[] = "select count(*)  into :b0:b1  from Hor333God ";
constexpr char kStagedRows[] =
    "select *  from HOR333God  order by GodPnr,GodArt,GodLna,GodDvo,GodDbi,GodFvo";

constexpr char kStartLine[] = "\nGOD-Lohnprogramm Akr: %s, Abrnr: %d gestartet";
constexpr char kEndLine[] = "GOD-Lohnprogramm beendet";
constexpr char kClearFailed[] = "DeleteFehler HOR333GOD, Sqlfhl: %d";
constexpr char kParticipantTooLong[] = "TeilnehmerNr. zu lang : %s";
constexpr char kNothingHandedOver[] = "GOD-Lohnprogramm abgebrochen, keine Datei geschrieben";
constexpr char kLnaTooLong[] = "Lohnart zu lang : %s";
constexpr char kLineFailed[] = "Fehler beim Lesen Hor171Lu1: %d";
constexpr char kKstTooLong[] = "Kostenstelle zu lang : %s";
constexpr char kKindNotSupported[] = "Satzart nicht unterstützt: %s";
constexpr char kCancelledAbsence[] =
    "Pnr %s: Abwesenheit %s - %s storniert, nicht übergeben (in GOD von Hand stornieren)";
constexpr char kStagingFailed[] = "Hor333God Insert-/UpdateFehler, Sqlfhl: %d";
constexpr char kLineTooWide[] = "PersNr. %s: Stundenwert zu groß f.Übergabe (Lohnart %s)";
constexpr char kRead[] = "%d Datensätze aus Hor333Zk1 übergeben.";
constexpr char kFileName[] = "PVZERZDP.DAT";
constexpr char kOpenFailure[] = "GOD-Exportdatei kann nicht geoeffnet werden !";
constexpr char kFirstHeader[] = "%s%s%s%s%s\n";
constexpr char kSecondHeader[] = "%s%s%s\n";

constexpr char kAbsence[] = "331";
constexpr char kHours[] = "970";
constexpr size_t kParticipantWidth = 4;

// One staging row of Hor333God.
struct GodRow {
  std::string art{}, tnr{}, pnr{}, lna{}, dvo{}, dbi{};  // dvo, dbi: mmyy
  double hours = 0;
  std::string ein{}, kst{}, ear{}, fvo{}, fbi{}, fgr{};  // fvo, fbi: ddmmyy
  std::string nam{};
};
const db::Columns<GodRow> kAllColumns{&GodRow::art, &GodRow::tnr, &GodRow::pnr,   &GodRow::lna,
                                      &GodRow::dvo, &GodRow::dbi, &GodRow::hours, &GodRow::ein,
                                      &GodRow::kst, &GodRow::ear, &GodRow::fvo,   &GodRow::fbi,
                                      &GodRow::fgr, &GodRow::nam};
const Staging<GodRow> kStaging{
    .statements = {.insert = kInsertRow, .add = kAddRow},
    .insertColumns = kAllColumns,
    .addColumns = {&GodRow::hours, &GodRow::fbi, &GodRow::art, &GodRow::pnr, &GodRow::lna,
                   &GodRow::dvo, &GodRow::dbi, &GodRow::fvo}};
const Query<GodRow> kStaged{.sql = kStagedRows, .columns = kAllColumns};
const Query<PeriodRecord> kRecords{
    .sql = kPeriodRecords,
    .columns = {&PeriodRecord::stz, &PeriodRecord::bdt, &PeriodRecord::pnr, &PeriodRecord::zkt,
                &PeriodRecord::lna, &PeriodRecord::lgr, &PeriodRecord::kst, &PeriodRecord::minutes,
                &PeriodRecord::von, &PeriodRecord::bis, &PeriodRecord::upn, &PeriodRecord::tenths}};

// A blanked cost centre is one blank.
constexpr CostBlanks kBlankKst{.kst = " "};

// Hours × 100 as "%7.0f"; a sum that cancels out is "0", never "-0".
std::string hundredths(const GodRow& row) {
  return formatNumber(roundedTo(row.hours * 100, 0) + 0.0, {});
}
std::function<std::string(const GodRow&)> blanks(size_t count) {
  return literal<GodRow>(std::string(count, ' '));
}

const FixedLayout<GodRow> kAbsenceLine{{text(&GodRow::art), {3}}, {literal<GodRow>("1"), {1}},
                                       {text(&GodRow::tnr), {4}}, {text(&GodRow::pnr), {8}},
                                       {text(&GodRow::dvo), {4}}, {text(&GodRow::dbi), {4}},
                                       {blanks(18), {18}},        {text(&GodRow::fvo), {6}},
                                       {text(&GodRow::fbi), {6}}, {text(&GodRow::fgr), {2}}};
const FixedLayout<GodRow> kHoursLine{
    {text(&GodRow::art), {3}},
    {literal<GodRow>("1"), {1}},
    {text(&GodRow::tnr), {4}},
    {text(&GodRow::pnr), {8}},
    {text(&GodRow::lna), {4}},
    {text(&GodRow::dvo), {4}},
    {text(&GodRow::dbi), {4}},
    {blanks(8), {8}},
    {hundredths, {.width = 7, .align = Align::Right, .overflow = Overflow::Reject}},
    {blanks(2 + 5 + 9), {16}},
    {text(&GodRow::ein), {8}},
    {text(&GodRow::kst), {6}},
    {text(&GodRow::ear), {2}}};

class God {
 public:
  explicit God(Handover& h) : h_(h), ctx_(h.ctx) {}

  // Stages one record; a record that fails a check is logged and left out.
  void stage(PeriodRecord& r) {
    if (exceedsWidth(r.lna, 4)) return reject(ctx_, kLnaTooLong, r.lna.c_str());
    GodRow row{.art = r.stz,
               .tnr = h_.header.fir,
               .pnr = r.upn,
               .dvo = dateText(r.von, "mmyy"),
               .dbi = dateText(r.bis, "mmyy")};
    if (r.stz == kAbsence) {
      // GOD has no cancellation of an absence: a taken-back absence must
      // not reach payroll as a new one.
      if (r.minutes < 0 || r.tenths < 0)
        return ctx_.log(kCancelledAbsence, r.pnr.c_str(), dateText(r.von, "dd.mm.yyyy").c_str(),
                        dateText(r.bis, "dd.mm.yyyy").c_str());
      row.lna = " ", row.fvo = dateText(r.von, "ddmmyy");
      row.fbi = r.bis.empty() ? "000000" : dateText(r.bis, "ddmmyy");
      row.fgr = firstCharacters(r.lgr, 2);
    } else if (r.stz == kHours) {
      LineFlags flags;
      if (const int st = applyInterfaceLine(ctx_, h_.header.lug, kBlankKst, r, flags); st != 0)
        ctx_.fail(st, kLineFailed, st);
      if (exceedsWidth(r.kst, 6)) return reject(ctx_, kKstTooLong, r.kst.c_str());
      row.lna = r.lna, row.hours = hoursOf(r.minutes), row.kst = r.kst, row.fvo = " ";
    } else {
      return ctx_.log(kKindNotSupported, r.stz.c_str());
    }
    row.nam = nameOf(r.upn);
    h_.stage(kStaging, row, [&](db::WriteStep, int st) { ctx_.log(kStagingFailed, st); });
  }

 private:
  // The employee's name (empty when not found), read once per employee.
  const std::string& nameOf(const std::string& upn) {
    if (upn == upn_ && !upn.empty()) return name_;
    upn_ = upn, name_.clear();
    const int st = ctx_.status = ctx_.db.exec(kEmployeeName, {upn}, {name_});
    ctx_.abortIfFatal(st);
    if (st != db::kOk) name_.clear();
    return name_;
  }

  Handover& h_;
  RunContext& ctx_;
  std::string upn_, name_;
};

// The two header lines: the run date (yyyymmdd of the run key dd.mm.yyyy)
// and the number of staging rows.
void writeHeader(RunContext& ctx, TransferFile& file) {
  const std::string& key = ctx.runKey();
  const std::string runDate =
      key.size() >= 10 ? key.substr(6, 4) + key.substr(3, 2) + key.substr(0, 2) : std::string();
  file.printf(kFirstHeader, "X101000010000", "xxxxxxxx", "0000ZEITERF.", runDate.c_str(),
              "00000000TYP1");
  int32_t rows = 0;
  const int st = ctx.status = ctx.db.exec(kCountRows, {}, {rows});
  ctx.abortIfFatal(st);
  char count[16];
  std::snprintf(count, sizeof count, "%06d", rows);
  file.printf(kSecondHeader, "X1010000", count, "000000000000");
}

void writeLines(Handover& h, TransferFile& file) {
  GodRow row;
  h.writeRows(kStaged, {}, row, [&] {
    const FixedLayout<GodRow>* layout = row.art == kAbsence ? &kAbsenceLine
                                        : row.art == kHours ? &kHoursLine
                                                            : nullptr;
    if (!layout) return;
    if (const auto line = layout->line(row)) return file.write(*line + row.nam + "\n");
    reject(h.ctx, kLineTooWide, row.pnr.c_str(), row.lna.c_str());
  });
}

}  // namespace

void exportGod(RunContext& ctx) {
  Handover h(ctx, {.started = kStartLine, .finished = kEndLine}, {kFileName});
  h.clear({{kClearStaging, kClearFailed}});
  h.readHeader(HeaderForm::Short);
  // A participant number cut to four characters would hand every employee
  // over to another participant: nothing is handed over.
  if (exceedsWidth(h.header.fir, kParticipantWidth)) {
    ctx.log(kParticipantTooLong, h.header.fir.c_str());
    ctx.log("%s", kNothingHandedOver);
    throw base::RunExit{1};
  }
  God god(h);
  PeriodRecord record;
  const int read = h.forEach(kRecords, {ctx.abrnr, ctx.lfn}, record, [&] { god.stage(record); });

  TransferFile& file = h.file(kFileName, kOpenFailure);
  writeHeader(ctx, file);
  writeLines(h, file);
  ctx.log(kRead, read);
  h.finish();
}

}  // namespace lug::exporters
