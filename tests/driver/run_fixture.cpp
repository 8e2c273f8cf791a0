#include "driver/run_fixture.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "base/cp1252.h"
#include "db/oracle.h"
#include "driver/run.h"

namespace lug::driver::testing {
namespace {

std::string callText(const char* name, const std::string& akr, int32_t abrnr, int16_t offset,
                     int16_t follow) {
  char buf[128];
  std::snprintf(buf, sizeof buf, "%s(%s,%d,%d,%d)", name, akr.c_str(), abrnr, offset, follow);
  return buf;
}

}  // namespace

void RecordingPhases::record(RunContext& ctx, std::string call) {
  calls.push_back(call);
  if (hook) hook(ctx, call);
}

void RecordingPhases::periodRun(RunContext& ctx, const std::string& akr, int32_t abrnr,
                                int16_t offset, int16_t follow) {
  record(ctx, callText("periodRun", akr, abrnr, offset, follow));
}

void RecordingPhases::interimDifferences(RunContext& ctx) {
  record(ctx, "interimDifferences");
}

void RecordingPhases::recalculate(RunContext& ctx, const std::string& akr, int32_t abrnr,
                                  int16_t offset, int16_t follow) {
  record(ctx, callText("recalculate", akr, abrnr, offset, follow));
}

void RecordingPhases::differenceRecords(RunContext& ctx) {
  record(ctx, "differenceRecords");
}

void RecordingPhases::exported(RunContext& ctx, std::string_view key) {
  record(ctx, "export(" + std::string(key) + ")");
}

std::vector<DispatchEntry> recordingDispatch(RecordingPhases& phases) {
  std::vector<DispatchEntry> table = standardDispatchTable();
  for (DispatchEntry& entry : table) {
    const std::string_view key = entry.key;
    entry.exporter = [&phases, key](RunContext& ctx) { phases.exported(ctx, key); };
  }
  return table;
}

std::string logged(const std::vector<std::string>& messages) {
  std::string text;
  for (const std::string& m : messages) text += m + "\n";
  return base::crlf(base::toWindows1252(text));
}

DriverTest::DriverTest(test::TestEngine engine)
    : inst("TEST", engine), previousDir_(std::filesystem::current_path()) {
  std::filesystem::current_path(inst.workDir());
  setClock("2024.04.02 08:30:00");
}

DriverTest::~DriverTest() {
  std::filesystem::current_path(previousDir_);
  ::unsetenv("LUG_SYSDATE");
}

void DriverTest::setClock(const char* sysdate) {
  ::setenv("LUG_SYSDATE", sysdate, 1);
}

void DriverTest::addGroup(const std::string& akr, const std::string& lgp, const test::Row& extra) {
  test::Row group{{"AkrNum", akr}, {"AkrLug", akr}};
  group.insert(group.end(), extra.begin(), extra.end());
  inst.insert("O1001AbrKreis", group);
  inst.insert("Hor171Lug", {{"LugLug", akr}, {"LugLgp", lgp}});
  for (int32_t year : {2023, 2024})
    for (int32_t month = 1; month <= 12; ++month) addPeriod(akr, year * 100 + month);
}

void DriverTest::addPeriod(const std::string& akr, int32_t yyyymm, int16_t status) {
  char von[32], bis[32];
  const int year = yyyymm / 100, month = yyyymm % 100;
  std::snprintf(von, sizeof von, "%04d.%02d.01", year, month);
  std::snprintf(bis, sizeof bis, "%04d.%02d.%02d", year, month,
                db::oracle::daysInMonth(year, month));
  inst.insert("Hor330Abr", {{"AbrAkr", akr},
                            {"AbrNum", yyyymm},
                            {"AbrVon", std::string(von)},
                            {"AbrBis", std::string(bis)},
                            {"AbrSts", status}});
}

void DriverTest::addFollowOffset(const std::string& akr, int16_t offset) {
  inst.insert("Hor171Lu1", {{"Lu1Num", akr}, {"Lu1Flg", offset}});
}

void DriverTest::addRecord(int32_t abrnr, int16_t lfn, int16_t rre) {
  inst.insert(
      "Hor331Zk1",
      {{"Zk1Abr", abrnr}, {"Zk1Lfn", lfn}, {"Zk1Pnr", "4711"}, {"Zk1Std", 60}, {"Zk1Rre", rre}});
}

void DriverTest::change(const std::string& sql) {
  EXPECT_EQ(inst.db().execDynamic(sql), db::kOk) << sql;
  inst.db().commit();
}

int DriverTest::run(const std::vector<std::string>& args) {
  RunEnvironment env{phases, dispatch, console};
  return runHandover(args, env);
}

int DriverTest::runA1(const std::string& mode, const std::vector<std::string>& more) {
  std::vector<std::string> args{inst.service(), "TEST", "A1", "202403", mode};
  args.insert(args.end(), more.begin(), more.end());
  return run(args);
}

bool DriverTest::logHas(const std::string& message) const {
  return ("\r\n" + log()).find("\r\n" + logged({message})) != std::string::npos;
}

std::string DriverTest::runStatus(const std::string& akr) {
  return inst.scalar("select AkrAdt from O1001AbrKreis where AkrNum='" + akr + "'");
}

}  // namespace lug::driver::testing
