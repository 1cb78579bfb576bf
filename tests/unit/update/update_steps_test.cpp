#include "update/update_steps.h"

#include <gtest/gtest.h>

#include "platform/fake/fake_tcp.h"
#include "text/cp1251.h"
#include "unit/log/log_test_support.h"

namespace dw {
namespace {

using namespace std::chrono_literals;

class UpdateStepsTest : public ::testing::Test {
 protected:
  void SetUp() override { folder_.Configure({"/l", "/n"}); }

  FakeClock clock_;
  FakeTcpNetwork network_{clock_};
  UpdateClient client_{UpdateServer{}, [this] { return network_.MakeConnection(); }, clock_};
  testing::LogFolder folder_;
};

TEST_F(UpdateStepsTest, AFailedUpdateIsLoggedWithCodeZero) {
  network_.Expect({kTcpOk, {{0ms, "HTTP/1.0 404 Not Found\r\n\r\n"}}});
  std::string version = "1.0.0";
  std::vector<std::string> list = {"internet.kvr"};
  EXPECT_FALSE(UpdateApnList(client_, version, list));
  const auto lines = folder_.Lines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(Cp1251ToUtf8(lines[0]).find("src: GetAPNList      code: 0         msg: Ошибка при "
                                        "получении обновлений: 404 Not Found"),
            std::string::npos)
      << Cp1251ToUtf8(lines[0]);
}

TEST_F(UpdateStepsTest, NoUpdateIsNotLogged) {
  network_.Expect({kTcpOk, {{0ms, "HTTP/1.0 200 OK\r\n\r\nVERSION=1.0.0"}}});
  std::string version = "1.0.0";
  std::vector<std::string> list = {"internet.kvr"};
  EXPECT_TRUE(UpdateApnList(client_, version, list));
  EXPECT_TRUE(folder_.Lines().empty());
}

TEST_F(UpdateStepsTest, FirstStartLogsTheGreetingOrTheReason) {
  network_.Expect({kTcpOk, {{0ms, "HTTP/1.0 200 OK\r\n\r\nHello"}}});
  ReportFirstStart(client_);
  network_.Expect({kTcpOk, {{0ms, "HTTP/1.0 200 OK\r\nContent-Length: 0\r\n\r\n"}}});
  ReportFirstStart(client_);
  ReportFirstStart(client_);  // refused: no script left
  const auto lines = folder_.Lines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_NE(lines[0].find("src: FIRST_START      code: 0         msg: Hello"), std::string::npos);
  EXPECT_NE(lines[1].find("code: 888         msg: "), std::string::npos);
  EXPECT_EQ(lines[1].substr(lines[1].size() - 5), "msg: ");
  EXPECT_NE(lines[2].find("code: 888         msg: Connection refused"), std::string::npos);
}

}  // namespace
}  // namespace dw
