#include "export/transfer_files.h"

#include <filesystem>
#include <system_error>

#include "base/run_exit.h"

namespace lug::exporters {
namespace {

constexpr char kFileNotWritten[] = "Übergabedatei %s kann nicht geschrieben werden !";

}  // namespace

TransferFiles::TransferFiles(RunContext& ctx, std::vector<std::string> names)
    : ctx_(ctx), names_(std::move(names)) {
  removeFinalNames();
}

TransferFile& TransferFiles::open(const std::string& name, const char* openFailure,
                                  FormerCopy former) {
  auto file = std::make_unique<TransferFile>(ctx_.exportDir, name);
  // A check run writes nothing outside its own directory.
  if (!file->open(ctx_.checkRun ? FormerCopy::Keep : former)) {
    ctx_.log("%s", openFailure);
    throw base::RunExit{1};
  }
  files_.push_back(std::move(file));
  return *files_.back();
}

void TransferFiles::complete() {
  for (auto& file : files_)
    if (!file->close()) {
      ctx_.log(kFileNotWritten, file->name().c_str());
      throw base::RunExit{1};
    }
  for (auto& file : files_)
    if (!file->publish()) {
      ctx_.log(kFileNotWritten, file->name().c_str());
      removeFinalNames();
      throw base::RunExit{1};
    }
  files_.clear();
}

void TransferFiles::removeFinalNames() {
  std::error_code ignored;
  for (const std::string& name : names_)
    std::filesystem::remove(std::filesystem::path(ctx_.exportDir) / name, ignored);
}

}  // namespace lug::exporters
