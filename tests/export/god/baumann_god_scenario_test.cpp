// Baumann and GOD hand-overs through the lug program.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "calc/scenario.h"
#include "export/god/baumann_god_groups.h"
#include "support/golden.h"

namespace lug::calc::test {
namespace {

TEST(BaumannGodScenario, FilesOfBothGroups) {
  Installation inst;
  lug::test::addBaumannAndGodGroups(inst);
  ASSERT_EQ(runAt(inst, "2024.02.05 08:00:00", "B", "1").exitStatus, 1);
  ASSERT_EQ(runAt(inst, "2024.03.05 08:00:00", "G", "12").exitStatus, 1);
  const auto golden = [&](const char* name, const std::string& goldenPath) {
    lug::test::expectGoldenFile(lug::test::readFile(inst.exportDir() / name), goldenPath);
  };
  golden("BMNLUG.txt", "export/baumann/golden/run_BMNLUG.txt");
  golden("PVZERZDP.DAT", "export/god/golden/run_PVZERZDP.DAT");
  const Lines log = logLines(fromWindows1252(inst.logText()));
  EXPECT_EQ(logSection(log, "Baumann-Lohnprogramm Akr", "Baumann-Lohnprogramm beendet"),
            (Lines{"Baumann-Lohnprogramm Akr: B, Abrnr: 1 gestartet", "PersNr. zu lang : 10010",
                   "4 Datensätze aus Hor333Zk1 übergeben.", "Baumann-Lohnprogramm beendet"}));
  // The January absence was shortened: its cancellation is named, not handed over.
  EXPECT_EQ(logSection(log, "GOD-Lohnprogramm Akr", "GOD-Lohnprogramm beendet"),
            (Lines{"GOD-Lohnprogramm Akr: G, Abrnr: 12 gestartet",
                   "Pnr 5001: Abwesenheit 15.01.2024 - 17.01.2024 storniert, nicht übergeben (in "
                   "GOD von Hand stornieren)",
                   "4 Datensätze aus Hor333Zk1 übergeben.", "GOD-Lohnprogramm beendet"}));
  EXPECT_EQ(inst.scalar("select AkrAdt from O1001AbrKreis where AkrNum='G'"), "98");
}

}  // namespace
}  // namespace lug::calc::test
