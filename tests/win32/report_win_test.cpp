// The report's Win32 adapters against the real system of each generation:
// its files (a whole file or none, the tail of a file being written), what
// the system says of itself and the user, and the memory of connect attempts
// in the real registry.
#include "platform/win32/win.h"  // first: the SDK headers below need it

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "platform/win32/adapters_win.h"
#include "platform/win32/unique_handle.h"
#include "report/history.h"
#include "report/report.h"
#include "ras_module_support_win.h"

namespace dw::report {
namespace {

// A folder of the test's own under the system's temporary folder.
class ReportFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = std::string(temp) + "dw-report-" + info->name() + "-" + std::to_string(GetCurrentProcessId());
    Clear();
    ASSERT_TRUE(CreateDirectoryA(folder_.c_str(), nullptr));
    files_ = MakeWin32ReportFiles(test::Version().dwPlatformId);
  }
  void TearDown() override { Clear(); }

  std::string Path(const std::string& name) const { return folder_ + "\\" + name; }

  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found{};
    const HANDLE find = FindFirstFileA((folder_ + "\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
      const std::string name = found.cFileName;
      if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(find, &found));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
  }

  static std::string Content(const std::string& path) {
    UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr));
    if (!file) return "<none>";
    std::string content;
    char block[4096];
    DWORD n = 0;
    while (ReadFile(file.get(), block, sizeof block, &n, nullptr) && n > 0) content.append(block, n);
    return content;
  }

  static void Put(const std::string& path, const std::string& content) {
    UniqueFile file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(file);
    DWORD n = 0;
    ASSERT_TRUE(WriteFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &n, nullptr));
  }

  std::string folder_;
  std::unique_ptr<ReportFiles> files_;

 private:
  void Clear() const {
    for (const auto& name : Names()) {
      const std::string path = Path(name);
      if (!DeleteFileA(path.c_str())) RemoveDirectoryA(path.c_str());
    }
    RemoveDirectoryA(folder_.c_str());
  }
};

TEST_F(ReportFolder, WritesAWholeFileAndReplacesOneOnlyWhole) {
  const std::string report = "Dialwave\r\n" + std::string(100000, 'r') + "\r\n";
  ASSERT_TRUE(files_->WriteWhole(Path("report.txt"), report));
  EXPECT_EQ(Content(Path("report.txt")), report);
  EXPECT_EQ(Names(), std::vector<std::string>{"report.txt"}) << "no temporary file is left";

  // A shorter report over a longer one leaves nothing of the old.
  ASSERT_TRUE(files_->WriteWhole(Path("report.txt"), "short\r\n"));
  EXPECT_EQ(Content(Path("report.txt")), "short\r\n");
  EXPECT_EQ(Names(), std::vector<std::string>{"report.txt"});

  // Where it cannot be written, nothing is: a missing folder, a folder in
  // the file's place.
  EXPECT_FALSE(files_->WriteWhole(Path("missing\\report.txt"), report));
  ASSERT_TRUE(CreateDirectoryA(Path("taken").c_str(), nullptr));
  EXPECT_FALSE(files_->WriteWhole(Path("taken"), report));
  EXPECT_EQ(Names(), (std::vector<std::string>{"report.txt", "taken"}));
  EXPECT_NE(GetFileAttributesA(Path("taken").c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
  EXPECT_EQ(Content(Path("report.txt")), "short\r\n") << "a failed write keeps the old report";
}

TEST_F(ReportFolder, ReadsTheTailOfAFileBeingWritten) {
  EXPECT_EQ(files_->ReadTail(Path("GPRSlog.log"), 100).found, ReportFiles::Found::kMissing);
  EXPECT_EQ(files_->ReadTail(Path("nofolder\\GPRSlog.log"), 100).found, ReportFiles::Found::kMissing);

  std::string log;
  for (int i = 0; i < 5000; ++i) log += "line " + std::to_string(i) + "\r\n";
  Put(Path("GPRSlog.log"), log);
  // The program appends to its log meanwhile: the file is open for writing.
  UniqueFile writer(CreateFileA(Path("GPRSlog.log").c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(writer);

  const auto whole = files_->ReadTail(Path("GPRSlog.log"), log.size());
  EXPECT_EQ(whole.found, ReportFiles::Found::kYes);
  EXPECT_TRUE(whole.whole);
  EXPECT_EQ(whole.bytes, log);

  const auto tail = files_->ReadTail(Path("GPRSlog.log"), 1000);
  EXPECT_EQ(tail.found, ReportFiles::Found::kYes);
  EXPECT_FALSE(tail.whole);
  EXPECT_EQ(tail.bytes, log.substr(log.size() - 1000));

  Put(Path("empty.log"), "");
  const auto empty = files_->ReadTail(Path("empty.log"), 1000);
  EXPECT_EQ(empty.found, ReportFiles::Found::kYes);
  EXPECT_TRUE(empty.whole);
  EXPECT_EQ(empty.bytes, "");
}

TEST(ReportSystemFacts, VersionAndRightsAsTheSystemTellsThem) {
  const OSVERSIONINFOA info = test::Version();
  const auto facts = MakeWin32SystemFacts(info.dwPlatformId, test::WinVer());
  const WindowsVersion v = facts->Version();
  EXPECT_EQ(v.major, info.dwMajorVersion);
  EXPECT_EQ(v.minor, info.dwMinorVersion);
  EXPECT_EQ(v.build, info.dwPlatformId == VER_PLATFORM_WIN32_NT ? info.dwBuildNumber
                                                                 : LOWORD(info.dwBuildNumber));
  EXPECT_LT(v.build, 65536u) << "9x's high word is its version, not part of the build";
  const UserRights rights = facts->Rights();
  if (info.dwPlatformId != VER_PLATFORM_WIN32_NT) {
    // Nothing to ask on 9x, and nothing asked: the security functions are NT's.
    EXPECT_EQ(rights.administrator, Answer::kUnknown);
    EXPECT_EQ(rights.elevated, Answer::kUnknown);
  } else {
    // Wine's user belongs to Administrators.
    EXPECT_EQ(rights.administrator, Answer::kYes);
    if (test::WinVer() >= 600) {
      EXPECT_NE(rights.elevated, Answer::kUnknown);
    } else {
      EXPECT_EQ(rights.elevated, Answer::kUnknown) << "no elevation before Vista";
    }
  }
}

TEST(ReportHistory, TheRingLivesInTheUsersOwnHive) {
  test::DeleteTree(HKEY_CURRENT_USER, "Software\\Korvana\\Dialwave\\Support");
  const auto registry = MakeWin32Registry();
  for (int i = 1; i <= 22; ++i) {
    ConnectAttempt a;
    a.time = {2026, 12, 9, 10, 0, i, 0};
    a.apn = "internet.kvr";
    a.number = "*99#";
    a.code = 691;
    a.errorText = "text " + std::to_string(i);
    ASSERT_TRUE(RecordAttempt(*registry, a));
  }
  ASSERT_TRUE(StoreUpdateAnswer(*registry, {{2026, 12, 9, 11, 0, 0, 0}, "VERSION=7"}));
  const AttemptHistory history = LoadAttempts(*registry);
  EXPECT_FALSE(history.damaged);
  ASSERT_EQ(history.attempts.size(), kAttemptsKept);
  EXPECT_EQ(history.attempts.front().errorText, "text 3");
  EXPECT_EQ(history.attempts.back().errorText, "text 22");
  EXPECT_EQ(LoadUpdateAnswer(*registry).answer->result, "VERSION=7");

  // Text values under HKEY_CURRENT_USER, where every user may write.
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Korvana\\Dialwave\\Support", 0, KEY_READ, &key),
            ERROR_SUCCESS);
  DWORD type = 0;
  EXPECT_EQ(RegQueryValueExA(key, "Attempt05", nullptr, &type, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  RegCloseKey(key);
  test::DeleteTree(HKEY_CURRENT_USER, "Software\\Korvana\\Dialwave\\Support");
}

}  // namespace
}  // namespace dw::report
