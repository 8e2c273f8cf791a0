#include "admin/report_command.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "admin/control_report.h"
#include "base/ascii_case.h"
#include "base/run_log.h"
#include "config/suite_login.h"
#include "db/shared_ops.h"

namespace lug::admin {
namespace {

int failed(const char* what, int status) {
  std::fprintf(stderr, "lug-admin: report: %s: %d\n", what, status);
  return 1;
}

}  // namespace

int reportCommand(const std::vector<std::string>& a) {
  const std::filesystem::path out = a.size() == 6 ? a[5] : ".";
  const std::string schema = base::upperAscii(a[1]);
  int st = 0;
  auto session = db::Session::connect(config::suiteLogin(a[0]), schema, st);
  if (!session) return failed("connect", st);
  st = db::setDateFormat(*session);
  if (st != db::kOk) return failed("session", st);
  const ReportRequest request{.akr = a[2],
                              .abrnr = static_cast<int32_t>(std::strtol(a[3].c_str(), nullptr, 10)),
                              .productsDir = std::filesystem::path("..") / "Transfer" /
                                             "Lohn und Gehalt" / "Export" / schema,
                              .runLog = base::defaultRunLogPath()};
  ControlReport report;
  st = makeControlReport(*session, request, report);
  if (st == db::kNoData) {
    std::fprintf(stderr, "lug-admin: report: Abrnr %s of Akr %s not found\n", a[3].c_str(),
                 a[2].c_str());
    return 1;
  }
  if (st != db::kOk) return failed("reading the hand-over", st);
  std::fputs(report.text.c_str(), stdout);
  if (!writeControlReportCsv(report, out)) {
    std::fprintf(stderr, "lug-admin: report: cannot write %s\n",
                 (out / kControlReportFile).string().c_str());
    return 1;
  }
  std::printf("\n%s\n", (out / kControlReportFile).string().c_str());
  return 0;
}

}  // namespace lug::admin
