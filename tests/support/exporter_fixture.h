#pragma once
// Tests of one payroll exporter: accounting group G1 on interface L1 of the
// exporter's interface type, period 7 (December 2024), rows of the interface
// lines, record kinds and period records with defaults that a test overrides
// by column name, the exporter called in-process with the run context the
// run driver would give it, and byte-exact comparison of transfer files with
// golden files under tests/.
#include <gtest/gtest.h>

#include <string>

#include "base/run_context.h"
#include "base/run_log.h"
#include "export/dispatch.h"
#include "support/installation.h"

namespace lug::test {

// The values of `defaults`, each replaced by the value of the same column in
// `overrides`; columns only in `overrides` are added.
Row withDefaults(Row defaults, const Row& overrides);

// A period record (Hor331Zk1) of period 7, final run: kind "LA", 2024.12.02,
// employee 1001, account "AZ", wage type "100", cost centre "4100", no
// minutes; `overrides` replace columns by name.
Row periodRecord(const Row& overrides);

class ExporterTest : public ::testing::Test {
 protected:
  // `header` overrides the interface header's columns (LugLgp, LugMon,
  // LugFir, LugAkr, ...); `group` those of the accounting group (AkrSsl, ...).
  explicit ExporterTest(const std::string& interfaceType, const Row& header = {},
                        const Row& group = {});

  // An interface line (Hor171Lu1) of L1: kind "LA", account "AZ", wage type
  // "100", valid from 2020, every flag 1.
  void line(const Row& overrides = {});
  // A record kind (Hor170Lg1) of the interface type.
  void recordKind(const Row& overrides);
  // Inserts periodRecord(overrides).
  void record(const Row& overrides) { inst.insert("Hor331Zk1", periodRecord(overrides)); }

  // Calls the exporter as the dispatch would after the calculation phases,
  // with ctx as the driver fills it (interface row read, export directory
  // created, start time "09.01.2025 07:30:00"); returns the exit status a
  // fatal condition ended it with, or 0 when it returned.
  int handOver(const Exporter& exporter);

  // Bytes of a file in the export directory ("" when it does not exist).
  std::string exported(const std::string& name) const;
  bool exists(const std::string& name) const;
  // Compares bytes with a golden file, a path below tests/ (with
  // LUG_UPDATE_GOLDEN=1 in the environment the golden file is written).
  void expectGolden(const std::string& bytes, const std::string& goldenPath) const;
  // The run log with LF line ends, its German letters (Latin-1) as UTF-8.
  std::string logText() const;

  Installation inst;
  base::RunLog runLog{inst.logPath().string()};
  RunContext ctx{inst.db(), runLog};
};

}  // namespace lug::test
