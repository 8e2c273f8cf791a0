#pragma once
// The transfer files of one exporter's hand-over, as one set. When the
// hand-over starts, every file of the set is removed from its final name, so
// that a hand-over that fails never leaves last period's file where a clerk
// would import it a second time. The files are written under temporary names
// and take their final names together, when the hand-over is complete.
#include <memory>
#include <string>
#include <vector>

#include "base/run_context.h"
#include "export/transfer_file.h"

namespace lug::exporters {

class TransferFiles {
 public:
  // `names`: every file the exporter may write in the export directory.
  TransferFiles(RunContext& ctx, std::vector<std::string> names);
  TransferFiles(const TransferFiles&) = delete;
  TransferFiles& operator=(const TransferFiles&) = delete;

  // Opens one file of the set (its copy in the former transfer directory is
  // removed unless `former` keeps it). When it cannot be created,
  // `openFailure` is logged and the process ends with exit status 1 without
  // the abort routine.
  TransferFile& open(const std::string& name, const char* openFailure,
                     FormerCopy former = FormerCopy::Remove);

  // Completes every opened file and gives each its final name. When a file
  // cannot be completed, the failure is logged, no file of the set is left
  // under its final name, and the process ends like a file that cannot be
  // opened.
  void complete();

 private:
  void removeFinalNames();

  RunContext& ctx_;
  std::vector<std::string> names_;
  std::vector<std::unique_ptr<TransferFile>> files_;
};

}  // namespace lug::exporters
