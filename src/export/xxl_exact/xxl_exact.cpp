#include "export/xxl_exact/xxl_exact.h"

#include <cmath>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "export/calendar_days.h"
#include "export/framework.h"
#include "export/handover.h"
#include "export/layout.h"
#include "export/run_dates.h"

namespace lug::exporters {
namespace {

constexpr char kGroupFlags[] =
    "select AkrVws ,AkrEbn into :b0,:b1  from O1001AbrKreis where AkrNum=:b2";
constexpr char kClearStaging[] = "delete  from Hor333Xxl ";
constexpr char kMonthOffset[] =
    "select LugMon into :b0:b1  from Hor171Lug where LugLug=(select AkrLug  from O1001AbrKreis "
    "where AkrNum=:b2)";
constexpr char kPeriodRecords[] =
    "select Zk1Abr ,Zk1Lfn ,Zk1Stz ,Zk1Bdt ,Zk1Pnr ,Zk1Zkt ,Zk1Lna ,Zk1Lgr ,Zk1Kst ,Zk1Ktr ,Zk1Krt "
    ",Zk1Std ,Zk1Tge ,Zk1Stg ,Zk1Von ,Zk1Bis ,Zk1Sts ,Zk1Rre ,Zk1Sta ,Zk1Upn  from Hor331Zk1 where "
    "(Zk1Abr=:b0 and Zk1Lfn=:b1) order by Zk1Pnr,Zk1Stz,Zk1Bdt";
constexpr char kInsertRow[] =
    "insert into Hor333Xxl (XxlPnr,XxlErd,XxlAbd,XxlLna,XxlKnz,XxlVo1,XxlEin,XxlStd,XxlBtr,XxlKst,"
    "XxlKtr) values (:b0,:b1,:b2,:b3,:b4,:b5,:b6,:b7,:b8,:b9,:b10)";
constexpr char kStoredQuantity[] =
    "select XxlVo1 ,XxlEin into :b0,:b1  from Hor333Xxl where ((((((XxlPnr=:b2 and XxlErd=:b3) and "
    "XxlAbd=:b4) and XxlLna=:b5) and XxlKnz=:b6) and XxlKst=:b7) and XxlKtr=:b8)";
constexpr char kUpdateQuantity[] =
    "update Hor333Xxl  set XxlVo1=:b0,XxlEin=:b1 where ((((((XxlPnr=:b2 and XxlErd=:b3) and "
    "XxlAbd=:b4) and XxlLna=:b5) and XxlKnz=:b6) and XxlKst=:b7) and XxlKtr=:b8)";
// Ordered by the whole key, so that rows of one personnel number come in
// the same order on every engine and in every run.
constexpr char kStagedRows[] =
    "select *  from HOR333Xxl  order by XxlPnr,XxlErd,XxlAbd,XxlLna,XxlKnz,XxlKst,XxlKtr";

constexpr char kStartLine[] = "\nXXL-Exact Lohnprogramm fuer Akr: %s mit der Abrnr: %d gestartet";
constexpr char kEndLine[] = "XXL-Exact Lohnprogramm beendet";
constexpr char kInsertFailed[] = "Hor333Xxl-InsertFehler, Pnr: %s, Sqlfhl: %d";
constexpr char kUpdateFailed[] = "Hor333Xxl-UpdateFehler, Pnr: %s, Sqlfhl: %d";
constexpr char kPnrTooLong[] = "PersNr zu lang : %s";
constexpr char kLnaTooLong[] = "Pnr %s: Lohnart zu lang (%s)";
// The staging cursor's failure; the line is the same as with "%ld".
constexpr char kStagedReadFailed[] = "     SQL_Open_ExpXxl, ERROR: %d";
constexpr char kLinesWritten[] = "%d Datensätze in Datei LO_IMP.txt geschrieben.";
constexpr char kFileName[] = "LO_IMP.txt";
constexpr char kOpenFailure[] = "XXL-Exportdatei kann nicht geoeffnet werden !";

constexpr CostBlanks kBlanks{.kst = " ", .ktr = " ", .krt = " "};
constexpr NumberFormat kQuantity{.width = 12, .decimals = 3};
constexpr NumberFormat kAmount{.width = 11, .decimals = 2};
constexpr size_t kPnrWidth = 6, kLnaWidth = 3, kKstWidth = 8;

// Kind codes of the record statuses that are handed over without wage type.
struct StatusCode {
  int16_t sts;
  const char* knz;
};
constexpr StatusCode kStatusCodes[] = {{5, "65"},   {8, "64"},   {101, "56"}, {102, "58"},
                                       {105, "52"}, {108, "53"}, {109, "60"}};
constexpr char kWageTypeCode[] = "99";
constexpr char kNoWageType[] = "000";

// The 17 text columns of Hor333Xxl in table order; the exporter writes
// eleven of them, the database gives the others their defaults.
struct XxlRow {
  std::string pnr{}, erd{}, abd{}, lna{}, knz{}, vo1{}, ein{}, vo2{}, hours{}, vo3{}, amount{},
      kst{}, ktr{}, vo4{}, mng{}, dat{}, txt{};
};

const db::Columns<XxlRow> kInsertColumns{
    &XxlRow::pnr, &XxlRow::erd,   &XxlRow::abd,    &XxlRow::lna, &XxlRow::knz, &XxlRow::vo1,
    &XxlRow::ein, &XxlRow::hours, &XxlRow::amount, &XxlRow::kst, &XxlRow::ktr};
const db::Columns<XxlRow> kKey{&XxlRow::pnr, &XxlRow::erd, &XxlRow::abd, &XxlRow::lna,
                               &XxlRow::knz, &XxlRow::kst, &XxlRow::ktr};
const Query<XxlRow> kStaged{
    .sql = kStagedRows,
    .columns = {&XxlRow::pnr, &XxlRow::erd, &XxlRow::abd, &XxlRow::lna, &XxlRow::knz, &XxlRow::vo1,
                &XxlRow::ein, &XxlRow::vo2, &XxlRow::hours, &XxlRow::vo3, &XxlRow::amount,
                &XxlRow::kst, &XxlRow::ktr, &XxlRow::vo4, &XxlRow::mng, &XxlRow::dat,
                &XxlRow::txt}};

// The line of a row: the written columns as stored, personnel number and
// wage type zero-filled, cost centre and cost unit blank-filled. A column
// the exporter never writes is blank-filled to its width, so that a null
// there cannot move the columns after it. Column 17 is not in the file.
const FixedLayout<XxlRow> kLine{
    {text(&XxlRow::pnr), {.width = 6, .align = Align::Right, .fill = '0'}},
    {text(&XxlRow::erd), {.width = 8}},
    {text(&XxlRow::abd), {.width = 8}},
    {text(&XxlRow::lna), {.width = 3, .align = Align::Right, .fill = '0'}},
    {text(&XxlRow::knz), {.width = 2}},
    {text(&XxlRow::vo1), {.width = 1}},
    {text(&XxlRow::ein), {.width = 12}},
    {text(&XxlRow::vo2), {.width = 1}},
    {text(&XxlRow::hours), {.width = 11}},
    {text(&XxlRow::vo3), {.width = 1}},
    {text(&XxlRow::amount), {.width = 11}},
    {text(&XxlRow::kst), {.width = 8}},
    {text(&XxlRow::ktr), {.width = 12}},
    {text(&XxlRow::vo4), {.width = 1}},
    {text(&XxlRow::mng), {.width = 12}},
    {text(&XxlRow::dat), {.width = 10}},
    {literal<XxlRow>(std::string(20, ' ')), {.width = 20}}};

// A signed quantity in whole minutes: hours are minutes, a tenth of a day
// is 6 minutes. Sums are formed in minutes, so that three times 20 minutes
// give 1.000 hour and not three rounded thirds.
int64_t signedMinutes(const std::string& sign, const std::string& quantity) {
  const int64_t minutes = std::llround(std::atof(quantity.c_str()) * 60);
  return sign == "-" ? -minutes : minutes;
}

void setQuantity(XxlRow& row, int64_t minutes) {
  row.vo1 = minutes < 0 ? "-" : "+";
  row.ein = formatNumber(static_cast<double>(std::llabs(minutes)) / 60, kQuantity);
}

class XxlExact {
 public:
  XxlExact(RunContext& ctx, int16_t monthOffset, std::string periodDate)
      : ctx_(ctx), offset_(monthOffset), periodDate_(std::move(periodDate)) {}

  void stage(PeriodRecord& r) {
    applyInterfaceLine(ctx_, ctx_.lug.lug, kBlanks, r, line_);
    ctx_.abortIfFatal(ctx_.status);
    XxlRow row{.pnr = r.upn,
               .erd = periodDate_,
               .abd = std::to_string(shiftCalendarDate(dateNumber(r.bdt), offset_)),
               .lna = r.lna.substr(0, kLnaWidth),
               .knz = kWageTypeCode,
               .hours = formatNumber(0, kAmount),
               .amount = formatNumber(0, kAmount),
               .kst = r.kst.substr(0, kKstWidth),
               .ktr = " "};
    for (const StatusCode& code : kStatusCodes)
      if (r.sts == code.sts) row.knz = code.knz, row.lna = kNoWageType;
    // A cut personnel number or wage type would hand the hours to someone
    // else or under another wage type: such a record is not staged.
    const bool fits = passes({
        {exceedsWidth(r.upn, kPnrWidth), [&] { reject(ctx_, kPnrTooLong, r.upn.c_str()); }},
        {row.lna != kNoWageType && exceedsWidth(r.lna, kLnaWidth),
         [&] { reject(ctx_, kLnaTooLong, r.pnr.c_str(), r.lna.c_str()); }},
    });
    if (!fits) return;
    // Hours when there are minutes, otherwise days.
    const int64_t minutes = r.minutes != 0 ? int64_t{r.minutes} : int64_t{r.tenths} * 6;
    setQuantity(row, minutes);
    write(r, row, minutes);
  }

 private:
  void write(const PeriodRecord& r, XxlRow& row, int64_t minutes) {
    int st = ctx_.status = ctx_.db.exec(kInsertRow, kInsertColumns.inputs(row));
    if (st == db::kDupKey) return add(r, row, minutes);
    if (st != db::kOk) ctx_.fail(st, kInsertFailed, r.pnr.c_str(), st);
  }

  // The row exists: its quantity becomes the signed sum. A stored quantity
  // that cannot be read is left as it is and the record is dropped, so that
  // it is never replaced by this record's quantity alone.
  void add(const PeriodRecord& r, XxlRow& row, int64_t minutes) {
    std::string sign, quantity;
    std::vector<db::In> binds = kKey.inputs(row);
    int st = ctx_.status = ctx_.db.exec(kStoredQuantity, binds, {sign, quantity});
    if (st == db::kOk) {
      setQuantity(row, signedMinutes(sign, quantity) + minutes);
      binds.insert(binds.begin(), {db::In(row.vo1), db::In(row.ein)});
      st = ctx_.status = ctx_.db.exec(kUpdateQuantity, binds);
    }
    if (st != db::kOk) ctx_.fail(st, kUpdateFailed, r.pnr.c_str(), st);
  }

  RunContext& ctx_;
  const int16_t offset_;
  const std::string periodDate_;
  LineFlags line_;
};

// The staging table is emptied only when the group's AkrVws is empty (null
// reads as empty), its AkrEbn is below 2 and AkrSsl asks for it.
void clearStaging(Handover& h) {
  RunContext& ctx = h.ctx;
  std::string vws;
  int16_t ebn = 0;
  ctx.status = ctx.db.exec(kGroupFlags, {ctx.akr}, {vws, ebn});
  ctx.abortIfFatal(ctx.status);
  if (vws.empty() && ebn < 2) h.clear({{kClearStaging, nullptr}});
}

}  // namespace

void exportXxlExact(RunContext& ctx) {
  Handover h(ctx,
             {.started = kStartLine, .finished = kEndLine, .writeReadFailed = kStagedReadFailed},
             {kFileName});
  clearStaging(h);
  std::string periodStart;
  readPeriodStart(ctx, periodStart);
  int16_t offset = 0;
  ctx.status = ctx.db.exec(kMonthOffset, {ctx.akr}, {offset});
  ctx.abortIfFatal(ctx.status);

  XxlExact xxl(ctx, offset, std::to_string(shiftCalendarDate(dateNumber(periodStart), offset)));
  PeriodRecord record;
  h.forEach(Query<PeriodRecord>{kPeriodRecords, wholeRecordColumns()}, {ctx.abrnr, ctx.lfn}, record,
            [&] { xxl.stage(record); });

  // Unlike most hand-overs, this one leaves a LO_IMP.txt in the former
  // transfer directory as it is.
  TransferFile& file = h.file(kFileName, kOpenFailure, FormerCopy::Keep);
  XxlRow row;
  const int lines = h.writeRows(kStaged, {}, row, [&] { file.write(*kLine.line(row) + "\n"); });
  ctx.log(kLinesWritten, lines);
  h.finish();
}

}  // namespace lug::exporters
