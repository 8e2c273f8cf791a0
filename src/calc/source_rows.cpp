#include "calc/source_rows.h"

#include <algorithm>

#include "base/interface_row.h"

namespace lug::calc {
namespace {

constexpr char kRecordKinds[] =
    "select Lg1Stz ,Lg1Stt ,Lg1Svt ,Lg1Zes  from Hor170Lg1 where Lg1Num=:b0";
constexpr char kGroupInSpan[] =
    "select BsvAkr into :b0:b1  from HOR310BSV where ((BsvPnr=:b2 and "
    "BsvGvo<=TO_DATE(:b3,'yyyy.mm.dd')) and (BsvGbi>=TO_DATE(:b4,'yyyy.mm.dd') or BsvGbi is null "
    "))";

constexpr size_t kMaxRecordKinds = 5;

}  // namespace

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

bool NewestLines::counts(const InterfaceLine& line) {
  if (!first_ && line.ztk == ztk_ && line.lna == lna_) {
    ctx_.log("Warnung Mehrfache Zuordnung: Zkt: %s -> Lna: %s", line.ztk.c_str(), line.lna.c_str());
    return false;
  }
  first_ = false, ztk_ = line.ztk, lna_ = line.lna;
  return true;
}

int readRecordKinds(RunContext& ctx, const std::string& lgp, std::vector<std::string>& kinds) {
  db::Cursor c(ctx.db, kRecordKinds);
  openCursor(ctx, c, {lgp});
  std::string stz;
  int16_t stt = 0, svt = 0, zes = 0;
  int st = db::kOk;
  while (kinds.size() < kMaxRecordKinds && (st = c.fetch({stz, stt, svt, zes})) == db::kOk)
    kinds.push_back(stz);
  c.close();
  return st;
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

void logEmployment(RunContext& ctx, const Employment& e) {
  if (e.lug.empty())
    ctx.log("Pnr: %s", e.pnr.c_str());
  else
    ctx.log("Pnr: %s   PersNr-LuG verwenden: %s", e.pnr.c_str(), e.lug.c_str());
}

bool openEnd(const std::string& gbi) {
  return gbi.empty() || gbi == "0001-01-01" || gbi == "0001.01.01";
}

int readGroupInSpan(RunContext& ctx, const std::string& pnr, const Span& span, std::string& group) {
  const int st = ctx.db.exec(kGroupInSpan, {pnr, span.bis, span.von}, {group});
  ctx.abortIfFatal(st);
  return st;
}

std::optional<OtherGroup> enteredFromOtherGroup(RunContext& ctx, const Employment& row,
                                                const Span& span, const std::string& akr,
                                                const char* readFailed) {
  OtherGroup other;
  int st = readGroupInSpan(ctx, row.pnr, span, other.akr);
  if (st != db::kOk || other.akr == akr) {
    ctx.log(st != db::kOk ? "    -> erst später eingetreten!"
                          : "    -> neues Bsv im alten Abrkreis!");
    return std::nullopt;
  }
  st = readInterfaceRow(ctx.db, other.akr, other.lug);
  if (st != db::kOk) ctx.fail(st, readFailed, st);
  return other;
}

std::string bookingDate(const Span& period, int16_t dtm) {
  constexpr int16_t kLastDay = 2;
  return dtm == kLastDay ? period.bis : period.von;
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
