// The demo installation of lug-admin and the final hand-over of its third
// period through the lug program.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "config/config_file.h"
#include "support/installation.h"

namespace lug::test {
namespace {

using Rows = std::vector<std::vector<std::string>>;

std::vector<std::string> split(const std::string& text, const std::string& separator) {
  std::vector<std::string> parts;
  size_t begin = 0;
  for (size_t end; (end = text.find(separator, begin)) != std::string::npos;
       begin = end + separator.size())
    parts.push_back(text.substr(begin, end - begin));
  parts.push_back(text.substr(begin));
  return parts;
}

// "7,50" as 7.5, the empty text as 0.
double quantity(const std::string& text) {
  std::string number = text;
  for (char& c : number)
    if (c == ',') c = '.';
  return number.empty() ? 0 : std::strtod(number.c_str(), nullptr);
}

class DemoTest : public ::testing::Test {
 protected:
  DemoTest() { fs::create_directories(scratch); }
  ~DemoTest() override {
    std::error_code ignored;
    fs::remove_all(scratch, ignored);
  }

  RunResult createDemo(const fs::path& dir) {
    return runProgram(LUG_ADMIN_BINARY, scratch, {"demo", dir.string()});
  }

  Rows query(const fs::path& dir, const std::string& sql) {
    int status = 0;
    auto session = db::Session::connect({"", "", (dir / "db").string()}, "DEMO", status);
    if (!session) throw std::runtime_error("no demo database: " + std::to_string(status));
    return queryRows(*session, sql);
  }

  fs::path scratch = fs::temp_directory_path() / ("lug-demo-test-" + std::to_string(getpid()));
  fs::path demo = scratch / "demo";
};

TEST_F(DemoTest, FinalHandOverOfTheThirdPeriodWritesDatevCsvOfItsRecords) {
  const RunResult created = createDemo(demo);
  ASSERT_EQ(created.exitStatus, 0) << created.console;
  const RunResult run = runProgram(LUG_BINARY, demo / "Bin", {"../db", "DEMO", "PROD", "103", "0"},
                                   {{"LUG_SYSDATE", "2025.04.03 07:30:00"}});
  EXPECT_EQ(run.exitStatus, 1) << run.console;
  EXPECT_EQ(query(demo, "select AkrAdt from O1001AbrKreis where AkrNum='PROD'"), Rows{{"98"}});

  const std::string file =
      readFile(demo / "Transfer" / "Lohn und Gehalt" / "Export" / "DEMO" / "datev.csv");
  std::vector<std::string> lines = split(file, "\r\n");
  ASSERT_EQ(lines.back(), "");  // the last line ends with CR LF too
  lines.pop_back();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.front(), "40817;1;03/2025");
  lines.erase(lines.begin());

  // Records with minutes or days: minutes and tenths of day values; minutes of
  // month values, and tenths of those without minutes (the file's value field).
  const Rows records = query(
      demo,
      "select count(*), coalesce(sum(case when Zk1Sta<>1 then Zk1Std else 0 end),0), "
      "coalesce(sum(case when Zk1Sta<>1 then Zk1Tge else 0 end),0), coalesce(sum(case when "
      "Zk1Sta=1 then Zk1Std else 0 end),0), coalesce(sum(case when Zk1Sta=1 and Zk1Std=0 then "
      "Zk1Tge else 0 end),0) from Hor331Zk1 where Zk1Abr=103 and (Zk1Std<>0 or Zk1Tge<>0)");
  ASSERT_EQ(lines.size(), std::stoul(records[0][0]));
  double hours = 0, days = 0, values = 0;
  for (const std::string& line : lines) {
    const std::vector<std::string> fields = split(line, ";");
    ASSERT_EQ(fields.size(), 11u) << line;
    hours += quantity(fields[4]), days += quantity(fields[5]), values += quantity(fields[6]);
  }
  const double rounding = 0.005 * static_cast<double>(lines.size()) + 1e-9;
  EXPECT_NEAR(hours, std::stod(records[0][1]) / 60, rounding);
  EXPECT_NEAR(days, std::stod(records[0][2]) / 10, rounding);
  EXPECT_NEAR(values, std::stod(records[0][3]) / 60 + std::stod(records[0][4]) / 10, rounding);

  const std::string log = readFile(demo / "Horavia_php" / "log" / "log#lug.txt");
  EXPECT_NE(log.find("\r\nDatev Lohnprogramm Akr: PROD, Abrnr: 103 gestartet\r\n"),
            std::string::npos);
  EXPECT_NE(log.find("LuG-Uebergabe Akr: PROD, Abrnr: 103 am 03.04.2025 07:30:00 beendet\r\n"),
            std::string::npos);
}

TEST_F(DemoTest, InstallationHoldsTheCompanyWithTwoPeriodsHandedOver) {
  const RunResult created = createDemo(demo);
  ASSERT_EQ(created.exitStatus, 0) << created.console;
  const std::string ini = (demo / "Files" / "horavia.ini").string();
  EXPECT_EQ(config::lookupConfig("", "LOGIN", 0, ini).value, "demo");
  EXPECT_EQ(config::lookupConfig("", "PASS", 0, ini).value, "demo");
  EXPECT_EQ(config::lookupConfig("", "NET8", 0, ini).value, "../db");
  EXPECT_EQ(readFile(ini).find("../db"), std::string::npos);  // enciphered
  EXPECT_TRUE(fs::is_directory(demo / "Bin"));
  EXPECT_TRUE(fs::is_directory(demo / "Horavia_php" / "log"));

  EXPECT_EQ(query(demo, "select AkrNum, AkrAdt from O1001AbrKreis order by AkrNum"),
            (Rows{{"PROD", "98"}, {"VERW", "98"}}));
  EXPECT_EQ(query(demo, "select count(distinct BsvPnr) from Hor310Bsv"), Rows{{"30"}});
  EXPECT_EQ(query(demo,
                  "select BsvAkr, BsvGvo, BsvGbi from Hor310Bsv where BsvPnr in "
                  "(select BsvPnr from Hor310Bsv group by BsvPnr having count(*) > 1) "
                  "order by BsvGvo"),
            (Rows{{"VERW", "2016.04.01", "2025.02.28"}, {"PROD", "2025.03.01", ""}}));
  EXPECT_EQ(query(demo, "select count(*) from Hor310Bsv where BsvGvo > '2025.03.01'"), Rows{{"1"}});
  // One block of six unpaid target days, half days of leave, balances of both special keys.
  EXPECT_EQ(query(demo,
                  "select count(*), count(distinct TgbPnr) from Hor320Tgb where TgbSol<>0 "
                  "and TgbSol<=TgbUnb"),
            (Rows{{"6", "1"}}));
  EXPECT_NE(query(demo, "select count(*) from Hor331Zkb where ZkbZkt='URL' and ZkbTge=5"),
            Rows{{"0"}});
  EXPECT_EQ(query(demo,
                  "select Lu1Lgr, count(*) from Hor171Lu1 where Lu1Lgr in ('RUL','GLT') "
                  "group by Lu1Lgr order by 1"),
            (Rows{{"GLT", "2"}, {"RUL", "2"}}));
  EXPECT_EQ(query(demo,
                  "select count(*) from Hor171Lu1 where Lu1Tgw<>0 or Lu1Ztr<>0 or "
                  "Lu1Tge<>0 or Lu1Sts=112"),
            Rows{{"8"}});

  const std::string log = readFile(demo / "Horavia_php" / "log" / "log#lug.txt");
  for (const char* period :
       {"PROD, Abrnr: 101", "VERW, Abrnr: 201", "PROD, Abrnr: 102", "VERW, Abrnr: 202"})
    EXPECT_NE(log.find(std::string("LuG-Uebergabe Akr: ") + period), std::string::npos) << period;
  EXPECT_EQ(log.find("Abrnr: 103"), std::string::npos);
}

TEST_F(DemoTest, SameDemoEveryTime) {
  const fs::path second = scratch / "second";
  ASSERT_EQ(createDemo(demo).exitStatus, 0);
  ASSERT_EQ(createDemo(second).exitStatus, 0);
  for (const char* sql :
       {"select * from Hor331Zkb order by rowid", "select * from Hor320Tgb order by rowid",
        "select * from Hor327Tag order by rowid", "select * from Hor332Utg order by rowid"}) {
    const Rows rows = query(demo, sql);
    EXPECT_GT(rows.size(), 50u) << sql;
    EXPECT_EQ(rows, query(second, sql)) << sql;
  }
}

TEST_F(DemoTest, DirectoryThatIsNotEmptyIsLeftAlone) {
  fs::create_directories(demo);
  std::FILE* f = std::fopen((demo / "notes.txt").c_str(), "wb");
  std::fclose(f);
  const RunResult created = createDemo(demo);
  EXPECT_EQ(created.exitStatus, 1);
  EXPECT_NE(created.console.find("is not empty"), std::string::npos);
  EXPECT_FALSE(fs::exists(demo / "db"));
}

}  // namespace
}  // namespace lug::test
