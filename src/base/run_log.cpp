#include "base/run_log.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <filesystem>
#include <string>
#include <system_error>

#include "base/cp1252.h"
#include "base/own_file.h"
#include "base/run_exit.h"
#include "base/text_format.h"

namespace lug::base {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kOverflowMessage = "Abbruch wegen LogFile-Überlaufs !!";
constexpr int kOldLogs = 9;

bool append(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t written = ::write(fd, text.data(), text.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    text.remove_prefix(static_cast<size_t>(written));
  }
  return true;
}

// Old log number k: the log path without its last four characters (".txt"),
// then "_k.txt".
std::string oldLogPath(const std::string& base, int number) {
  return base + "_" + std::to_string(number) + ".txt";
}

}  // namespace

std::string defaultRunLogPath() {
  return (fs::path("..") / "Horavia_php" / "log" / "log#lug.txt").string();
}

RunLog::RunLog(std::string path) : path_(std::move(path)) {}

RunLog::~RunLog() {
  close();
}

// A link in the log's place is not followed: the line is dropped, as for a
// log that cannot be written.
void RunLog::write(std::string_view text) {
  const int fd = file();
  if (fd < 0) return;
  if (!append(fd, crlf(toWindows1252(text)) + "\r\n")) return;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || static_cast<std::uintmax_t>(st.st_size) <= kSizeLimit) return;
  append(fd, toWindows1252(kOverflowMessage));
  throw RunExit{1};
}

int RunLog::file() {
  struct stat st {};
  if (fd_ >= 0 && ::lstat(path_.c_str(), &st) == 0 && st.st_dev == device_ && st.st_ino == inode_)
    return fd_;
  close();
  fd_ = openOwnDescriptor(path_, O_WRONLY | O_APPEND | O_CREAT);
  if (fd_ >= 0 && ::fstat(fd_, &st) == 0) {
    device_ = st.st_dev;
    inode_ = st.st_ino;
  } else {
    close();
  }
  return fd_;
}

void RunLog::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

void RunLog::writef(const char* format, ...) {
  va_list args;
  va_start(args, format);
  const std::string text = formatLogV(format, args);
  va_end(args);
  write(text);
}

void RunLog::rotate() {
  const std::string base = path_.substr(0, path_.size() < 4 ? 0 : path_.size() - 4);
  std::error_code ignored;
  fs::remove(oldLogPath(base, kOldLogs), ignored);
  for (int number = kOldLogs - 1; number >= 1; --number) {
    fs::rename(oldLogPath(base, number), oldLogPath(base, number + 1), ignored);
  }
  close();
  fs::rename(path_, oldLogPath(base, 1), ignored);
}

}  // namespace lug::base
