#pragma once
// A transfer file for a payroll system. It is written under a temporary name
// in the export directory and renamed over its own name only when it is
// complete, flushed to disk and closed, so that the payroll system never
// imports a truncated file: a run that fails or dies while writing leaves the
// previous file of that name as it was.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace lug::exporters {

// Whether opening a transfer file removes the file of the same name in the
// former transfer directory (most payroll systems' files) or leaves it.
enum class FormerCopy { Remove, Keep };

class TransferFile {
 public:
  // `exportDir` is the transfer directory's Export subdirectory of the schema
  // ("../Transfer/Lohn und Gehalt/Export/<SCHEMA>").
  TransferFile(const std::filesystem::path& exportDir, std::string name);
  // Removes the temporary file unless the file was committed.
  ~TransferFile();
  TransferFile(const TransferFile&) = delete;
  TransferFile& operator=(const TransferFile&) = delete;

  // Deletes the file of the same name in the former transfer directory
  // ("../Transfer/Lohn- und Gehaltsübergabe"; a missing file is no error) and
  // creates the temporary file exclusively, after removing a stale one or a
  // link in its place. False when it cannot be created. With
  // FormerCopy::Keep the former transfer directory is left alone.
  bool open(FormerCopy former = FormerCopy::Remove);
  // Appends UTF-8 text as Windows-1252, every line feed as CR LF.
  void write(std::string_view text);
  void printf(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // Flushes, syncs and closes the temporary file and renames it over the
  // file's name, provided it is still the regular file written. False (and
  // the temporary file removed) when any write, the close or the rename
  // failed.
  bool commit() { return close() && publish(); }
  // The two halves of commit, for a set of files that take their names
  // together: close (false, and the temporary file removed, when a write or
  // the close failed) and then publish (the rename).
  bool close();
  bool publish();

  const std::string& name() const { return name_; }
  std::filesystem::path path() const { return exportDir_ / name_; }
  std::filesystem::path temporaryPath() const;

 private:
  void discard();

  std::filesystem::path exportDir_;
  std::string name_;
  std::FILE* file_ = nullptr;
  bool failed_ = false;
  bool closed_ = false;  // complete under the temporary name
  struct {
    uint64_t device = 0, inode = 0;
  } written_;  // the file written, which alone may take the name
};

// The transfer directory of earlier versions: the export directory lies three
// levels below the transfer directory ("Lohn und Gehalt/Export/<SCHEMA>").
std::filesystem::path formerTransferDir(const std::filesystem::path& exportDir);

}  // namespace lug::exporters
