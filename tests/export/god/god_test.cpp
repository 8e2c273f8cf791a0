#include "export/god/god.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "export/exporters.h"
#include "support/exporter_fixture.h"

namespace lug::exporters {
namespace {

using test::Row;

constexpr char kHeaderLines[] =
    "X101000010000xxxxxxxx0000ZEITERF.2025010900000000TYP1\r\n"
    "X1010000%06d000000000000\r\n";

std::string blanks(size_t count) {
  return std::string(count, ' ');
}

std::string headerLines(int rows) {
  char text[160];
  std::snprintf(text, sizeof text, kHeaderLines, rows);
  return text;
}

// Group G1 on a GOD interface (participant 4711), period 7 = December 2024.
class GodTest : public test::ExporterTest {
 protected:
  explicit GodTest(const Row& header = {}) : ExporterTest("GOD", header) {}
  int run() { return handOver(god); }
  std::string file() const { return exported("PVZERZDP.DAT"); }
  void absence(const Row& overrides) {
    record(test::withDefaults(
        {{"Zk1Stz", "331"}, {"Zk1Zkt", "URL"}, {"Zk1Lna", "300"}, {"Zk1Lgr", "UR"}}, overrides));
  }
  void hours(const Row& overrides) { record(test::withDefaults({{"Zk1Stz", "970"}}, overrides)); }
  void name(const std::string& pnr, const std::string& name) {
    inst.insert("Hor300Pnr", {{"PnrNum", pnr}, {"PnrNam", name}});
  }
};

TEST_F(GodTest, AbsencesAndHoursAfterTheHeaderLines) {
  name("1001", "Müller, Hans");
  line({{"Lu1Stz", "970"}, {"Lu1Lna", "100"}});
  line({{"Lu1Stz", "970"}, {"Lu1Ztk", "UEB"}, {"Lu1Lna", "110"}, {"Lu1Kst", 0}});
  absence({{"Zk1Von", "2024.12.04"}, {"Zk1Bis", "2024.12.08"}, {"Zk1Std", 2400}});
  absence({{"Zk1Zkt", "KRA"}, {"Zk1Lgr", "KRANK"}, {"Zk1Von", "2024.12.16"}, {"Zk1Bis", ""}});
  hours({{"Zk1Std", 90}, {"Zk1Kst", "K-1"}});
  hours({{"Zk1Bdt", "2024.12.09"}, {"Zk1Std", 100}, {"Zk1Kst", "K-1"}});  // adds to the line above
  hours({{"Zk1Zkt", "UEB"}, {"Zk1Lna", "110"}, {"Zk1Std", -45}});         // flag 0: blank
  hours({{"Zk1Zkt", "NA"}, {"Zk1Lna", "120"}, {"Zk1Std", 480}, {"Zk1Kst", "K-99"}});  // no line
  hours({{"Zk1Pnr", "1002"}, {"Zk1Upn", "P1002"}, {"Zk1Std", 6}});                    // no name
  record({{"Zk1Stz", "LS"}, {"Zk1Std", 60}});
  ASSERT_EQ(run(), 0) << logText();
  expectGolden(file(), "export/god/golden/PVZERZDP.DAT");
  EXPECT_EQ(file().substr(0, 83), headerLines(6));
  EXPECT_NE(logText().find("\nGOD-Lohnprogramm Akr: G1, Abrnr: 7 gestartet\n"), std::string::npos);
  EXPECT_NE(logText().find("Satzart nicht unterstützt: LS\n"
                           "8 Datensätze aus Hor333Zk1 übergeben.\n"
                           "GOD-Lohnprogramm beendet\n"),
            std::string::npos)
      << logText();
  EXPECT_NE(logText().find("Fehler beim Lesen Hor171Lu1: 1403\n"), std::string::npos);
}

// A record that fails a check is logged and left out; the records after it
// are handed over. Hours too wide for their field are logged, not written.
TEST_F(GodTest, RecordFailingACheckIsSkippedAndTheOthersHandedOver) {
  hours({{"Zk1Pnr", "1000"}, {"Zk1Lna", "10000"}, {"Zk1Std", 60}});
  hours({{"Zk1Pnr", "1001"}, {"Zk1Kst", "1234567"}, {"Zk1Std", 60}});
  hours({{"Zk1Pnr", "1002"}, {"Zk1Upn", "1002"}, {"Zk1Std", 60}, {"Zk1Kst", "123456"}});
  absence({{"Zk1Pnr", "1003"}, {"Zk1Upn", "1003"}, {"Zk1Lna", "30000"}});
  absence({{"Zk1Pnr", "1004"}, {"Zk1Upn", "1004"}});
  hours({{"Zk1Pnr", "1005"}, {"Zk1Upn", "1005"}, {"Zk1Std", 6000000}});  // 100,000 hours
  ASSERT_EQ(run(), 0) << logText();
  const std::string god = file();
  EXPECT_EQ(god.substr(0, 83), headerLines(3));
  EXPECT_EQ(god.substr(83),
            "970"
            "1"
            "4711"
            "1002    "
            "100 "
            "1224"
            "1224" +
                blanks(8) + "    100" + blanks(16) + blanks(8) +
                "123456"
                "  "
                "\r\n"
                "331"
                "1"
                "4711"
                "1004    "
                "1224"
                "1224" +
                blanks(18) +
                "011224"
                "311224"
                "UR"
                "\r\n");
  EXPECT_NE(logText().find("Lohnart zu lang : 10000\n"
                           "Fehler beim Lesen Hor171Lu1: 1403\n"
                           "Kostenstelle zu lang : 1234567\n"),
            std::string::npos)
      << logText();
  EXPECT_NE(logText().find("Lohnart zu lang : 30000\nFehler beim Lesen Hor171Lu1: 1403\n"
                           "PersNr. 1005: Stundenwert zu groß f.Übergabe (Lohnart 100)\n"
                           "6 Datensätze"),
            std::string::npos)
      << logText();
}

// GOD has no cancellation of an absence: a cancelled absence (negative
// minutes or days) is left out with one line naming the employee and span;
// the re-posted absence and the other records are handed over.
TEST_F(GodTest, CancelledAbsenceIsNeverHandedOverAsAnAbsence) {
  absence({{"Zk1Rre", 2},
           {"Zk1Von", "2024.11.04"},
           {"Zk1Bis", "2024.11.08"},
           {"Zk1Std", -2400},
           {"Zk1Tge", -50}});
  absence({{"Zk1Rre", 2},
           {"Zk1Zkt", "KRA"},
           {"Zk1Von", "2024.11.11"},
           {"Zk1Bis", "2024.11.12"},
           {"Zk1Tge", -20}});
  absence({{"Zk1Rre", 2},
           {"Zk1Von", "2024.11.04"},
           {"Zk1Bis", "2024.11.06"},
           {"Zk1Std", 1440},
           {"Zk1Tge", 30}});
  ASSERT_EQ(run(), 0) << logText();
  EXPECT_EQ(file().substr(83),
            "331"
            "1"
            "4711"
            "1001    "
            "1124"
            "1124" +
                blanks(18) +
                "041124"
                "061124"
                "UR"
                "\r\n");
  EXPECT_NE(logText().find("Pnr 1001: Abwesenheit 11.11.2024 - 12.11.2024 storniert, nicht "
                           "übergeben (in GOD von Hand stornieren)\n"
                           "Pnr 1001: Abwesenheit 04.11.2024 - 08.11.2024 storniert, nicht "
                           "übergeben (in GOD von Hand stornieren)\n"),
            std::string::npos)
      << logText();
}

class GodLongParticipant : public GodTest {
 protected:
  GodLongParticipant() : GodTest({{"LugFir", "12345"}}) {}
};

// Cut to four characters the participant number would name another
// participant: nothing is staged, no file is written and the run fails.
TEST_F(GodLongParticipant, NothingIsHandedOver) {
  hours({{"Zk1Std", 60}});
  EXPECT_EQ(run(), 1);
  EXPECT_FALSE(exists("PVZERZDP.DAT"));
  EXPECT_EQ(inst.scalar("select count(*) from Hor333God"), "0");
  EXPECT_NE(logText().find("TeilnehmerNr. zu lang : 12345\n"
                           "GOD-Lohnprogramm abgebrochen, keine Datei geschrieben\n"),
            std::string::npos)
      << logText();
  EXPECT_EQ(logText().find("beendet"), std::string::npos);
}

TEST_F(GodTest, EmptyPeriodGivesTheHeaderLinesAndFailedOpenEndsTheRun) {
  ASSERT_EQ(run(), 0);
  EXPECT_EQ(file(), headerLines(0));
  std::filesystem::create_directories(inst.exportDir() / ".PVZERZDP.DAT.tmp");
  EXPECT_EQ(run(), 1);
  EXPECT_FALSE(exists("PVZERZDP.DAT"));
  EXPECT_NE(logText().find("\nGOD-Exportdatei kann nicht geoeffnet werden !\n"), std::string::npos);
}

}  // namespace
}  // namespace lug::exporters
