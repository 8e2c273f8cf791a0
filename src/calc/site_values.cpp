#include "calc/site_values.h"

#include <cmath>

namespace lug::calc {
namespace {

constexpr char kAccountValues[] =
    "select ZksZkt ,ZksWrt  from Hor331Zks where ((ZksPnr=:b0 and ZksDtm>=:b1) and ZksDtm<=:b2)";

// The value in hundredths, rounded half up and cut toward zero.
double hundredths(double value) {
  return std::trunc((value + 0.005) * 100);
}

void write(RunContext& ctx, const SiteValuesInput& in, RecordWriter& to, const std::string& zkt,
           double value) {
  const Record r{.stz = "LS",
                 .bdt = in.bdt,
                 .pnr = in.pnr,
                 .zkt = zkt,
                 .lna = zkt,
                 .lgr = " ",
                 .kst = in.kst,
                 .ktr = in.ktr,
                 .krt = "0",
                 .std = hundredths(value),
                 .von = in.period.von,
                 .bis = in.period.bis,
                 .rre = 1,
                 .upn = in.upn};
  const int st = to.insert(r);
  if (to.table() == RecordWriter::Table::PeriodRecords) {
    if (st != db::kOk) ctx.fail(st, "      Fehler Schreiben Zk1: %d", st);
  } else if (st != db::kOk && st != db::kDupKey) {
    ctx.fail(st, "      Fehler Schreiben Zk3: %d", st);
  }
}

}  // namespace

void siteValues(RunContext& ctx, const SiteValuesInput& in, RecordWriter& to) {
  db::Cursor values(ctx.db, kAccountValues);
  int st = values.open({in.pnr, in.period.von, in.period.bis});
  if (st != db::kOk) {
    ctx.fail(st, "      Fehler Öffnen Tab.Hor331Zks: %d", st);
    return;
  }
  std::string zkt;
  double value = 0;
  while ((st = values.fetch({zkt, value})) == db::kOk) write(ctx, in, to, zkt, value);
  if (st != db::kNoData) ctx.fail(st, "      Fehler Lesen Tab.Hor331Zks: %d", st);
  values.close();
}

}  // namespace lug::calc
