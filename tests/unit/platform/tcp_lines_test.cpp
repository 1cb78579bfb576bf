// Line reading shared by every connection, through scripted packets.
#include <gtest/gtest.h>

#include "platform/fake/fake_tcp.h"

namespace dw {
namespace {

using namespace std::chrono_literals;

// Reads lines until the script runs out; each packet is one arrival.
std::vector<std::string> Lines(std::vector<std::string> packets) {
  FakeClock clock;
  FakeTcpNetwork network(clock);
  FakeServerScript script;
  for (auto& p : packets) script.packets.push_back({0ms, std::move(p)});
  network.Expect(script);
  const auto connection = network.MakeConnection();
  EXPECT_TRUE(connection->Connect("h", "1", 1s));
  std::vector<std::string> lines;
  std::string line;
  while (connection->ReceiveLine(line, 1s)) lines.push_back(line);
  EXPECT_EQ(connection->LastError(), kTcpConnectionReset);
  return lines;
}

using V = std::vector<std::string>;

TEST(TcpLines, EveryKindOfLineEnd) {
  EXPECT_EQ(Lines({"a\r\nb\nc\rd\n\re\n"}), (V{"a", "b", "c", "d", "e"}));
  EXPECT_EQ(Lines({"a\r\rb\n\nc\r\n\r\n"}), (V{"a", "", "b", "", "c", ""}));
  EXPECT_EQ(Lines({"a\n\r\nb\n"}), (V{"a", "", "b"}));
  // A line without an end is not a line.
  EXPECT_EQ(Lines({"a\nrest"}), (V{"a"}));
}

TEST(TcpLines, PairsSplitBetweenPacketsAreOneEnd) {
  EXPECT_EQ(Lines({"a\r", "\nb\n"}), (V{"a", "b"}));
  EXPECT_EQ(Lines({"a\n", "\rb\n"}), (V{"a", "b"}));
  EXPECT_EQ(Lines({"a\r", "\r", "\nb\n"}), (V{"a", "", "b"}));
  EXPECT_EQ(Lines({"a\r", "\n", "\n"}), (V{"a", ""}));
  EXPECT_EQ(Lines({"ab", "c\r", "\n"}), (V{"abc"}));
}

TEST(TcpLines, ReceiveAvailableReturnsReadAheadFirstAndSkipsTheSplitHalf) {
  FakeClock clock;
  FakeTcpNetwork network(clock);
  network.Expect({kTcpOk, {{0ms, "head\r"}, {0ms, "\nbody1"}, {0ms, "body2"}}});
  const auto connection = network.MakeConnection();
  ASSERT_TRUE(connection->Connect("h", "1", 1s));
  std::string line, bytes = "stale";
  ASSERT_TRUE(connection->ReceiveLine(line, 1s));
  EXPECT_EQ(line, "head");
  ASSERT_TRUE(connection->ReceiveAvailable(bytes, 1s));
  EXPECT_EQ(bytes, "body1");
  ASSERT_TRUE(connection->ReceiveAvailable(bytes, 1s));
  EXPECT_EQ(bytes, "body2");
  EXPECT_FALSE(connection->ReceiveAvailable(bytes, 1s));
  EXPECT_EQ(connection->LastError(), kTcpConnectionReset);
  EXPECT_EQ(connection->LastErrorText(), "Connection reset by peer");

  network.Expect({kTcpOk, {{0ms, "x\ny\nrest"}}});
  connection->Close();
  ASSERT_TRUE(connection->Connect("h", "1", 1s));
  ASSERT_TRUE(connection->ReceiveLine(line, 1s));
  ASSERT_TRUE(connection->ReceiveAvailable(bytes, 1s));
  EXPECT_EQ(bytes, "y\nrest");
}

TEST(TcpLines, CloseForgetsWhatWasReadAhead) {
  FakeClock clock;
  FakeTcpNetwork network(clock);
  network.Expect({kTcpOk, {{0ms, "one\r"}}});
  network.Expect({kTcpOk, {{0ms, "\ntwo\n"}}});
  const auto connection = network.MakeConnection();
  std::string line;
  ASSERT_TRUE(connection->Connect("h", "1", 1s));
  ASSERT_TRUE(connection->ReceiveLine(line, 1s));
  connection->Close();
  ASSERT_TRUE(connection->Connect("h", "1", 1s));
  // The LF starts a new connection's data: an empty line, not the old pair.
  ASSERT_TRUE(connection->ReceiveLine(line, 1s));
  EXPECT_EQ(line, "");
}

TEST(TcpLines, WaitsAndLimits) {
  FakeClock clock;
  FakeTcpNetwork network(clock);
  network.Expect({kTcpOk, {{500ms, "late\n"}, {0ms, std::string(kTcpBufferSize + 10, 'x')}}});
  const auto connection = network.MakeConnection();
  ASSERT_TRUE(connection->Connect("h", "1", 1s));
  std::string line;
  EXPECT_FALSE(connection->ReceiveLine(line, 499ms));
  EXPECT_EQ(connection->LastErrorText(), "Connection timed out");
  EXPECT_TRUE(connection->ReceiveLine(line, 1ms));
  EXPECT_EQ(line, "late");
  EXPECT_FALSE(connection->ReceiveLine(line, 1s));
  EXPECT_EQ(connection->LastError(), kTcpMessageTooLong);
}

TEST(TcpErrors, TextsByWinsockCode) {
  EXPECT_EQ(TcpErrorText(10054), "Connection reset by peer");
  EXPECT_EQ(TcpErrorText(10060), "Connection timed out");
  EXPECT_EQ(TcpErrorText(10061), "Connection refused");
  EXPECT_EQ(TcpErrorText(11001), "Host not found");
  EXPECT_EQ(TcpErrorText(10065), "Other Winsock error (10065)");
  EXPECT_EQ(TcpErrorText(0), "");
}

}  // namespace
}  // namespace dw
