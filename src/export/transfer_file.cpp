#include "export/transfer_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdarg>
#include <system_error>
#include <vector>

#include "base/cp1252.h"
#include "base/own_file.h"
#include "base/text_format.h"

namespace lug::exporters {
namespace {

namespace fs = std::filesystem;

// Makes the rename itself durable.
void syncDirectory(const fs::path& dir) {
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

fs::path formerTransferDir(const fs::path& exportDir) {
  return exportDir.parent_path().parent_path().parent_path() / "Lohn- und Gehaltsübergabe";
}

TransferFile::TransferFile(const fs::path& exportDir, std::string name)
    : exportDir_(exportDir), name_(std::move(name)) {}

TransferFile::~TransferFile() {
  discard();
}

fs::path TransferFile::temporaryPath() const {
  // A leading dot keeps the name out of the payroll system's file patterns.
  return exportDir_ / ("." + name_ + ".tmp");
}

bool TransferFile::open(FormerCopy former) {
  std::error_code ignored;
  if (former == FormerCopy::Remove) fs::remove(formerTransferDir(exportDir_) / name_, ignored);
  discard();
  failed_ = false;
  // A stale temporary file, or a link planted in its place, is removed and
  // the file created afresh, so that the data go into no other file.
  ::unlink(temporaryPath().c_str());
  file_ = base::openOwnFile(temporaryPath(), O_WRONLY | O_CREAT | O_EXCL, "wb");
  return file_ != nullptr;
}

void TransferFile::write(std::string_view text) {
  if (!file_ || failed_) return;
  const std::string bytes = base::toWindows1252(base::crlf(text));
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) failed_ = true;
}

void TransferFile::printf(const char* format, ...) {
  va_list args;
  va_start(args, format);
  const std::string text = base::formatV(format, args);
  va_end(args);
  write(text);
}

bool TransferFile::close() {
  if (!file_) return false;
  struct stat written {};
  bool ok = !failed_ && std::fflush(file_) == 0 && ::fsync(::fileno(file_)) == 0 &&
            ::fstat(::fileno(file_), &written) == 0;
  ok = std::fclose(file_) == 0 && ok;
  file_ = nullptr;
  std::error_code ignored;
  if (!ok) fs::remove(temporaryPath(), ignored);
  closed_ = ok;
  written_ = {.device = written.st_dev, .inode = written.st_ino};
  return ok;
}

bool TransferFile::publish() {
  if (!closed_) return false;
  closed_ = false;
  // Only the regular file written here takes the file's name, never
  // something put in its place since.
  struct stat now {};
  const bool same = ::lstat(temporaryPath().c_str(), &now) == 0 && S_ISREG(now.st_mode) &&
                    now.st_dev == written_.device && now.st_ino == written_.inode;
  std::error_code error;
  if (same) fs::rename(temporaryPath(), path(), error);
  if (!same || error) {
    fs::remove(temporaryPath(), error);
    return false;
  }
  syncDirectory(exportDir_);
  return true;
}

void TransferFile::discard() {
  if (!file_ && !closed_) return;
  if (file_) std::fclose(file_);
  file_ = nullptr;
  closed_ = false;
  std::error_code ignored;
  fs::remove(temporaryPath(), ignored);
}

}  // namespace lug::exporters
