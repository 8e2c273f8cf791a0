#include "export/perman/perman.h"

#include <string>
#include <tuple>

#include "export/delimited_text.h"
#include "export/field_text.h"
#include "export/framework.h"
#include "export/handover.h"
#include "export/layout.h"
#include "export/ordered_rows.h"

namespace lug::exporters {
namespace {

constexpr char kClearStaging[] = "delete  from Hor333Pm1 ";
constexpr char kPeriodRecords[] =
    "select trim(Zk1Pnr) ,trim(Zk1Zkt) ,trim(Zk1Lna) ,trim(Zk1Kst) ,trim(Zk1Ktr) ,trim(Zk1Stz) "
    ",trim(Zk1Upn) ,Zk1Std ,Zk1Tge ,to_char(Zk1Bdt,'yyyy.mm.dd')  from HOR331Zk1 where "
    "((Zk1Abr=:b0 and Zk1Lfn=:b1) and Zk1Rre<2) order by Zk1Pnr,Zk1Von";
constexpr char kInsertValue[] =
    "insert into Hor333Pm1 (Pm1Pnr,Pm1Lna,Pm1Val,Pm1Kst,Pm1Ktr) values (:b0,:b1,:b2,:b3,:b4)";
constexpr char kAddValue[] =
    "update Hor333Pm1  set Pm1Val=(Pm1Val+:b0) where (((Pm1Pnr=:b1 and Pm1Lna=:b2) and "
    "Pm1Kst=:b3) and Pm1Ktr=:b4)";
constexpr char kStagedValues[] =
    "select Pm1Pnr ,Pm1Lna ,Pm1Val ,Pm1Kst ,Pm1Ktr  from HOR333Pm1  order by Pm1Pnr,Pm1Lna";

constexpr char kStartLine[] = "\nPerman-Lohnübergabe Akr: %s, Abrnr: %d gestartet";
constexpr char kEndLine[] = "Perman-Lohnübergabe beendet";
constexpr char kClearFailed[] = "DeleteFehler HOR333Perman, Sqlfhl: %d";
constexpr char kLineFailed[] = "Fehler beim Lesen Hor171Lu1: %d";
constexpr char kLnaTooLong[] = "Pnr %s: Lohnart zu lang (%s)";
constexpr char kKstTooLong[] = "Pnr %s: Kostenstelle zu lang (%s)";
constexpr char kKtrTooLong[] = "Pnr %s: Kostenträger zu lang (%s)";
constexpr char kSeparatorInField[] = "Pnr %s: Trennzeichen im Feld (%s)";
constexpr char kStagingFailed[] = "     SQL_Hor333Pm1_Write, ERROR: %ld";
constexpr char kStaged[] = "%d Datensätze aus Hor333Zk1 gelesen.";
constexpr char kOpenFailure[] = "Schnittstellendatei Perman kann nicht geoeffnet werden !";
constexpr char kPnrTooLong[] = "Pnr %s: Personalnummer zu lang";
constexpr char kWritten[] = "%d Datensätze in Datei(en) geschrieben.";
constexpr char kFileName[] = "M0060763.001";

constexpr char kHeaderLine[] = "%s\n";
constexpr char kLineStart[] = "PK60763%s%s9%-21s1 %05d\t";
constexpr char kShortAmount[] = "%04.0f\t";
constexpr char kLongAmount[] = "%09.0f\t";
constexpr char kLineEnd[] = "~\n";
constexpr char kTrailer[] = "ZS00000000000000000000%05d%05d~";

// One staging row of Hor333Pm1: hours or days, and a blank for a cost field
// the interface line does not hand over.
struct Value {
  std::string pnr, lna;
  double val = 0;
  std::string kst, ktr;
};

const Staging<Value> kValues{
    .statements = {.insert = kInsertValue, .add = kAddValue},
    .insertColumns = {&Value::pnr, &Value::lna, &Value::val, &Value::kst, &Value::ktr},
    .addColumns = {&Value::val, &Value::pnr, &Value::lna, &Value::kst, &Value::ktr}};
const Query<Value> kValueRows{
    .sql = kStagedValues,
    .columns = {&Value::pnr, &Value::lna, &Value::val, &Value::kst, &Value::ktr}};

const Query<PeriodRecord> kRecords{
    .sql = kPeriodRecords,
    .columns = {&PeriodRecord::pnr, &PeriodRecord::zkt, &PeriodRecord::lna, &PeriodRecord::kst,
                &PeriodRecord::ktr, &PeriodRecord::stz, &PeriodRecord::upn, &PeriodRecord::minutes,
                &PeriodRecord::tenths, &PeriodRecord::bdt}};

// The cost fields of a record as the line hands them over: the field when
// its flag is set, else a blank. A failed lookup leaves the flags at 0.
bool stageRecord(Handover& h, PeriodRecord& r) {
  RunContext& ctx = h.ctx;
  LineFlags flags;
  const int st = applyInterfaceLine(ctx, h.header.lug, {}, r, flags);
  if (st != db::kOk) ctx.fail(st, kLineFailed, st);
  const std::string kst = flags.kst != 0 ? r.kst : " ", ktr = flags.ktr != 0 ? r.ktr : " ";
  const bool fits = passes({
      {exceedsWidth(r.lna, 20), [&] { reject(ctx, kLnaTooLong, r.pnr.c_str(), r.lna.c_str()); }},
      {exceedsWidth(kst, 30), [&] { reject(ctx, kKstTooLong, r.pnr.c_str(), kst.c_str()); }},
      {exceedsWidth(ktr, 8), [&] { reject(ctx, kKtrTooLong, r.pnr.c_str(), ktr.c_str()); }},
  });
  if (!fits) return false;
  // The personnel number and the wage type stand in the tab-separated part
  // of the line: a tab, a tilde or a line end in them would break the line.
  for (const std::string* field : {&r.upn, &r.lna}) {
    if (!breaksDelimitedLine(*field, '\t', '~')) continue;
    reject(ctx, kSeparatorInField, r.pnr.c_str(), field->c_str());
    return false;
  }
  Value v{.pnr = r.upn,
          .lna = r.lna,
          .val = r.minutes != 0 ? hoursOf(r.minutes) : daysOf(r.tenths),
          .kst = kst,
          .ktr = ktr};
  if (flags.mog != 0) v.val *= flags.mog;
  return h.stage(kValues, v, [&](db::WriteStep, int status) {
    ctx.log(kStagingFailed, static_cast<long>(status));
  }) == db::kOk;
}

// Four digits for the wage types that carry them, nine for all others.
bool shortAmount(const std::string& lna) {
  return lna == "V193" || lna == "V199" || lna == "V607" || lna == "V608";
}

// The data line: personnel number padded with "0" to seven characters, the
// month of the period start, the running number, the wage type and the
// value in hundredths (a sum that cancels out is 0, never "-0").
void writeDataLine(TransferFile& file, const Value& v, const std::string& month, int number) {
  const std::string pnr = *fitField(v.pnr, {.width = 7, .align = Align::Right, .fill = '0'});
  const double hundredths = roundedTo(v.val * 100, 0) + 0.0;
  file.printf(kLineStart, pnr.c_str(), month.c_str(), "", number);
  file.write(v.lna);
  if (shortAmount(v.lna))
    file.printf(kShortAmount, hundredths);
  else
    file.printf(kLongAmount, hundredths);
  file.write(kLineEnd);
}

// Lines of one employee and wage type stay in the order of cost centre and cost unit.
int writeFile(Handover& h, TransferFile& file) {
  RunContext& ctx = h.ctx;
  const std::string& start = ctx.startTime;  // dd.mm.yyyy hh24:mi:ss
  file.printf(kHeaderLine, ("XM0060763001" + characters(start, 0, 2) + characters(start, 3, 2) +
                            characters(start, 8, 2) + "EVKVA1file JWIN102~")
                               .c_str());
  const std::string month = characters(ctx.abrVon, 5, 2);
  int number = 1;
  const auto byWageType = [](const Value& v) { return std::tie(v.pnr, v.lna); };
  const auto byCosts = [](const Value& v) { return std::tie(v.kst, v.ktr); };
  for (const Value& v : rowsInOrder(h, kValueRows, byWageType, byCosts)) {
    if (exceedsWidth(v.pnr, 7)) {
      reject(ctx, kPnrTooLong, v.pnr.c_str());
      continue;
    }
    writeDataLine(file, v, month, number++);
  }
  file.printf(kTrailer, number - 1, number - 1);
  file.write("\n");
  return number - 1;
}

}  // namespace

void exportPerman(RunContext& ctx) {
  Handover h(ctx, {.started = kStartLine, .finished = kEndLine}, {kFileName});
  h.clear({{kClearStaging, kClearFailed}});
  h.readHeader(HeaderForm::Full);
  PeriodRecord r;
  int staged = 0;
  h.forEach(kRecords, {ctx.abrnr, ctx.lfn}, r, [&] { staged += stageRecord(h, r); });
  ctx.log(kStaged, staged);
  ctx.log(kWritten, writeFile(h, h.file(kFileName, kOpenFailure)));
  h.finish();
}

}  // namespace lug::exporters
