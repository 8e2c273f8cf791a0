#pragma once
// Runs of the hand-over in the test process: an installation with one
// accounting group, a recording double in place of the calculation phases and
// recording exporters in place of the payroll exporters.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "driver/phases.h"
#include "export/dispatch.h"
#include "support/installation.h"

namespace lug::driver::testing {

// Records every phase call as "name(akr,abrnr,offset,follow)"; a test may add
// a hook that runs inside the call (to look at the run context or to fail).
class RecordingPhases : public Phases {
 public:
  using Hook = std::function<void(RunContext&, const std::string& call)>;

  void periodRun(RunContext& ctx, const std::string& akr, int32_t abrnr, int16_t offset,
                 int16_t follow) override;
  void interimDifferences(RunContext& ctx) override;
  void recalculate(RunContext& ctx, const std::string& akr, int32_t abrnr, int16_t offset,
                   int16_t follow) override;
  void differenceRecords(RunContext& ctx) override;
  // The export of a recording dispatch entry: "export(KEY)".
  void exported(RunContext& ctx, std::string_view key);

  std::vector<std::string> calls;
  Hook hook;

 private:
  void record(RunContext& ctx, std::string call);
};

// The program's dispatch table with every exporter replaced by a recorder.
std::vector<DispatchEntry> recordingDispatch(RecordingPhases& phases);

// The run log text a sequence of messages gives: Windows-1252, CR LF.
std::string logged(const std::vector<std::string>& messages);

class DriverTest : public ::testing::Test {
 protected:
  explicit DriverTest(test::TestEngine engine = test::defaultTestEngine());
  ~DriverTest() override;

  // Accounting group `akr` with an interface of the same key and type `lgp`, and the
  // periods 202301 to 202412 (number yyyymm, first to last day of the month).
  void addGroup(const std::string& akr, const std::string& lgp, const test::Row& extra = {});
  void addPeriod(const std::string& akr, int32_t yyyymm, int16_t status = 0);
  void addFollowOffset(const std::string& akr, int16_t offset);
  // A stored period record of period `abrnr` with run number `lfn`.
  void addRecord(int32_t abrnr, int16_t lfn, int16_t rre = 1);
  // Runs a statement without host variables on the installation's session and commits.
  void change(const std::string& sql);

  // Runs in process with the arguments after the program name.
  int run(const std::vector<std::string>& args);
  // Runs group A1, period 202403, in the given mode with further arguments.
  int runA1(const std::string& mode = "0", const std::vector<std::string>& more = {});
  static void setClock(const char* sysdate);

  std::string log() const { return inst.logText(); }
  bool logHas(const std::string& message) const;
  std::string runStatus(const std::string& akr = "A1");

  test::Installation inst;
  RecordingPhases phases;
  std::vector<DispatchEntry> dispatch = recordingDispatch(phases);
  std::ostringstream console;

 private:
  std::filesystem::path previousDir_;
};

}  // namespace lug::driver::testing
