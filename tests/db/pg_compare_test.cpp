// The same hand-overs on both engines give the same rows in every table, the
// same run log and console, and byte-identical files under ../Transfer.
// A scenario is a set-up and the runs of lug on it; add one per new feature.
#include <algorithm>
#include <functional>
#include <map>
#include <tuple>
#include <utility>

#include "calc/scenario.h"
#include "db/schema.h"
#include "export/god/baumann_god_groups.h"
#include "pg_engines.h"

namespace lug::test {
namespace {

constexpr char kClock[] = "2024.03.05 10:00:00";

struct Scenario {
  const char* name;
  std::function<void(Installation&)> setup;
  std::vector<std::vector<std::string>> runs;  // arguments after service and schema
  std::string file = {};                       // a transfer file the runs write, under ../Transfer
};

struct Outcome {
  std::vector<RunResult> runs;
  std::map<std::string, std::vector<std::vector<std::string>>> tables;  // rows in sorted order
  std::map<std::string, std::string> files;  // path under ../Transfer: bytes
};

Outcome play(const Scenario& scenario, TestEngine engine) {
  Installation inst("TEST", engine);
  scenario.setup(inst);
  Outcome out;
  for (const auto& args : scenario.runs) {
    std::vector<std::string> all{inst.service(), "test"};
    all.insert(all.end(), args.begin(), args.end());
    out.runs.push_back(inst.runLug(all, {{"LUG_SYSDATE", kClock}}));
  }
  for (const db::Table& t : db::Schema::instance().tables()) {
    auto rows = inst.rows("select * from " + std::string(t.central ? "HORSYSTEM." : "") + t.name);
    std::sort(rows.begin(), rows.end());
    out.tables[t.name] = std::move(rows);
  }
  const fs::path transfer = inst.root() / "Transfer";
  for (const auto& entry : fs::recursive_directory_iterator(transfer))
    if (entry.is_regular_file())
      out.files[fs::relative(entry.path(), transfer).string()] = readFile(entry.path());
  return out;
}

void expectSameOutcome(const Outcome& sqlite, const Outcome& pg) {
  ASSERT_EQ(sqlite.runs.size(), pg.runs.size());
  for (size_t i = 0; i < sqlite.runs.size(); ++i) {
    EXPECT_EQ(sqlite.runs[i].exitStatus, pg.runs[i].exitStatus) << "run " << i;
    EXPECT_EQ(sqlite.runs[i].console, pg.runs[i].console) << "run " << i;
    EXPECT_EQ(sqlite.runs[i].log, pg.runs[i].log) << "run " << i;
  }
  for (const auto& [table, rows] : sqlite.tables) EXPECT_EQ(rows, pg.tables.at(table)) << table;
  EXPECT_EQ(sqlite.files, pg.files);
}

void addTopasGroup(Installation& inst) {
  inst.insert("O1001AbrKreis", {{"AkrNum", "T"}, {"AkrLug", "LT"}, {"AkrSsl", 1}, {"AkrAdt", 0}});
  inst.insert("Hor171Lug", {{"LugLug", "LT"}, {"LugLgp", "TOPAS"}});
  inst.insert("Hor330Abr", {{"AbrAkr", "T"},
                            {"AbrNum", 3},
                            {"AbrVon", "2024.03.01"},
                            {"AbrBis", "2024.03.31"},
                            {"AbrSts", 0}});
}

void addRecalculationRecords(Installation& inst) {
  inst.insert("Hor331Zk3", {{"Zk3Key", kClock},
                            {"Zk3Abr", 1},
                            {"Zk3Lfn", 0},
                            {"Zk3Stz", "ZR"},
                            {"Zk3Pnr", "4711"},
                            {"Zk3Zkt", "URL"},
                            {"Zk3Std", 480},
                            {"Zk3Von", "2024.01.01"},
                            {"Zk3Bis", "2024.01.31"}});
  inst.insert("Hor331Zk3", {{"Zk3Key", kClock},
                            {"Zk3Abr", 1},
                            {"Zk3Lfn", 0},
                            {"Zk3Stz", "ZR"},
                            {"Zk3Pnr", "4712"},
                            {"Zk3Kst", ""},
                            {"Zk3Std", -60}});
  inst.insert("Hor331Zk3",
              {{"Zk3Key", kClock}, {"Zk3Abr", 1}, {"Zk3Stz", "ZE"}, {"Zk3Pnr", "4713"}});
  inst.insert("Hor331Zk4", {{"Zk4Key", "kept"}, {"Zk4Stz", "ZR*E"}});
}

// A DATEV group G1 with period 7 (December 2024), an interface line and
// period records with fractions, negative values, empty and non-ASCII cost
// centres and several employees, in an order that is not the key order.
void addDatevGroup(Installation& inst) {
  inst.insert("O1001AbrKreis", {{"AkrNum", "G1"}, {"AkrLug", "L1"}, {"AkrRrm", 0}, {"AkrAdt", 0}});
  inst.insert("Hor330Abr", {{"AbrAkr", "G1"},
                            {"AbrNum", 7},
                            {"AbrVon", "2024.12.01"},
                            {"AbrBis", "2024.12.31"},
                            {"AbrSts", 0}});
  inst.insert(
      "Hor171Lug",
      {{"LugLug", "L1"}, {"LugLgp", "DATEV"}, {"LugMon", 0}, {"LugFir", "4711"}, {"LugAkr", "01"}});
  inst.insert("Hor171Lu1", {{"Lu1Num", "L1"},
                            {"Lu1Stz", "LA"},
                            {"Lu1Ztk", "AZ"},
                            {"Lu1Lna", "100"},
                            {"Lu1Gvo", "2024.01.01"},
                            {"Lu1Kst", 1},
                            {"Lu1Ktr", 1},
                            {"Lu1Mog", 0.0},
                            {"Lu1Fkt", 0}});
  struct Record {
    const char* pnr;
    const char* day;
    const char* kst;
    double minutes;
    int days;
  };
  for (const Record& r :
       {Record{"1002", "2024.12.05", "4100", 480, 0}, Record{"1001", "2024.12.24", "", 90.5, 0},
        Record{"1001", "2024.12.02", "B\xC3\xBCro", -75, 5},
        Record{"1003", "2024.12.31", "4100", 0, 10}})
    // Stored as records of an interim run: the final run recomputes only its
    // own run number, and the exporter hands over every run of the period.
    inst.insert("Hor331Zk1", {{"Zk1Abr", 7},
                              {"Zk1Lfn", 5},
                              {"Zk1Stz", "LA"},
                              {"Zk1Bdt", r.day},
                              {"Zk1Pnr", r.pnr},
                              {"Zk1Zkt", "AZ"},
                              {"Zk1Lna", "100"},
                              {"Zk1Kst", r.kst},
                              {"Zk1Std", r.minutes},
                              {"Zk1Tge", r.days},
                              {"Zk1Von", "2024.12.01"},
                              {"Zk1Bis", "2024.12.31"},
                              {"Zk1Rre", 1},
                              {"Zk1Sta", 2},
                              {"Zk1Upn", r.pnr}});
}

// Group L2 on a LOGA2 interface that recalculates one period: January was
// handed over with other values than its bookings now give, February is
// handed over and January recalculated.
void addLoga2001Group(Installation& inst) {
  inst.insert("O1001AbrKreis", {{"AkrNum", "L2"}, {"AkrLug", "LG"}, {"AkrRrm", 1}, {"AkrAdt", 0}});
  inst.insert(
      "Hor171Lug",
      {{"LugLug", "LG"}, {"LugLgp", "LOGA2"}, {"LugMon", 1}, {"LugFir", "12"}, {"LugAkr", "3"}});
  inst.insert("Hor170Lg1", {{"Lg1Num", "LOGA2"}, {"Lg1Stz", "LA"}});
  inst.insert("Hor310Bsv", {{"BsvPnr", "3001"}, {"BsvAkr", "L2"}, {"BsvGvo", "2020.01.01"}});
  for (const auto& [nr, von, bis] :
       {std::tuple{1, "2024.01.01", "2024.01.31"}, std::tuple{2, "2024.02.01", "2024.02.29"}})
    inst.insert(
        "Hor330Abr",
        {{"AbrAkr", "L2"}, {"AbrNum", nr}, {"AbrVon", von}, {"AbrBis", bis}, {"AbrSts", 0}});
  struct Account {
    const char* zkt;
    const char* lna;
    int sts, handedOver, january, february;
  };
  for (const Account& a :
       {Account{"NORM", "100", 1, 600, 660, 300}, Account{"UEB", "110", 0, 120, 180, 60}}) {
    inst.insert("Hor171Lu1", {{"Lu1Num", "LG"},
                              {"Lu1Stz", "LA"},
                              {"Lu1Ztk", a.zkt},
                              {"Lu1Lna", a.lna},
                              {"Lu1Gvo", "2020.01.01"},
                              {"Lu1Rre", 1},
                              {"Lu1Sts", a.sts},
                              {"Lu1Kst", 1},
                              {"Lu1Ktr", 1},
                              {"Lu1Krt", 1}});
    inst.insert("Hor331Zk1", {{"Zk1Abr", 1},
                              {"Zk1Lfn", 0},
                              {"Zk1Stz", "LA"},
                              {"Zk1Bdt", "2024.01.01"},
                              {"Zk1Pnr", "3001"},
                              {"Zk1Zkt", a.zkt},
                              {"Zk1Lna", a.lna},
                              {"Zk1Std", a.handedOver},
                              {"Zk1Tge", 0},
                              {"Zk1Von", "2024.01.01"},
                              {"Zk1Bis", "2024.01.31"},
                              {"Zk1Sts", a.sts},
                              {"Zk1Rre", 1},
                              {"Zk1Sta", 1},
                              {"Zk1Dat", "2024.02.05"},
                              {"Zk1Upn", "3001"}});
    for (const auto& [day, minutes] :
         {std::pair{"2024.01.31", a.january}, std::pair{"2024.02.29", a.february}})
      inst.insert("Hor331Zkb", {{"ZkbPnr", "3001"},
                                {"ZkbZtr", 3},
                                {"ZkbDtm", day},
                                {"ZkbZkt", a.zkt},
                                {"ZkbStd", minutes},
                                {"ZkbTge", 0},
                                {"ZkbStg", 0},
                                {"ZkbSta", 0},
                                {"ZkbDat", day}});
  }
}

// A LODAS group L with January and February 2024 and a recalculation depth
// of one period: January was handed over with other values than its
// bookings give now, so a final run of February hands corrections over.
void addLodasGroup(Installation& inst) {
  inst.insert("O1001AbrKreis",
              {{"AkrNum", "L"}, {"AkrLug", "LL"}, {"AkrSsl", 1}, {"AkrRrm", 1}, {"AkrAdt", 0}});
  inst.insert("Hor171Lug",
              {{"LugLug", "LL"}, {"LugLgp", "LODAS"}, {"LugFir", "4711"}, {"LugAkr", "12345"}});
  inst.insert("Hor170Lg1", {{"Lg1Num", "LODAS"}, {"Lg1Stz", "LA"}});
  inst.insert("Hor330Abr", {{"AbrAkr", "L"},
                            {"AbrNum", 1},
                            {"AbrVon", "2024.01.01"},
                            {"AbrBis", "2024.01.31"},
                            {"AbrSts", 0}});
  inst.insert("Hor330Abr", {{"AbrAkr", "L"},
                            {"AbrNum", 2},
                            {"AbrVon", "2024.02.01"},
                            {"AbrBis", "2024.02.29"},
                            {"AbrSts", 0}});
  for (const char* account : {"NORM", "URL"})
    inst.insert("Hor171Lu1", {{"Lu1Num", "LL"},
                              {"Lu1Stz", "LA"},
                              {"Lu1Ztk", account},
                              {"Lu1Lna", account[0] == 'N' ? "100" : "200"},
                              {"Lu1Lgr", account[0] == 'N' ? test::Cell(nullptr) : "UR"},
                              {"Lu1Gvo", "2020.01.01"},
                              {"Lu1Rre", 1},
                              {"Lu1Kst", 1},
                              {"Lu1Ktr", 0},
                              {"Lu1Mog", 0.0},
                              {"Lu1Fkt", 0}});
  struct Booking {
    const char* pnr;
    const char* zkt;
    const char* day;
    int minutes;
  };
  for (const Booking& b :
       {Booking{"1001", "NORM", "2024.01.31", 9000}, Booking{"1001", "NORM", "2024.02.29", 7200},
        Booking{"1002", "URL", "2024.02.29", 480}, Booking{"1002", "NORM", "2024.02.29", 100}}) {
    inst.insert("Hor310Bsv", {{"BsvPnr", b.pnr}, {"BsvAkr", "L"}, {"BsvGvo", "2020.01.01"}});
    inst.insert("Hor331Zkb", {{"ZkbPnr", b.pnr},
                              {"ZkbZtr", 3},
                              {"ZkbDtm", b.day},
                              {"ZkbKst", "K\xC3\xBC"},
                              {"ZkbZkt", b.zkt},
                              {"ZkbStd", b.minutes},
                              {"ZkbTge", 0},
                              {"ZkbStg", 0},
                              {"ZkbSta", 0},
                              {"ZkbDat", b.day}});
  }
  inst.insert("Hor331Zk1", {{"Zk1Abr", 1},
                            {"Zk1Lfn", 0},
                            {"Zk1Stz", "LA"},
                            {"Zk1Bdt", "2024.01.01"},
                            {"Zk1Pnr", "1001"},
                            {"Zk1Zkt", "NORM"},
                            {"Zk1Lna", "100"},
                            {"Zk1Lgr", "     "},
                            {"Zk1Kst", "K\xC3\xBC"},
                            {"Zk1Std", 9600},
                            {"Zk1Tge", 0},
                            {"Zk1Von", "2024.01.01"},
                            {"Zk1Bis", "2024.01.31"},
                            {"Zk1Sts", 0},
                            {"Zk1Rre", 1},
                            {"Zk1Sta", 1},
                            {"Zk1Upn", "1001"}});
}

// A PAISY-type group P1 with period 7 (December 2024) and a month offset:
// employee 1001 with a month value of hours and of overtime minutes (P1),
// leave that began on booked days of November (P3), raw minutes on a
// counter account (P4), a day summary and contract minutes (PAISY(Br)).
void addPaisyGroup(Installation& inst, const char* type) {
  inst.insert("O1001AbrKreis", {{"AkrNum", "P1"}, {"AkrLug", "L9"}, {"AkrRrm", 0}, {"AkrAdt", 0}});
  inst.insert("Hor330Abr", {{"AbrAkr", "P1"},
                            {"AbrNum", 7},
                            {"AbrVon", "2024.12.01"},
                            {"AbrBis", "2024.12.31"},
                            {"AbrSts", 0}});
  inst.insert("Hor171Lug", {{"LugLug", "L9"},
                            {"LugLgp", type},
                            {"LugDtm", 0},
                            {"LugMon", 1},
                            {"LugFir", "_7"},
                            {"LugPnr", 0}});
  for (const char* kind : {"P1", "P3", "P4"})
    inst.insert("Hor170Lg1",
                {{"Lg1Num", type}, {"Lg1Stz", kind}, {"Lg1Stt", 1}, {"Lg1Svt", 1}, {"Lg1P4A", 0}});
  struct Line {
    const char* stz;
    const char* account;
    const char* wageType;
    int status, periodAccount;
  };
  for (const Line& l : {Line{"P1", "NORM", "100", 0, 0}, Line{"P1", "UEB", "120", 0, 0},
                        Line{"P3", "URL", "300", 0, 1}, Line{"P4", "KUG", "400", 3, 0}})
    inst.insert("Hor171Lu1", {{"Lu1Num", "L9"},
                              {"Lu1Stz", l.stz},
                              {"Lu1Ztk", l.account},
                              {"Lu1Lna", l.wageType},
                              {"Lu1Gvo", "2020.01.01"},
                              {"Lu1Rre", 1},
                              {"Lu1Tgw", 0},
                              {"Lu1Tge", 0},
                              {"Lu1Sol", 0},
                              {"Lu1Svk", 0},
                              {"Lu1Flg", 0},
                              {"Lu1Sts", l.status},
                              {"Lu1Fkt", 0},
                              {"Lu1Ztr", l.periodAccount},
                              {"Lu1Art", 0},
                              {"Lu1Lfn", 0},
                              {"Lu1Mog", 0.0},
                              {"Lu1Kst", 1},
                              {"Lu1Ktr", 1},
                              {"Lu1Krt", 1},
                              {"Lu1Bau", 0}});
  inst.insert("Hor310Bsv",
              {{"BsvPnr", "1001"}, {"BsvAkr", "P1"}, {"BsvGvo", "2020.01.01"}, {"BsvDms", 9700}});
  for (int day = 25; day <= 61; ++day) {
    const std::string date =
        day <= 30 ? "2024.11." + std::to_string(day)
                  : "2024.12." + std::string(day - 30 < 10 ? "0" : "") + std::to_string(day - 30);
    inst.insert("Hor320Tgb", {{"TgbPnr", "1001"},
                              {"TgbDtm", date},
                              {"TgbZtr", 1},
                              {"TgbSol", 480},
                              {"TgbUnb", 0},
                              {"TgbMax", 0.0}});
  }
  struct Booking {
    const char* day;
    const char* account;
    int minutes, tenths, kind;
  };
  for (const Booking& b :
       {Booking{"2024.12.31", "NORM", 9700, 0, 3}, Booking{"2024.12.31", "UEB", 100, 0, 3},
        Booking{"2024.12.31", "KUG", 240, 0, 3}, Booking{"2024.11.28", "URL", 480, 10, 1},
        Booking{"2024.11.29", "URL", 480, 10, 1}, Booking{"2024.11.30", "URL", 480, 10, 1},
        Booking{"2024.12.01", "URL", 480, 10, 1}, Booking{"2024.12.02", "URL", 480, 10, 1}})
    inst.insert("Hor331Zkb", {{"ZkbPnr", "1001"},
                              {"ZkbZtr", b.kind},
                              {"ZkbDtm", b.day},
                              {"ZkbZkt", b.account},
                              {"ZkbStd", b.minutes},
                              {"ZkbTge", b.tenths},
                              {"ZkbStg", 0},
                              {"ZkbSta", 0},
                              {"ZkbDat", b.day}});
}

// An SAP-type group S with January and February 2024 and a recalculation
// depth of 1: hours with and without factor, an absence, a name with umlaut;
// February's run hands January's records over as recalculation records.
void addSapGroup(Installation& inst) {
  inst.insert("O1001AbrKreis",
              {{"AkrNum", "S"}, {"AkrLug", "LS"}, {"AkrSsl", 1}, {"AkrRrm", 1}, {"AkrAdt", 0}});
  inst.insert("Hor171Lug", {{"LugLug", "LS"}, {"LugLgp", "SAPHR"}, {"LugFir", "800"}});
  inst.insert("Hor170Lg1", {{"Lg1Num", "SAPHR"}, {"Lg1Stz", "LA"}});
  for (int month = 1; month <= 2; ++month)
    inst.insert("Hor330Abr", {{"AbrAkr", "S"},
                              {"AbrNum", month},
                              {"AbrVon", month == 1 ? "2024.01.01" : "2024.02.01"},
                              {"AbrBis", month == 1 ? "2024.01.31" : "2024.02.29"},
                              {"AbrSts", 0}});
  struct Line {
    const char* account;
    const char* wageType;
    double factor;
    Cell absence;
  };
  for (const Line& l : {Line{"NORM", "1000", 0.0, nullptr}, Line{"UEB", "1100", 1.25, "0"},
                        Line{"KRANK", "0200", 0.0, "K"}})
    inst.insert("Hor171Lu1", {{"Lu1Num", "LS"},
                              {"Lu1Stz", "LA"},
                              {"Lu1Ztk", l.account},
                              {"Lu1Lna", l.wageType},
                              {"Lu1Gvo", "2020.01.01"},
                              {"Lu1Rre", 1},
                              {"Lu1Mog", l.factor},
                              {"Lu1Fkz", l.absence}});
  inst.insert("Hor300Pnr", {{"PnrNum", "1001"},
                            {"PnrNam",
                             "B\xC3\xA4"
                             "cker, J\xC3\xB6rg"}});
  struct Booking {
    const char* pnr;
    const char* zkt;
    const char* day;
    int minutes;
  };
  for (const Booking& b :
       {Booking{"1001", "NORM", "2024.01.31", 9000}, Booking{"1001", "UEB", "2024.01.31", 120},
        Booking{"1002", "KRANK", "2024.01.31", 960}, Booking{"1001", "NORM", "2024.02.29", 7200},
        Booking{"1002", "NORM", "2024.02.29", 8400}}) {
    inst.insert("Hor331Zkb", {{"ZkbPnr", b.pnr},
                              {"ZkbZtr", 3},
                              {"ZkbDtm", b.day},
                              {"ZkbZkt", b.zkt},
                              {"ZkbStd", b.minutes},
                              {"ZkbTge", 0},
                              {"ZkbStg", 0},
                              {"ZkbSta", 0},
                              {"ZkbDat", b.day}});
  }
  for (const char* pnr : {"1001", "1002"})
    inst.insert("Hor310Bsv", {{"BsvPnr", pnr}, {"BsvAkr", "S"}, {"BsvGvo", "2020.01.01"}});
}

// Group L4 on a LOGA interface (payroll month one on, booking date the
// period's last day) whose January was handed over with 60 minutes of
// overtime and a sick span to the month's end: February's run ends the
// carried span, recalculates January into the journal, and carries its own
// span that runs to February's end.
void addLoga400Group(Installation& inst) {
  inst.insert("O1001AbrKreis", {{"AkrNum", "L4"}, {"AkrLug", "L4"}, {"AkrRrm", 1}, {"AkrAdt", 0}});
  inst.insert(
      "Hor171Lug",
      {{"LugLug", "L4"}, {"LugLgp", "LOGA"}, {"LugMon", 1}, {"LugDtm", 2}, {"LugFir", "12"}});
  for (const char* kind : {"ZR", "B6", "B1"})
    inst.insert("Hor170Lg1", {{"Lg1Num", "LOGA"}, {"Lg1Stz", kind}, {"Lg1Stt", 1}, {"Lg1Zes", 1}});
  inst.insert("Hor310Bsv", {{"BsvPnr", "3001"}, {"BsvAkr", "L4"}, {"BsvGvo", "2020.01.01"}});
  for (const auto& [nr, von, bis] :
       {std::tuple{1, "2024.01.01", "2024.01.31"}, std::tuple{2, "2024.02.01", "2024.02.29"}})
    inst.insert(
        "Hor330Abr",
        {{"AbrAkr", "L4"}, {"AbrNum", nr}, {"AbrVon", von}, {"AbrBis", bis}, {"AbrSts", 0}});
  struct Line {
    const char *stz, *zkt, *lna;
    int sts, ztr;
  };
  for (const Line& l : {Line{"ZR", "KRANK", "4000", 0, 1}, Line{"B6", "UEB", "310", 0, 0},
                        Line{"B1", "NORM", "100", 1, 0}})
    inst.insert("Hor171Lu1", {{"Lu1Num", "L4"},
                              {"Lu1Stz", l.stz},
                              {"Lu1Ztk", l.zkt},
                              {"Lu1Lna", l.lna},
                              {"Lu1Gvo", "2020.01.01"},
                              {"Lu1Rre", 1},
                              {"Lu1Sts", l.sts},
                              {"Lu1Ztr", l.ztr},
                              {"Lu1Kst", 1},
                              {"Lu1Mog", 1.5}});
  auto booking = [&](const char* day, const char* zkt, int minutes, int ztr) {
    inst.insert("Hor331Zkb", {{"ZkbPnr", "3001"},
                              {"ZkbZtr", ztr},
                              {"ZkbDtm", day},
                              {"ZkbZkt", zkt},
                              {"ZkbStd", minutes},
                              {"ZkbTge", 0},
                              {"ZkbStg", 0}});
  };
  for (const char* day : {"2024.01.29", "2024.01.30", "2024.01.31", "2024.02.12", "2024.02.13",
                          "2024.02.28", "2024.02.29"}) {
    booking(day, "KRANK", 480, 1);
    booking(day, "KRANK", 480, 3);
  }
  booking("2024.01.31", "UEB", 120, 3);
  booking("2024.02.29", "UEB", 90, 3);
  booking("2024.02.29", "NORM", 9000, 3);
  for (const auto& [stz, bdt, zkt, lna, minutes, von] :
       {std::tuple{"B6", "2024.01.31", "UEB", "310", 60, "2024.01.01"},
        std::tuple{"ZR", "2024.01.29", "KRANK", "4000", 1440, "2024.01.29"}})
    inst.insert("Hor331Zk1", {{"Zk1Abr", 1},
                              {"Zk1Lfn", 0},
                              {"Zk1Stz", stz},
                              {"Zk1Bdt", bdt},
                              {"Zk1Pnr", "3001"},
                              {"Zk1Zkt", zkt},
                              {"Zk1Lna", lna},
                              {"Zk1Lgr", "     "},
                              {"Zk1Std", minutes},
                              {"Zk1Tge", 0},
                              {"Zk1Von", von},
                              {"Zk1Bis", "2024.01.31"},
                              {"Zk1Sts", 0},
                              {"Zk1Rre", 1},
                              {"Zk1Sta", 2},
                              {"Zk1Upn", "3001"}});
  inst.insert("Hor331Zk4", {{"Zk4Key", "05.02.2024 10:00:00"},
                            {"Zk4Abr", 1},
                            {"Zk4Lfn", 0},
                            {"Zk4Stz", "ZR*E"},
                            {"Zk4Bdt", "2024.02.29"},
                            {"Zk4Pnr", "3001"},
                            {"Zk4Zkt", "*ANW*"},
                            {"Zk4Lna", "0"},
                            {"Zk4Von", "2024.02.01"},
                            {"Zk4Bis", "2024.02.01"},
                            {"Zk4Upn", "3001"}});
}

// Three groups on the interface types EMIS2 (E), SCHLP (S, paid monthly) and
// SBS (B, company 7) with January 2024: month values of two accounts that go
// to one wage type (so that staging rows are added to), leave days, negative
// minutes and a payroll personnel number too long for the SBS file.
void addEmisSchleupenSbsGroups(Installation& inst) {
  for (const auto& [akr, lug, type] :
       {std::tuple{"E", "LE", "EMIS2"}, std::tuple{"S", "LS", "SCHLP"},
        std::tuple{"B", "LB", "SBS"}}) {
    inst.insert("O1001AbrKreis", {{"AkrNum", akr},
                                  {"AkrLug", lug},
                                  {"AkrSsl", 1},
                                  {"AkrAzr", akr[0] == 'S' ? 31 : 0},
                                  {"AkrRrm", 0},
                                  {"AkrAdt", 0}});
    inst.insert("Hor171Lug", {{"LugLug", lug}, {"LugLgp", type}, {"LugFir", "7"}});
    inst.insert("Hor170Lg1", {{"Lg1Num", type}, {"Lg1Stz", "LA"}});
    inst.insert("Hor330Abr", {{"AbrAkr", akr},
                              {"AbrNum", 1},
                              {"AbrVon", "2024.01.01"},
                              {"AbrBis", "2024.01.31"},
                              {"AbrSts", 0}});
    for (const auto& [account, wageType] :
         {std::pair{"NORM", "100"}, std::pair{"UEB", "100"}, std::pair{"URL", "0300"}})
      inst.insert("Hor171Lu1", {{"Lu1Num", lug},
                                {"Lu1Stz", "LA"},
                                {"Lu1Ztk", account},
                                {"Lu1Lna", wageType},
                                {"Lu1Gvo", "2020.01.01"},
                                {"Lu1Rre", 1},
                                {"Lu1Kst", 1},
                                {"Lu1Ktr", 1},
                                {"Lu1Mog", 0.0},
                                {"Lu1Fkt", 0}});
  }
  struct Booking {
    const char* pnr;
    const char* akr;
    const char* payrollPnr;
    const char* zkt;
    int minutes, tenths;
  };
  for (const Booking& b :
       {Booking{"1001", "E", "", "NORM", 9600, 0}, Booking{"1001", "E", "", "UEB", 95, 0},
        Booking{"1002", "E", "", "URL", 480, 10}, Booking{"2001", "S", "", "NORM", 9015, 0},
        Booking{"2001", "S", "", "UEB", 59, 0}, Booking{"2002", "S", "", "URL", 960, 20},
        Booking{"3001", "B", "3001234", "NORM", 600, 0}, Booking{"3002", "B", "", "NORM", 75, 0},
        Booking{"3002", "B", "", "UEB", -100, 0}, Booking{"3003", "B", "", "URL", 480, 10}}) {
    inst.insert("Hor310Bsv", {{"BsvPnr", b.pnr},
                              {"BsvAkr", b.akr},
                              {"BsvGvo", "2020.01.01"},
                              {"BsvLug", b.payrollPnr[0] ? test::Cell(b.payrollPnr) : nullptr}});
    inst.insert("Hor331Zkb", {{"ZkbPnr", b.pnr},
                              {"ZkbZtr", 3},
                              {"ZkbDtm", "2024.01.31"},
                              {"ZkbKst", "4711"},
                              {"ZkbZkt", b.zkt},
                              {"ZkbStd", b.minutes},
                              {"ZkbTge", b.tenths},
                              {"ZkbStg", 0},
                              {"ZkbSta", 0},
                              {"ZkbDat", "2024.01.31"}});
  }
}

// A group S of the given interface type (company 4711) with February 2024
// and staging kept between runs (AkrSsl 0): employees with several wage
// types and cost centres, a non-ASCII cost centre, minutes that give
// fractions of hours and a negative month value, so that sums, their order
// within an employee and the files' number formats meet on both engines.
void addHandOverGroup(Installation& inst, const char* type) {
  inst.insert("O1001AbrKreis",
              {{"AkrNum", "S"}, {"AkrLug", "LS"}, {"AkrSsl", 0}, {"AkrRrm", 0}, {"AkrAdt", 0}});
  inst.insert("Hor171Lug", {{"LugLug", "LS"}, {"LugLgp", type}, {"LugFir", "4711"}});
  inst.insert("Hor170Lg1", {{"Lg1Num", type}, {"Lg1Stz", "LA"}});
  inst.insert("Hor330Abr", {{"AbrAkr", "S"},
                            {"AbrNum", 2},
                            {"AbrVon", "2024.02.01"},
                            {"AbrBis", "2024.02.29"},
                            {"AbrSts", 0}});
  struct Line {
    const char* account;
    const char* wageType;
    int costs;
    double factor;
  };
  for (const Line& l :
       {Line{"NORM", "100", 1, 0.0}, Line{"URL", "300", 0, 0.0}, Line{"UEB", "120", 1, 1.5}})
    inst.insert("Hor171Lu1", {{"Lu1Num", "LS"},
                              {"Lu1Stz", "LA"},
                              {"Lu1Ztk", l.account},
                              {"Lu1Lna", l.wageType},
                              {"Lu1Gvo", "2020.01.01"},
                              {"Lu1Rre", 1},
                              {"Lu1Kst", l.costs},
                              {"Lu1Ktr", l.costs},
                              {"Lu1Mog", l.factor},
                              {"Lu1Fkt", 0},
                              {"Lu1Bau", 0}});
  struct Booking {
    const char* pnr;
    const char* account;
    const char* kst;
    const char* ktr;
    int minutes;
  };
  for (const Booking& b :
       {Booking{"1003", "NORM", "", "", 7200}, Booking{"1001", "UEB", "4100", "", -75},
        Booking{"1001", "NORM", "K\xC3\xBC", "T1", 9600}, Booking{"1002", "NORM", "4200", "", 450},
        Booking{"1001", "URL", "4100", "T2", 100}}) {
    inst.insert("Hor310Bsv", {{"BsvPnr", b.pnr}, {"BsvAkr", "S"}, {"BsvGvo", "2020.01.01"}});
    inst.insert("Hor331Zkb", {{"ZkbPnr", b.pnr},
                              {"ZkbZtr", 3},
                              {"ZkbDtm", "2024.02.29"},
                              {"ZkbKst", b.kst[0] ? test::Cell(b.kst) : test::Cell(nullptr)},
                              {"ZkbKtr", b.ktr[0] ? test::Cell(b.ktr) : test::Cell(nullptr)},
                              {"ZkbZkt", b.account},
                              {"ZkbStd", b.minutes},
                              {"ZkbTge", 0},
                              {"ZkbStg", 0},
                              {"ZkbSta", 0},
                              {"ZkbDat", "2024.02.29"}});
  }
}

const std::vector<Scenario>& scenarios() {
  static const std::vector<Scenario> all = {
      {"LogaFinalRunRecalculatesAndCopies",
       [](Installation& inst) {
         addLogaGroup(inst);
         addRecalculationRecords(inst);
       },
       {{"A", "2", "0"}, {"A", "2", "1"}, {"A", "9", "0"}}},
      {"InterimRunsAndTopasCutOff",
       [](Installation& inst) {
         addLogaGroup(inst);
         addTopasGroup(inst);
         inst.insert("Hor331Zk1", {{"Zk1Abr", 2}, {"Zk1Lfn", 1}, {"Zk1Pnr", "4711"}});
       },
       {{"A", "2", "1"}, {"T", "3", "0", "/p4711"}, {"X", "1", "0"}}},
      {"DatevFinalRunWritesTheSameFile",
       addDatevGroup,
       {{"G1", "7", "0"}, {"G1", "7", "1"}},
       "Lohn und Gehalt/Export/TEST/datev.csv"},
      {"Loga2001HandsOverTheRecalculatedMonth",
       addLoga2001Group,
       {{"L2", "2", "0"}},
       "Lohn und Gehalt/Export/TEST/Loga2001Lpc.csv"},
      {"LodasFinalRunHandsCorrectionsOver",
       addLodasGroup,
       {{"L", "2", "0"}},
       "Lohn und Gehalt/Export/TEST/LodasSST-1.txt"},
      {"PaisyFinalRunWritesTheSameFiles",
       [](Installation& inst) { addPaisyGroup(inst, "PAISY"); },
       {{"P1", "7", "0"}, {"P1", "7", "1"}},
       "Lohn und Gehalt/Export/TEST/PaisyP1.txt"},
      {"PaisyBrFinalRunWritesTheSameFiles",
       [](Installation& inst) { addPaisyGroup(inst, "PSYBR"); },
       {{"P1", "7", "0"}, {"P1", "7", "1"}},
       "Lohn und Gehalt/Export/TEST/PaisyP1b.txt"},
      {"SapFinalRunWritesTheSameFiles",
       addSapGroup,
       {{"S", "2", "0"}},
       "Lohn und Gehalt/Export/TEST/SAP2010.txt"},
      {"Loga400CarriesSpansAndHandsTheJournalOver", addLoga400Group, {{"L4", "2", "0"}}},
      {"EmisSchleupenSbsFillTheirTablesAndFiles",
       addEmisSchleupenSbsGroups,
       {{"E", "1", "0"}, {"S", "1", "0"}, {"B", "1", "0"}},
       "Lohn und Gehalt/Export/TEST/BEWA-007.DAT"},
      {"SageRunsAddToTheStagedSums",
       [](Installation& inst) { addHandOverGroup(inst, "sage"); },
       {{"S", "2", "0"}, {"S", "2", "0"}},
       "Lohn und Gehalt/Export/TEST/02041002"},
      {"ProalRunsAddToTheStagedHours",
       [](Installation& inst) { addHandOverGroup(inst, "ProAL"); },
       {{"S", "2", "0"}, {"S", "2", "0"}},
       "Lohn und Gehalt/Export/TEST/ProAL.txt"},
      {"PermanRunsAddToTheStagedValues",
       [](Installation& inst) { addHandOverGroup(inst, "PRMAN"); },
       {{"S", "2", "0"}, {"S", "2", "0"}},
       "Lohn und Gehalt/Export/TEST/M0060763.001"},
      {"BaumannAndGodHandOver",
       addBaumannAndGodGroups,
       {{"B", "1", "0"}, {"G", "12", "0"}},
       "Lohn und Gehalt/Export/TEST/PVZERZDP.DAT"},
      // A TOPAS month: February handed over up to the 14th by a partial run,
      // then March's partial run and February's final run, which hands over
      // the remainder.
      {"TopasFinalRunHandsOverTheRemainder",
       [](Installation& inst) {
         using namespace calc::test;
         addGroup(inst, {.lgp = "TOPAS", .kinds = {"LS", "SS"}});
         inst.db().exec("update O1001AbrKreis set AkrSsl=1");
         inst.db().commit();
         addLine(inst, {.stz = "LS", .ztk = "NORM", .lna = "100"});
         addLine(inst, {.stz = "SS", .ztk = "URL", .lna = "300", .lgr = "UR", .ztr = 1});
         addEmployee(inst, "4711");
         addDays(inst, "4711", "2024.01.25", "2024.03.10");
         int february = 0;
         for (const std::string& day : daysOf("2024.02.01", "2024.03.04")) {
           if (isWeekend(day)) continue;
           const bool leave = (day >= "2024.02.12" && day <= "2024.02.16") || day == "2024.02.27";
           addBooking(inst, {.dtm = day, .zkt = leave ? "URL" : "NORM", .std = 480, .tge = 10});
           if (!leave && day < "2024.03.01") february += 480;
         }
         addBooking(inst, {.dtm = "2024.02.29", .zkt = "NORM", .std = february, .ztr = 3});
         inst.runLug({inst.service(), "test", "A1", "2", "0"},
                     {{"LUG_SYSDATE", "2024.02.15 08:00:00"}});
       },
       {{"A1", "3", "0"}, {"A1", "2", "0"}},
       "Lohn und Gehalt/Export/TEST/LGD034IM"},
      // Raet (R), Asring (A) and XXL-Exact (X) groups handing February over
      // from month values; the XXL-Exact staging is kept, so its second run
      // adds to the first.
      {"RaetAsringXxlHandOverFebruary",
       [](Installation& inst) {
         struct Group {
           const char *akr, *lug, *lgp, *fir;
           int mon, ssl;
           std::vector<const char*> kinds;
         };
         for (const Group& g : {Group{"R", "LR", "Raet", "RA1", 1, 1, {"LA"}},
                                Group{"A", "LA", "ASR", "", -1, 1, {"LS", "SS"}},
                                Group{"X", "LX", "XXL", "", 1, 0, {"LA"}}}) {
           inst.insert("O1001AbrKreis",
                       {{"AkrNum", g.akr}, {"AkrLug", g.lug}, {"AkrSsl", g.ssl}, {"AkrAdt", 0}});
           inst.insert("Hor171Lug", {{"LugLug", g.lug},
                                     {"LugLgp", g.lgp},
                                     {"LugMon", g.mon},
                                     {"LugFir", g.fir[0] ? Cell(g.fir) : Cell(nullptr)}});
           for (const char* kind : g.kinds)
             inst.insert("Hor170Lg1", {{"Lg1Num", g.lgp}, {"Lg1Stz", kind}});
           inst.insert("Hor330Abr", {{"AbrAkr", g.akr},
                                     {"AbrNum", 2},
                                     {"AbrVon", "2024.02.01"},
                                     {"AbrBis", "2024.02.29"},
                                     {"AbrSts", 0}});
         }
         struct Line {
           const char *lug, *stz, *ztk, *lna, *lgr;
           int sts, kst;
         };
         for (const Line& l :
              {Line{"LR", "LA", "NORM", "100", "", 0, 1}, Line{"LR", "LA", "UE", "120", "", 0, 1},
               Line{"LA", "LS", "NORM", "100", "", 0, 1}, Line{"LA", "SS", "KRA", "400", "K", 0, 0},
               Line{"LA", "SS", "KRK", "401", "K", 0, 0}, Line{"LX", "LA", "NORM", "100", "", 0, 1},
               Line{"LX", "LA", "UE", "120", "", 0, 0}, Line{"LX", "LA", "KRA", "400", "", 109, 0}})
           inst.insert("Hor171Lu1", {{"Lu1Num", l.lug},
                                     {"Lu1Stz", l.stz},
                                     {"Lu1Ztk", l.ztk},
                                     {"Lu1Lna", l.lna},
                                     {"Lu1Lgr", l.lgr[0] ? Cell(l.lgr) : Cell(nullptr)},
                                     {"Lu1Gvo", "2020.01.01"},
                                     {"Lu1Rre", 1},
                                     {"Lu1Sts", l.sts},
                                     {"Lu1Kst", l.kst},
                                     {"Lu1Ktr", 1},
                                     {"Lu1Krt", 1},
                                     {"Lu1Mog", 0.0},
                                     {"Lu1Fkt", 0}});
         struct Booking {
           const char *pnr, *akr, *zkt, *kst;
           int minutes;
         };
         for (const Booking& b :
              {Booking{"1001", "R", "NORM", "K\xC3\xBC", 9630}, Booking{"1001", "R", "UE", "", -75},
               Booking{"1002", "R", "NORM", "", 20},
               Booking{"2001", "A", "NORM", "ASR-KOSTENSTELLE-1", 7200},
               Booking{"2001", "A", "KRA", "", 480}, Booking{"2001", "A", "KRK", "", 240},
               Booking{"3001", "X", "NORM", "B\xC3\xBCro", 9630},
               Booking{"3001", "X", "UE", "", -90}, Booking{"3001", "X", "KRA", "", 20},
               Booking{"3002", "X", "NORM", "", 20}}) {
           if (std::string(b.zkt) == "NORM")  // each employee has one NORM booking
             inst.insert("Hor310Bsv",
                         {{"BsvPnr", b.pnr}, {"BsvAkr", b.akr}, {"BsvGvo", "2020.01.01"}});
           inst.insert("Hor331Zkb", {{"ZkbPnr", b.pnr},
                                     {"ZkbZtr", 3},
                                     {"ZkbDtm", "2024.02.29"},
                                     {"ZkbKst", b.kst},
                                     {"ZkbZkt", b.zkt},
                                     {"ZkbStd", b.minutes},
                                     {"ZkbTge", 0},
                                     {"ZkbStg", 0},
                                     {"ZkbSta", 0},
                                     {"ZkbDat", "2024.02.29"}});
         }
       },
       {{"R", "2", "0"}, {"A", "2", "0"}, {"X", "2", "0"}, {"X", "2", "0"}},
       "Lohn und Gehalt/Export/TEST/LO_IMP.txt"},
  };
  return all;
}

class SameOnBothEngines : public ::testing::TestWithParam<Scenario> {};

TEST_P(SameOnBothEngines, RunsGiveTheSameRowsLogsAndFiles) {
  skipWithoutServer();
  if (IsSkipped()) return;
  const Outcome sqlite = play(GetParam(), TestEngine::Sqlite);
  const Outcome pg = play(GetParam(), TestEngine::Postgres);
  expectSameOutcome(sqlite, pg);
  // The scenario did reach the database: its runs logged and changed rows.
  ASSERT_FALSE(sqlite.runs.empty());
  EXPECT_NE(sqlite.runs[0].log.find("gestartet"), std::string::npos) << sqlite.runs[0].log;
  const std::string& file = GetParam().file;
  if (!file.empty()) {
    EXPECT_GT(pg.files.count(file) ? pg.files.at(file).size() : 0u, 20u) << file;
  }
}

INSTANTIATE_TEST_SUITE_P(Scenarios, SameOnBothEngines, ::testing::ValuesIn(scenarios()),
                         [](const auto& scenario) { return std::string(scenario.param.name); });

}  // namespace
}  // namespace lug::test
