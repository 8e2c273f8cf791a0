#include "export/proal/proal.h"

#include <cmath>
#include <cstdlib>
#include <string>
#include <tuple>

#include "export/field_text.h"
#include "export/framework.h"
#include "export/handover.h"
#include "export/layout.h"
#include "export/ordered_rows.h"

namespace lug::exporters {
namespace {

constexpr char kClearStaging[] = "delete  from Hor333Pro ";
constexpr char kPeriodRecords[] =
    "select Zk1Stz ,Zk1Bdt ,Zk1Zkt ,trim(NVL(Zk1Lna,' ')) ,trim(NVL(Zk1Kst,' ')) "
    ",trim(NVL(Zk1Ktr,' ')) ,NVL(Zk1Std,0) ,trim(NVL(Zk1Upn,' '))  from HOR331Zk1 where "
    "(Zk1Abr=:b0 and ZK1Lfn=:b1) order by Zk1Upn";
constexpr char kInsertHours[] =
    "insert into Hor333Pro (ProLer,ProFir,ProKnz,ProPnr,ProTag,ProMon,ProJhr,ProLna,ProZet,ProMge,"
    "ProStz,ProMgs,ProPrz,ProBtr,ProKst,ProKtr,ProBes) values (:b0,:b1,:b2,:b3,:b4,:b5,:b6,:b7,:b8,"
    "null ,null ,null ,null ,null ,:b9,:b10,:b11)";
constexpr char kAddHours[] =
    "update Hor333Pro  set ProZet=(ProZet+:b0) where (((((ProPnr=:b1 and ProTag=:b2) and "
    "ProMon=:b3) and ProJhr=:b4) and ProLna=:b5) and ProKst=:b6)";
constexpr char kStagedLines[] =
    "select rpad(NVL(ProLer,' '),2,' ') ,rpad(NVL(ProFir,' '),10,' ') ,NVL(ProKnz,' ') ,NVL(ProPnr,"
    "' ') ,NVL(ProTag,0) ,NVL(ProMon,0) ,NVL(ProJhr,0) ,rpad(NVL(ProLna,' '),3,' ') ,NVL(ProZet,0) "
    ",NVL(ProMge,0) ,NVL(ProStz,0) ,NVL(ProMgs,0) ,NVL(ProPrz,0) ,NVL(ProBtr,0) ,NVL(ProKst,0) "
    ",rpad(NVL(ProKtr,' '),20,' ') ,rpad(NVL(ProBes,' '),60,' ')  from HOR333Pro  order by ProPnr";

constexpr char kStartLine[] = "\nProAL-Lohnprogramm Akr: %s, Abrnr: %d gestartet";
constexpr char kEndLine[] = "ProAL-Lohnprogramm beendet";
constexpr char kClearFailed[] = "DeleteFehler HOR333Pro, Sqlfhl: %d";
constexpr char kInsertFailed[] = "ProAL-InsertFehler, Pnr: %s, Sqlfhl: %d";
constexpr char kUpdateFailed[] = "ProAL-UpdateFehler, Pnr: %s, Sqlfhl: %d";
constexpr char kPnrTooLong[] = "PersNr zu lang : %s";
constexpr char kLnaTooLong[] = "Pnr %s: Lohnart zu lang (%s)";
constexpr char kOpenFailure[] = "ProAL-Exportdatei kann nicht geoeffnet werden !";
constexpr char kHoursTooLarge[] = "Wert zu groß f.Übergabe, Pnr: %s";
constexpr char kFileName[] = "ProAL.txt";

// A blanked cost centre is "0" (cost centre 0), a blanked cost unit a blank.
constexpr CostBlanks kBlanks{.kst = "0", .ktr = " "};
constexpr double kLargestHours = 999;
constexpr size_t kCostCentreDigits = 8;

// One staging row of Hor333Pro as the exporter writes it; the quantity
// columns other than the hours stay null.
struct DayHours {
  std::string ler, fir, knz, pnr;
  int16_t tag = 0, mon = 0, jhr = 0;
  std::string lna;
  double zet = 0;
  int32_t kst = 0;
  std::string ktr, bes;
};

const Staging<DayHours> kDayHours{
    .statements = {.insert = kInsertHours, .add = kAddHours},
    .insertColumns = {&DayHours::ler, &DayHours::fir, &DayHours::knz, &DayHours::pnr,
                      &DayHours::tag, &DayHours::mon, &DayHours::jhr, &DayHours::lna,
                      &DayHours::zet, &DayHours::kst, &DayHours::ktr, &DayHours::bes},
    .addColumns = {&DayHours::zet, &DayHours::pnr, &DayHours::tag, &DayHours::mon, &DayHours::jhr,
                   &DayHours::lna, &DayHours::kst}};

// A staging row as the file statement delivers it: texts padded, nulls 0.
struct FileRow {
  std::string ler, fir, knz, pnr;
  int32_t tag = 0, mon = 0, jhr = 0;
  std::string lna;
  double zet = 0, mge = 0, stz = 0, mgs = 0, prz = 0, btr = 0;
  int32_t kst = 0;
  std::string ktr, bes;
};

const Query<FileRow> kFileRows{
    .sql = kStagedLines,
    .columns = {&FileRow::ler, &FileRow::fir, &FileRow::knz, &FileRow::pnr, &FileRow::tag,
                &FileRow::mon, &FileRow::jhr, &FileRow::lna, &FileRow::zet, &FileRow::mge,
                &FileRow::stz, &FileRow::mgs, &FileRow::prz, &FileRow::btr, &FileRow::kst,
                &FileRow::ktr, &FileRow::bes}};

const Query<PeriodRecord> kRecords{
    .sql = kPeriodRecords,
    .columns = {&PeriodRecord::stz, &PeriodRecord::bdt, &PeriodRecord::zkt, &PeriodRecord::lna,
                &PeriodRecord::kst, &PeriodRecord::ktr, &PeriodRecord::minutes,
                &PeriodRecord::upn}};

FixedLayout<FileRow>::Field padded(std::string FileRow::*member, size_t width) {
  return {text(member), {.width = width}};
}
template <class Number>
FixedLayout<FileRow>::Field numeric(Number FileRow::*member, int width, int decimals = 0) {
  return {number(member, {.width = width, .decimals = decimals}),
          {.width = static_cast<size_t>(width)}};
}
// A sum that cancels out is written "0000.00", never "-000.00".
double asWritten(const FileRow& r) {
  return roundedTo(r.zet, 2) + 0.0;
}

const FixedLayout<FileRow> kLine{
    padded(&FileRow::ler, 2),
    padded(&FileRow::fir, 10),
    padded(&FileRow::knz, 1),
    {text(&FileRow::pnr), {.width = 6, .align = Align::Right, .fill = '0'}},
    numeric(&FileRow::tag, 2),
    numeric(&FileRow::mon, 2),
    numeric(&FileRow::jhr, 4),
    padded(&FileRow::lna, 3),
    {[](const FileRow& r) { return formatNumber(asWritten(r), {.width = 7, .decimals = 2}); },
     {.width = 7}},
    numeric(&FileRow::mge, 10, 2),
    numeric(&FileRow::stz, 10, 4),
    numeric(&FileRow::mgs, 8, 4),
    numeric(&FileRow::prz, 6, 2),
    numeric(&FileRow::btr, 10, 2),
    numeric(&FileRow::kst, 8),
    padded(&FileRow::ktr, 20),
    padded(&FileRow::bes, 60)};

// The cost centre as ProAL's number: a text of digits, 0 for a number beyond
// eight digits and for any other text. A text such as "12AB" is 0, not cost
// centre 12.
int32_t costCentre(const std::string& kst) {
  if (kst.find_first_not_of("0123456789") != std::string::npos) return 0;
  const size_t significant = kst.find_first_not_of('0');
  if (significant == std::string::npos || kst.size() - significant > kCostCentreDigits) return 0;
  return static_cast<int32_t>(std::atol(kst.c_str() + significant));
}

// A personnel number or wage type longer than its field is not cut: cut,
// it would name another employee or another wage type.
void stageRecord(Handover& h, const std::string& company, PeriodRecord& r) {
  RunContext& ctx = h.ctx;
  const bool fits = passes({
      {exceedsWidth(r.upn, 6), [&] { reject(ctx, kPnrTooLong, r.upn.c_str()); }},
      {exceedsWidth(r.lna, 3), [&] { reject(ctx, kLnaTooLong, r.upn.c_str(), r.lna.c_str()); }},
  });
  if (!fits) return;
  LineFlags flags;
  ctx.abortIfFatal(applyInterfaceLine(ctx, h.header.lug, kBlanks, r, flags));
  const DayHours hours{.ler = "",
                       .fir = company,
                       .knz = "P",
                       .pnr = r.upn,
                       .tag = static_cast<int16_t>(std::atoi(characters(r.bdt, 8, 2).c_str())),
                       .mon = static_cast<int16_t>(std::atoi(characters(r.bdt, 5, 2).c_str())),
                       .jhr = static_cast<int16_t>(std::atoi(characters(r.bdt, 0, 4).c_str())),
                       .lna = r.lna,
                       .zet = r.minutes != 0 ? hoursOf(r.minutes) : 0,
                       .kst = costCentre(r.kst),
                       .ktr = r.ktr,
                       .bes = ""};
  h.stage(kDayHours, hours, failureLines(ctx, kInsertFailed, kUpdateFailed, r.upn));
}

// Hours beyond 999 are not written: the line would be paid with another
// value. The log names the employee.
void writeFile(Handover& h, TransferFile& file) {
  const auto byEmployee = [](const FileRow& r) { return std::tie(r.pnr); };
  const auto byDay = [](const FileRow& r) { return std::tie(r.jhr, r.mon, r.tag, r.lna, r.kst); };
  for (const FileRow& r : rowsInOrder(h, kFileRows, byEmployee, byDay)) {
    if (std::fabs(r.zet) > kLargestHours) {
      reject(h.ctx, kHoursTooLarge, r.pnr.c_str());
      continue;
    }
    file.write(*kLine.line(r) + "\n");
  }
}

}  // namespace

void exportProal(RunContext& ctx) {
  Handover h(ctx, {.started = kStartLine, .finished = kEndLine}, {kFileName});
  h.clear({{kClearStaging, kClearFailed}});
  h.readHeader(HeaderForm::Short);
  const std::string company = h.header.fir.empty() ? ctx.akr : h.header.fir;
  PeriodRecord r;
  h.forEach(kRecords, {ctx.abrnr, ctx.lfn}, r, [&] { stageRecord(h, company, r); });
  writeFile(h, h.file(kFileName, kOpenFailure));
  h.finish();
}

}  // namespace lug::exporters
