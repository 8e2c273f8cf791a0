#include "export/baumann/baumann.h"

#include <string>

#include "base/interface_row.h"
#include "export/field_text.h"
#include "export/framework.h"
#include "export/handover.h"
#include "export/layout.h"

namespace lug::exporters {
namespace {

constexpr char kClearStaging[] = "delete  from Hor333Bmn ";
// Ties of the personnel number are ordered by wage type and cost centre, so
// that the cost centre a staging row keeps is the same on every engine.
constexpr char kPeriodRecords[] =
    "select Zk1Lna ,to_char(Zk1Bdt,'yyyy.mm.dd') ,NVL(Zk1Std,0) ,Zk1Kst ,Zk1Upn  from HOR331Zk1 "
    "where (Zk1Abr=:b0 and ZK1Lfn=:b1) order by Zk1Upn,Zk1Lna,Zk1Kst";
constexpr char kInsertHours[] =
    "insert into Hor333Bmn (BmnStz,BmnFir,BmnFl1,BmnPnr,BmnKst,BmnDat,BmnAbm,BmnLna,BmnStd,BmnKnz,"
    "BmnZf1,BmnZf2,BmnFl2,BmnAnf,BmnPsn,BmnFkt,BmnZus) values (:b0,:b1,:b2,:b3,:b4,:b5,:b6,:b7,:b8,"
    ":b9,:b10,:b11,:b12,:b13,:b14,:b15,:b16)";
constexpr char kAddHours[] =
    "update Hor333Bmn  set BmnStd=(BmnStd+:b0) where (((BmnStz=:b1 and BmnPnr=:b2) and BmnAbm=:b3) "
    "and BmnLna=:b4)";
// The lines in staging-key order: the same file on every engine.
constexpr char kStagedHours[] =
    "select BmnStz ,BmnFir ,BmnFl1 ,BmnPnr ,BmnKst ,BmnDat ,BmnAbm ,BmnLna ,BmnStd ,BmnKnz ,BmnZf1 "
    ",BmnZf2 ,BmnFl2 ,BmnAnf ,BmnPsn ,BmnFkt ,BmnZus  from HOR333Bmn  order by "
    "BmnPnr,BmnAbm,BmnLna";

constexpr char kStartLine[] = "\nBaumann-Lohnprogramm Akr: %s, Abrnr: %d gestartet";
constexpr char kEndLine[] = "Baumann-Lohnprogramm beendet";
constexpr char kClearFailed[] = "DeleteFehler Hor333Bmn, Sqlfhl: %d";
constexpr char kInterfaceFailed[] = "Hor171Lug-Lesenfehler: %d";
constexpr char kCompanyTooLong[] = "Firma zu lang : %s";
constexpr char kPnrTooLong[] = "PersNr. zu lang : %s";
constexpr char kKstTooLong[] = "Kostenstelle zu lang : %s";
constexpr char kLnaTooLong[] = "Lohnart zu lang : %s";
constexpr char kStagingFailed[] = "Hor333Bmn Insert-/UpdateFehler, Sqlfhl: %d";
constexpr char kLineTooWide[] = "PersNr. %s: Stundenwert zu groß f.Übergabe (Lohnart %s)";
constexpr char kRead[] = "%d Datensätze aus Hor333Zk1 übergeben.";
constexpr char kFileName[] = "BMNLUG.txt";
constexpr char kOpenFailure[] = " BMN-Exportdatei kann nicht geoeffnet werden !";

constexpr size_t kCompanyWidth = 5;
constexpr char kRecordKind[] = "83";
constexpr char kMarker[] = "0";  // BmnKnz

// One staging row of Hor333Bmn; BmnFir and BmnKst are not part of the key,
// the first record's stay.
struct Hours {
  std::string stz{}, fir{}, fl1{}, pnr{}, kst{}, dat{}, abm{}, lna{};
  double hours = 0;  // BmnStd
  std::string knz{};
  double zf1 = 0, zf2 = 0;
  std::string fl2{}, anf{}, psn{};
  double fkt = 0, zus = 0;
};

const db::Columns<Hours> kAllColumns{
    &Hours::stz, &Hours::fir, &Hours::fl1,   &Hours::pnr, &Hours::kst, &Hours::dat,
    &Hours::abm, &Hours::lna, &Hours::hours, &Hours::knz, &Hours::zf1, &Hours::zf2,
    &Hours::fl2, &Hours::anf, &Hours::psn,   &Hours::fkt, &Hours::zus};
const Staging<Hours> kStaging{
    .statements = {.insert = kInsertHours, .add = kAddHours},
    .insertColumns = kAllColumns,
    .addColumns = {&Hours::hours, &Hours::stz, &Hours::pnr, &Hours::abm, &Hours::lna}};
const Query<Hours> kStaged{.sql = kStagedHours, .columns = kAllColumns};
const Query<PeriodRecord> kRecords{
    .sql = kPeriodRecords,
    .columns = {&PeriodRecord::lna, &PeriodRecord::bdt, &PeriodRecord::minutes, &PeriodRecord::kst,
                &PeriodRecord::upn}};

// "%8.2f" and "%5.2f" with a decimal comma; a sum that cancels out is
// "0,00", never "-0,00". A number wider than its field is refused rather
// than shifting the fields after it.
std::function<std::string(const Hours&)> decimal(double Hours::*member) {
  return [member](const Hours& row) {
    return formatNumber(roundedTo(row.*member, 2) + 0.0, {.decimals = 2, .point = ','});
  };
}
constexpr FieldWidth kEight{.width = 8, .align = Align::Right, .overflow = Overflow::Reject};
constexpr FieldWidth kFive{.width = 5, .align = Align::Right, .overflow = Overflow::Reject};

const FixedLayout<Hours> kLine{
    {text(&Hours::stz), {2}},      {text(&Hours::fir), {5}},       {text(&Hours::fl1), {3}},
    {text(&Hours::pnr), {4}},      {text(&Hours::kst), {6}},       {text(&Hours::dat), {2}},
    {text(&Hours::abm), {2}},      {text(&Hours::lna), {3}},       {decimal(&Hours::hours), kEight},
    {text(&Hours::knz), {1}},      {decimal(&Hours::zf1), kEight}, {decimal(&Hours::zf2), kEight},
    {text(&Hours::fl2), {2}},      {text(&Hours::anf), {11}},      {text(&Hours::psn), {5}},
    {decimal(&Hours::fkt), kFive}, {decimal(&Hours::zus), kFive}};

// The company: the interface's LugFir, cut to its five characters.
std::string company(RunContext& ctx) {
  InterfaceRow row;
  const int st = ctx.status = readInterfaceRow(ctx.db, ctx.akr, row);
  if (st != db::kOk) ctx.fail(st, kInterfaceFailed, st);
  if (exceedsWidth(row.fir, kCompanyWidth)) ctx.log(kCompanyTooLong, row.fir.c_str());
  return firstCharacters(row.fir, kCompanyWidth);
}

// A record that fails a check is logged and left out; the others are staged.
void stageRecord(Handover& h, const PeriodRecord& r, const Hours& head) {
  RunContext& ctx = h.ctx;
  const bool fits = passes({
      {exceedsWidth(r.upn, 4), [&] { reject(ctx, kPnrTooLong, r.upn.c_str()); }},
      {exceedsWidth(r.kst, 6), [&] { reject(ctx, kKstTooLong, r.kst.c_str()); }},
      {exceedsWidth(r.lna, 3), [&] { reject(ctx, kLnaTooLong, r.lna.c_str()); }},
  });
  if (!fits) return;
  Hours row = head;
  row.pnr = r.upn, row.kst = r.kst, row.lna = r.lna, row.hours = baumannHours(r.minutes);
  h.stage(kStaging, row, [&](db::WriteStep, int st) { ctx.log(kStagingFailed, st); });
}

}  // namespace

double baumannHours(int32_t minutes) {
  return minutes / 60 + ((minutes % 60) * 10 / 6) * 0.01;
}

void exportBaumann(RunContext& ctx) {
  Handover h(ctx, {.started = kStartLine, .finished = kEndLine}, {kFileName});
  h.clear({{kClearStaging, kClearFailed}});
  // The payroll month is the month of the run period's first day (yyyy.mm.dd).
  const Hours head{.stz = kRecordKind,
                   .fir = company(ctx),
                   .abm = ctx.abrVon.size() >= 7 ? ctx.abrVon.substr(5, 2) : std::string(),
                   .knz = kMarker};
  PeriodRecord record;
  const int read =
      h.forEach(kRecords, {ctx.abrnr, ctx.lfn}, record, [&] { stageRecord(h, record, head); });

  TransferFile& file = h.file(kFileName, kOpenFailure);
  Hours row;
  h.writeRows(kStaged, {}, row, [&] {
    if (const auto line = kLine.line(row)) return file.write(*line + "\n");
    reject(ctx, kLineTooWide, row.pnr.c_str(), row.lna.c_str());
  });
  ctx.log(kRead, read);
  h.finish();
}

}  // namespace lug::exporters
