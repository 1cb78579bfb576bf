// The client against the demo update server (Python's own HTTP server), as
// scripts/run starts it.
#ifndef _WIN32
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "update/update_client.h"

namespace dw {
namespace {

class DemoServer {
 public:
  explicit DemoServer(std::vector<std::string> extra = {}) {
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
      std::vector<char*> argv = {const_cast<char*>("python3"), const_cast<char*>(script.c_str())};
      for (std::string& a : extra) argv.push_back(a.data());
      argv.push_back(nullptr);
      ::execvp("python3", argv.data());
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
  ASSERT_FALSE(demo.Address().empty()) << "python3 or tools/update-server/serve.py missing";
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

// Its fault modes (for trying a client by hand or from a journey) each make
// the list exchange fail and leave version and list as they were; limits
// shortened to 300 ms a wait and 1.5 s an exchange.
TEST(DemoUpdateServer, EveryFaultModeIsRefusedAndKeepsTheList) {
  using namespace std::chrono_literals;
  for (const char* fault : {"mute", "slow", "silent", "huge", "early-close", "long-length", "negative-length",
                            "inject", "not-http"}) {
    SCOPED_TRACE(fault);
    DemoServer demo({"--fault", fault, "--delay-ms", "40"});
    ASSERT_FALSE(demo.Address().empty()) << "python3 or tools/update-server/serve.py missing";
    const auto clock = MakeSystemClock();
    UpdateClient client(*ParseUpdateServer(demo.Address()), MakeTcpConnection, *clock,
                        {300ms, 1500ms, 64 * 1024});
    std::string version = "1.0.0", message;
    std::vector<std::string> list = {"internet.kvr", "internet.ltkvr"};
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(client.GetAPNList(version, list, message));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    EXPECT_NE(message, "");
    EXPECT_EQ(version, "1.0.0");
    EXPECT_EQ(list, (std::vector<std::string>{"internet.kvr", "internet.ltkvr"}));
  }
}

// A journey changes the server's behaviour while the program runs: the mode
// file is read at every request.
TEST(DemoUpdateServer, FaultFileSwitchesModesBetweenRequests) {
  using namespace std::chrono_literals;
  char path[] = "/tmp/dw-fault-XXXXXX";
  const int fd = ::mkstemp(path);
  ASSERT_GE(fd, 0);
  const auto setMode = [&](const char* mode) {
    FILE* f = std::fopen(path, "w");
    ASSERT_NE(f, nullptr);
    std::fputs(mode, f);
    std::fclose(f);
  };
  setMode("mute\n");
  DemoServer demo({"--fault-file", path});
  ASSERT_FALSE(demo.Address().empty());
  const auto clock = MakeSystemClock();
  UpdateClient client(*ParseUpdateServer(demo.Address()), MakeTcpConnection, *clock,
                      {300ms, 1500ms, 64 * 1024});
  std::string version = "1.0.0", message;
  std::vector<std::string> list = {"internet.kvr"};
  EXPECT_FALSE(client.GetAPNList(version, list, message));
  EXPECT_EQ(version, "1.0.0");

  setMode("");
  EXPECT_TRUE(client.GetAPNList(version, list, message)) << message;
  EXPECT_EQ(version, "1.0.1");
  ::close(fd);
  ::unlink(path);
}

}  // namespace
}  // namespace dw
#endif
