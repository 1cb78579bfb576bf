// The system's connection against real loopback sockets: POSIX natively, and
// Winsock when the Wine suite includes this file. Errors must arrive as the
// Winsock codes the product sees.
#if !defined(_WIN32) || defined(DW_UPDATE_CASES_OVER_WINSOCK)
#include <gtest/gtest.h>

#include "platform/tcp.h"
#include "unit/update/loopback_server.h"

namespace dw {
namespace {

using namespace std::chrono_literals;
using test::LoopbackServer;
using test::ServerScript;

TEST(TcpSystem, ExchangeSplitLinesPeerCloseAndReconnect) {
  ServerScript first;
  first.steps = {{"one\r", 30ms}, {"\ntwo\n\rbody", 30ms}, {"more"}};
  LoopbackServer server({first, test::Answer("again\n")});
  const auto connection = MakeTcpConnection();
  ASSERT_TRUE(connection->Bind("0.0.0.0", "0")) << connection->LastErrorText();
  ASSERT_TRUE(connection->Connect("localhost", server.Port(), 2s)) << connection->LastErrorText();
  ASSERT_TRUE(connection->Send("GET / HTTP/1.0\r\n\r\n"));
  std::string line, bytes, body;
  ASSERT_TRUE(connection->ReceiveLine(line, 2s));
  EXPECT_EQ(line, "one");
  ASSERT_TRUE(connection->ReceiveLine(line, 2s));
  EXPECT_EQ(line, "two");
  while (connection->ReceiveAvailable(bytes, 2s)) body += bytes;
  EXPECT_EQ(body, "bodymore");
  EXPECT_EQ(connection->LastError(), kTcpConnectionReset);

  connection->Close();
  EXPECT_EQ(connection->LastError(), 0);
  ASSERT_TRUE(connection->Bind("0.0.0.0", "0"));
  ASSERT_TRUE(connection->Connect("127.0.0.1", server.Port(), 2s));
  ASSERT_TRUE(connection->Send("GET /2 HTTP/1.0\r\n\r\n"));
  ASSERT_TRUE(connection->ReceiveLine(line, 2s));
  EXPECT_EQ(line, "again");
  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[1], "GET /2 HTTP/1.0\r\n\r\n");
}

TEST(TcpSystem, SilenceTimesOutWithinTheWait) {
  ServerScript silent;
  silent.holdOpen = true;
  LoopbackServer server({silent});
  const auto connection = MakeTcpConnection();
  ASSERT_TRUE(connection->Connect("127.0.0.1", server.Port(), 2s));
  ASSERT_TRUE(connection->Send("x\r\n\r\n"));
  std::string bytes;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(connection->ReceiveAvailable(bytes, 100ms));
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(connection->LastError(), kTcpTimedOut);
  EXPECT_GE(took, 90ms);
  EXPECT_LT(took, 1500ms);
}

TEST(TcpSystem, ConnectFailures) {
  std::string closedPort;
  { closedPort = LoopbackServer({}).Port(); }
  const auto connection = MakeTcpConnection();
  EXPECT_FALSE(connection->Connect("127.0.0.1", closedPort, 2s));
  EXPECT_EQ(connection->LastError(), kTcpConnectionRefused);
  EXPECT_EQ(connection->LastErrorText(), "Connection refused");
  EXPECT_FALSE(connection->Connect("no-such-host.invalid", "80", 2s));
  EXPECT_EQ(connection->LastError(), kTcpHostNotFound);
  EXPECT_EQ(connection->LastErrorText(), "Host not found");
  EXPECT_FALSE(connection->Send("x"));
  EXPECT_EQ(connection->LastError(), 10057);
  EXPECT_FALSE(connection->Bind("not an address", "0"));
  EXPECT_EQ(connection->LastError(), 10022);
}

}  // namespace
}  // namespace dw
#endif
