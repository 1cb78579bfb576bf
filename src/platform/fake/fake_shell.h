// Shell and FileSystem for tests: special folders from a table, shortcut
// files and folders kept in memory, and a record of every call.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/shell.h"

namespace dw {

class FakeShell final : public Shell {
 public:
  struct Saved {
    std::string path;
    ShortcutLink link;
  };

  std::map<int, std::string> folders;  // CSIDL -> path; others have none
  bool linkObjectAvailable = true;
  bool saveFails = false;
  bool openFails = false;

  std::vector<Saved> saves;          // every save, in order
  std::map<std::string, ShortcutLink> files;  // what is on "disk", by path
  std::vector<std::string> opened;

  std::string SpecialFolderPath(int csidl) override;
  ShortcutResult SaveShortcut(const std::string& linkPath, const ShortcutLink& link) override;
  bool Open(const std::string& target) override;
};

// Paths compare as Windows compares them: ignoring ASCII letter case and a
// trailing separator. "C:\" exists from the start.
class FakeFileSystem final : public FileSystem {
 public:
  FakeFileSystem();

  std::set<std::string> directories;   // normalised
  std::map<std::string, std::string> files;  // normalised path -> content
  std::set<std::string> locked;        // normalised paths no copy may replace
  bool makeDirectoryFails = false;

  std::vector<std::string> madeDirectories;  // as asked
  std::vector<std::pair<std::string, std::string>> copies;  // as asked, also failed ones

  static std::string Normalise(const std::string& path);
  void AddFile(const std::string& path, const std::string& content = "MZ");
  bool HasFile(const std::string& path) const { return files.count(Normalise(path)) != 0; }

  bool DirectoryExists(const std::string& path) override;
  bool MakeDirectory(const std::string& path) override;
  bool CopyReplacing(const std::string& from, const std::string& to) override;
};

}  // namespace dw
