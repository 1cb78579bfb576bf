#include "install/installation.h"

#include <gtest/gtest.h>

#include <map>

#include "platform/fake/fake_shell.h"
#include "text/cp1251.h"
#include "text/texts.h"

namespace dw::install {
namespace {

constexpr char kDownloads[] = "C:\\Documents and Settings\\user\\Downloads\\";
const std::string kRunning = std::string(kDownloads) + "dialwave.exe";

class RecordingNotices final : public InstallNotices {
 public:
  void ShowError(const std::string& text) override { errors.push_back(text); }
  void ShowSystemMessage(const std::string& text) override { system.push_back(text); }
  std::vector<std::string> errors;
  std::vector<std::string> system;
};

class Options final : public InstallOptionControls {
 public:
  bool Checked(InstallOption o) const override { return ticks.at(o); }
  std::map<InstallOption, bool> ticks{
      {InstallOption::Desktop, true}, {InstallOption::Autorun, true}, {InstallOption::Copy, true}};
};

class Installation : public ::testing::Test {
 protected:
  Installation() {
    env.executablePath = kRunning;
    files.directories.insert(FakeFileSystem::Normalise(kDownloads));
    files.AddFile(kRunning, "program");
    shell.folders = {{25, "C:\\Documents and Settings\\All Users\\Desktop"},
                     {24, "C:\\Documents and Settings\\All Users\\Start Menu\\Programs\\Startup"},
                     {16, "C:\\WINDOWS\\Desktop"},
                     {7, "C:\\WINDOWS\\Start Menu\\Programs\\StartUp"}};
  }
  bool Run(InstallChoice choice = {}) { return RunInstallation(choice, {env, files, shell, notices}); }
  const ShortcutLink* Link(const std::string& path) const {
    const auto it = shell.files.find(path);
    return it == shell.files.end() ? nullptr : &it->second;
  }

  FixedEnvironment env;
  FakeFileSystem files;
  FakeShell shell;
  RecordingNotices notices;
};

TEST_F(Installation, AllOptionsOnNtCopyAndLinkBothAllUsersShortcutsToTheCopy) {
  env.platformId = 2;
  ASSERT_TRUE(Run());

  EXPECT_EQ(files.madeDirectories, std::vector<std::string>{"C:\\Korvana\\"});
  ASSERT_EQ(files.copies.size(), 1u);
  EXPECT_EQ(files.copies[0].first, kRunning);
  EXPECT_EQ(files.copies[0].second, "C:\\Korvana\\dialwave.exe");
  EXPECT_EQ(files.files.at("C:\\KORVANA\\DIALWAVE.EXE"), "program");

  ASSERT_EQ(shell.saves.size(), 2u);
  const ShortcutLink* desktop = Link("C:\\Documents and Settings\\All Users\\Desktop\\Korvana Dialwave.lnk");
  const ShortcutLink* startup = Link(
      "C:\\Documents and Settings\\All Users\\Start Menu\\Programs\\Startup\\Korvana Dialwave.lnk");
  ASSERT_NE(desktop, nullptr);
  ASSERT_NE(startup, nullptr);
  const std::string description = Utf8ToCp1251("Корвана Dialwave");
  EXPECT_EQ(*desktop, (ShortcutLink{"C:\\Korvana\\dialwave.exe", "", description, "C:\\Korvana\\"}));
  EXPECT_EQ(*startup,
            (ShortcutLink{"C:\\Korvana\\dialwave.exe", "/auto", description, "C:\\Korvana\\"}));
  EXPECT_TRUE(notices.errors.empty());
  EXPECT_TRUE(notices.system.empty());
}

TEST_F(Installation, NineXUsesTheUsersOwnFolders) {
  env.platformId = 1;
  ASSERT_TRUE(Run());
  ASSERT_EQ(shell.saves.size(), 2u);
  EXPECT_EQ(shell.saves[0].path, "C:\\WINDOWS\\Desktop\\Korvana Dialwave.lnk");
  EXPECT_EQ(shell.saves[0].link.arguments, "");
  EXPECT_EQ(shell.saves[1].path, "C:\\WINDOWS\\Start Menu\\Programs\\StartUp\\Korvana Dialwave.lnk");
  EXPECT_EQ(shell.saves[1].link.arguments, "/auto");
  // Only the NT family has an all-users pair; anything else is not NT.
  EXPECT_EQ(ShortcutFoldersFor(0).desktop, 16);
  EXPECT_EQ(ShortcutFoldersFor(2).startup, 24);
}

TEST_F(Installation, WithoutCopyBothShortcutsPointAtTheRunningFile) {
  ASSERT_TRUE(Run({true, true, false}));
  EXPECT_TRUE(files.madeDirectories.empty());
  EXPECT_TRUE(files.copies.empty());
  ASSERT_EQ(shell.saves.size(), 2u);
  for (const auto& saved : shell.saves) {
    EXPECT_EQ(saved.link.target, kRunning);
    EXPECT_EQ(saved.link.workingDirectory, kDownloads);
  }
}

TEST_F(Installation, OnlyTheTickedShortcutsAreWritten) {
  ASSERT_TRUE(Run({false, true, false}));
  ASSERT_EQ(shell.saves.size(), 1u);
  EXPECT_EQ(shell.saves[0].link.arguments, "/auto");
  shell.saves.clear();
  ASSERT_TRUE(Run({false, false, true}));
  EXPECT_TRUE(shell.saves.empty());
  EXPECT_TRUE(files.HasFile("C:\\Korvana\\dialwave.exe"));
}

TEST(InstallFolder, RunningFromItIsTellingInAnyLetterCaseAndNearMissesAreNot) {
  for (const char* path : {"C:\\Korvana\\dialwave.exe", "c:\\KORVANA\\Dialwave.EXE",
                           "C:\\kOrVaNa\\x.exe"}) {
    EXPECT_TRUE(RunsFromInstallFolder(path)) << path;
  }
  for (const char* path : {"C:\\Korvana\\bin\\dialwave.exe", "D:\\Korvana\\dialwave.exe",
                           "C:\\Korvana2\\dialwave.exe", "dialwave.exe", "C:\\Korvana"}) {
    EXPECT_FALSE(RunsFromInstallFolder(path)) << path;
  }
  EXPECT_EQ(FolderOf("C:\\a\\b.exe"), "C:\\a\\");
  EXPECT_EQ(FolderOf("b.exe"), "");
}

TEST_F(Installation, FromTheInstallFolderTheShortcutsPointAtTheRunningFileWithoutACopy) {
  env.executablePath = "c:\\KORVANA\\dialwave.exe";
  files.directories.insert("C:\\KORVANA");
  files.AddFile(env.executablePath);
  // Even if a caller still asks for the copy, it is not attempted onto itself.
  ASSERT_TRUE(Run({true, true, true}));
  EXPECT_TRUE(files.copies.empty());
  ASSERT_EQ(shell.saves.size(), 2u);
  EXPECT_EQ(shell.saves[0].link.target, "c:\\KORVANA\\dialwave.exe");
  EXPECT_EQ(shell.saves[0].link.workingDirectory, "c:\\KORVANA\\");
  EXPECT_TRUE(notices.system.empty());
}

TEST_F(Installation, FailedCopyShowsTheSystemBoxKeepsTheFolderAndWritesNoShortcut) {
  files.locked.insert("C:\\KORVANA\\DIALWAVE.EXE");
  EXPECT_FALSE(Run());
  EXPECT_TRUE(notices.errors.empty());
  ASSERT_EQ(notices.system.size(), 1u);
  EXPECT_EQ(notices.system[0],
            Utf8ToCp1251("Ошибка: невозможно скопировать файл ") + kRunning +
                Utf8ToCp1251(" в каталог C:\\Korvana\\"));
  EXPECT_TRUE(shell.saves.empty());
  EXPECT_TRUE(files.DirectoryExists("C:\\Korvana\\"));

  // "Далее" again: the folder is there now and is not made twice.
  EXPECT_FALSE(Run());
  EXPECT_EQ(files.madeDirectories.size(), 1u);
  EXPECT_EQ(files.copies.size(), 2u);
  EXPECT_EQ(notices.system.size(), 2u);

  files.locked.clear();
  EXPECT_TRUE(Run());
  EXPECT_EQ(files.madeDirectories.size(), 1u);
  EXPECT_EQ(shell.saves.size(), 2u);
}

TEST_F(Installation, FolderThatCannotBeMadeShowsTheProgramsErrorBoxOnly) {
  files.makeDirectoryFails = true;
  EXPECT_FALSE(Run());
  ASSERT_EQ(notices.errors.size(), 1u);
  EXPECT_EQ(notices.errors[0], Utf8ToCp1251("Ошибка: невозможно создать каталог C:\\Korvana\\"));
  EXPECT_TRUE(notices.system.empty());
  EXPECT_TRUE(files.copies.empty());
  EXPECT_TRUE(shell.saves.empty());
}

TEST_F(Installation, AFileInThePlaceOfTheFolderIsAFolderError) {
  files.AddFile("C:\\Korvana");
  EXPECT_FALSE(Run());
  EXPECT_EQ(notices.errors.size(), 1u);
  EXPECT_TRUE(files.copies.empty());
}

TEST_F(Installation, PercentSignsInThePathAreNotFormatDirectives) {
  env.executablePath = "C:\\100%s\\%d\\dialwave.exe";
  files.directories.insert("C:\\100%S");
  files.directories.insert("C:\\100%S\\%D");
  files.AddFile(env.executablePath);
  files.locked.insert("C:\\KORVANA\\DIALWAVE.EXE");
  EXPECT_FALSE(Run());
  ASSERT_EQ(notices.system.size(), 1u);
  EXPECT_EQ(notices.system[0], Utf8ToCp1251("Ошибка: невозможно скопировать файл ") +
                                   "C:\\100%s\\%d\\dialwave.exe" +
                                   Utf8ToCp1251(" в каталог C:\\Korvana\\"));
}

TEST_F(Installation, NoLinkObjectEndsTheStepWithoutAMessage) {
  shell.linkObjectAvailable = false;
  EXPECT_FALSE(Run({true, true, false}));
  EXPECT_TRUE(notices.errors.empty());
  EXPECT_TRUE(notices.system.empty());
}

TEST_F(Installation, UnsavedOrFolderlessShortcutsAreNotReportedAndNeverGoToTheDriveRoot) {
  shell.saveFails = true;
  EXPECT_TRUE(Run({true, true, false}));
  EXPECT_EQ(shell.saves.size(), 2u);

  FakeShell bare;  // no special folders at all
  EXPECT_EQ(CreateShortcut(bare, kRunning, "", "x", 25), ShortcutResult::NotSaved);
  EXPECT_TRUE(bare.saves.empty());
}

TEST(InstallOptions, TheStepReadsEachBoxIntoItsOwnChoice) {
  Options options;
  options.ticks[InstallOption::Autorun] = false;
  InstallChoice choice = ChoiceOf(options);
  EXPECT_TRUE(choice.desktop);
  EXPECT_FALSE(choice.autorun);
  EXPECT_TRUE(choice.copy);
  options.ticks = {
      {InstallOption::Desktop, false}, {InstallOption::Autorun, true}, {InstallOption::Copy, false}};
  choice = ChoiceOf(options);
  EXPECT_FALSE(choice.desktop);
  EXPECT_TRUE(choice.autorun);
  EXPECT_FALSE(choice.copy);
}

}  // namespace
}  // namespace dw::install
