#include "calc/scenario.h"

#include <chrono>
#include <cstdlib>

#include "base/interface_row.h"
#include "db/oracle.h"

namespace lug::calc::test {
namespace {

namespace ora = db::oracle;
using lug::test::Cell;

Cell textOrNull(const std::string& s) {
  if (s.empty()) return nullptr;
  return s;
}

}  // namespace

void addGroup(Installation& inst, const GroupData& g) {
  inst.insert("O1001AbrKreis", {{"AkrNum", g.akr}, {"AkrLug", g.lug}, {"AkrRrm", g.recalcDepth}});
  inst.insert("Hor171Lug",
              {{"LugLug", g.lug}, {"LugLgp", g.lgp}, {"LugDtm", g.dtm}, {"LugPnr", g.payrollOnly}});
  for (const std::string& kind : g.kinds)
    inst.insert("Hor170Lg1", {{"Lg1Num", g.lgp}, {"Lg1Stz", kind}});
  addPeriod(inst, g.akr, g.firstPeriod, "2024.01.01", "2024.01.31");
  addPeriod(inst, g.akr, g.firstPeriod + 1, "2024.02.01", "2024.02.29");
  addPeriod(inst, g.akr, g.firstPeriod + 2, "2024.03.01", "2024.03.31");
}

void addPeriod(Installation& inst, const std::string& akr, int nr, const std::string& von,
               const std::string& bis) {
  inst.insert("Hor330Abr",
              {{"AbrAkr", akr}, {"AbrNum", nr}, {"AbrVon", von}, {"AbrBis", bis}, {"AbrSts", 0}});
}

void addLine(Installation& inst, const LineData& l) {
  inst.insert("Hor171Lu1", {{"Lu1Num", l.lug},
                            {"Lu1Stz", l.stz},
                            {"Lu1Ztk", l.ztk},
                            {"Lu1Lna", l.lna},
                            {"Lu1Lgr", textOrNull(l.lgr)},
                            {"Lu1Gvo", l.gvo},
                            {"Lu1Gbi", textOrNull(l.gbi)},
                            {"Lu1Rre", l.rre},
                            {"Lu1Tgw", l.tgw},
                            {"Lu1Tge", l.tge},
                            {"Lu1Sol", l.sol},
                            {"Lu1Svk", l.svk},
                            {"Lu1Flg", l.flg},
                            {"Lu1Sts", l.sts},
                            {"Lu1Fkt", l.fkt},
                            {"Lu1Ztr", l.ztr},
                            {"Lu1Art", l.art},
                            {"Lu1Lfn", 0},
                            {"Lu1Mog", 0.0}});
}

void addEmployee(Installation& inst, const std::string& pnr, const std::string& akr,
                 const std::string& gvo, const std::string& gbi, const std::string& lug,
                 const std::string& sfr) {
  inst.insert("Hor310Bsv", {{"BsvPnr", pnr},
                            {"BsvAkr", akr},
                            {"BsvGvo", gvo},
                            {"BsvGbi", textOrNull(gbi)},
                            {"BsvLug", textOrNull(lug)},
                            {"BsvSfr", textOrNull(sfr)}});
}

void addCost(Installation& inst, const std::string& pnr, const std::string& kst,
             const std::string& ktr, const std::string& krt) {
  inst.insert("Hor311Zuo", {{"ZuoPnr", pnr},
                            {"ZuoKst", textOrNull(kst)},
                            {"ZuoKtr", textOrNull(ktr)},
                            {"ZuoKrt", textOrNull(krt)},
                            {"ZuoGvo", "2020.01.01"}});
}

void addBooking(Installation& inst, const BookingData& b) {
  inst.insert("Hor331Zkb", {{"ZkbPnr", b.pnr},
                            {"ZkbZtr", b.ztr},
                            {"ZkbDtm", b.dtm},
                            {"ZkbKst", textOrNull(b.kst)},
                            {"ZkbKtr", textOrNull(b.ktr)},
                            {"ZkbKrt", textOrNull(b.krt)},
                            {"ZkbZkt", b.zkt},
                            {"ZkbStd", b.std},
                            {"ZkbTge", b.tge},
                            {"ZkbStg", b.stg},
                            {"ZkbSta", 0},
                            {"ZkbDat", b.dtm}});
}

void addDays(Installation& inst, const std::string& pnr, const std::string& von,
             const std::string& bis, int sol, int unb) {
  for (const std::string& day : daysOf(von, bis))
    addDay(inst, {.pnr = pnr, .dtm = day, .sol = isWeekend(day) ? 0 : sol, .unb = unb});
}

void addDay(Installation& inst, const DayData& d) {
  inst.insert("Hor320Tgb", {{"TgbPnr", d.pnr},
                            {"TgbDtm", d.dtm},
                            {"TgbZtr", d.ztr},
                            {"TgbSol", d.sol},
                            {"TgbUnb", d.unb},
                            {"TgbMax", d.max},
                            {"Tgbsa1", d.sa1},
                            {"TgbVt1", d.vt1},
                            {"Tgbsa2", d.sa2},
                            {"TgbVt2", d.vt2},
                            {"Tgbsa3", d.sa3},
                            {"TgbVt3", d.vt3},
                            {"TgbVt5", d.vt5}});
}

void addAttendance(Installation& inst, const std::string& pnr, const std::string& day,
                   const std::string& whole, const std::string& first, const std::string& second) {
  inst.insert("Hor327Tag", {{"TagPnr", pnr},
                            {"TagTag", day},
                            {"TagVon", day},
                            {"TagOne", 0},
                            {"TagKom", 0},
                            {"TagGeh", 0},
                            {"TagTgb", textOrNull(whole)},
                            {"TagHtv", textOrNull(first)},
                            {"TagHtn", textOrNull(second)}});
}

void addDayCode(Installation& inst, const std::string& code, const std::string& account) {
  inst.insert("Hor131Fcd", {{"FcdNum", code}, {"FcdZkt", account}});
}

lug::test::RunResult runAt(Installation& inst, const std::string& now, const std::string& akr,
                           const std::string& abrnr, const std::string& mode,
                           const std::string& filter) {
  std::vector<std::string> args{inst.service(), inst.schema(), akr, abrnr, mode};
  if (!filter.empty()) args.push_back(filter);
  return inst.runLug(args, {{"LUG_SYSDATE", now}});
}

std::vector<std::string> daysOf(const std::string& von, const std::string& bis) {
  std::vector<std::string> days;
  for (auto d = ora::parseDate(von); ora::canonical(d) <= bis; d = ora::addDays(d, 1))
    days.push_back(ora::canonical(d));
  return days;
}

bool isWeekend(const std::string& day) {
  const auto d = ora::parseDate(day);
  const std::chrono::year_month_day ymd{std::chrono::year(d.year),
                                        std::chrono::month(static_cast<unsigned>(d.month)),
                                        std::chrono::day(static_cast<unsigned>(d.day))};
  const std::chrono::weekday w{std::chrono::sys_days(ymd)};
  return w == std::chrono::Saturday || w == std::chrono::Sunday;
}

Lines joinedRows(Installation& inst, const std::string& sql) {
  Lines out;
  for (const auto& row : inst.rows(sql)) {
    std::string line;
    for (size_t i = 0; i < row.size(); ++i) line += (i ? "|" : "") + row[i];
    out.push_back(line);
  }
  return out;
}

Lines periodRecords(Installation& inst) {
  return joinedRows(
      inst,
      "select Zk1Abr,Zk1Lfn,Zk1Stz,Zk1Bdt,Zk1Pnr,Zk1Zkt,Zk1Lna,Zk1Lgr,Zk1Kst,Zk1Ktr,Zk1Krt,Zk1Std,"
      "Zk1Tge,Zk1Stg,Zk1Von,Zk1Bis,Zk1Sts,Zk1Rre,Zk1Sta,Zk1Upn,Zk1Inf,Zk1Su1 from Hor331Zk1 order "
      "by Zk1Abr,Zk1Lfn,Zk1Pnr,Zk1Stz,Zk1Zkt,Zk1Lna,Zk1Bdt,Zk1Von,Zk1Kst,Zk1Ktr");
}

Lines daySummaries(Installation& inst) {
  return joinedRows(inst,
                    "select Zk2Abr,Zk2Pnr,Zk2Bdt,Zk2Stt,Zk2Svt,Zk2Slt,Zk2Ant,Zk2Sln,Zk2Uns,Zk2Zes,"
                    "Zk2Bzt,Zk2Unt,Zk2Rre from Hor331Zk2 order by Zk2Abr,Zk2Pnr,Zk2Bdt");
}

// Windows-1252 text as UTF-8 (the letters of the German messages).
std::string fromWindows1252(const std::string& bytes) {
  std::string out;
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0xA0) {
      out += c;
    } else {
      out += static_cast<char>(0xC0 | (b >> 6));
      out += static_cast<char>(0x80 | (b & 0x3F));
    }
  }
  return out;
}

Lines logLines(const std::string& bytes) {
  Lines lines;
  size_t start = 0;
  for (size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(bytes.substr(start, end - start));
  if (start < bytes.size()) lines.push_back(bytes.substr(start));
  return lines;
}

Lines logSection(const Lines& lines, const std::string& first, const std::string& last) {
  Lines out;
  bool in = false;
  for (const std::string& line : lines) {
    if (!in && line.rfind(first, 0) == 0) in = true;
    if (!in) continue;
    out.push_back(line);
    if (out.size() > 1 && line.rfind(last, 0) == 0) break;
  }
  return out;
}

CalcTest::CalcTest() {
  ctx.akr = "A1";
  ctx.startTime = "05.02.2024 08:00:00";
}

void CalcTest::usePeriod(int32_t abrnr, const std::string& von, const std::string& bis) {
  ctx.abrnr = abrnr, ctx.abrVon = von, ctx.abrBis = bis;
  readInterfaceRow(ctx.db, ctx.akr, ctx.lug);
  ctx.topas = ctx.lug.typeIs("TOPAS") ? 1 : 0;
}

Lines CalcTest::log() const {
  return logLines(fromWindows1252(inst.logText()));
}

}  // namespace lug::calc::test
