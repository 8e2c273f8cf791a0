#include "admin/control_report.h"

#include <fcntl.h>

#include <cstdio>

#include "admin/report_figures.h"
#include "admin/report_products.h"
#include "admin/report_rejections.h"
#include "admin/report_sections.h"
#include "base/cp1252.h"
#include "base/own_file.h"
#include "export/products.h"

namespace lug::admin {
namespace {

// The previous period's final hand-over, when the group has one.
int readPrevious(db::Session& session, ReportFigures& f) {
  int st = readPreviousPeriod(session, f.akr, f.current.abrnr, f.previousPeriod);
  if (st != db::kOk || f.previousPeriod == 0) return st;
  HandOver previous;
  st = readHandOver(session, f.akr, f.previousPeriod, 0, previous);
  if (st != db::kOk) return st;
  if (previous.kinds.empty()) return db::kOk;  // no final run
  f.changes = compareWageTypes(f.current.wageTypes, previous.wageTypes);
  f.previous = std::move(previous);
  return db::kOk;
}

int readFigures(db::Session& session, const ReportRequest& request, ReportFigures& f) {
  f.akr = request.akr;
  int st = readInterfaceType(session, f.akr, f.interfaceType);
  if (st == db::kOk) st = readHandOver(session, f.akr, request.abrnr, request.lfn, f.current);
  if (st == db::kOk) st = readPrevious(session, f);
  if (st != db::kOk) return st;
  f.rejections = rejectionLines(request.runLog, f.akr, request.abrnr);
  const exporters::PayrollProducts* products = exporters::productsOf(f.interfaceType);
  if (products == nullptr) return db::kOk;
  f.system = products->system;
  f.files = productFiles(*products, request.productsDir);
  return stagingRows(session, *products, f.tables);
}

}  // namespace

int makeControlReport(db::Session& session, const ReportRequest& request, ControlReport& report) {
  ReportFigures figures;
  const int st = readFigures(session, request, figures);
  if (st != db::kOk) return st;
  const std::vector<ReportSection> sections = reportSections(figures);
  report.text = renderText(sections);
  report.csv = renderCsv(sections);
  return db::kOk;
}

namespace {

// Writes `bytes` as `dir`/`name`; the file takes its name only when complete.
bool writeComplete(const std::string& bytes, const std::filesystem::path& dir,
                   const std::string& name) {
  const std::filesystem::path path = dir / name;
  const std::filesystem::path temporary = dir / ("." + name + ".tmp");
  std::FILE* file = base::openOwnFile(temporary, O_WRONLY | O_CREAT | O_TRUNC, "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  bool done = std::fclose(file) == 0 && written;
  std::error_code error;
  if (done) std::filesystem::rename(temporary, path, error);
  done = done && !error;
  if (!done) std::filesystem::remove(temporary, error);
  return done;
}

}  // namespace

bool writeControlReportCsv(const ControlReport& report, const std::filesystem::path& dir) {
  return writeComplete(report.csv, dir, kControlReportFile);
}

bool writeControlReportText(const ControlReport& report, const std::filesystem::path& dir) {
  return writeComplete(base::toWindows1252(base::crlf(report.text)), dir, kControlReportTextFile);
}

}  // namespace lug::admin
