// The demo for every payroll system: lug-admin demo DIR --payroll TYPE, the
// check run of its third period and then the final hand-over through the lug
// program, which must end well, hand over the system's products with content
// and write the files the check run wrote.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "support/installation.h"
#include "support/pg_test_database.h"

namespace lug::test {
namespace {

// What a payroll system's hand-over produces: transfer files in the export
// directory and staging tables, as the README's table of payroll systems
// lists them for the demo's March.
struct Product {
  const char* type;  // the interface type the demo writes
  std::vector<const char*> files;
  std::vector<const char*> tables;
  const char* typed = nullptr;  // how the user names it, when not as `type`
};

const Product kProducts[] = {
    {"DATEV", {"datev.csv"}, {}},
    {"LODAS", {"LodasSST-0.txt"}, {"Hor333Ld1"}},
    {"PAISY",
     {"PaisyP1.txt", "PaisyP3.txt", "PaisyP4.txt"},
     {"Hor333Ps1", "Hor333Ps3", "Hor333Ps4"}},
    {"PSYBR",
     {"PaisyP1b.txt", "PaisyP3b.txt", "PaisyP4b.txt"},
     {"Hor333Ps1B", "Hor333Ps3B", "Hor333Ps4B"}},
    {"LOGA2", {"Loga2001Lpc.csv", "Loga2001Lp1.csv"}, {"Hor333Lpc", "Hor333Lp1"}},
    {"LOGA", {}, {"Hor333B01", "Hor333B06", "Hor333Bzr"}},
    {"SAP",
     {"SAP2010.txt", "SAP2010.csv", "SAP2001.txt", "SAP2001.csv"},
     {"Hor333S10", "Hor333S01"},
     "sap"},
    {"sage", {"02041003"}, {"Hor333Sag"}, "SAGE"},
    {"ProAL", {"ProAL.txt"}, {"Hor333Pro"}},
    {"TOPAS", {"LGD038IM", "LGD034IM"}, {"Hor333Tp1", "Hor333Tp2"}},
    {"PRMAN", {"M0060763.001"}, {"Hor333Pm1"}},
    {"Raet", {"Raet.txt"}, {"Hor333Rat"}, "raet"},
    {"ASR", {}, {"Hor333Asr", "Hor333Ask"}},
    {"XXL", {"LO_IMP.txt"}, {"Hor333Xxl"}},
    {"EMIS", {}, {"Hor333Ems"}},
    {"SCHLP", {"LOXF-0001.csv"}, {"Hor333Sli"}},
    {"SBS", {"BWA04081.DAT"}, {"Hor333Sbs"}},
    {"BAUMN", {"BMNLUG.txt"}, {"Hor333Bmn"}},
    {"GOD", {"PVZERZDP.DAT"}, {"Hor333God"}},
};

// On the PostgreSQL server a demo with its four earlier hand-overs takes
// ten times as long as on the embedded engine (about 25 s): there the test
// runs the two systems whose demos set up the most (absence codes, names and
// leave spans; record kinds LS and SS, absence groups and the clock's choice
// of a final run). That the exporters write the same on both engines is the
// engine comparison's business.
bool runsOnServer(const Product& p) {
  return std::string_view(p.type) == "SAP" || std::string_view(p.type) == "TOPAS";
}

// The demo keeps its database in its directory, or, when the suite runs on
// PostgreSQL, in a database of its own on the test server.
class DemoPayrollTest : public ::testing::TestWithParam<Product> {
 protected:
  DemoPayrollTest() {
    fs::create_directories(scratch);
    if (onServer && runsOnServer(GetParam())) server = std::make_unique<PgTestDatabase>();
  }
  ~DemoPayrollTest() override {
    std::error_code ignored;
    fs::remove_all(scratch, ignored);
  }

  RunResult createDemo(const char* type) {
    std::vector<std::string> args{"demo", demo.string(), "--payroll", type};
    if (server) args.insert(args.end(), {"--service", server->service()});
    return runProgram(LUG_ADMIN_BINARY, scratch, args);
  }

  std::string scalar(const std::string& sql) {
    const std::string service = server ? server->service() : (demo / "db").string();
    int status = 0;
    auto session = db::Session::connect({"", "", service}, "DEMO", status);
    if (!session) throw std::runtime_error("no demo database: " + std::to_string(status));
    return queryRows(*session, sql).at(0).at(0);
  }

  // Every file of a directory with its bytes.
  static std::map<std::string, std::string> filesIn(const fs::path& dir) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(dir))
      files[entry.path().filename().string()] = readFile(entry.path());
    return files;
  }

  fs::path scratch = fs::temp_directory_path() / ("lug-demo-payroll-" + std::to_string(getpid()));
  fs::path demo = scratch / "demo";
  const bool onServer = defaultTestEngine() == TestEngine::Postgres;
  std::unique_ptr<PgTestDatabase> server;
};

TEST_P(DemoPayrollTest, ThirdPeriodHandsOverTheSystemsProducts) {
  const Product& product = GetParam();
  if (onServer && !server) GTEST_SKIP() << "embedded engine only";
  const RunResult created = createDemo(product.typed ? product.typed : product.type);
  ASSERT_EQ(created.exitStatus, 0) << created.console;
  EXPECT_EQ(
      scalar("select count(*) from Hor171Lug where LugLgp<>'" + std::string(product.type) + "'"),
      "0");

  // The check run of the same hand-over first; the real run must then find
  // the database as the demo left it and write the same files.
  const std::map<std::string, std::string> clock{{"LUG_SYSDATE", "2025.04.03 07:30:00"}};
  const RunResult checked =
      runProgram(LUG_ADMIN_BINARY, demo / "Bin",
                 {"check", "../db", "DEMO", "PROD", "103", "0", "--out", "../Pruefung"}, clock);
  ASSERT_EQ(checked.exitStatus, 0) << checked.console;
  EXPECT_NE(checked.console.find("Kontrollbericht"), std::string::npos) << checked.console;
  EXPECT_EQ(scalar("select count(*) from Hor331Zk1 where Zk1Abr=103"), "0");
  const RunResult run =
      runProgram(LUG_BINARY, demo / "Bin", {"../db", "DEMO", "PROD", "103", "0"}, clock);
  ASSERT_EQ(run.exitStatus, 1) << run.console;
  EXPECT_EQ(scalar("select AkrAdt from O1001AbrKreis where AkrNum='PROD'"), "98");
  // A final run: no record of an interim or partial run (TOPAS decides by the clock).
  EXPECT_EQ(scalar("select count(*) from Hor331Zk1 where Zk1Abr=103 and Zk1Lfn<>0"), "0");
  EXPECT_NE(scalar("select count(*) from Hor331Zk1 where Zk1Abr=103"), "0");

  const std::map<std::string, std::string> files =
      filesIn(demo / "Transfer" / "Lohn und Gehalt" / "Export" / "DEMO");
  for (const char* name : product.files) {
    const auto file = files.find(name);
    ASSERT_NE(file, files.end()) << name;
    EXPECT_GE(file->second.size(), 40u) << name;
    EXPECT_EQ(file->second.substr(file->second.size() - 2), "\r\n") << name;
  }
  for (const char* table : product.tables)
    EXPECT_NE(scalar(std::string("select count(*) from ") + table), "0") << table;

  std::map<std::string, std::string> checkedFiles = filesIn(demo / "Pruefung");
  for (const char* own : {"log#lug.txt", "Kontrollbericht.txt", "Kontrollbericht.csv"})
    EXPECT_EQ(checkedFiles.erase(own), 1u) << own;
  std::erase_if(checkedFiles, [](const auto& f) { return f.first.starts_with("log#lug_"); });
  for (const char* name : product.files) EXPECT_EQ(checkedFiles.count(name), 1u) << name;
  for (const auto& [name, bytes] : checkedFiles) {
    const auto file = files.find(name);
    ASSERT_NE(file, files.end()) << name;
    EXPECT_EQ(file->second, bytes) << name;
  }
}

INSTANTIATE_TEST_SUITE_P(Systems, DemoPayrollTest, ::testing::ValuesIn(kProducts),
                         [](const auto& p) { return std::string(p.param.type); });

TEST(DemoPayrollChoice, UnknownTypeIsRefusedWithTheListBeforeAnythingIsCreated) {
  const fs::path scratch =
      fs::temp_directory_path() / ("lug-demo-choice-" + std::to_string(getpid()));
  fs::create_directories(scratch);
  const RunResult unknown = runProgram(LUG_ADMIN_BINARY, scratch,
                                       {"demo", (scratch / "d").string(), "--payroll", "LOGA1"});
  EXPECT_EQ(unknown.exitStatus, 1);
  EXPECT_NE(unknown.console.find("unknown payroll system LOGA1; known are DATEV, LODAS, PAISY"),
            std::string::npos)
      << unknown.console;
  EXPECT_FALSE(fs::exists(scratch / "d"));
  const RunResult usage = runProgram(LUG_ADMIN_BINARY, scratch, {"demo", "d", "--type", "sap"});
  EXPECT_EQ(usage.exitStatus, 2);
  std::error_code ignored;
  fs::remove_all(scratch, ignored);
}

}  // namespace
}  // namespace lug::test
