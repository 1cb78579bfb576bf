// A temporary folder with a program path inside it, and the log set up to
// write beside that program.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "log/log.h"
#include "platform/fake/fake_clock.h"

namespace dw::testing {

class LogFolder {
 public:
  LogFolder() {
    static std::atomic<int> counter{0};
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = std::filesystem::temp_directory_path() /
              ("dw-log-" + std::string(info->name()) + "-" +
               std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) + "-" +
               std::to_string(counter++));
    std::filesystem::create_directories(folder_);
  }
  ~LogFolder() {
    StopLog();
    std::error_code ec;
    std::filesystem::permissions(LogPath(), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(folder_, ec);
  }

  std::string ProgramPath() const { return (folder_ / "dialwave.exe").string(); }
  std::filesystem::path LogPath() const { return folder_ / "GPRSlog.log"; }

  void Configure(std::vector<std::string> arguments, std::shared_ptr<LogFiles> files = nullptr) {
    clock = std::make_shared<FakeClock>();
    clock->SetNow({2026, 12, 7, 9, 5, 3, 0});
    ConfigureLog({CommandLine::Parse(arguments), ProgramPath(), clock,
                  std::make_shared<FixedEnvironment>(), std::move(files)});
  }

  std::string Content() const {
    std::ifstream in(LogPath(), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }

  // The records as "src|code|msg", their fields trimmed; fails the test on
  // a record without the three.
  std::vector<std::string> Records() const {
    std::vector<std::string> out;
    for (const std::string& line : Lines()) {
      const auto src = line.find("src: ");
      const auto code = line.find("code: ");
      const auto msg = line.find("msg: ");
      if (src == std::string::npos || code == std::string::npos || msg == std::string::npos) {
        ADD_FAILURE() << line;
        continue;
      }
      auto trim = [](std::string s) { return s.substr(0, s.find_last_not_of(' ') + 1); };
      out.push_back(trim(line.substr(src + 5, code - src - 5)) + "|" +
                    trim(line.substr(code + 6, msg - code - 6)) + "|" + line.substr(msg + 5));
    }
    return out;
  }

  // The file's records without their CR LF; fails the test on a line that
  // does not end in CR LF.
  std::vector<std::string> Lines() const {
    std::vector<std::string> lines;
    const std::string content = Content();
    std::size_t start = 0;
    while (start < content.size()) {
      const auto end = content.find("\r\n", start);
      if (end == std::string::npos) {
        ADD_FAILURE() << "last line without CR LF: " << content.substr(start);
        break;
      }
      lines.push_back(content.substr(start, end - start));
      start = end + 2;
    }
    return lines;
  }

  std::shared_ptr<FakeClock> clock;

 private:
  std::filesystem::path folder_;
};

}  // namespace dw::testing
