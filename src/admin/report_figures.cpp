#include "admin/report_figures.h"

#include <cmath>
#include <map>

namespace lug::admin {
namespace {

constexpr char kInterfaceType[] =
    "select LugLgp into :b0:b1  from Hor171Lug where LugLug=(select AkrLug  from O1001AbrKreis "
    "where AkrNum=:b2)";
constexpr char kPeriodDates[] =
    "select AbrVon ,AbrBis into :b0,:b1  from Hor330Abr where (AbrAkr=:b2 and AbrNum=:b3)";
constexpr char kEarlierPeriods[] =
    "select AbrNum  from Hor330Abr where ((AbrAkr=:b0 and AbrVon<(select AbrVon  from Hor330Abr "
    "where (AbrAkr=:b0 and AbrNum=:b2))) and AbrSts<>8) order by AbrVon desc";
constexpr char kRunNumbers[] =
    "select  coalesce (min(Zk1Lfn),(-1)) , coalesce (max(Zk1Lfn),0) into :b0,:b1  from Hor331Zk1 "
    "where (Zk1Abr=:b2 and Zk1Lfn<1000)";
constexpr char kEmployees[] =
    "select count(distinct Zk1Pnr) into :b0  from Hor331Zk1 where (Zk1Abr=:b1 and Zk1Lfn=:b2)";
constexpr char kKinds[] =
    "select Zk1Stz ,count(*)  from Hor331Zk1 where (Zk1Abr=:b0 and Zk1Lfn=:b1) group by Zk1Stz "
    "order by Zk1Stz";
constexpr char kOwnValues[] =
    "select Zk1Lna ,count(*) ,sum(Zk1Std) ,sum(Zk1Tge)  from Hor331Zk1 where ((Zk1Abr=:b0 and "
    "Zk1Lfn=:b1) and Zk1Rre<2) group by Zk1Lna order by Zk1Lna";
constexpr char kDifferences[] =
    "select Zk1Rrn ,Zk1Lna ,count(*) ,sum(Zk1Std) ,sum(Zk1Tge)  from Hor331Zk1 where ((Zk1Abr=:b0 "
    "and Zk1Lfn=:b1) and Zk1Rre=2) group by Zk1Rrn,Zk1Lna order by Zk1Rrn,Zk1Lna";

// The end of a cursor's rows is no failure.
int endStatus(int fetched, db::Cursor& cursor) {
  const int closed = cursor.close();
  if (fetched != db::kNoData) return fetched;
  return closed;
}

// One row of a sums cursor: count and the sums as whole minutes and tenths.
struct SumsRow {
  int64_t records = 0;
  double minutes = 0, tenths = 0;

  WageTypeSums of(const std::string& lna) const {
    return {.lna = lna,
            .records = records,
            .minutes = std::llround(minutes),
            .tenths = std::llround(tenths)};
  }
};

int readKinds(db::Session& session, HandOver& h) {
  db::Cursor cursor(session, kKinds);
  int st = cursor.open({h.abrnr, h.lfn});
  KindCount kind;
  while (st == db::kOk && (st = cursor.fetch({kind.stz, kind.records})) == db::kOk)
    h.kinds.push_back(kind);
  return endStatus(st, cursor);
}

int readOwnValues(db::Session& session, HandOver& h) {
  db::Cursor cursor(session, kOwnValues);
  int st = cursor.open({h.abrnr, h.lfn});
  std::string lna;
  SumsRow row;
  while (st == db::kOk &&
         (st = cursor.fetch({lna, row.records, row.minutes, row.tenths})) == db::kOk)
    h.wageTypes.push_back(row.of(lna));
  return endStatus(st, cursor);
}

int readDifferences(db::Session& session, const std::string& akr, HandOver& h) {
  db::Cursor cursor(session, kDifferences);
  int st = cursor.open({h.abrnr, h.lfn});
  int32_t period = 0;
  std::string lna;
  SumsRow row;
  while (st == db::kOk &&
         (st = cursor.fetch({period, lna, row.records, row.minutes, row.tenths})) == db::kOk) {
    if (h.corrections.empty() || h.corrections.back().period != period) {
      Corrections c{.period = period};
      session.exec(kPeriodDates, {akr, period}, {c.von, c.bis});
      h.corrections.push_back(std::move(c));
    }
    h.corrections.back().wageTypes.push_back(row.of(lna));
  }
  return endStatus(st, cursor);
}

// The run a report without run number shows: the final run when the period
// has one, else its last interim run.
int16_t lastRun(db::Session& session, int32_t abrnr) {
  int32_t lowest = -1, highest = 0;
  session.exec(kRunNumbers, {abrnr}, {lowest, highest});
  return static_cast<int16_t>(lowest <= 0 ? 0 : highest);
}

}  // namespace

int readInterfaceType(db::Session& session, const std::string& akr, std::string& type) {
  const int st = session.exec(kInterfaceType, {akr}, {type});
  return st == db::kNoData ? db::kOk : st;
}

int readHandOver(db::Session& session, const std::string& akr, int32_t abrnr, int16_t lfn,
                 HandOver& h) {
  h = HandOver{.abrnr = abrnr, .lfn = lfn >= 0 ? lfn : lastRun(session, abrnr)};
  int st = session.exec(kPeriodDates, {akr, abrnr}, {h.von, h.bis});
  if (st != db::kOk) return st;
  st = session.exec(kEmployees, {h.abrnr, h.lfn}, {h.employees});
  if (st == db::kOk) st = readKinds(session, h);
  if (st == db::kOk) st = readOwnValues(session, h);
  if (st == db::kOk) st = readDifferences(session, akr, h);
  return st;
}

int readPreviousPeriod(db::Session& session, const std::string& akr, int32_t abrnr,
                       int32_t& previous) {
  db::Cursor cursor(session, kEarlierPeriods);
  int st = cursor.open({akr, abrnr});
  if (st == db::kOk) st = cursor.fetch({previous});  // the newest earlier period only
  const int closed = cursor.close();
  return st == db::kOk || st == db::kNoData ? closed : st;
}

std::vector<WageTypeChange> compareWageTypes(const std::vector<WageTypeSums>& now,
                                             const std::vector<WageTypeSums>& before) {
  using Mark = WageTypeChange::Mark;
  std::map<std::string, WageTypeChange> byLna;
  for (const WageTypeSums& s : before)
    byLna[s.lna] = {.lna = s.lna, .now = {.lna = s.lna}, .before = s, .mark = Mark::Vanished};
  for (const WageTypeSums& s : now) {
    const auto [it, added] =
        byLna.try_emplace(s.lna, WageTypeChange{.lna = s.lna, .before = {.lna = s.lna}});
    it->second.now = s;
    it->second.mark = added ? Mark::New : Mark::Both;
  }
  std::vector<WageTypeChange> changes;
  for (auto& [lna, c] : byLna) changes.push_back(std::move(c));
  return changes;
}

}  // namespace lug::admin
