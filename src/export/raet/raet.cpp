#include "export/raet/raet.h"

#include <string>

#include "export/calendar_days.h"
#include "export/framework.h"
#include "export/handover.h"
#include "export/layout.h"
#include "export/run_dates.h"

namespace lug::exporters {
namespace {

constexpr char kClearStaging[] = "delete  from Hor333Rat ";
constexpr char kPeriodRecords[] =
    "select trim(Zk1Pnr) ,trim(Zk1Lna) ,Zk1Std ,Zk1Tge ,to_char(Zk1Bdt,'yyyy.mm.dd') ,trim(Zk1Upn) "
    ",trim(Zk1Zkt) ,trim(Zk1Stz)  from HOR331Zk1 where ((Zk1Abr=:b0 and Zk1Lfn=:b1) and Zk1Rre<2) "
    "order by Zk1Pnr,Zk1Lna";
constexpr char kInsertValue[] =
    "insert into Hor333Rat (RatArt,RatPnr,RatVid,RatLna,RatAbd,RatUeb,RatVal) values "
    "('5',:b0,'1',:b1,:b2,' ',:b3)";
constexpr char kAddValue[] =
    "update Hor333Rat  set RatVal=(RatVal+:b0) where ((RatPnr=:b1 and RatAbd=:b2) and "
    "RatLna=:b3)";
constexpr char kStagedValues[] =
    "select RatArt ,RatPnr ,RatVid ,RatLna ,RatAbd ,RatUeb ,RatVal  from HOR333Rat  order by "
    "RatPnr,RatLna";

constexpr char kStartLine[] = "\nRaet-Lohnübergabe Akr: %s, Abrnr: %d gestartet";
constexpr char kEndLine[] = "Raet-Lohnübergabe beendet";
constexpr char kClearFailed[] = "DeleteFehler HOR333Rat, Sqlfhl: %d";
constexpr char kLineFailed[] = "Fehler beim Lesen Hor171Lu1: %d";
constexpr char kLnaTooLong[] = "Pnr %s: Lohnart zu lang (%s)";
constexpr char kStagingFailed[] = "     SQL_Hor333Rat_Write, ERROR: %ld";
constexpr char kRecordsRead[] = "%d Datensätze aus Hor333Zk1 gelesen.";
constexpr char kLinesWritten[] = "%d Datensätze in Datei(en) geschrieben.";
constexpr char kFileName[] = "Raet.txt";
constexpr char kOpenFailure[] = "Schnittstellendatei Raet kann nicht geoeffnet werden !";
constexpr char kHeaderLine[] = "A%s%s0001RPD conversie  %s\n";
constexpr char kTrailerLine[] = "Z%08d\n";

constexpr size_t kWageTypeWidth = 20;

// A row of Hor333Rat; kind, version and transfer flag are constants of the
// insert.
struct Value {
  std::string art{}, pnr{}, vid{}, lna{}, abd{}, ueb{};
  double val = 0;
};

const Staging<Value> kValues{.statements = {.insert = kInsertValue, .add = kAddValue},
                             .insertColumns = {&Value::pnr, &Value::lna, &Value::abd, &Value::val},
                             .addColumns = {&Value::val, &Value::pnr, &Value::abd, &Value::lna}};
const Query<Value> kStaged{.sql = kStagedValues,
                           .columns = {&Value::art, &Value::pnr, &Value::vid, &Value::lna,
                                       &Value::abd, &Value::ueb, &Value::val}};
const Query<PeriodRecord> kRecords{
    .sql = kPeriodRecords,
    .columns = {&PeriodRecord::pnr, &PeriodRecord::lna, &PeriodRecord::minutes,
                &PeriodRecord::tenths, &PeriodRecord::bdt, &PeriodRecord::upn, &PeriodRecord::zkt,
                &PeriodRecord::stz}};

// Hours, or days for a record without minutes, times the line's factor.
double valueOf(const PeriodRecord& r, const LineFlags& line) {
  const double value = r.minutes != 0 ? hoursOf(r.minutes) : daysOf(r.tenths);
  return line.mog != 0 ? value * line.mog : value;
}

// "%026.6f" whose leading "0" gives way to a blank; a negative value keeps
// its minus there. A sum that cancels out is written as zero, never "-0".
std::string valueText(double value) {
  std::string text = formatNumber(roundedTo(value, 6) + 0.0, {.width = 26, .decimals = 6});
  if (text[0] == '0') text[0] = ' ';
  return text;
}

const FixedLayout<Value> kValueLine{
    {text(&Value::art), {.width = 1}},
    {text(&Value::pnr), {.width = 15}},
    {text(&Value::vid), {.width = 15}},
    {text(&Value::lna), {.width = 20}},
    {text(&Value::abd), {.width = 8}},
    {text(&Value::ueb), {.width = 1}},
    {[](const Value& v) { return valueText(v.val); }, {.width = 26}}};

// The company left-aligned in at least 8 characters; "???" when there is none.
std::string companyField(const std::string& fir) {
  std::string company = fir.empty() ? "???" : fir;
  const size_t width = payrollWidth(company);
  if (width < 8) company.append(8 - width, ' ');
  return company;
}

// Stages the period's regular records; returns how many reached the write.
int stageRecords(Handover& h, const std::string& accountingDate) {
  RunContext& ctx = h.ctx;
  PeriodRecord r;
  LineFlags line;
  int staged = 0;
  h.forEach(kRecords, {ctx.abrnr, ctx.lfn}, r, [&] {
    if (const int st = applyInterfaceLine(ctx, h.header.lug, {}, r, line); st != db::kOk)
      ctx.fail(st, kLineFailed, st);
    if (exceedsWidth(r.lna, kWageTypeWidth))
      return reject(ctx, kLnaTooLong, r.pnr.c_str(), r.lna.c_str());
    const Value value{.pnr = r.upn, .lna = r.lna, .abd = accountingDate, .val = valueOf(r, line)};
    h.stage(kValues, value,
            [&](db::WriteStep, int st) { ctx.log(kStagingFailed, static_cast<long>(st)); });
    ++staged;
  });
  return staged;
}

}  // namespace

void exportRaet(RunContext& ctx) {
  Handover h(ctx, {.started = kStartLine, .finished = kEndLine}, {kFileName});
  h.clear({{kClearStaging, kClearFailed}});
  const std::string runDay = std::to_string(runDate(ctx));
  h.readHeader(HeaderForm::Full);
  const std::string accountingDate =
      std::to_string(shiftCalendarDate(dateNumber(periodBookingDate(ctx)), h.header.mon));
  ctx.log(kRecordsRead, stageRecords(h, accountingDate));

  TransferFile& file = h.file(kFileName, kOpenFailure);
  file.printf(kHeaderLine, companyField(h.header.fir).c_str(), runDay.c_str(),
              accountingDate.c_str());
  Value v;
  const int lines = h.writeRows(kStaged, {}, v, [&] { file.write(*kValueLine.line(v) + "\n"); });
  file.printf(kTrailerLine, lines + 2);
  ctx.log(kLinesWritten, lines);
  h.finish();
}

}  // namespace lug::exporters
