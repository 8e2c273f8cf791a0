#include "export/sbs/sbs.h"

#include <cmath>
#include <string>
#include <vector>

#include "base/run_exit.h"
#include "export/field_text.h"
#include "export/framework.h"
#include "export/handover.h"
#include "export/layout.h"

namespace lug::exporters {
namespace {

constexpr char kClearStaging[] = "delete  from Hor333Sbs ";
constexpr char kPeriodRecords[] =
    "select trim(NVL(Zk1Lna,' ')) ,to_char(Zk1Bdt,'yymmdd') ,NVL(Zk1Std,0) ,trim(NVL(Zk1Kst,' ')) "
    ",trim(NVL(Zk1Ktr,' ')) ,trim(NVL(Zk1Upn,' '))  from HOR331Zk1 where (Zk1Abr=:b0 and "
    "ZK1Lfn=:b1) order by Zk1Upn";
constexpr char kInsertHours[] =
    "insert into Hor333Sbs (SbsJhr,SbsMon,SbsTag,SbsPnr,SbsLna,SbsVzn,SbsStd,SbsFkb,SbsFkc,SbsFkd,"
    "SbsFke,SbsKst,SbsKtr,SbsBab,SbsF01,SbsAda,SbsWkz,SbsF63) values (:b0,:b1,:b2,:b3,:b4,:b5,:b6,"
    ":b7,:b8,:b9,:b10,:b11,:b12,:b13,:b14,:b15,:b16,:b17)";
constexpr char kAddHours[] =
    "update Hor333Sbs  set SbsStd=(SbsStd+:b0) where (((((SbsPnr=:b1 and SbsTag=:b2) and "
    "SbsMon=:b3) and SbsJhr=:b4) and SbsLna=:b5) and SbsKst=:b6)";
// Each employee's lines by day, wage type and cost centre: the same file on
// every engine and in every run.
constexpr char kStagedHours[] =
    "select SbsJhr ,SbsMon ,SbsTag ,SbsPnr ,SbsLna ,SbsVzn ,SbsStd ,SbsFkb ,SbsFkc ,SbsFkd ,SbsFke "
    ",SbsKst ,SbsKtr ,SbsBab ,SbsF01 ,SbsAda ,SbsWkz ,SbsF63  from HOR333Sbs  order by "
    "SbsPnr,SbsJhr,SbsMon,SbsTag,SbsLna,SbsKst";

constexpr char kStartLine[] = "\nSBS-Lohnprogramm Akr: %s, Abrnr: %d gestartet";
constexpr char kEndLine[] = "SBS-Lohnprogramm beendet";
constexpr char kClearFailed[] = "DeleteFehler HOR333Sbs, Sqlfhl: %d";
constexpr char kStagingFailed[] = "Hor333Sbs Insert-/UpdateFehler, Sqlfhl: %d";
constexpr char kPnrTooLong[] = "PersNr. zu lang : %s";
constexpr char kLnaTooLong[] = "Pnr %s: Lohnart zu lang (%s)";
constexpr char kHoursTooLarge[] = "Std. zu groß f.Übergabe, Pnr: %s";
constexpr char kOpenFailure[] = " SBS-Exportdatei kann nicht geoeffnet werden !";
constexpr char kNoFileName[] = "SBS-Firmennummer ergibt keinen Dateinamen: %s";

constexpr size_t kPnrWidth = 6;
constexpr size_t kLnaWidth = 3;
constexpr size_t kKstWidth = 12;          // a longer cost centre is cut
constexpr double kLargestHours = 999999;  // 8 digits of hundredths
constexpr int64_t kLargeCompany = 1000;   // from here on the BWA name

// A row of Hor333Sbs.
struct Hours {
  std::string jhr{}, mon{}, tag{}, pnr{}, lna{}, vzn{};  // yy, mm, dd
  double hours = 0, fkb = 0, fkc = 0, fkd = 0, fke = 0;
  std::string kst, ktr = "*00000000000", bab = "*00", f01 = "0", ada = "0", wkz = "E", f63{};
};
const db::Columns<Hours> kHoursColumns{
    &Hours::jhr,   &Hours::mon, &Hours::tag, &Hours::pnr, &Hours::lna, &Hours::vzn,
    &Hours::hours, &Hours::fkb, &Hours::fkc, &Hours::fkd, &Hours::fke, &Hours::kst,
    &Hours::ktr,   &Hours::bab, &Hours::f01, &Hours::ada, &Hours::wkz, &Hours::f63};
const Staging<Hours> kHoursTable{
    .statements = {.insert = kInsertHours, .add = kAddHours},
    .insertColumns = kHoursColumns,
    .addColumns = {&Hours::hours, &Hours::pnr, &Hours::tag, &Hours::mon, &Hours::jhr, &Hours::lna,
                   &Hours::kst}};
const Query<Hours> kStagedRows{.sql = kStagedHours, .columns = kHoursColumns};

// Records arrive trimmed, the booking date as yymmdd.
const Query<PeriodRecord> kRecords{
    .sql = kPeriodRecords,
    .columns = {&PeriodRecord::lna, &PeriodRecord::bdt, &PeriodRecord::minutes, &PeriodRecord::kst,
                &PeriodRecord::ktr, &PeriodRecord::upn}};

std::string part(const std::string& text, size_t pos) {
  return pos < text.size() ? text.substr(pos, 2) : std::string();
}

// A personnel number or wage type too long for the file is reported and its
// record left out; the records after it are handed over. A cut wage type
// would pay the hours as another one.
void stageRecord(Handover& h, const PeriodRecord& r) {
  RunContext& ctx = h.ctx;
  const bool fits = passes({
      {exceedsWidth(r.upn, kPnrWidth), [&] { reject(ctx, kPnrTooLong, r.upn.c_str()); }},
      {exceedsWidth(r.lna, kLnaWidth),
       [&] { reject(ctx, kLnaTooLong, r.upn.c_str(), r.lna.c_str()); }},
  });
  if (!fits) return;
  const Hours row{.jhr = part(r.bdt, 0),
                  .mon = part(r.bdt, 2),
                  .tag = part(r.bdt, 4),
                  .pnr = r.upn,
                  .lna = r.lna,
                  .hours = hoursOf(r.minutes),
                  .kst = firstCharacters(r.kst, kKstWidth)};
  h.stage(kHoursTable, row, [&](db::WriteStep, int st) { ctx.log(kStagingFailed, st); });
}

FieldWidth zeroPadded(size_t width) {
  return {.width = width, .align = Align::Right, .fill = '0'};
}
constexpr NumberFormat kHundredths{.width = 8, .decimals = 0, .scale = 2};
std::string fixed(double value) {
  return formatNumber(value, kHundredths);
}

const FixedLayout<Hours> kLine{
    {text(&Hours::jhr), {2}},
    {text(&Hours::mon), {2}},
    {text(&Hours::tag), {2}},
    {text(&Hours::pnr), zeroPadded(6)},
    {text(&Hours::lna), zeroPadded(3)},
    {[](const Hours& r) { return std::string(r.hours < 0 ? "1" : "0"); }, {1}},
    {[](const Hours& r) { return fixed(std::fabs(r.hours)); }, {8}},
    {[](const Hours& r) { return fixed(r.fkb); }, {8}},
    {[](const Hours& r) { return fixed(r.fkc); }, {8}},
    {[](const Hours& r) { return fixed(r.fkd); }, {8}},
    {[](const Hours& r) { return fixed(r.fke); }, {8}},
    {text(&Hours::kst), zeroPadded(12)},
    {text(&Hours::ktr), zeroPadded(12)},
    {text(&Hours::bab), {3}},
    {text(&Hours::f01), {1}},
    {text(&Hours::ada), zeroPadded(2)},
    {text(&Hours::wkz), {1}},
    {text(&Hours::f63), zeroPadded(63)},
};

// BWA and five characters of the company from company 1000 on, else BEWA-
// and at least three; the accounting group stands in for a missing company.
std::string fileName(const RunContext& ctx, const std::string& company) {
  const std::string firm = company.empty() ? ctx.akr : company;
  if (leadingNumber(firm) >= kLargeCompany)
    return "BWA" + padLeft(firstCharacters(firm, 5), 5, '0') + ".DAT";
  return "BEWA-" + padLeft(firm, 3, '0') + ".DAT";
}

// The hours are rounded to the hundredths the file shows before the sign is
// taken, so that a sum that cancels out (1 + 5 - 6 minutes summed in double
// precision) is no negative zero. Hours beyond the field are written as 0
// and reported.
void writeFile(Handover& h, const std::string& name) {
  if (!isPlainFileName(name)) {
    h.ctx.log(kNoFileName, name.c_str());
    h.ctx.log("%s", kOpenFailure);
    throw base::RunExit{1};
  }
  TransferFile& file = h.file(name, kOpenFailure);
  Hours row;
  h.writeRows(kStagedRows, {}, row, [&] {
    row.hours = roundedTo(row.hours, 2) + 0.0;  // + 0.0: -0.0 becomes 0.0
    if (std::fabs(row.hours) > kLargestHours) {
      reject(h.ctx, kHoursTooLarge, row.pnr.c_str());
      row.hours = 0;
    }
    file.write(kLine.line(row).value_or(std::string()) + "\n");
  });
}

}  // namespace

void exportSbs(RunContext& ctx) {
  InterfaceHeader header;
  readInterfaceHeader(ctx, HeaderForm::Short, header);
  const std::string name = fileName(ctx, fullTrim(header.fir));
  std::vector<std::string> names;
  if (isPlainFileName(name)) names.push_back(name);
  Handover h(ctx, {.started = kStartLine, .finished = kEndLine}, names);
  h.clear({{kClearStaging, kClearFailed}});
  PeriodRecord r;
  h.forEach(kRecords, {ctx.abrnr, ctx.lfn}, r, [&] { stageRecord(h, r); });
  writeFile(h, name);
  h.finish();
}

}  // namespace lug::exporters
