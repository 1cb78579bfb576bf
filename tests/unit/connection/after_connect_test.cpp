// The exchanges after a connection, on the calling thread with a scripted
// server: the order, the values that come back, and what is logged.
#include "connection/after_connect.h"

#include <gtest/gtest.h>

#include "platform/fake/fake_tcp.h"
#include "text/cp1251.h"
#include "unit/log/log_test_support.h"

namespace dw::connection {
namespace {

using namespace std::chrono_literals;

class AfterConnect : public ::testing::Test {
 protected:
  void SetUp() override { folder_.Configure({"/l", "/n"}); }

  static std::string Path(const std::string& request) {
    return request.substr(4, request.find(' ', 4) - 4);
  }
  std::vector<std::string> Paths() const {
    std::vector<std::string> paths;
    for (const std::string& sent : network_.Sent()) paths.push_back(Path(sent));
    return paths;
  }
  // The first connect of version 1.0.0: the notice and the refresh.
  static AfterConnectRequest FirstStartAndRefresh() {
    AfterConnectRequest request;
    request.notifyFirstStart = true;
    request.refreshApns = true;
    request.versionKey = "1.0.0";
    request.apnList = {"internet.kvr"};
    return request;
  }

  FakeClock clock_;
  FakeTcpNetwork network_{clock_};
  UpdateClient client_{UpdateServer{}, [this] { return network_.MakeConnection(); }, clock_};
  testing::LogFolder folder_;
};

TEST_F(AfterConnect, TheNoticeGoesFirstThenTheRefreshAndTheNewListComesBackAsAValue) {
  network_.Expect({kTcpOk, {{0ms, "HTTP/1.0 200 OK\r\n\r\nWelcome"}}});
  network_.Expect({kTcpOk, {{0ms, "HTTP/1.0 200 OK\r\n\r\nVERSION=1.0.7"}}});
  network_.Expect({kTcpOk, {{0ms, "HTTP/1.0 200 OK\r\n\r\nlist\r\ninternet.new\r\n"}}});
  const AfterConnectRequest request = FirstStartAndRefresh();
  const AfterConnectResult r = RunAfterConnect(client_, request);
  EXPECT_EQ(Paths(), (std::vector<std::string>{"/apn/first/", "/apn/", "/apn/list/"}));
  EXPECT_TRUE(r.firstStartNotified);
  EXPECT_EQ(r.firstStartBody, "Welcome");
  EXPECT_TRUE(r.apnsRefreshed);
  EXPECT_EQ(r.version, "1.0.7");
  EXPECT_EQ(r.apnList, std::vector<std::string>{"internet.new"});
  EXPECT_TRUE(folder_.Lines().empty()) << "the worker logs nothing itself";
  LogAfterConnect(r);
  const auto lines = folder_.Lines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("src: FIRST_START      code: 0         msg: Welcome"), std::string::npos);
}

TEST_F(AfterConnect, AFailedRefreshGivesBackTheListAndVersionItWasGivenAndIsLogged) {
  network_.Expect({kTcpOk, {{0ms, "HTTP/1.0 200 OK\r\n\r\nVERSION=1.0.7"}}});
  network_.Expect({kTcpOk, {{0ms, "HTTP/1.0 500 Server Error\r\n\r\n"}}});
  AfterConnectRequest request;
  request.refreshApns = true;
  request.versionKey = "1.0.0";
  request.apnList = {"internet.ltkvr", "internet.kvr"};
  const AfterConnectResult r = RunAfterConnect(client_, request);
  EXPECT_FALSE(r.firstStartNotified);
  EXPECT_FALSE(r.apnsRefreshed);
  EXPECT_EQ(r.version, "1.0.0");
  EXPECT_EQ(r.apnList, request.apnList);
  LogAfterConnect(r);
  const auto lines = folder_.Lines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(Cp1251ToUtf8(lines[0]).find("src: GetAPNList      code: 0         msg: Ошибка при "
                                        "получении обновлений: 500 Server Error"),
            std::string::npos)
      << Cp1251ToUtf8(lines[0]);
}

TEST_F(AfterConnect, NothingAskedForMeansNoConnectionAndNoLog) {
  const AfterConnectResult r = RunAfterConnect(client_, AfterConnectRequest{});
  EXPECT_TRUE(network_.Sent().empty());
  LogAfterConnect(r);
  EXPECT_TRUE(folder_.Lines().empty());
}

TEST_F(AfterConnect, AFailedNoticeIsLoggedWithItsReasonAndTheRefreshStillRuns) {
  // The notice is refused (no script for it); the refresh finds nothing new.
  network_.Expect({kTcpConnectionRefused, {}});
  network_.Expect({kTcpOk, {{0ms, "HTTP/1.0 200 OK\r\n\r\nVERSION=1.0.0"}}});
  const AfterConnectRequest request = FirstStartAndRefresh();
  const AfterConnectResult r = RunAfterConnect(client_, request);
  EXPECT_TRUE(r.firstStartNotified);
  EXPECT_TRUE(r.firstStartBody.empty());
  EXPECT_TRUE(r.apnsRefreshed);
  EXPECT_EQ(r.version, "1.0.0");
  LogAfterConnect(r);
  const auto lines = folder_.Lines();
  ASSERT_EQ(lines.size(), 1u) << "a refresh that needs no update is not logged";
  EXPECT_NE(lines[0].find("src: FIRST_START      code: 888         msg: Connection refused"),
            std::string::npos)
      << lines[0];
}

}  // namespace
}  // namespace dw::connection
