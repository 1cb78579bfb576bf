// The Windows shell as the program uses it: special folders, shortcut files
// and opening an address with its registered program.
#pragma once

#include <string>

namespace dw {

// What one shortcut file says. Paths are in the system's ANSI code page, as
// the system gives them; the description is code page 1251 text.
struct ShortcutLink {
  std::string target;
  std::string arguments;         // empty: none set
  std::string description;
  std::string workingDirectory;  // kept as given, trailing separator included

  bool operator==(const ShortcutLink&) const = default;
};

enum class ShortcutResult {
  Saved,
  NotSaved,        // the link object exists but the file was not written
  NoLinkObject,    // the shell's link object could not be created
};

class Shell {
 public:
  virtual ~Shell() = default;

  // The file-system path of a special folder by its CSIDL number, without a
  // trailing separator; empty when the system has no such folder.
  virtual std::string SpecialFolderPath(int csidl) = 0;
  // Writes `link` to the file `linkPath` (ANSI code page), replacing one
  // that is there. Needs COM on the calling thread.
  virtual ShortcutResult SaveShortcut(const std::string& linkPath, const ShortcutLink& link) = 0;
  // Opens `target` (an address, "mailto:..." or a file, code page 1251) with
  // the verb "open", shown normally. False when the shell refuses.
  virtual bool Open(const std::string& target) = 0;
};

}  // namespace dw
