// The Winsock adapter under Wine: the native loopback cases once more over
// real Winsock, and the client against the demo HTTP server the harness
// names.
#define DW_UPDATE_CASES_OVER_WINSOCK
#include "unit/platform/tcp_system_test.cpp"
#include "unit/update/update_client_test.cpp"

#include <cstdlib>

namespace dw {
namespace {

// DIALWAVE_UPDATE_SERVER pointing at tools/update-server (its demo folder).
// scripts/test always starts it; without it this test would check nothing.
TEST(UpdateClientOverWinsock, AgainstTheDemoServer) {
  const char* address = std::getenv(kUpdateServerVariable);
  ASSERT_TRUE(address != nullptr && *address != '\0')
      << kUpdateServerVariable << " names no server: start tools/update-server/serve.py and set "
      << kUpdateServerVariable << "=host:port (scripts/test does both)";
  const auto server = ParseUpdateServer(address);
  ASSERT_TRUE(server.has_value()) << address;
  const auto clock = MakeSystemClock();
  UpdateClient client(*server, MakeTcpConnection, *clock);

  std::string error, body;
  client.NotifyFirstStart(error, body);
  EXPECT_EQ(error, "");
  EXPECT_NE(body, "");

  std::string version = "1.0.0", message;
  std::vector<std::string> list = {"internet.kvr", "internet.ltkvr"};
  ASSERT_TRUE(client.GetAPNList(version, list, message)) << Cp1251ToUtf8(message);
  EXPECT_NE(version, "1.0.0");
  EXPECT_FALSE(list.empty());
  for (const std::string& apn : list) EXPECT_TRUE(IsSafeApnName(apn)) << apn;
}

}  // namespace
}  // namespace dw
