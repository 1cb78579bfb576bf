// Files the program keeps its own data in, written in place so that a
// format can survive a power cut without MoveFileEx (9x lacks it): read a
// file, write bytes at an offset and have them on the disk before the call
// returns, rename. Paths are in the system's ANSI code page.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace dw {

enum class ReadResult {
  kRead,
  kMissing,  // no such file (or folder on the way)
  kFailed,   // it is there but could not be read (locked, a folder, ...)
};

class DataFiles {
 public:
  virtual ~DataFiles() = default;

  // The file's first `limit` bytes at most.
  virtual ReadResult Read(const std::string& path, std::size_t limit, std::string& bytes) = 0;
  // Writes `bytes` at `offset`, creating the file when missing, then flushes
  // the file to the disk and closes it. False when any step failed: the
  // bytes may then be on the disk in part.
  virtual bool WriteAt(const std::string& path, std::uint64_t offset, std::string_view bytes) = 0;
  // False when `to` exists or the rename fails; never replaces a file.
  virtual bool Rename(const std::string& from, const std::string& to) = 0;
  virtual bool Exists(const std::string& path) = 0;
};

#ifndef _WIN32
// POSIX files, for the native build and its tools.
std::unique_ptr<DataFiles> MakePosixDataFiles();
#endif

}  // namespace dw
