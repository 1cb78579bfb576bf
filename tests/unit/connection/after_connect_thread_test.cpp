// The exchanges after a connection on their worker: the caller's values are
// copies, the result comes back whole, and a job left behind against a
// server that never answers lets go of everything on its own.
// Native only: the Windows run of the same paths is the Wine suite's
// (OpenConnectionWine) and the journeys, through the real Winsock.
#ifndef _WIN32
#include "connection/after_connect.h"

#include <gtest/gtest.h>

#include "platform/fake/test_messages.h"
#include "platform/threads.h"
#include "unit/update/loopback_server.h"

namespace dw::connection {
namespace {

using namespace std::chrono_literals;
using test::LoopbackServer;

// A client for `server` whose connection factory holds `token`: the token
// expires once the worker has released the client.
std::unique_ptr<UpdateClient> ClientFor(const LoopbackServer& server, std::shared_ptr<int> token) {
  return std::make_unique<UpdateClient>(
      UpdateServer{"127.0.0.1", server.Port()},
      [token] { return MakeTcpConnection(); },
      std::shared_ptr<const Clock>(MakeSystemClock()), UpdateLimits{10000ms, 30000ms, 64 * 1024});
}

TEST(AfterConnectJob, TheResultComesBackAsAValueWhateverTheCallerDoesMeanwhile) {
  LoopbackServer server({test::Answer(test::Ok("VERSION=1.0.7")),
                         test::Answer(test::Ok("list\r\ninternet.new\r\n"))});
  TestWindowMessages messages;
  std::vector<std::string> list{"internet.kvr"};
  AfterConnectRequest request;
  request.refreshApns = true;
  request.versionKey = "1.0.0";
  request.apnList = list;
  AfterConnectJob job(ClientFor(server, nullptr), std::move(request), messages.NewEvent());
  // The window's own list goes on changing; the worker has its copy.
  for (int i = 0; i < 50; ++i) list.push_back("local." + std::to_string(i));
  ASSERT_TRUE(messages.WaitServing(job.Done(), 10s));
  EXPECT_TRUE(job.Finished());
  const std::optional<AfterConnectResult> r = job.Take();
  ASSERT_TRUE(r);
  EXPECT_TRUE(r->apnsRefreshed);
  EXPECT_EQ(r->version, "1.0.7");
  EXPECT_EQ(r->apnList, std::vector<std::string>{"internet.new"});
  EXPECT_EQ(list.size(), 51u);
}

TEST(AfterConnectJob, AJobLeftBehindAgainstASilentServerEndsOnItsOwn) {
  auto server = std::make_unique<LoopbackServer>(
      std::vector<test::ServerScript>{test::ServerScript{{}, true}});
  TestWindowMessages messages;
  auto token = std::make_shared<int>(0);
  const std::weak_ptr<int> released = token;
  {
    AfterConnectRequest request;
    request.notifyFirstStart = true;
    request.refreshApns = true;
    request.versionKey = "1.0.0";
    request.apnList = {"internet.kvr"};
    AfterConnectJob job(ClientFor(*server, std::move(token)), std::move(request),
                        messages.NewEvent());
    for (int i = 0; i < 500 && server->Requests().empty(); ++i) SleepFor(10ms);
    ASSERT_EQ(server->Requests().size(), 1u);
    EXPECT_FALSE(messages.WaitServing(job.Done(), 100ms)) << "the server says nothing";
    EXPECT_FALSE(job.Finished());
    EXPECT_FALSE(job.Take());
  }  // abandoned here, the worker still waiting
  EXPECT_FALSE(released.expired()) << "the worker still holds its client";
  server.reset();  // the connection goes away under the worker
  for (int i = 0; i < 1000 && !released.expired(); ++i) SleepFor(10ms);
  EXPECT_TRUE(released.expired()) << "the worker let go of its client";
}

}  // namespace
}  // namespace dw::connection

#endif  // _WIN32
