#include "install/installation.h"

#include <initializer_list>

#include "log/log.h"
#include "text/texts.h"

namespace dw::install {
namespace {

constexpr std::int32_t kCaughtError = 888;

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  }
  return true;
}

// The table's format with each "%s" replaced by the next value, verbatim:
// paths may hold '%' themselves.
std::string Fill(TextId format, std::initializer_list<std::string_view> values) {
  const std::string& f = Text(format);
  std::string out;
  auto next = values.begin();
  for (std::size_t i = 0; i < f.size(); ++i) {
    if (f[i] == '%' && i + 1 < f.size() && f[i + 1] == 's' && next != values.end()) {
      out += *next++;
      ++i;
    } else {
      out += f[i];
    }
  }
  return out;
}

std::string FileNameOf(std::string_view path) {
  const auto slash = path.find_last_of("\\/");
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

}  // namespace

ShortcutFolders ShortcutFoldersFor(std::uint32_t platformId) {
  if (platformId == 2) return {kCsidlCommonDesktopDirectory, kCsidlCommonStartup};
  return {kCsidlDesktopDirectory, kCsidlStartup};
}

std::string FolderOf(std::string_view path) {
  const auto slash = path.find_last_of("\\/");
  return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

bool RunsFromInstallFolder(std::string_view executablePath) {
  return EqualIgnoringAsciiCase(FolderOf(executablePath), kInstallFolder);
}

InstallChoice ChoiceOf(const InstallOptionControls& controls) {
  return {controls.Checked(InstallOption::Desktop), controls.Checked(InstallOption::Autorun),
          controls.Checked(InstallOption::Copy)};
}

ShortcutResult CreateShortcut(Shell& shell, const std::string& target, const std::string& arguments,
                              const std::string& description, int folder) {
  const std::string folderPath = shell.SpecialFolderPath(folder);
  if (folderPath.empty()) {
    // Without the folder the name alone would land in the current drive's root.
    WriteLog("CreateShortcut", kCaughtError, "no special folder " + std::to_string(folder));
    return ShortcutResult::NotSaved;
  }
  const std::string linkPath = folderPath + std::string(kShortcutFileName);
  const ShortcutResult result =
      shell.SaveShortcut(linkPath, {target, arguments, description, FolderOf(target)});
  if (result != ShortcutResult::Saved) {
    WriteLog("CreateShortcut", kCaughtError,
             (result == ShortcutResult::NoLinkObject ? "no shell link object for " : "not saved: ") +
                 linkPath);
  }
  return result;
}

bool RunInstallation(const InstallChoice& choice, const InstallPorts& ports) {
  const std::string running = ports.environment.ExecutablePath();
  std::string target = running;
  // A copy onto the running file itself can only fail; the file is already
  // where the copy would go.
  if (choice.copy && !RunsFromInstallFolder(running)) {
    const std::string folder(kInstallFolder);
    if (!ports.files.DirectoryExists(folder) && !ports.files.MakeDirectory(folder)) {
      ports.notices.ShowError(Fill(TextId::InstallFolderError, {folder}));
      return false;
    }
    target = folder + FileNameOf(running);
    if (!ports.files.CopyReplacing(running, target)) {
      ports.notices.ShowSystemMessage(Fill(TextId::InstallCopyError, {running, folder}));
      return false;
    }
  }

  const ShortcutFolders folders = ShortcutFoldersFor(ports.environment.PlatformId());
  const std::string& description = Text(TextId::ShortcutDescription);
  if (choice.desktop &&
      CreateShortcut(ports.shell, target, "", description, folders.desktop) ==
          ShortcutResult::NoLinkObject) {
    return false;
  }
  if (choice.autorun &&
      CreateShortcut(ports.shell, target, std::string(kAutoArgument), description,
                     folders.startup) == ShortcutResult::NoLinkObject) {
    return false;
  }
  return true;
}

}  // namespace dw::install
