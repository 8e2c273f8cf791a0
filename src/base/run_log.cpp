#include "base/run_log.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdarg>
#include <cstdio>
#include <filesystem>
#include <memory>
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

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

bool append(std::FILE* file, std::string_view text) {
  return std::fwrite(text.data(), 1, text.size(), file) == text.size() && std::fflush(file) == 0;
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

// A link in the log's place is not followed: the line is dropped, as for a
// log that cannot be written.
void RunLog::write(std::string_view text) {
  const File file(openOwnFile(path_, O_WRONLY | O_APPEND | O_CREAT, "ab"));
  if (!file) return;
  if (!append(file.get(), crlf(toWindows1252(text)) + "\r\n")) return;
  struct stat st {};
  if (::fstat(::fileno(file.get()), &st) != 0 ||
      static_cast<std::uintmax_t>(st.st_size) <= kSizeLimit)
    return;
  append(file.get(), toWindows1252(kOverflowMessage));
  throw RunExit{1};
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
  fs::rename(path_, oldLogPath(base, 1), ignored);
}

}  // namespace lug::base
