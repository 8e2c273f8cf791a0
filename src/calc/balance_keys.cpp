#include "calc/balance_keys.h"

#include "calc/employee_days.h"
#include "calc/interface_lines.h"

namespace lug::calc {
namespace {

constexpr char kSpecialKeyLine[] =
    "select Lu1Lna ,Lu1Ztk ,Lu1Stz into :b0:b1,:b2:b3,:b4:b5  from Hor171lu1 where (((Lu1Num=:b6 "
    "and Lu1Lgr=:b7) and Lu1Gvo<=:b8) and (Lu1Gbi is null  or Lu1Gbi>=:b9))";
constexpr char kTargetFreeHours[] =
    "select SfzAnt ,SfzGen ,SfzGvv into :b0:b1,:b2:b3,:b4:b5  from Hor332Sfz where (SfzPnr=:b6 and "
    "SfzDtm=:b7)";
constexpr char kTargetFreeModel[] = "select SfrAnz into :b0:b1  from Hor155Sfr where SfrMod=:b2";
// The balances: each a single-row select of the employee (personnel number
// first) and the same select for the employees of a window read ahead
// (calc/rows_ahead.h), read beside the run.
struct BalanceRead {
  const char* statement;
  const char* ahead;
};

constexpr BalanceRead kLeave{
    "select (UtgRtg* 60) ,(UtgVtg* 60) into :b0:b1,:b2:b3  from HOR332UTG where (utgpnr=:b4 and "
    "utgdtm=(select max(utgdtm)  from HOR332UTG where (utgdtm<=:b5 and utgpnr=:b4)))",
    "select utgpnr ,(UtgRtg* 60) ,(UtgVtg* 60)  from HOR332UTG where (utgpnr,utgdtm) in (select "
    "utgpnr ,max(utgdtm)  from HOR332UTG where (utgpnr in " LUG_PNRS_AHEAD
    " and utgdtm<=:b32) group by utgpnr)"};
constexpr BalanceRead kFlexitimeClosed{
    "select Tgbsa1 ,TgbVt1 into :b0,:b1  from HOR320TGB where ((tgbpnr=:b2 and TgbZtr=1) and "
    "TgbDtm=(select max(TgbDtm)  from HOR320TGB where (((TgbDtm<=:b3 and TgbDtm>=:b4) and "
    "TgbPnr=:b2) and TgbZtr=1)))",
    "select TgbPnr ,Tgbsa1 ,TgbVt1  from HOR320TGB where (TgbZtr=1 and (TgbPnr,TgbDtm) in (select "
    "TgbPnr ,max(TgbDtm)  from HOR320TGB where (((TgbPnr in " LUG_PNRS_AHEAD
    " and TgbZtr=1) and TgbDtm<=:b32) and TgbDtm>=:b33) group by TgbPnr))"};
constexpr BalanceRead kFlexitimeOpen{
    "select Tgbsa1 ,TgbVt1 into :b0,:b1  from HOR320TGB where ((tgbpnr=:b2 and TgbZtr=1) and "
    "TgbDtm=(select max((TgbDtm-1))  from HOR320TGB where ((((TgbDtm<=:b3 and TgbDtm>=:b4) and "
    "TgbPnr=:b2) and TgbSa1<>0) and TgbZtr=1)))",
    "select TgbPnr ,Tgbsa1 ,TgbVt1  from HOR320TGB where (TgbZtr=1 and (TgbPnr,TgbDtm) in (select "
    "TgbPnr ,max((TgbDtm-1))  from HOR320TGB where ((((TgbPnr in " LUG_PNRS_AHEAD
    " and TgbZtr=1) and TgbDtm<=:b32) and TgbDtm>=:b33) and TgbSa1<>0) group by TgbPnr))"};
constexpr BalanceRead kBalance2{
    "select Tgbsa2 ,TgbVt2 into :b0,:b1  from HOR320TGB where ((tgbpnr=:b2 and TgbZtr=1) and "
    "TgbDtm=(select max(TgbDtm)  from HOR320TGB where ((TgbDtm<=:b3 and TgbPnr=:b2) and "
    "TgbZtr=1)))",
    "select TgbPnr ,Tgbsa2 ,TgbVt2  from HOR320TGB where (TgbZtr=1 and (TgbPnr,TgbDtm) in (select "
    "TgbPnr ,max(TgbDtm)  from HOR320TGB where ((TgbPnr in " LUG_PNRS_AHEAD
    " and TgbZtr=1) and TgbDtm<=:b32) group by TgbPnr))"};
constexpr BalanceRead kCarryOver2{
    "select TgbVt2 into :b0  from HOR320TGB where ((TgbPnr=:b1 and TgbZtr=1) and TgbDtm=(select "
    "min((TgbDtm+1))  from HOR320TGB where ((TgbDtm>=:b2 and TgbPnr=:b1) and TgbZtr=1)))",
    "select TgbPnr ,TgbVt2  from HOR320TGB where (TgbZtr=1 and (TgbPnr,TgbDtm) in (select TgbPnr "
    ",min((TgbDtm+1))  from HOR320TGB where ((TgbPnr in " LUG_PNRS_AHEAD
    " and TgbZtr=1) and TgbDtm>=:b32) group by TgbPnr))"};
constexpr BalanceRead kBalance3{
    "select Tgbsa3 ,TgbVt3 into :b0,:b1  from HOR320TGB where ((tgbpnr=:b2 and TgbZtr=1) and "
    "TgbDtm=(select max(TgbDtm)  from HOR320TGB where ((TgbDtm<=:b3 and TgbPnr=:b2) and "
    "TgbZtr=1)))",
    "select TgbPnr ,Tgbsa3 ,TgbVt3  from HOR320TGB where (TgbZtr=1 and (TgbPnr,TgbDtm) in (select "
    "TgbPnr ,max(TgbDtm)  from HOR320TGB where ((TgbPnr in " LUG_PNRS_AHEAD
    " and TgbZtr=1) and TgbDtm<=:b32) group by TgbPnr))"};
constexpr BalanceRead kCarryOver5{
    "select TgbVt5 into :b0  from HOR320TGB where ((TgbPnr=:b1 and TgbZtr=1) and TgbDtm=(select "
    "min((TgbDtm+1))  from HOR320TGB where ((TgbDtm>=:b2 and TgbPnr=:b1) and TgbZtr=1)))",
    "select TgbPnr ,TgbVt5  from HOR320TGB where (TgbZtr=1 and (TgbPnr,TgbDtm) in (select TgbPnr "
    ",min((TgbDtm+1))  from HOR320TGB where ((TgbPnr in " LUG_PNRS_AHEAD
    " and TgbZtr=1) and TgbDtm>=:b32) group by TgbPnr))"};

constexpr int kMinutesPerHour = 60;

// A balance that cannot be read is 0: the lookups clear their outputs first.
double targetFreeHours(RunContext& ctx, const SpecialKeyInput& in) {
  int16_t hours = 0, taken = 0, carried = 0, perDay = 0;
  int st = ctx.db.exec(kTargetFreeHours, {in.row.pnr, in.period.bis}, {hours, taken, carried});
  ctx.abortIfFatal(st);
  if (st != db::kOk || in.row.sfr.empty()) return 0;
  ctx.abortIfFatal(ctx.db.exec(kTargetFreeModel, {in.row.sfr}, {perDay}));
  // The record carries the value as a 16-bit number.
  return static_cast<int16_t>((hours - (taken - carried) * perDay) * kMinutesPerHour);
}

// Reads the balance's row of the employee into `out`: from the window read
// ahead where it answers, else with the statement. The statement's values
// are the personnel number and `values`.
void readBalance(RunContext& ctx, const BalanceRead& read, const std::string& pnr,
                 const std::vector<db::In>& values, db::Outs out) {
  if (ctx.daysAhead && ctx.daysAhead->numbers(read.statement, read.ahead, pnr, values, out)) return;
  std::vector<db::In> in{pnr};
  in.insert(in.end(), values.begin(), values.end());
  ctx.abortIfFatal(ctx.db.exec(read.statement, in, out));
}

double remainingLeave(RunContext& ctx, const SpecialKeyInput& in) {
  double remaining = 0, carried = 0;
  readBalance(ctx, kLeave, in.row.pnr, {in.period.bis}, {remaining, carried});
  return in.psybr ? remaining + carried : remaining;
}

double balanceAndCarryOver(RunContext& ctx, const BalanceRead& read, const SpecialKeyInput& in,
                           const std::vector<db::In>& values) {
  int32_t balance = 0, carried = 0;
  readBalance(ctx, read, in.row.pnr, values, {balance, carried});
  return balance + carried;
}

double carryOver(RunContext& ctx, const BalanceRead& read, const SpecialKeyInput& in) {
  int32_t carried = 0;
  readBalance(ctx, read, in.row.pnr, {in.period.bis}, {carried});
  return carried;
}

// Flexitime: once the period is over, its last day record; while it runs,
// the day before the last day with a flexitime balance.
double flexitime(RunContext& ctx, const SpecialKeyInput& in) {
  const BalanceRead& read = in.runDate > in.period.bis ? kFlexitimeClosed : kFlexitimeOpen;
  return balanceAndCarryOver(ctx, read, in, {in.period.bis, in.period.von});
}

struct SpecialKey {
  const char* key;
  double (*value)(RunContext&, const SpecialKeyInput&);
};

const SpecialKey kSpecialKeys[] = {
    {"SFR", targetFreeHours},
    {"RUL", remainingLeave},
    {"GLT", flexitime},
    {"MGF",
     [](RunContext& ctx, const SpecialKeyInput& in) {
       return balanceAndCarryOver(ctx, kBalance2, in, {in.period.bis});
     }},
    {"MGFV",
     [](RunContext& ctx, const SpecialKeyInput& in) { return carryOver(ctx, kCarryOver2, in); }},
    {"RZT",
     [](RunContext& ctx, const SpecialKeyInput& in) {
       return balanceAndCarryOver(ctx, kBalance3, in, {in.period.bis});
     }},
    {"SLD5V",
     [](RunContext& ctx, const SpecialKeyInput& in) { return carryOver(ctx, kCarryOver5, in); }},
};

// kSpecialKeyLine: the line of the special key valid in the period.
int specialKeyLine(RunContext& ctx, const SpecialKeyInput& in, const std::string& key,
                   std::string& lna, std::string& ztk, std::string& stz) {
  const InterfaceLines& lines = InterfaceLines::of(ctx);
  if (!lines.inMemory()) {
    const int st = ctx.db.exec(kSpecialKeyLine, {in.lugKey, key, in.period.von, in.period.bis},
                               {lna, ztk, stz});
    ctx.abortIfFatal(st);
    return st;
  }
  const InterfaceLine* line = nullptr;
  const int st = lines.selectOne(
      [&](const InterfaceLines::Line& l) {
        return InterfaceLines::equal(l.values.num, in.lugKey) &&
               InterfaceLines::equal(l.values.lgr, key) &&
               InterfaceLines::validIn(l, in.period.von, in.period.bis);
      },
      line);
  if (line) lna = line->lna, ztk = line->ztk, stz = line->stz;
  return st;
}

void writeKey(RunContext& ctx, const SpecialKeyInput& in, RecordWriter& to, const SpecialKey& key) {
  std::string lna, ztk, stz;
  const int st = specialKeyLine(ctx, in, key.key, lna, ztk, stz);
  if (st != db::kOk) return;
  const Record r{.stz = stz,
                 .bdt = in.bdt,
                 .pnr = in.row.pnr,
                 .zkt = ztk,
                 .lna = lna,
                 .lgr = " ",
                 .kst = in.cost.kst,
                 .ktr = in.cost.ktr,
                 .krt = in.cost.krt,
                 .std = key.value(ctx, in),
                 .von = in.period.von,
                 .bis = in.period.bis,
                 .upn = in.row.upn()};
  to.insertUnlessStored(ctx, r, "Insert 331Zk1_Status %d");
}

}  // namespace

void writeSpecialKeys(RunContext& ctx, const SpecialKeyInput& in, RecordWriter& to) {
  for (const SpecialKey& key : kSpecialKeys) writeKey(ctx, in, to, key);
}

}  // namespace lug::calc
