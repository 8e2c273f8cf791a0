#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace lug::base {

// "../Horavia_php/log/log#lug.txt" with the platform's separators.
std::string defaultRunLogPath();

// The plain-text log of the run, shown to users by the suite. Every line is
// handed to the operating system with its own write, so the log on disk is
// complete whatever happens to the process. The file stays open between
// lines as long as it is the one at the log's path: a log moved aside or
// removed meanwhile (by another run's rotation, say) gets the next line in a
// new file at the path. Lines that cannot be written are dropped.
class RunLog {
 public:
  static constexpr std::uintmax_t kSizeLimit = 10485760;

  explicit RunLog(std::string path = defaultRunLogPath());
  ~RunLog();
  RunLog(const RunLog&) = delete;
  RunLog& operator=(const RunLog&) = delete;

  // Appends the text and a line end in Windows-1252 with CR LF. When the log
  // then exceeds kSizeLimit, the overflow message is appended and RunExit{1}
  // is thrown. A symbolic link in the log's place is not followed (the line
  // is dropped).
  void write(std::string_view text);
  // write() of a printf format; control characters in its text values
  // become "?" (formatLogV).
  void writef(const char* format, ...) __attribute__((format(printf, 2, 3)));

  // Moves the log aside as old log number 1, shifting the old logs 1 to 8 up
  // by one and dropping number 9. Failures are ignored.
  void rotate();

  const std::string& path() const { return path_; }

 private:
  // The open file at the log's path, opened anew when the path names
  // another file than the one open; -1 when it cannot be opened.
  int file();
  void close();

  std::string path_;

  // The file open for the lines, and its identity.
  int fd_ = -1;
  dev_t device_ = 0;
  ino_t inode_ = 0;
};

}  // namespace lug::base
