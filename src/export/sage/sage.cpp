#include "export/sage/sage.h"

#include <string>
#include <tuple>

#include "export/field_text.h"
#include "export/framework.h"
#include "export/handover.h"
#include "export/layout.h"
#include "export/ordered_rows.h"

namespace lug::exporters {
namespace {

constexpr char kClearStaging[] = "delete  from Hor333Sag ";
constexpr char kPeriodRecords[] =
    "select trim(Zk1Pnr) ,trim(Zk1Lna) ,trim(Zk1Kst) ,trim(Zk1Ktr) ,trim(Zk1Stz) ,trim(Zk1Zkt) "
    ",trim(Zk1Upn) ,Zk1Std ,Zk1Tge ,to_char(Zk1Von,'yyyymmdd') ,Zk1Bdt  from HOR331Zk1 where "
    "(Zk1Abr=:b0 and ZK1Lfn=:b1) order by Zk1Pnr,Zk1Von";
constexpr char kInsertSum[] =
    "insert into Hor333Sag (SagMon,SagPnr,SagLna,SagStd,SagBtr,SagKst,SagSkt,SagKtr) values "
    "(:b0,:b1,:b2,:b3,:b4,:b5,:b6,:b7)";
constexpr char kAddSum[] =
    "update Hor333Sag  set SagStd=(SagStd+:b0),SagBtr=(SagBtr+:b1) where ((((SagMon=:b2 and "
    "SagPnr=:b3) and SagLna=:b4) and SagKst=:b5) and SagKtr=:b6)";
constexpr char kStagedSums[] = "select *  from HOR333Sag  order by SagPnr";

constexpr char kStartLine[] = "\nsage-Lohnprogramm Akr: %s, Abrnr: %d gestartet";
constexpr char kEndLine[] = "sage-Lohnprogramm beendet";
constexpr char kClearFailed[] = "DeleteFehler HOR333SAG, Sqlfhl: %d";
constexpr char kLineFailed[] = "Fehler beim Lesen Hor171Lu1: %d";
constexpr char kPnrTooLong[] = "PersNr zu lang : %s";
constexpr char kLnaTooLong[] = "Pnr %s: Lohnart zu lang (%s)";
constexpr char kKstTooLong[] = "Pnr %s: Kostenstelle zu lang (%s)";
constexpr char kKtrTooLong[] = "Pnr %s: Kostenträger zu lang (%s)";
constexpr char kStagingFailed[] = "Hor333Sag Insert-/UpdateFehler, Sqlfhl: %d";
constexpr char kRead[] = "%d Datensätze aus Hor333Zk1 übergeben.";
constexpr char kOpenFailure[] = "sage-Exportdatei kann nicht geoeffnet werden !";
constexpr char kHoursTooLarge[] = "Pnr %s: Zeitwert zu groß (%s)";
constexpr char kAmountTooLarge[] = "Pnr %s: Betrag zu groß (%s)";
constexpr char kWritten[] = "%d Datensätze in Datei geschrieben.";

// A cost field whose flag is 0 holds a single blank.
constexpr CostBlanks kBlanks{.kst = " ", .ktr = " "};

// Hours and amount take six characters: "%06.2f", the hours with a colon.
constexpr size_t kQuantityWidth = 6;
constexpr NumberFormat kAmount{.width = kQuantityWidth, .decimals = 2};
constexpr NumberFormat kHours{.width = kQuantityWidth, .decimals = 2, .point = ':'};

// One staging row of Hor333Sag, in the table's column order.
struct Sum {
  std::string mon, pnr, lna;
  double hours = 0, amount = 0;
  std::string kst, skt, ktr;
};

const Staging<Sum> kSums{.statements = {.insert = kInsertSum, .add = kAddSum},
                         .insertColumns = {&Sum::mon, &Sum::pnr, &Sum::lna, &Sum::hours,
                                           &Sum::amount, &Sum::kst, &Sum::skt, &Sum::ktr},
                         .addColumns = {&Sum::hours, &Sum::amount, &Sum::mon, &Sum::pnr, &Sum::lna,
                                        &Sum::kst, &Sum::ktr}};
const Query<Sum> kSumRows{.sql = kStagedSums,
                          .columns = {&Sum::mon, &Sum::pnr, &Sum::lna, &Sum::hours, &Sum::amount,
                                      &Sum::kst, &Sum::skt, &Sum::ktr}};

// Records arrive trimmed, the span's start as yyyymmdd.
const Query<PeriodRecord> kRecords{
    .sql = kPeriodRecords,
    .columns = {&PeriodRecord::pnr, &PeriodRecord::lna, &PeriodRecord::kst, &PeriodRecord::ktr,
                &PeriodRecord::stz, &PeriodRecord::zkt, &PeriodRecord::upn, &PeriodRecord::minutes,
                &PeriodRecord::tenths, &PeriodRecord::von, &PeriodRecord::bdt}};

// Every field is right-justified and filled with "0" on the left, text
// fields too. A blanked cost field is written like an empty one ("00000"):
// a blank inside the digits would not read as a cost centre.
FixedLayout<Sum>::Field zeroFilled(std::string Sum::*member, size_t width) {
  return {[member](const Sum& s) { return fullTrim(s.*member); },
          {.width = width, .align = Align::Right, .fill = '0'}};
}
const FixedLayout<Sum> kLine{zeroFilled(&Sum::mon, 2),
                             zeroFilled(&Sum::pnr, 6),
                             zeroFilled(&Sum::lna, 3),
                             {[](const Sum& s) { return formatNumber(s.hours, kHours); }, {6}},
                             {[](const Sum& s) { return formatNumber(s.amount, kAmount); }, {6}},
                             zeroFilled(&Sum::kst, 5),
                             zeroFilled(&Sum::skt, 5),
                             zeroFilled(&Sum::ktr, 5)};

// Cost flags of the interface line, field checks, then hours or the amount
// by the line's amount flag.
void stageRecord(Handover& h, PeriodRecord& r) {
  RunContext& ctx = h.ctx;
  LineFlags flags;
  const int st = applyInterfaceLine(ctx, h.header.lug, kBlanks, r, flags);
  if (st != db::kOk) ctx.fail(st, kLineFailed, st);
  const bool fits = passes({
      {exceedsWidth(r.upn, 6), [&] { reject(ctx, kPnrTooLong, r.upn.c_str()); }},
      {exceedsWidth(r.lna, 3), [&] { reject(ctx, kLnaTooLong, r.pnr.c_str(), r.lna.c_str()); }},
      {exceedsWidth(r.kst, 5), [&] { reject(ctx, kKstTooLong, r.pnr.c_str(), r.kst.c_str()); }},
      {exceedsWidth(r.ktr, 5), [&] { reject(ctx, kKtrTooLong, r.pnr.c_str(), r.ktr.c_str()); }},
  });
  if (!fits) return;
  const bool amountLine = flags.bau == 1;
  const double quantity = r.minutes != 0 ? hoursOf(r.minutes) : daysOf(r.tenths);
  const Sum sum{.mon = characters(r.von, 4, 2),
                .pnr = r.upn,
                .lna = r.lna,
                .hours = amountLine ? 0 : quantity,
                .amount = amountLine ? static_cast<double>(r.minutes) : 0,
                .kst = r.kst,
                .skt = "",
                .ktr = r.ktr};
  h.stage(kSums, sum, [&](db::WriteStep, int status) { ctx.log(kStagingFailed, status); });
}

// Whether a quantity fits its six characters; the log names it otherwise.
// The check is on the written text: -100 hours would take seven characters
// ("-100.00") and move every field after it.
bool fitsField(RunContext& ctx, const char* tooLarge, const Sum& s, double value) {
  const std::string text = formatNumber(value, kAmount);
  if (text.size() <= kQuantityWidth) return true;
  reject(ctx, tooLarge, s.pnr.c_str(), text.c_str());
  return false;
}

// Two decimals as written; a sum that cancels out is 0, never "-0.00".
double asWritten(double value) {
  return roundedTo(value, 2) + 0.0;
}

int writeFile(Handover& h, TransferFile& file) {
  int written = 0;
  const auto byEmployee = [](const Sum& s) { return std::tie(s.pnr); };
  const auto byKey = [](const Sum& s) { return std::tie(s.mon, s.lna, s.kst, s.ktr); };
  for (Sum s : rowsInOrder(h, kSumRows, byEmployee, byKey)) {
    s.hours = asWritten(s.hours), s.amount = asWritten(s.amount);
    if (!fitsField(h.ctx, kHoursTooLarge, s, s.hours) ||
        !fitsField(h.ctx, kAmountTooLarge, s, s.amount))
      continue;
    file.write(*kLine.line(s) + "\n");
    ++written;
  }
  return written;
}

// "020410" and the month of the period start (2025.03.01 gives "02041003").
std::string fileName(const std::string& periodStart) {
  return "020410" + characters(periodStart, 5, 2);
}

}  // namespace

void exportSage(RunContext& ctx) {
  const std::string name = fileName(ctx.abrVon);
  Handover h(ctx, {.started = kStartLine, .finished = kEndLine}, {name});
  h.clear({{kClearStaging, kClearFailed}});
  h.readHeader(HeaderForm::Short);
  PeriodRecord r;
  const int read = h.forEach(kRecords, {ctx.abrnr, ctx.lfn}, r, [&] { stageRecord(h, r); });
  ctx.log(kRead, read);
  TransferFile& file = h.file(name, kOpenFailure);
  ctx.log(kWritten, writeFile(h, file));
  h.finish();
}

}  // namespace lug::exporters
