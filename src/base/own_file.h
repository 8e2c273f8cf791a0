#pragma once
// Opening the files the program writes (run log, README.TXT, transfer files)
// without following a symbolic link planted in their place: a link, or
// anything else that is not a regular file, is refused, so that nobody can
// redirect the program's output into another file.
#include <cstdio>
#include <filesystem>

namespace lug::base {

// Opens `path` with the open(2) `flags` (O_WRONLY | O_APPEND, O_CREAT,
// O_EXCL, O_TRUNC ...) and O_NOFOLLOW as a stdio stream in binary mode `mode`
// ("ab" or "wb"). Null when the open fails, when the path is a symbolic
// link, or when it names no regular file.
std::FILE* openOwnFile(const std::filesystem::path& path, int flags, const char* mode);

// openOwnFile() as a file descriptor; -1 when the open fails or is refused.
int openOwnDescriptor(const std::filesystem::path& path, int flags);

}  // namespace lug::base
