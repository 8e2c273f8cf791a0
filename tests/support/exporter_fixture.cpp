#include "support/exporter_fixture.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "base/interface_row.h"
#include "base/run_exit.h"
#include "support/golden.h"

namespace lug::test {

Row withDefaults(Row defaults, const Row& overrides) {
  for (const auto& [name, cell] : overrides) {
    bool replaced = false;
    for (auto& [column, value] : defaults)
      if (column == name) value = cell, replaced = true;
    if (!replaced) defaults.emplace_back(name, cell);
  }
  return defaults;
}

Row periodRecord(const Row& overrides) {
  return withDefaults({{"Zk1Abr", 7},
                       {"Zk1Lfn", 0},
                       {"Zk1Stz", "LA"},
                       {"Zk1Bdt", "2024.12.02"},
                       {"Zk1Pnr", "1001"},
                       {"Zk1Zkt", "AZ"},
                       {"Zk1Lna", "100"},
                       {"Zk1Lgr", "     "},
                       {"Zk1Kst", "4100"},
                       {"Zk1Ktr", ""},
                       {"Zk1Krt", ""},
                       {"Zk1Std", 0},
                       {"Zk1Tge", 0},
                       {"Zk1Stg", 0},
                       {"Zk1Von", "2024.12.01"},
                       {"Zk1Bis", "2024.12.31"},
                       {"Zk1Sts", 0},
                       {"Zk1Rre", 1},
                       {"Zk1Sta", 2},
                       {"Zk1Upn", "1001"}},
                      overrides);
}

ExporterTest::ExporterTest(const std::string& interfaceType, const Row& header, const Row& group) {
  inst.insert("O1001AbrKreis",
              withDefaults(
                  {{"AkrNum", "G1"}, {"AkrLug", "L1"}, {"AkrSsl", 1}, {"AkrRrm", 0}, {"AkrAdt", 0}},
                  group));
  inst.insert("Hor330Abr", {{"AbrAkr", "G1"},
                            {"AbrNum", 7},
                            {"AbrVon", "2024.12.01"},
                            {"AbrBis", "2024.12.31"},
                            {"AbrSts", 0}});
  inst.insert("Hor171Lug", withDefaults({{"LugLug", "L1"},
                                         {"LugLgp", interfaceType},
                                         {"LugMon", 0},
                                         {"LugFir", "4711"},
                                         {"LugAkr", "01"}},
                                        header));
}

void ExporterTest::line(const Row& overrides) {
  inst.insert("Hor171Lu1", withDefaults({{"Lu1Num", "L1"},
                                         {"Lu1Stz", "LA"},
                                         {"Lu1Ztk", "AZ"},
                                         {"Lu1Lna", "100"},
                                         {"Lu1Gvo", "2020.01.01"},
                                         {"Lu1Kst", 1},
                                         {"Lu1Ktr", 1},
                                         {"Lu1Krt", 1},
                                         {"Lu1Mog", 0.0},
                                         {"Lu1Fkt", 0},
                                         {"Lu1Bau", 0}},
                                        overrides));
}

void ExporterTest::recordKind(const Row& overrides) {
  const std::string type = inst.scalar("select LugLgp from Hor171Lug where LugLug = 'L1'");
  inst.insert("Hor170Lg1", withDefaults({{"Lg1Num", type}, {"Lg1Stz", "LA"}}, overrides));
}

int ExporterTest::handOver(const Exporter& exporter) {
  ctx.akr = "G1";
  ctx.abrnr = 7;
  ctx.schema = inst.schema();
  ctx.abrVon = "2024.12.01";
  ctx.abrBis = "2024.12.31";
  ctx.startTime = "09.01.2025 07:30:00";
  ctx.akrSsl = static_cast<int16_t>(
      std::atoi(inst.scalar("select AkrSsl from O1001AbrKreis where AkrNum = 'G1'").c_str()));
  readInterfaceRow(ctx.db, ctx.akr, ctx.lug);
  const std::filesystem::path dir = inst.exportDir();
  std::filesystem::create_directories(dir);
  ctx.exportDir = dir.string();
  int status = 0;
  try {
    exporter(ctx);
  } catch (const base::RunExit& e) {
    status = e.status;
  }
  ctx.db.commit();
  return status;
}

std::string ExporterTest::exported(const std::string& name) const {
  return exists(name) ? readFile(inst.exportDir() / name) : std::string();
}

bool ExporterTest::exists(const std::string& name) const {
  return std::filesystem::exists(inst.exportDir() / name);
}

void ExporterTest::expectGolden(const std::string& bytes, const std::string& goldenPath) const {
  expectGoldenFile(bytes, goldenPath);
}

std::string ExporterTest::logText() const {
  std::string text;
  for (const char c : inst.logText()) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte == '\r') continue;
    if (byte < 0x80) {
      text += c;
    } else {  // the letters of German texts: Latin-1 in UTF-8
      text += static_cast<char>(0xC0 | (byte >> 6));
      text += static_cast<char>(0x80 | (byte & 0x3F));
    }
  }
  return text;
}

}  // namespace lug::test
