#include "calc/source_rows.h"

#include <algorithm>

namespace lug::calc {

bool rowExists(int status) {
  return status == db::kOk || status == db::kNullFetch || status == kTooManyRows;
}

int openCursor(RunContext& ctx, db::Cursor& c, db::Ins in) {
  const int st = c.open(in);
  ctx.abortIfFatal(st);
  return st;
}

int fetchLine(db::Cursor& c, InterfaceLine& l) {
  return c.fetch({l.num, l.stz, l.ztk, l.lna, l.lgr, l.gvo, l.gbi, l.rre, l.tgw, l.kst, l.ktr,
                  l.krt, l.tge, l.sol, l.svk, l.flg, l.lfn, l.sts, l.fkt, l.ztr, l.mog, l.sta});
}

int fetchAccountRow(db::Cursor& c, Booking& b) {
  b.dtm.clear(), b.dat.clear();
  return c.fetch({b.pnr, b.ztr, b.kst, b.ktr, b.krt, b.zkt, b.std, b.tge, b.stg, b.sta});
}

int fetchDay(db::Cursor& c, Booking& b) {
  return c.fetch(
      {b.pnr, b.ztr, b.dtm, b.kst, b.ktr, b.krt, b.zkt, b.std, b.tge, b.stg, b.sta, b.dat});
}

int fetchEmployment(db::Cursor& c, Employment& e) {
  return c.fetch({e.pnr, e.akr, e.gvo, e.gbi, e.lug, e.sfr});
}

bool openEnd(const std::string& gbi) {
  return gbi.empty() || gbi == "0001-01-01" || gbi == "0001.01.01";
}

Span employmentSpan(const Employment& e, const Span& period) {
  Span s = period;
  s.von = std::max(period.von, e.gvo);
  if (!openEnd(e.gbi)) s.bis = std::min(period.bis, e.gbi);
  return s;
}

std::string sessionDate(const std::string& startTime) {
  if (startTime.size() < 10) return {};
  return startTime.substr(6, 4) + "." + startTime.substr(3, 2) + "." + startTime.substr(0, 2);
}

}  // namespace lug::calc
