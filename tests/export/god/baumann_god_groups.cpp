#include "export/god/baumann_god_groups.h"

#include "calc/scenario.h"
#include "support/exporter_fixture.h"

namespace lug::test {

using calc::test::addBooking;
using calc::test::addCost;
using calc::test::addEmployee;
using calc::test::addGroup;
using calc::test::addLine;

namespace {

void month(Installation& inst, const char* pnr, const char* account, int minutes, const char* day,
           const char* kst = "") {
  addBooking(inst, {.pnr = pnr, .dtm = day, .zkt = account, .std = minutes, .ztr = 3, .kst = kst});
}

void absenceDays(Installation& inst, const char* pnr, std::initializer_list<const char*> days) {
  for (const char* day : days)
    addBooking(inst, {.pnr = pnr, .dtm = day, .zkt = "URL", .std = 480, .tge = 10, .kst = "K7"});
}

void addBaumannGroup(Installation& inst) {
  addGroup(inst, {.akr = "B", .lug = "LB", .lgp = "BAUMN"});
  inst.db().exec("update Hor171Lug set LugFir='12' where LugLug='LB'");
  addLine(inst, {.ztk = "NORM", .lna = "100", .lug = "LB"});
  addLine(inst, {.ztk = "UEB", .lna = "120", .lug = "LB"});
  for (const char* pnr : {"1001", "10010", "1002"}) addEmployee(inst, pnr, "B");
  addCost(inst, "1001", "K100", "", "");
  addCost(inst, "1002", "Büro", "", "");
  month(inst, "1001", "NORM", 9630, "2024.01.31", "K100");
  month(inst, "1001", "UEB", 100, "2024.01.31");
  month(inst, "10010", "NORM", 600, "2024.01.31");
  month(inst, "1002", "NORM", 4830, "2024.01.31", "Büro");
}

void addGodGroup(Installation& inst) {
  addGroup(inst, {.akr = "G",
                  .lug = "LG",
                  .lgp = "GOD",
                  .kinds = {"331", "970"},
                  .recalcDepth = 1,
                  .firstPeriod = 11});
  inst.db().exec("update Hor171Lug set LugFir='0815' where LugLug='LG'");
  addLine(inst, {.stz = "970", .ztk = "NORM", .lna = "100", .lug = "LG"});
  addLine(inst, {.stz = "331", .ztk = "URL", .lna = "300", .lgr = "UR", .ztr = 1, .lug = "LG"});
  inst.db().exec("update Hor171Lu1 set Lu1Kst=1 where Lu1Num='LG' and Lu1Stz='970'");
  for (const char* pnr : {"5001", "5002"}) addEmployee(inst, pnr, "G");
  addCost(inst, "5001", "K7", "", "");
  inst.insert("Hor300Pnr", {{"PnrNum", "5001"}, {"PnrNam", "Müller, Hans"}});
  month(inst, "5001", "NORM", 9600, "2024.01.31", "K7");
  month(inst, "5001", "NORM", 4800, "2024.02.29", "K7");
  month(inst, "5002", "NORM", 605, "2024.02.29");
  absenceDays(inst, "5001", {"2024.01.15", "2024.01.16", "2024.02.05", "2024.02.06"});
  // What the final run of January handed over, when the absence still
  // lasted until the 17th.
  for (const Row& r : {Row{{"Zk1Stz", "970"},
                           {"Zk1Zkt", "NORM"},
                           {"Zk1Lna", "100"},
                           {"Zk1Lgr", "     "},
                           {"Zk1Std", 9600},
                           {"Zk1Von", "2024.01.01"},
                           {"Zk1Bis", "2024.01.31"},
                           {"Zk1Sta", 1}},
                       Row{{"Zk1Stz", "331"},
                           {"Zk1Zkt", "URL"},
                           {"Zk1Lna", "300"},
                           {"Zk1Lgr", "UR"},
                           {"Zk1Std", 1440},
                           {"Zk1Tge", 30},
                           {"Zk1Von", "2024.01.15"},
                           {"Zk1Bis", "2024.01.17"},
                           {"Zk1Sta", 2}}})
    inst.insert("Hor331Zk1", withDefaults({{"Zk1Abr", 11},
                                           {"Zk1Lfn", 0},
                                           {"Zk1Bdt", "2024.01.01"},
                                           {"Zk1Pnr", "5001"},
                                           {"Zk1Kst", "K7"},
                                           {"Zk1Tge", 0},
                                           {"Zk1Stg", 0},
                                           {"Zk1Sts", 0},
                                           {"Zk1Rre", 1},
                                           {"Zk1Upn", "5001"},
                                           {"Zk1Inf", 0},
                                           {"Zk1Su1", 0}},
                                          r));
  inst.db().commit();
}

}  // namespace

void addBaumannAndGodGroups(Installation& inst) {
  addBaumannGroup(inst);
  addGodGroup(inst);
}

}  // namespace lug::test
