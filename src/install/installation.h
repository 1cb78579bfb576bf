// The installation step of the first run: a copy of the program in the
// install folder and shortcuts on the desktop and in the Startup folder,
// through the Shell and FileSystem ports. Main thread only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/environment.h"
#include "platform/file_system.h"
#include "platform/shell.h"

namespace dw::install {

// The drive letter is fixed; the trailing separator belongs to the text.
inline constexpr std::string_view kInstallFolder = "C:\\Korvana\\";
inline constexpr std::string_view kShortcutFileName = "\\Korvana Dialwave.lnk";
inline constexpr std::string_view kAutoArgument = "/auto";

// Shell special folders (CSIDL numbers).
inline constexpr int kCsidlStartup = 7;
inline constexpr int kCsidlDesktopDirectory = 16;
inline constexpr int kCsidlCommonStartup = 24;
inline constexpr int kCsidlCommonDesktopDirectory = 25;

struct ShortcutFolders {
  int desktop = 0;
  int startup = 0;
};
// All users' folders on the NT family (platform id 2), the user's own on 9x.
ShortcutFolders ShortcutFoldersFor(std::uint32_t platformId);

// The folder part of a path, up to and including its last separator.
std::string FolderOf(std::string_view path);
// Whether the program runs from the install folder, in any letter case.
bool RunsFromInstallFolder(std::string_view executablePath);

enum class InstallOption { Desktop, Autorun, Copy };

// The settings panel's three option boxes, as the step reads them.
class InstallOptionControls {
 public:
  virtual ~InstallOptionControls() = default;
  virtual bool Checked(InstallOption option) const = 0;
};

// How the step tells the user about a failure.
class InstallNotices {
 public:
  virtual ~InstallNotices() = default;
  // The program's own message box, kind error, one OK button (code page 1251).
  virtual void ShowError(const std::string& text) = 0;
  // The platform's standard message box under the application title.
  virtual void ShowSystemMessage(const std::string& text) = 0;
};

struct InstallPorts {
  const Environment& environment;  // platform id and the running file's path
  FileSystem& files;
  Shell& shell;
  InstallNotices& notices;
};

struct InstallChoice {
  bool desktop = true;
  bool autorun = true;
  bool copy = true;
};
InstallChoice ChoiceOf(const InstallOptionControls& controls);

// Writes one shortcut file "<special folder>\Korvana Dialwave.lnk" whose
// working directory is the target's folder. NoLinkObject when the shell's
// link object cannot be made; a folder the system does not have gives
// NotSaved and no file.
ShortcutResult CreateShortcut(Shell& shell, const std::string& target, const std::string& arguments,
                              const std::string& description, int folder);

// The step behind "Далее": true when every part of it ran. On false the
// user has been told why (except when the shell has no link object) and
// may press "Далее" again.
bool RunInstallation(const InstallChoice& choice, const InstallPorts& ports);

}  // namespace dw::install
