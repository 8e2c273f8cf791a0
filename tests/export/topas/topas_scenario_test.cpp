// A TOPAS month through the lug program: a run on the 15th hands February
// over up to the 14th as partial run 2; the final run after the month hands
// over only what the partial run has not.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "calc/scenario.h"

namespace lug::calc::test {
namespace {

namespace fs = std::filesystem;

class TopasHandOverScenario : public ::testing::Test {
 protected:
  TopasHandOverScenario() {
    addGroup(inst, {.lgp = "TOPAS", .kinds = {"LS", "SS"}});
    change("update O1001AbrKreis set AkrSsl=1");
    change("update Hor171Lug set LugFir='0815'");
    addLine(inst, {.stz = "LS", .ztk = "NORM", .lna = "100"});
    addLine(inst, {.stz = "SS", .ztk = "URL", .lna = "300", .lgr = "UR", .ztr = 1});
    addEmployee(inst, "4711");
    addDays(inst, "4711", "2024.01.25", "2024.03.10");
    int month = 0;
    for (const std::string& day : daysOf("2024.02.01", "2024.02.29")) {
      if (isWeekend(day)) continue;
      const bool leave = (day >= "2024.02.12" && day <= "2024.02.16") || day == "2024.02.26" ||
                         day == "2024.02.27";
      addBooking(inst,
                 {.dtm = day, .zkt = leave ? "URL" : "NORM", .std = 480, .tge = leave ? 10 : 0});
      if (!leave) month += 480;
    }
    addBooking(inst, {.dtm = "2024.02.29", .zkt = "NORM", .std = month, .ztr = 3});
  }

  // The session prepares each text once: pass a literal.
  void change(const char* sql) {
    ASSERT_EQ(inst.db().exec(sql), 0) << sql;
    ASSERT_EQ(inst.db().commit(), 0);
  }
  std::string file(const std::string& name) const {
    const fs::path path = inst.exportDir() / name;
    return fs::exists(path) ? lug::test::readFile(path) : std::string();
  }

  Installation inst;
};

TEST_F(TopasHandOverScenario, FinalRunHandsOverWhatThePartialRunLeft) {
  const auto partial = runAt(inst, "2024.02.15 08:00:00", "A1", "2");
  ASSERT_EQ(partial.exitStatus, 1) << partial.log;
  // 01.02. to 14.02.: 7 working days, 3 days of leave of 8 hours from the 12th.
  EXPECT_EQ(file("LGD038IM"), "081;4711;202402;202402;100;5600;;;;;;;;;;;01.02.2024;;;;;;;;;\r\n");
  EXPECT_EQ(file("LGD034IM"), "081;4711;12.02.2024;14.02.2024;UR;300;;2400;;;;;;;;;\r\n");

  const auto final = runAt(inst, "2024.03.05 08:00:00", "A1", "2");
  ASSERT_EQ(final.exitStatus, 1) << final.log;
  // 7 of February's 14 working days and 4 of its 7 days of leave were not
  // handed over yet; the leave at the month's end is handed over whole.
  EXPECT_EQ(file("LGD038IM"), "081;4711;202402;202402;100;5600;;;;;;;;;;;01.02.2024;;;;;;;;;\r\n");
  EXPECT_EQ(file("LGD034IM"),
            "081;4711;15.02.2024;16.02.2024;UR;300;;1600;;;;;;;;;\r\n"
            "081;4711;26.02.2024;27.02.2024;UR;300;;1600;;;;;;;;;\r\n");
  EXPECT_EQ(logSection(logLines(fromWindows1252(final.log)), "TOPAS-Lohnexport Akr",
                       "TOPAS-Lohnexport beendet"),
            (Lines{"TOPAS-Lohnexport Akr: A1, Abrnr: 2 gestartet",
                   "1 Datensätze in Datei LGD038IM (LS) geschrieben.",
                   "2 Datensätze in Datei LGD034IM (SS) geschrieben.",
                   "3 Datensätze aus Hor333Zk1 übergeben.", "TOPAS-Lohnexport beendet"}));
}

}  // namespace
}  // namespace lug::calc::test
