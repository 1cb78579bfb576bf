// The installation step on the system's own shell and files: shortcut files
// written by the shell's link object and read back through it, the copy into
// C:\Korvana\, and a copy refused by a locked target. With DW_KEEP_INSTALL
// set the files stay for tests/win32/install_shortcuts.sh to inspect.
#include <gtest/gtest.h>

#include "platform/win32/win.h"

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>

#include "install/installation.h"
#include "platform/win32/adapters_win.h"
#include "platform/win32/wide.h"
#include "text/cp1251.h"
#include "ui/install_actions_win.h"

#include "test_handles_win.h"

namespace dw {
namespace {

struct ComScope {
  ComScope() { ok = SUCCEEDED(CoInitialize(nullptr)); }
  ~ComScope() {
    if (ok) CoUninitialize();
  }
  bool ok = false;
};

class RecordingNotices final : public install::InstallNotices {
 public:
  void ShowError(const std::string& text) override { errors.push_back(text); }
  void ShowSystemMessage(const std::string& text) override { system.push_back(text); }
  std::vector<std::string> errors;
  std::vector<std::string> system;
};

struct ReleaseCom {
  void operator()(IUnknown* p) const {
    if (p != nullptr) p->Release();
  }
};

// What a shortcut file says, read through the shell's own link object.
std::optional<ShortcutLink> ReadLink(const std::string& path) {
  IShellLinkW* raw = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(&raw)))) {
    return std::nullopt;
  }
  std::unique_ptr<IShellLinkW, ReleaseCom> link(raw);
  IPersistFile* rawFile = nullptr;
  if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&rawFile)))) {
    return std::nullopt;
  }
  std::unique_ptr<IPersistFile, ReleaseCom> file(rawFile);
  if (FAILED(file->Load(Wide(path).c_str(), STGM_READ))) return std::nullopt;
  wchar_t text[1024] = {};
  ShortcutLink result;
  link->GetPath(text, 1024, nullptr, SLGP_RAWPATH);
  result.target = Narrow(text);
  text[0] = 0;
  link->GetArguments(text, 1024);
  result.arguments = Narrow(text);
  text[0] = 0;
  link->GetDescription(text, 1024);
  result.description = Narrow(text);
  text[0] = 0;
  link->GetWorkingDirectory(text, 1024);
  result.workingDirectory = Narrow(text);
  return result;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A scratch folder under the system's temporary folder with a small
// "dialwave.exe" that plays the running program.
struct Scratch {
  Scratch() {
    char temp[MAX_PATH + 1] = {};
    GetTempPathA(MAX_PATH, temp);
    folder = std::string(temp) + "dw-install-" + std::to_string(GetCurrentProcessId()) + "\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    program = folder + "dialwave.exe";
    std::ofstream(program, std::ios::binary) << "MZ dialwave test " << GetTickCount();
  }
  ~Scratch() {
    DeleteFileA(program.c_str());
    RemoveDirectoryA(folder.c_str());
  }
  std::string folder;
  std::string program;
};

bool KeepFiles() { return std::getenv("DW_KEEP_INSTALL") != nullptr; }

class InstallOnWine : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(com.ok);
    env.platformId = MakeWin32Environment()->PlatformId();
    env.executablePath = scratch.program;
    folders = install::ShortcutFoldersFor(env.platformId);
    desktopLink = shell->SpecialFolderPath(folders.desktop) + "\\Korvana Dialwave.lnk";
    startupLink = shell->SpecialFolderPath(folders.startup) + "\\Korvana Dialwave.lnk";
    RemoveInstall();
  }
  void TearDown() override {
    if (!KeepFiles()) RemoveInstall();
  }
  void RemoveInstall() {
    DeleteFileA(desktopLink.c_str());
    DeleteFileA(startupLink.c_str());
    DeleteFileA("C:\\Korvana\\dialwave.exe");
    RemoveDirectoryA("C:\\Korvana");
  }
  bool Run(install::InstallChoice choice = {}) {
    return install::RunInstallation(choice, {env, *files, *shell, notices});
  }

  ComScope com;
  Scratch scratch;
  FixedEnvironment env;
  std::unique_ptr<FileSystem> files = MakeWin32FileSystem();
  std::unique_ptr<Shell> shell = MakeWin32Shell();
  RecordingNotices notices;
  install::ShortcutFolders folders;
  std::string desktopLink, startupLink;
};

TEST_F(InstallOnWine, SpecialFoldersOfThisFamilyAreRealFolders) {
  for (int csidl : {folders.desktop, folders.startup}) {
    const std::string path = shell->SpecialFolderPath(csidl);
    ASSERT_FALSE(path.empty()) << csidl;
    EXPECT_NE(path.back(), '\\') << path;
    EXPECT_TRUE(files->DirectoryExists(path)) << path;
  }
  EXPECT_EQ(shell->SpecialFolderPath(0x7F7F), "");
}

TEST_F(InstallOnWine, LinkObjectWritesWhatItIsGivenAndReplacesAnOldFile) {
  const std::string path = scratch.folder + "probe.lnk";
  const ShortcutLink first{scratch.program, "/auto", Text(TextId::ShortcutDescription),
                           scratch.folder};
  ASSERT_EQ(shell->SaveShortcut(path, first), ShortcutResult::Saved);
  EXPECT_EQ(ReadLink(path), first);

  const ShortcutLink second{"C:\\Korvana\\other.exe", "", "x", "C:\\Korvana\\"};
  ASSERT_EQ(shell->SaveShortcut(path, second), ShortcutResult::Saved);
  EXPECT_EQ(ReadLink(path), second);
  DeleteFileA(path.c_str());

  EXPECT_EQ(shell->SaveShortcut(scratch.folder + "no-such-folder\\x.lnk", first),
            ShortcutResult::NotSaved);
}

TEST_F(InstallOnWine, AllOptionsCopyTheProgramAndLinkBothShortcutsToTheCopy) {
  ASSERT_TRUE(Run());
  EXPECT_TRUE(notices.errors.empty());
  EXPECT_TRUE(notices.system.empty());
  EXPECT_EQ(ReadAll("C:\\Korvana\\dialwave.exe"), ReadAll(scratch.program));

  const auto desktop = ReadLink(desktopLink);
  const auto startup = ReadLink(startupLink);
  ASSERT_TRUE(desktop.has_value()) << desktopLink;
  ASSERT_TRUE(startup.has_value()) << startupLink;
  const std::string description = Utf8ToCp1251("Корвана Dialwave");
  EXPECT_EQ(*desktop,
            (ShortcutLink{"C:\\Korvana\\dialwave.exe", "", description, "C:\\Korvana\\"}));
  EXPECT_EQ(*startup,
            (ShortcutLink{"C:\\Korvana\\dialwave.exe", "/auto", description, "C:\\Korvana\\"}));

  // Once more over the existing copy and shortcuts: replaced, not refused.
  ASSERT_TRUE(Run());
  EXPECT_TRUE(notices.system.empty());
}

TEST_F(InstallOnWine, WithoutTheCopyTheShortcutsPointAtTheRunningFile) {
  ASSERT_TRUE(Run({true, true, false}));
  EXPECT_FALSE(Exists("C:\\Korvana"));
  const auto desktop = ReadLink(desktopLink);
  ASSERT_TRUE(desktop.has_value());
  EXPECT_EQ(desktop->target, scratch.program);
  EXPECT_EQ(desktop->workingDirectory, scratch.folder);
  if (!KeepFiles()) return;
  // Leave the copy in place for the script's look at the files.
  ASSERT_TRUE(Run());
}

TEST_F(InstallOnWine, ALockedTargetGivesTheCopyErrorAndNoShortcut) {
  ASSERT_TRUE(CreateDirectoryA("C:\\Korvana\\", nullptr));
  std::ofstream("C:\\Korvana\\dialwave.exe", std::ios::binary) << "old";
  {
    // Open with no sharing, as a running copy of the program holds it.
    UniqueFile lock(CreateFileA("C:\\Korvana\\dialwave.exe", GENERIC_READ, 0, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(lock);
    EXPECT_FALSE(Run());
    EXPECT_TRUE(notices.errors.empty());
    ASSERT_EQ(notices.system.size(), 1u);
    EXPECT_EQ(notices.system[0], Utf8ToCp1251("Ошибка: невозможно скопировать файл ") +
                                     scratch.program + Utf8ToCp1251(" в каталог C:\\Korvana\\"));
    EXPECT_FALSE(Exists(desktopLink));
    EXPECT_FALSE(Exists(startupLink));
  }
  EXPECT_EQ(ReadAll("C:\\Korvana\\dialwave.exe"), "old");
  // Released: the next "Далее" goes through, over the existing folder.
  EXPECT_TRUE(Run());
  EXPECT_EQ(ReadAll("C:\\Korvana\\dialwave.exe"), ReadAll(scratch.program));
}

TEST_F(InstallOnWine, AFileInThePlaceOfTheFolderGivesTheFolderError) {
  std::ofstream("C:\\Korvana", std::ios::binary) << "not a folder";
  EXPECT_FALSE(Run());
  DeleteFileA("C:\\Korvana");
  ASSERT_EQ(notices.errors.size(), 1u);
  EXPECT_EQ(notices.errors[0], Utf8ToCp1251("Ошибка: невозможно создать каталог C:\\Korvana\\"));
  EXPECT_TRUE(notices.system.empty());
  EXPECT_FALSE(Exists(desktopLink));
}

}  // namespace
}  // namespace dw
