#include "base/own_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lug::base {

int openOwnDescriptor(const std::filesystem::path& path, int flags) {
  // O_NONBLOCK: a FIFO in the file's place must not stall the run.
  const int fd = ::open(path.c_str(), flags | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0666);
  if (fd < 0) return -1;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return -1;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

std::FILE* openOwnFile(const std::filesystem::path& path, int flags, const char* mode) {
  const int fd = openOwnDescriptor(path, flags);
  if (fd < 0) return nullptr;
  std::FILE* file = ::fdopen(fd, mode);
  if (!file) ::close(fd);
  return file;
}

}  // namespace lug::base
