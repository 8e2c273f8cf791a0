#include "export/lodas/lodas.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "export/exporters.h"
#include "support/exporter_fixture.h"

namespace lug::exporters {
namespace {

namespace fs = std::filesystem;
using test::Row;

constexpr char kRunKey[] = "09.01.2025 07:30:00";  // the fixture's start time

// The description block with company 4711 and payroll group 01.
constexpr char kDescription[] =
    "[Allgemein]\r\nZiel=LODAS\r\nBeraterNr=01\r\nMandantenNr=4711\r\nFeldtrennzeichen=;\r\n"
    "Stringbegrenzer=\"\r\nZahlenkomma=.\r\nDatumsformat=TT.MM.JJJJ\r\n\r\n[Satzbeschreibung]\r\n"
    "1;u_lod_bwd_buchung_standard;pnr#bwd;abrechnung_zeitraum#bwd;bs_nr#bwd;bs_wert_butab#bwd;"
    "la_eigene#bwd;kostenstelle#bwd;kostentraeger#bwd;\r\n";

class LodasTest : public test::ExporterTest {
 protected:
  explicit LodasTest(const Row& header = {}) : ExporterTest("LODAS", header) {}

  // A journal row of this run (final run of period 7) for period 6.
  void journal(const Row& overrides) {
    inst.insert("Hor331Zk5", test::withDefaults({{"Zk5Key", kRunKey},
                                                 {"Zk5Abr", 7},
                                                 {"Zk5Lfn", 0},
                                                 {"Zk5Stz", "LA"},
                                                 {"Zk5Bdt", "2024.11.01"},
                                                 {"Zk5Pnr", "1001"},
                                                 {"Zk5Zkt", "AZ"},
                                                 {"Zk5Lna", "100"},
                                                 {"Zk5Lgr", "     "},
                                                 {"Zk5Kst", "4100"},
                                                 {"Zk5Ktr", ""},
                                                 {"Zk5Std", 0},
                                                 {"Zk5Tge", 0},
                                                 {"Zk5Rre", 3},
                                                 {"Zk5Upn", "1001"}},
                                                overrides));
  }

  // Journal rows of `count` periods, told apart by their booking dates
  // 2024.11.01, 2024.11.02, ...
  void correctedPeriods(int count) {
    for (int day = 1; day <= count; ++day)
      journal({{"Zk5Bdt", (day < 10 ? "2024.11.0" : "2024.11.") + std::to_string(day)},
               {"Zk5Std", 60}});
  }

  // LodasSST-0.txt of a hand-over that is expected to succeed.
  std::string ownPeriodFile() {
    EXPECT_EQ(handOver(lodas), 0) << logText();
    return exported("LodasSST-0.txt");
  }

  std::string ownPeriodLines(const std::string& lines) {
    return kDescription + std::string("\r\n[Bewegungsdaten]\r\n") + lines;
  }

  bool noFileOfTheSet() const {
    for (int n = 0; n <= 12; ++n)
      if (exists("LodasSST-" + std::to_string(n) + ".txt")) return false;
    return true;
  }
};

TEST_F(LodasTest, OwnPeriodMovementsAreSummedPerKey) {
  line({{"Lu1Lna", "200"}, {"Lu1Kst", 0}, {"Lu1Ktr", 0}});
  record({{"Zk1Std", 450}, {"Zk1Ktr", "P1"}});
  record({{"Zk1Std", 90}, {"Zk1Zkt", "UE"}, {"Zk1Ktr", "P2"}});  // same key: added, P1 stays
  record({{"Zk1Pnr", "1002"}, {"Zk1Upn", "1002"}, {"Zk1Zkt", "URL"}, {"Zk1Tge", 5}});
  record({{"Zk1Pnr", "1002"}, {"Zk1Upn", "1002"}, {"Zk1Lgr", "ABW"}, {"Zk1Std", -75}});
  record({{"Zk1Bdt", "2024.12.03"}, {"Zk1Lna", "200"}, {"Zk1Std", 60}, {"Zk1Ktr", "P1"}});
  record({{"Zk1Pnr", "1003"}, {"Zk1Upn", "1003"}, {"Zk1Kst", "Büro  "}, {"Zk1Std", 20}});
  record({{"Zk1Lfn", 1}, {"Zk1Std", 600}});  // an interim run's record
  record({{"Zk1Rre", 2}, {"Zk1Std", 600}});  // a difference record: handed over from the journal
  expectGolden(ownPeriodFile(), "export/lodas/golden/LodasSST-0.txt");
  EXPECT_EQ(logText(),
            "\nLODAS-Lohnprogramm Akr: G1, Abrnr: 7 gestartet\n"
            "Fehler beim Lesen Hor171Lu1: 1403\n"  // every wage type but 200 has no line
            "Fehler beim Lesen Hor171Lu1: 1403\n"
            "Fehler beim Lesen Hor171Lu1: 1403\n"
            "Fehler beim Lesen Hor171Lu1: 1403\n"
            "Fehler beim Lesen Hor171Lu1: 1403\n"
            "6 Datensätze aus Hor333Zk1 gelesen.\n"
            "5 Datensätze in Datei(en) geschrieben.\n"
            "LODAS-Lohnprogramm beendet\n");
  EXPECT_FALSE(exists("LodasSST-1.txt"));
}

struct MappingCase {
  const char* name;
  Row record;
  const char* dataLine;
};

class LodasMapping : public LodasTest, public ::testing::WithParamInterface<MappingCase> {};

TEST_P(LodasMapping, RecordGivesItsDataLine) {
  record(GetParam().record);
  EXPECT_EQ(ownPeriodFile(), ownPeriodLines(GetParam().dataLine));
}

INSTANTIATE_TEST_SUITE_P(
    Records, LodasMapping,
    ::testing::Values(
        MappingCase{"Hours", {{"Zk1Std", 450}}, "1;1001;02.12.2024;01;7.50;100;4100;;\r\n"},
        MappingCase{"Days", {{"Zk1Tge", 5}}, "1;1001;02.12.2024;10;0.50;100;4100;;\r\n"},
        MappingCase{"HoursBeforeDays",
                    {{"Zk1Std", 30}, {"Zk1Tge", 10}},
                    "1;1001;02.12.2024;01;0.50;100;4100;;\r\n"},
        MappingCase{"NeitherHoursNorDays", {}, "1;1001;02.12.2024;10;0.00;100;4100;;\r\n"},
        MappingCase{"GroupGivesTheKey",
                    {{"Zk1Lgr", "AB"}, {"Zk1Std", 60}},
                    "1;1001;02.12.2024;AB;1.00; ;4100;;\r\n"},
        MappingCase{
            "RoundedToTwoDecimals", {{"Zk1Std", 100}}, "1;1001;02.12.2024;01;1.67;100;4100;;\r\n"},
        MappingCase{"Negative", {{"Zk1Std", -75}}, "1;1001;02.12.2024;01;-1.25;100;4100;;\r\n"},
        MappingCase{
            "Large", {{"Zk1Std", 6000000}}, "1;1001;02.12.2024;01;100000.00;100;4100;;\r\n"},
        MappingCase{"PayrollNumber",
                    {{"Zk1Upn", "P0815"}, {"Zk1Kst", "12345678"}, {"Zk1Ktr", "ABCDEF"}},
                    "1;P0815;02.12.2024;10;0.00;100;12345678;ABCDEF;\r\n"}),
    [](const auto& c) { return std::string(c.param.name); });

struct CheckCase {
  const char* name;
  Row record;
  const char* logLine;
};

class LodasFieldCheck : public LodasTest, public ::testing::WithParamInterface<CheckCase> {};

TEST_P(LodasFieldCheck, RecordThatDoesNotFitIsReportedAndLeftOut) {
  line();
  record({{"Zk1Pnr", "1002"}, {"Zk1Upn", "1002"}, {"Zk1Std", 60}});
  record(test::withDefaults({{"Zk1Std", 60}}, GetParam().record));
  EXPECT_EQ(ownPeriodFile(), ownPeriodLines("1;1002;02.12.2024;01;1.00;100;4100;;\r\n"));
  EXPECT_NE(logText().find(std::string("\n") + GetParam().logLine + "\n1 Datensätze aus"),
            std::string::npos)
      << logText();
}

INSTANTIATE_TEST_SUITE_P(
    Checks, LodasFieldCheck,
    ::testing::Values(
        CheckCase{"PayrollNumber", {{"Zk1Upn", "123456"}}, "PersNr zu lang : 123456"},
        CheckCase{"WageType", {{"Zk1Lna", "1000"}}, "Pnr 1001: Lohnart zu lang (1000)"},
        CheckCase{
            "CostCentre", {{"Zk1Kst", "123456789"}}, "Pnr 1001: Kostenstelle zu lang (123456789)"},
        CheckCase{"SeparatorInCostCentre",
                  {{"Zk1Kst", "41;00"}},
                  "Pnr 1001: Trennzeichen im Feld (41;00)"},
        CheckCase{
            "DelimiterInWageType", {{"Zk1Lna", "1\"0"}}, "Pnr 1001: Trennzeichen im Feld (1\"0)"}),
    [](const auto& c) { return std::string(c.param.name); });

TEST_F(LodasTest, SumThatCancelsOutIsWrittenAsZero) {
  record({{"Zk1Zkt", "A1"}, {"Zk1Tge", 1}});
  record({{"Zk1Zkt", "A2"}, {"Zk1Tge", 5}});
  record({{"Zk1Zkt", "A3"}, {"Zk1Tge", -6}});  // 0.1 + 0.5 - 0.6 is a little below zero
  EXPECT_EQ(ownPeriodFile(), ownPeriodLines("1;1001;02.12.2024;10;0.00;100;4100;;\r\n"));
}

TEST_F(LodasTest, InterfaceLineValidAtTheBookingDateBlanksCosts) {
  line({{"Lu1Gvo", "2024.12.03"}, {"Lu1Kst", 0}, {"Lu1Ktr", 0}});
  record({{"Zk1Bdt", "2024.12.02"}, {"Zk1Std", 60}, {"Zk1Ktr", "P1"}});  // no line yet
  record({{"Zk1Bdt", "2024.12.03"}, {"Zk1Std", 60}, {"Zk1Ktr", "P1"}});
  EXPECT_EQ(ownPeriodFile(), ownPeriodLines("1;1001;02.12.2024;01;1.00;100;4100;P1;\r\n"
                                            "1;1001;03.12.2024;01;1.00;100; ;;\r\n"));
  EXPECT_NE(logText().find("\nFehler beim Lesen Hor171Lu1: 1403\n"), std::string::npos);
}

TEST_F(LodasTest, CorrectionsGetOneFilePerPeriodNewestFirst) {
  journal({{"Zk5Bdt", "2024.11.01"}, {"Zk5Rre", 4}, {"Zk5Std", 480}});
  journal({{"Zk5Bdt", "2024.11.01"}, {"Zk5Rre", 3}, {"Zk5Std", 450}});
  journal({{"Zk5Bdt", "2024.11.01"}, {"Zk5Rre", 2}, {"Zk5Std", 999}});  // written to no file
  journal({{"Zk5Bdt", "2024.10.01"}, {"Zk5Rre", 3}, {"Zk5Tge", 10}, {"Zk5Lgr", "UR"}});
  journal({{"Zk5Bdt", "2024.09.01"}, {"Zk5Rre", 4}, {"Zk5Std", 60}, {"Zk5Ktr", "P1"}});
  record({{"Zk1Std", 60}});
  EXPECT_EQ(handOver(lodas), 0) << logText();
  expectGolden(exported("LodasSST-1.txt"), "export/lodas/golden/LodasSST-1.txt");
  EXPECT_EQ(
      exported("LodasSST-2.txt"),
      kDescription + std::string("\r\n[Bewegungsdaten]\r\n1;1001;01.10.2024;UR;1.00; ;4100;;\r\n"));
  EXPECT_EQ(
      exported("LodasSST-3.txt"),
      kDescription + std::string("\r\n[Entfernen]\r\n1;1001;01.09.2024;01;1.00;100;4100;P1;\r\n"));
  EXPECT_FALSE(exists("LodasSST-4.txt"));
  EXPECT_EQ(exported("LodasSST-0.txt"), ownPeriodLines("1;1001;02.12.2024;01;1.00;100;4100;;\r\n"));
  EXPECT_NE(logText().find("\n6 Datensätze aus Hor333Zk1 gelesen.\n"
                           "5 Datensätze in Datei(en) geschrieben.\n"),
            std::string::npos)
      << logText();
}

// A repeated final run of a period hands over its own corrections, not
// those an earlier run of the period handed over already.
TEST_F(LodasTest, OnlyTheJournalRowsOfThisRunAreHandedOver) {
  journal({{"Zk5Key", "08.01.2025 07:30:00"}, {"Zk5Std", 480}});
  journal({{"Zk5Std", 450}});
  journal({{"Zk5Abr", 6}, {"Zk5Std", 300}});
  journal({{"Zk5Lfn", 1}, {"Zk5Std", 200}});
  EXPECT_EQ(handOver(lodas), 0);
  EXPECT_EQ(exported("LodasSST-1.txt"),
            kDescription +
                std::string("\r\n[Bewegungsdaten]\r\n1;1001;01.11.2024;01;7.50;100;4100;;\r\n"));
}

TEST_F(LodasTest, ThirteenPeriodsEndTheRunWithoutAnyFileOfTheSet) {
  std::ofstream(inst.exportDir() / "LodasSST-0.txt") << "last period";
  std::ofstream(inst.exportDir() / "LodasSST-12.txt") << "last period";
  record({{"Zk1Std", 60}});
  correctedPeriods(13);
  EXPECT_EQ(handOver(lodas), 1);
  EXPECT_TRUE(noFileOfTheSet());
  EXPECT_TRUE(fs::is_empty(inst.exportDir()));  // no temporary file either
  const std::string log = logText();
  EXPECT_NE(log.find("\nZu viele Rückrechnungszeiträume !\n"), std::string::npos) << log;
  EXPECT_EQ(log.find("beendet"), std::string::npos);
}

TEST_F(LodasTest, TwelvePeriodsAreHandedOver) {
  correctedPeriods(12);
  EXPECT_EQ(handOver(lodas), 0);
  EXPECT_NE(exported("LodasSST-1.txt").find(";12.11.2024;"), std::string::npos);
  EXPECT_NE(exported("LodasSST-12.txt").find(";01.11.2024;"), std::string::npos);
}

// Without its staging table the hand-over cannot be read back: it fails
// and leaves no file a clerk could import.
TEST_F(LodasTest, StagingThatCannotBeReadFailsTheHandOver) {
  std::ofstream(inst.exportDir() / "LodasSST-0.txt") << "last period";
  record({{"Zk1Std", 60}});
  ASSERT_EQ(inst.db().exec("drop table Hor333Ld1"), 0);
  inst.db().commit();
  EXPECT_EQ(handOver(lodas), 1);
  EXPECT_TRUE(noFileOfTheSet());
  EXPECT_EQ(inst.scalar("select AkrAdt from O1001AbrKreis"), "60");
  const std::string log = logText();
  EXPECT_NE(log.find("\nDeleteFehler HOR333Ld1, Sqlfhl: -942\n"), std::string::npos) << log;
  EXPECT_NE(log.find("\n     SQL_Hor333Ld1_Write, ERROR: -942\n0 Datensätze aus Hor333Zk1"),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("Fehler beim Lesen der Schnittstellentabelle, Sqlfhl: -942\n"),
            std::string::npos);
}

TEST_F(LodasTest, FormerFilesAreRemoved) {
  const fs::path former = inst.root() / "Transfer" / "Lohn- und Gehaltsübergabe";
  fs::create_directories(former);
  std::ofstream(former / "LodasSST-0.txt") << "old";
  std::ofstream(inst.exportDir() / "LodasSST-5.txt") << "last period";
  EXPECT_EQ(ownPeriodFile(), ownPeriodLines(""));
  EXPECT_FALSE(fs::exists(former / "LodasSST-0.txt"));
  EXPECT_FALSE(exists("LodasSST-5.txt"));
}

class LodasWithoutNumbers : public LodasTest {
 protected:
  LodasWithoutNumbers() : LodasTest({{"LugFir", ""}, {"LugAkr", nullptr}}) {}
};

TEST_F(LodasWithoutNumbers, EmptyClientNumbersAreWrittenAsQuestionMarks) {
  const std::string file = ownPeriodFile();
  EXPECT_NE(file.find("\r\nBeraterNr=???\r\nMandantenNr=???\r\n"), std::string::npos) << file;
}

class LodasKeepingStaging : public test::ExporterTest {
 protected:
  LodasKeepingStaging() : ExporterTest("LODAS", {}, {{"AkrSsl", 0}}) {}
};

TEST_F(LodasKeepingStaging, SecondRunAddsToTheRowsOfTheFirst) {
  record({{"Zk1Std", 60}});
  EXPECT_EQ(handOver(lodas), 0);
  EXPECT_EQ(handOver(lodas), 0);
  EXPECT_NE(exported("LodasSST-0.txt").find("\r\n1;1001;02.12.2024;01;2.00;100;4100;;\r\n"),
            std::string::npos);
}

}  // namespace
}  // namespace lug::exporters
