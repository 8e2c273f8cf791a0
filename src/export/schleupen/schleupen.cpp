#include "export/schleupen/schleupen.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "export/field_text.h"
#include "export/framework.h"
#include "export/handover.h"

namespace lug::exporters {
namespace {

constexpr char kClearStaging[] = "delete  from Hor333Sli ";
constexpr char kPeriodRecords[] =
    "select Zk1Abr ,Zk1Lfn ,Zk1Stz ,Zk1Bdt ,Zk1Pnr ,Zk1Zkt ,Zk1Lna ,Zk1Lgr ,Zk1Kst ,Zk1Ktr ,Zk1Krt "
    ",Zk1Std ,Zk1Tge ,Zk1Stg ,Zk1Sts ,Zk1Rre ,Zk1Sta ,Zk1Upn  from Hor331Zk1 where (Zk1Abr=:b0 and "
    "Zk1Lfn=:b1) order by Zk1Pnr,Zk1Stz,Zk1Bdt";
constexpr char kInsertEntry[] =
    "insert into Hor333Sli (SliKon,SliPnr,SliFnr,SliLna,SliVzb,SliBtg,SliKst,SliPrd,SliAmt,SliEmt,"
    "SliVzs,SliStd,SliVzt,SliTge,SliVzp,SliPrz,SliTxt) values (:b0,:b1,:b2,:b3,:b4,:b5,:b6,:b7,:b8,"
    ":b9,:b10,:b11,:b12,:b13,:b14,:b15,:b16)";
constexpr char kReadSums[] =
    "select SliVzs ,SliStd ,SliVzt ,SliTge into :b0,:b1,:b2,:b3  from Hor333Sli where (SliPnr=:b4 "
    "and SliLna=:b5)";
constexpr char kWriteSums[] =
    "update Hor333Sli  set SliVzs=:b0,SliStd=:b1,SliVzt=:b2,SliTge=:b3 where (SliPnr=:b4 and "
    "SliLna=:b5)";
// In key order: the same file on every engine and for every run, whatever
// order the database keeps its rows in after updates.
constexpr char kEntries[] =
    "select SliKon ,SliPnr ,SliFnr ,SliLna ,SliVzb ,SliBtg ,SliKst ,SliPrd ,SliAmt ,SliEmt ,SliVzs "
    ",SliStd ,SLiVzt ,SLiTge ,SliVzp ,SliPrz ,SliTxt  from HOR333Sli  order by SliPnr,SliLna";

constexpr char kStartLine[] = "\nSchleupen Lohnprogramm Akr: %s, Abrnr: %d gestartet";
constexpr char kEndLine[] = "Schleupen Lohnprogramm beendet";
constexpr char kClearFailed[] = "DeleteFehler HOR333Sli, Sqlfhl: %d";
constexpr char kInsertFailed[] = "Hor333Sli-InsertFehler, Pnr: %s, Lna: %s, Sqlfhl: %d";
constexpr char kReadFailed[] = "Hor333Sli-ReadFehler, Pnr: %s, Sqlfhl: %d";
constexpr char kUpdateFailed[] = "Hor333Sli-UpdateFehler, Pnr: %s, Sql-Fehler: %d";
constexpr char kHoursTooLarge[] = "PNR %s: Stundenwert zu groß f.Übergabe (Lna %s, %lld Minuten)";
constexpr char kDaysTooLarge[] = "PNR %s: Tagewert zu groß f.Übergabe (Lna %s, %lld Zehnteltage)";
constexpr char kOpenFailure[] = "Exportdatei LOXF-0001 kann nicht geoeffnet werden !";
constexpr char kFileName[] = "LOXF-0001.csv";
constexpr char kFirstLine[] = ".\n";
constexpr char kEntryLine[] = "%s;%s;%s;;%s;%s;%s;%s;;%s;%s;;%s;%s;%s;%s;%s;%s;%s;;;;;;;;;\n";

constexpr int16_t kMonthlyPayroll = 31;  // AkrAzr that hands the payroll month over
// The hours field holds three digits of hours, the days field four digits of
// hundredths of a day.
constexpr int64_t kMinutesLimit = 1000 * 60;
constexpr int64_t kTenthsLimit = 1000;

// A row of Hor333Sli, every column text.
struct Entry {
  std::string kon = "LOAF", pnr{}, fnr = "00", lna{}, vzb = "+", btg = "00000000", kst{};
  std::string prd = "0", amt{}, emt{}, vzs{}, hours{}, vzt{}, days{}, vzp = "+", prz = "00000";
  std::string txt = " ";
};
const db::Columns<Entry> kEntryColumns{
    &Entry::kon, &Entry::pnr,  &Entry::fnr, &Entry::lna, &Entry::vzb, &Entry::btg,
    &Entry::kst, &Entry::prd,  &Entry::amt, &Entry::emt, &Entry::vzs, &Entry::hours,
    &Entry::vzt, &Entry::days, &Entry::vzp, &Entry::prz, &Entry::txt};
const Query<Entry> kStagedEntries{.sql = kEntries, .columns = kEntryColumns};

const Query<PeriodRecord> kRecords{
    .sql = kPeriodRecords,
    .columns = {&PeriodRecord::abr, &PeriodRecord::lfn, &PeriodRecord::stz, &PeriodRecord::bdt,
                &PeriodRecord::pnr, &PeriodRecord::zkt, &PeriodRecord::lna, &PeriodRecord::lgr,
                &PeriodRecord::kst, &PeriodRecord::ktr, &PeriodRecord::krt, &PeriodRecord::minutes,
                &PeriodRecord::tenths, &PeriodRecord::stg, &PeriodRecord::sts, &PeriodRecord::rre,
                &PeriodRecord::sta, &PeriodRecord::upn}};

// A whole number zero-padded to `width` digits ("%05d").
std::string digits(int64_t value, int width) {
  char text[32];
  std::snprintf(text, sizeof text, "%0*lld", width, static_cast<long long>(value));
  return text;
}

// Minutes and tenths of a day as a row carries them in its texts.
struct Sums {
  int64_t minutes = 0, tenths = 0;
};

// Hours as "%03d%02d": whole hours, then hundredths of an hour (truncated).
void setSums(Entry& e, const Sums& s) {
  const int64_t m = std::abs(s.minutes), t = std::abs(s.tenths);
  e.vzs = s.minutes < 0 ? "-" : "+";
  e.hours = digits(m / 60, 3) + digits(m % 60 * 10 / 6, 2);
  e.vzt = s.tenths < 0 ? "-" : "+";
  e.days = digits(t * 10, 4);
}

// The exact sums of a stored row. The hundredths m*10/6 of the minutes 0 to
// 59 are all different, so rounding them up on the way back gives exactly
// the minutes they were written from.
Sums storedSums(const Entry& e) {
  const int64_t hoursField = leadingNumber(e.hours), hundredths = leadingNumber(e.days);
  const int64_t minutes = hoursField / 100 * 60 + (hoursField % 100 * 6 + 9) / 10;
  return {.minutes = e.vzs == "-" ? -minutes : minutes,
          .tenths = e.vzt == "-" ? -(hundredths / 10) : hundredths / 10};
}

// Whether the sums fit their fields; a value that does not is reported and
// the record not handed over, since a cut number would be paid as another.
bool fits(RunContext& ctx, const PeriodRecord& r, const Sums& s) {
  const auto report = [&](const char* line, int64_t value) {
    return [&ctx, &r, line, value] {
      reject(ctx, line, r.pnr.c_str(), r.lna.c_str(), static_cast<long long>(value));
    };
  };
  return passes({{std::abs(s.minutes) >= kMinutesLimit, report(kHoursTooLarge, s.minutes)},
                 {std::abs(s.tenths) >= kTenthsLimit, report(kDaysTooLarge, s.tenths)}});
}

// Adds the record to the stored row of its personnel number and wage type.
void addToStored(RunContext& ctx, const PeriodRecord& r, Entry& e) {
  Entry stored;
  int st = ctx.status =
      ctx.db.exec(kReadSums, {e.pnr, e.lna}, {stored.vzs, stored.hours, stored.vzt, stored.days});
  if (st != db::kOk) return ctx.fail(st, kReadFailed, r.pnr.c_str(), st);
  const Sums before = storedSums(stored);
  const Sums sum{.minutes = before.minutes + r.minutes, .tenths = before.tenths + r.tenths};
  if (!fits(ctx, r, sum)) return;
  setSums(e, sum);
  st = ctx.status = ctx.db.exec(kWriteSums, {e.vzs, e.hours, e.vzt, e.days, e.pnr, e.lna});
  if (st != db::kOk) ctx.fail(st, kUpdateFailed, r.pnr.c_str(), st);
}

void stageRecord(RunContext& ctx, const PeriodRecord& r, const std::string& payrollMonth) {
  if (!fits(ctx, r, {.minutes = r.minutes, .tenths = r.tenths})) return;
  Entry e{.pnr = digits(leadingNumber(r.pnr), 5),
          .lna = digits(leadingNumber(r.lna), 3),
          .kst = digits(leadingNumber(r.kst), 5),
          .amt = payrollMonth};
  setSums(e, {.minutes = r.minutes, .tenths = r.tenths});
  const int st = ctx.status = ctx.db.exec(kInsertEntry, kEntryColumns.inputs(e));
  if (st == db::kDupKey) return addToStored(ctx, r, e);
  if (st != db::kOk) ctx.fail(st, kInsertFailed, r.pnr.c_str(), r.lna.c_str(), st);
}

// mmyyyy of the period's first day when the group is paid monthly, else empty.
std::string payrollMonth(const RunContext& ctx) {
  if (ctx.akrAzr != kMonthlyPayroll || ctx.abrVon.size() < 7) return {};
  return ctx.abrVon.substr(5, 2) + ctx.abrVon.substr(0, 4);
}

void writeFile(Handover& h) {
  TransferFile& file = h.file(kFileName, kOpenFailure);
  file.write(kFirstLine);
  Entry e;
  h.writeRows(kStagedEntries, {}, e, [&] {
    file.printf(kEntryLine, e.kon.c_str(), e.pnr.c_str(), e.fnr.c_str(), e.lna.c_str(),
                e.vzb.c_str(), e.btg.c_str(), e.kst.c_str(), e.prd.c_str(), e.amt.c_str(),
                e.emt.c_str(), e.vzs.c_str(), e.hours.c_str(), e.vzt.c_str(), e.days.c_str(),
                e.vzp.c_str(), e.prz.c_str());
  });
}

}  // namespace

void exportSchleupen(RunContext& ctx) {
  Handover h(ctx, {.started = kStartLine, .finished = kEndLine}, {kFileName});
  h.clear({{kClearStaging, kClearFailed}});
  h.readHeader(HeaderForm::Full);
  const std::string month = payrollMonth(ctx);
  PeriodRecord r;
  h.forEach(kRecords, {ctx.abrnr, ctx.lfn}, r, [&] { stageRecord(ctx, r, month); });
  writeFile(h);
  h.finish();
}

}  // namespace lug::exporters
