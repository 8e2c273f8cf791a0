// The export dispatch: which interface type selects which exporter.
#include "export/dispatch.h"

#include <gtest/gtest.h>

#include "driver/run_fixture.h"

namespace lug::driver::testing {
namespace {

// The key of the first entry of the program's table that the type selects.
std::string selectedKey(std::string_view type) {
  for (const DispatchEntry& entry : standardDispatchTable())
    if (matches(entry, type)) return std::string(entry.key);
  return "none";
}

TEST(DispatchTable, TypesSelectTheFirstMatchingEntry) {
  const std::vector<std::pair<const char*, const char*>> cases = {
      {"LOGA", "LOGA"},   {"LOGA4", "LOGA4"}, {"LOGA2", "LOGA2"}, {"LOGA1", "none"},
      {"LOGA3", "none"},  {"LOG", "none"},    {"IBM", "IBM"},     {"IBMXY", "IBM"},
      {"PAISY", "PAISY"}, {"PAIS", "none"},   {"DATEV", "DATEV"}, {"DATE", "none"},
      {"ASR", "ASR"},     {"ASR12", "ASR"},   {"XXL1", "XXL"},    {"EMIS", "EMIS"},
      {"EMIS2", "EMIS"},  {"EMI", "none"},    {"SCHLP", "SCHLP"}, {"ProAL", "ProAL"},
      {"PROAL", "none"},  {"SAP", "SAP"},     {"SAPHR", "SAP"},   {"SBS99", "SBS"},
      {"BAUMN", "BAUMN"}, {"sage", "sage"},   {"SAGE", "none"},   {"sage1", "none"},
      {"LODAS", "LODAS"}, {"Raet", "Raet"},   {"RAET", "none"},   {"Raet1", "none"},
      {"PSYBR", "PSYBR"}, {"GOD", "GOD"},     {"GODXX", "GOD"},   {"TOPAS", "TOPAS"},
      {"TOPA", "none"},   {"PRMAN", "PRMAN"}, {"", "none"},       {"datev", "none"}};
  for (const auto& [type, key] : cases) EXPECT_EQ(selectedKey(type), key) << type;
}

TEST(DispatchTable, CallsExactlyOneExporter) {
  int first = 0, second = 0;
  const std::vector<DispatchEntry> table = {{"SAP", 3, [&](RunContext&) { ++first; }},
                                            {"SAPHR", 5, [&](RunContext&) { ++second; }}};
  test::Installation inst;
  base::RunLog log((inst.root() / "log.txt").string());
  RunContext ctx(inst.db(), log);
  ctx.lug.lgp = "SAPHR";
  EXPECT_TRUE(dispatchExport(ctx, table));
  ctx.lug.lgp = "XY";
  EXPECT_FALSE(dispatchExport(ctx, table));
  EXPECT_EQ(first, 1);
  EXPECT_EQ(second, 0);
}

class DispatchRunTest : public DriverTest {};

TEST_F(DispatchRunTest, ExporterRunsOnceAfterTheCalculationIsCommitted) {
  static constexpr char kStore[] = "insert into Hor331Zk1 (Zk1Abr,Zk1Lfn) values (:b0,:b1)";
  addGroup("A1", "SAPHR");
  std::string committed;
  phases.hook = [&](RunContext& ctx, const std::string& call) {
    if (call.rfind("periodRun", 0) == 0) ctx.db.exec(kStore, {ctx.abrnr, ctx.lfn});
    // Another connection sees the records only once they are committed.
    if (call.rfind("export", 0) == 0) committed = inst.scalar("select count(*) from Hor331Zk1");
  };
  EXPECT_EQ(runA1(), 1);
  EXPECT_EQ(phases.calls, (std::vector<std::string>{"periodRun(A1,202403,0,0)", "export(SAP)"}));
  EXPECT_EQ(committed, "1");
}

TEST_F(DispatchRunTest, UnknownOrEmptyTypeEndsTheRunNormallyWithoutExport) {
  addGroup("A1", "LOGA3");
  addGroup("A2", "");
  EXPECT_EQ(runA1(), 1);
  EXPECT_EQ(run({inst.service(), "TEST", "A2", "202403", "0"}), 1);
  EXPECT_EQ(phases.calls,
            (std::vector<std::string>{"periodRun(A1,202403,0,0)", "periodRun(A2,202403,0,0)"}));
  EXPECT_EQ(runStatus("A1"), "98");
  EXPECT_EQ(runStatus("A2"), "98");
  EXPECT_TRUE(logHas("LuG-Uebergabe Akr: A2, Abrnr: 202403 am 02.04.2024 08:30:00 beendet"));
}

}  // namespace
}  // namespace lug::driver::testing
