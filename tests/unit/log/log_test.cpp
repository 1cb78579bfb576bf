#include "log/log.h"

#include <gtest/gtest.h>

#include <cctype>
#include <stdexcept>

#include "crypto/encrypt.h"
#include "text/cp1251.h"
#include "unit/log/log_test_support.h"

namespace dw {
namespace {

using testing::LogFolder;

TEST(FormatLogLine, ExactBlanksAroundTheFields) {
  EXPECT_EQ(FormatLogLine("9:05:03", "WINVER", 501, "version of Windows"),
            "9:05:03 : src: WINVER      code: 501         msg: version of Windows");
  EXPECT_EQ(FormatLogLine("23:59:59", "RAS-Dial", -2147483647 - 1, ""),
            "23:59:59 : src: RAS-Dial      code: -2147483648         msg: ");
}

TEST(LogFilePath, BesideTheExecutable) {
  EXPECT_EQ(LogFilePath("C:\\Korvana\\dialwave.exe"), "C:\\Korvana\\GPRSlog.log");
  EXPECT_EQ(LogFilePath("C:dialwave.exe"), "C:GPRSlog.log");
  EXPECT_EQ(LogFilePath("/opt/dw/dialwave"), "/opt/dw/GPRSlog.log");
  EXPECT_EQ(LogFilePath("dialwave.exe"), "GPRSlog.log");
}

TEST(WriteLog, WritesNothingWithoutLAsTheFirstArgument) {
  WriteLog("WINVER", 501, "not configured yet");  // must not crash or write anywhere
  for (const auto& args : std::vector<std::vector<std::string>>{
           {}, {"/auto"}, {"/n", "/l"}, {"/L"}, {"/auto", "/l"}}) {
    LogFolder folder;
    folder.Configure(args);
    WriteLog("OpenConnection", 888, "error");
    EXPECT_FALSE(std::filesystem::exists(folder.LogPath())) << args.size();
  }
}

TEST(WriteLog, PlainLinesWithN) {
  LogFolder folder;
  folder.Configure({"/l", "/n"});
  WriteLog("WINVER", 501, "version of Windows");
  folder.clock->SetNow({2026, 12, 7, 17, 40, 9, 0});
  WriteLog("FIRST_START", 888, "");
  WriteLog("DIAL-params", 0, Utf8ToCp1251("Ошибка: связь"));
  const auto lines = folder.Lines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "9:05:03 : src: WINVER      code: 501         msg: version of Windows");
  EXPECT_EQ(lines[1], "17:40:09 : src: FIRST_START      code: 888         msg: ");
  EXPECT_EQ(lines[2], "17:40:09 : src: DIAL-params      code: 0         msg: " +
                          Utf8ToCp1251("Ошибка: связь"));
}

TEST(WriteLog, EncryptedLinesByDefault) {
  LogFolder folder;
  folder.Configure({"/l", "/r"});  // only "/n" makes the log plain
  const std::string russian = Utf8ToCp1251("Нет ответа от модема");
  WriteLog("RAS-Dial", 678, russian);
  WriteLog("GetAPNList", 0, "");
  const auto lines = folder.Lines();
  ASSERT_EQ(lines.size(), 2u);
  for (const auto& line : lines) {
    for (char c : line)
      ASSERT_TRUE(std::isdigit(static_cast<unsigned char>(c)) || (c >= 'A' && c <= 'F')) << line;
  }
  EXPECT_EQ(DecryptString(lines[0]),
            "9:05:03 : src: RAS-Dial      code: 678         msg: " + russian);
  EXPECT_EQ(ReadableLogLine(lines[1]), "9:05:03 : src: GetAPNList      code: 0         msg: ");
  EXPECT_EQ(ReadableLogLine("plain line"), "plain line");
}

TEST(WriteLog, AppendsToAnExistingFile) {
  LogFolder folder;
  {
    std::ofstream old(folder.LogPath(), std::ios::binary);
    old << "earlier run\r\n";
  }
  folder.Configure({"/l", "/n"});
  WriteLog("WINVER", 410, "version of Windows");
  folder.Configure({"/l", "/n"});  // a second run
  WriteLog("WINVER", 410, "again");
  const auto lines = folder.Lines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "earlier run");
  EXPECT_NE(lines[2].find("msg: again"), std::string::npos);
}

class ThrowingFiles final : public LogFiles {
 public:
  bool Append(const std::string&, std::string_view) override {
    ++calls;
    throw std::runtime_error("disk gone");
  }
  int calls = 0;
};

TEST(WriteLog, AFileThatCannotBeWrittenNeverReachesTheCaller) {
  LogFolder folder;
  // A folder where the file should be: no one can open it for writing.
  std::filesystem::create_directory(folder.LogPath());
  folder.Configure({"/l"});
  EXPECT_NO_THROW(WriteLog("WINVER", 501, "lost"));
  EXPECT_TRUE(std::filesystem::is_directory(folder.LogPath()));

  auto throwing = std::make_shared<ThrowingFiles>();
  folder.Configure({"/l"}, throwing);
  EXPECT_NO_THROW(WriteLog("WINVER", 501, "lost"));
  EXPECT_NO_THROW(WriteLog("WINVER", 501, "lost too"));
  EXPECT_EQ(throwing->calls, 2);  // a failed record does not stop the next
}

TEST(WriteLog, ReadOnlyLogFileIsLeftAloneAndTheCallerGoesOnSkippedWhereRootWritesAnyFile) {
  LogFolder folder;
  {
    std::ofstream old(folder.LogPath(), std::ios::binary);
    old << "kept\r\n";
  }
  std::filesystem::permissions(folder.LogPath(), std::filesystem::perms::owner_read |
                                                     std::filesystem::perms::group_read |
                                                     std::filesystem::perms::others_read);
  if (std::FILE* probe = std::fopen(folder.LogPath().string().c_str(), "ab")) {
    std::fclose(probe);
    GTEST_SKIP() << "this user may write read-only files (root); covered by the folder case";
  }
  folder.Configure({"/l", "/n"});
  EXPECT_NO_THROW(WriteLog("WINVER", 501, "lost"));
  EXPECT_EQ(folder.Content(), "kept\r\n");
}

TEST(WriteLog, StopsWhenStoppedAndWithoutAClock) {
  LogFolder folder;
  folder.Configure({"/l", "/n"});
  StopLog();
  WriteLog("WINVER", 501, "after stop");
  ConfigureLog({CommandLine::Parse({"/l", "/n"}), folder.ProgramPath(), nullptr,
                std::make_shared<FixedEnvironment>(), nullptr});
  WriteLog("WINVER", 501, "no clock");
  EXPECT_FALSE(std::filesystem::exists(folder.LogPath()));
}

}  // namespace
}  // namespace dw
