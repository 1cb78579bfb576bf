// Folders and file copies, for the installation step. Paths are in the
// system's ANSI code page.
#pragma once

#include <string>

namespace dw {

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  virtual bool DirectoryExists(const std::string& path) = 0;
  // Creates one folder; its parent must exist. False when it cannot.
  virtual bool MakeDirectory(const std::string& path) = 0;
  // Copies a file, replacing a file of that name at `to`.
  virtual bool CopyReplacing(const std::string& from, const std::string& to) = 0;
};

}  // namespace dw
