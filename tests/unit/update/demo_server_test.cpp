// The client against the demo update server (Python's own HTTP server), as
// scripts/run starts it.
#ifndef _WIN32
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

#include "update/update_client.h"

namespace dw {
namespace {

class DemoServer {
 public:
  DemoServer() {
    // The source tree, from the test data folder (tests/data, which may not exist).
    std::string root = DW_TEST_DATA_DIR;
    root = root.substr(0, root.rfind("/tests/"));
    const std::string script = root + "/tools/update-server/serve.py";
    int out[2];
    if (::access(script.c_str(), R_OK) != 0 || ::pipe(out) != 0) return;
    pid_t pid = ::fork();
    if (pid == 0) {
      ::dup2(out[1], 1);
      const int quiet = ::open("/dev/null", O_WRONLY);  // its request log
      if (quiet >= 0) ::dup2(quiet, 2);
      ::close(out[0]);
      ::close(out[1]);
      ::execlp("python3", "python3", script.c_str(), static_cast<char*>(nullptr));
      ::_exit(127);
    }
    ::close(out[1]);
    pid_ = pid;
    // The first line is "host:port"; nothing at all means it did not start.
    FILE* stream = ::fdopen(out[0], "r");
    char line[128] = {};
    if (stream != nullptr && std::fgets(line, sizeof line, stream) != nullptr) {
      address_ = line;
      while (!address_.empty() && (address_.back() == '\n' || address_.back() == '\r')) {
        address_.pop_back();
      }
    }
    if (stream != nullptr) std::fclose(stream);
  }
  ~DemoServer() {
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  const std::string& Address() const { return address_; }

 private:
  pid_t pid_ = -1;
  std::string address_;
};

TEST(DemoUpdateServer, AnswersAllThreePaths) {
  DemoServer demo;
  if (demo.Address().empty()) GTEST_SKIP() << "python3 or tools/update-server/serve.py missing";
  const auto server = ParseUpdateServer(demo.Address());
  ASSERT_TRUE(server.has_value()) << demo.Address();
  const auto clock = MakeSystemClock();
  UpdateClient client(*server, MakeTcpConnection, *clock);

  std::string version = "1.0.0", message;
  std::vector<std::string> list = {"internet.kvr"};
  ASSERT_TRUE(client.GetAPNList(version, list, message)) << message;
  EXPECT_EQ(version, "1.0.1");
  EXPECT_EQ(list,
            (std::vector<std::string>{"internet.kvr", "internet.ltkvr", "internet.demo.kvr"}));

  version = "1.0.1";
  EXPECT_TRUE(client.GetAPNList(version, list, message));
  EXPECT_EQ(version, "1.0.1");

  std::string error, body;
  client.NotifyFirstStart(error, body);
  EXPECT_EQ(error, "");
  EXPECT_EQ(body, "Welcome to Korvana GPRS (demo update server)\r\n");
}

}  // namespace
}  // namespace dw
#endif
