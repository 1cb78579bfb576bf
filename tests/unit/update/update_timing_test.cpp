// The real limits (15 s per wait, 60 s per operation) on a fake clock with
// scripted connections: time passes only in the script.
#include <gtest/gtest.h>

#include "platform/fake/fake_tcp.h"
#include "text/cp1251.h"
#include "update/update_client.h"

namespace dw {
namespace {

using namespace std::chrono_literals;

const std::string kHead = "HTTP/1.0 200 OK\r\n\r\n";

class UpdateTimingTest : public ::testing::Test {
 protected:
  UpdateClient Client() {
    return UpdateClient(
        UpdateServer{}, [this] { return network_.MakeConnection(); }, clock_);
  }
  std::string FirstStartError() {
    std::string error, body;
    Client().NotifyFirstStart(error, body);
    EXPECT_EQ(body, "");
    return Cp1251ToUtf8(error);
  }
  std::chrono::milliseconds Elapsed() const { return clock_.Monotonic() - start_; }

  FakeClock clock_;
  FakeTcpNetwork network_{clock_};
  std::chrono::milliseconds start_ = clock_.Monotonic();
};

TEST_F(UpdateTimingTest, SilenceAfterTheHeadersEndsAfter15Seconds) {
  network_.Expect({kTcpOk, {{0ms, kHead + "part"}}, true});
  EXPECT_EQ(FirstStartError(), "Ошибка при получении обновлений: Connection timed out");
  EXPECT_EQ(Elapsed(), 15000ms);
}

TEST_F(UpdateTimingTest, PacketsJustInsideTheWaitAreAccepted) {
  network_.Expect({kTcpOk, {{14999ms, "HTTP/1.0 200 OK\r\n"}, {14999ms, "\r\n"}, {14999ms, "ok"}}});
  std::string error, body;
  Client().NotifyFirstStart(error, body);
  EXPECT_EQ(error, "");
  EXPECT_EQ(body, "ok");
}

TEST_F(UpdateTimingTest, ASlowStatusLineTimesOut) {
  network_.Expect({kTcpOk, {{15001ms, "HTTP/1.0 200 OK\r\n\r\n"}}});
  EXPECT_EQ(FirstStartError(), "Ошибка при получении обновлений: Connection timed out");
  EXPECT_EQ(Elapsed(), 15000ms);
}

TEST_F(UpdateTimingTest, OneByteASecondIsCutOffAtSixtySeconds) {
  FakeServerScript drip{kTcpOk, {{0ms, kHead}}};
  for (int i = 0; i < 1000; ++i) drip.packets.push_back({1000ms, "x"});
  network_.Expect(drip);
  EXPECT_EQ(FirstStartError(), "Ошибка при получении обновлений: Connection timed out");
  EXPECT_EQ(Elapsed(), 60000ms);
}

TEST_F(UpdateTimingTest, TheWaitBoundsAWholeLineNotEachByte) {
  FakeServerScript drip;
  for (int i = 0; i < 1000; ++i) drip.packets.push_back({1000ms, "H"});
  network_.Expect(drip);
  EXPECT_EQ(FirstStartError(), "Ошибка при получении обновлений: Connection timed out");
  EXPECT_EQ(Elapsed(), 15000ms);
}

TEST_F(UpdateTimingTest, BothConnectionsOfAnUpdateShareTheSixtySeconds) {
  network_.Expect(
      {kTcpOk, {{14000ms, "HTTP/1.0 200 OK\r\n"}, {14000ms, "\r\n"}, {12000ms, "VERSION=1.0.7"}}});
  FakeServerScript list{kTcpOk, {{0ms, kHead}}};
  for (int i = 0; i < 100; ++i) list.packets.push_back({1000ms, "a\n"});
  network_.Expect(list);
  std::string version = "1.0.0", message;
  std::vector<std::string> apns = {"internet.kvr"};
  EXPECT_FALSE(Client().GetAPNList(version, apns, message));
  EXPECT_EQ(Cp1251ToUtf8(message), "Ошибка при получении обновлений: Connection timed out");
  EXPECT_EQ(Elapsed(), 60000ms);
  EXPECT_EQ(version, "1.0.0");
  EXPECT_EQ(apns, std::vector<std::string>{"internet.kvr"});
}

TEST_F(UpdateTimingTest, ConnectsGoToTheConfiguredServer) {
  network_.Expect({kTcpConnectionRefused});
  EXPECT_EQ(FirstStartError(), "Connection refused");
  ASSERT_EQ(network_.Targets().size(), 1u);
  EXPECT_EQ(network_.Targets()[0], std::string(kDefaultUpdateHost) + ":80");
  EXPECT_EQ(network_.Sent()[0], "");
}

TEST_F(UpdateTimingTest, AReadErrorWithoutLengthOtherThanACloseFails) {
  network_.Expect({kTcpOk, {{0ms, kHead + "abc"}, {0ms, "", 10053}}});
  EXPECT_EQ(FirstStartError(), "Ошибка при получении обновлений: Other Winsock error (10053)");
}

}  // namespace
}  // namespace dw
