#include "connection/statistics.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "connection/current_connection.h"
#include "platform/fake/memory_registry.h"
#include "text/texts.h"
#include "unit/log/log_test_support.h"
#include "unit/ras/ras_fixture.h"

namespace dw::connection {
namespace {

using ras::Dword;
using ras::Generation;

class Statistics : public ras::test::RasTest {
 protected:
  void SetUp() override {
    log_.Configure({"/l", "/n"});
    ConfigureStatistics(&stats_);
  }
  void TearDown() override {
    SetMainConnectionHandle(0);
    ConfigureStatistics(nullptr);
    RasTest::TearDown();
  }

  std::vector<std::string> Records() const { return log_.Records(); }

  void SetCounter(std::string_view name, std::vector<std::uint8_t> bytes) {
    stats_.SetValue(RegistryRoot::kDynData, kStatDataKey, name, MemoryRegistry::ValueType::kBinary,
                    std::move(bytes));
  }

  // A connection dialled in the simulator, connected and `ms` into its
  // traffic.
  ras::Handle DialConnected(std::int64_t ms) {
    EXPECT_EQ(SaveEntry("Korvana", "Korvana ISDN Adapter", "*99***1#", "isdn"), 0u);
    ras::Handle conn = 0;
    EXPECT_EQ(Dial("Korvana", conn), 0u);
    const auto notes = CompleteDial(10);
    EXPECT_EQ(notes.size(), 10u);
    if (!notes.empty()) {
      EXPECT_EQ(notes.back().state, ras::kConnected);
    }
    clock_.Advance(ms);
    return conn;
  }

  // RasGetConnectionStatistics called here, with the generation's record.
  std::pair<Dword, Dword> Direct(ras::Handle conn) {
    auto record = Blank(Size(ras::Record::kStats));
    EXPECT_EQ(Fn<ras::RasGetConnectionStatisticsFn>("RasGetConnectionStatistics")(conn,
                                                                                   record.data()),
              0u);
    ras::RasStats s{};
    std::memcpy(&s, record.data(), sizeof s);
    return {s.dwBytesRcved, s.dwBytesXmited};
  }

  MemoryRegistry stats_;
  testing::LogFolder log_;
};

TEST_F(Statistics, WithNoConnectionAtAllItGivesZerosWithoutAskingRas) {
  for (Generation g : {Generation::kWin2000, Generation::kWinXp}) {
    StartRas(g);
    std::uint32_t received = 123;
    std::uint32_t sent = 456;
    EXPECT_EQ(GetStatistics(received, sent, 0), 0u);
    EXPECT_EQ(received, 0u);
    EXPECT_EQ(sent, 0u);
    EXPECT_EQ(proxy_->Lookups("RasGetConnectionStatistics"), 0);
    EXPECT_EQ(proxy_->Lookups("RasEnumDevicesA"), 0);  // not even a readiness check
  }
  EXPECT_TRUE(Records().empty());
}

TEST_F(Statistics, FromWindows2000OnTheConnectionsOwnCountersComeFromRas) {
  for (Generation g : {Generation::kWin2000, Generation::kWinXp}) {
    StartRas(g);
    const ras::Handle conn = DialConnected(3000);
    const auto [directReceived, directSent] = Direct(conn);
    // The scenario's rates differ, so a swap of the two fields shows.
    ASSERT_GT(directReceived, directSent);
    ASSERT_GT(directSent, 0u);

    std::uint32_t received = 0;
    std::uint32_t sent = 0;
    EXPECT_EQ(GetStatistics(received, sent, conn), 0u);
    EXPECT_EQ(received, directReceived);
    EXPECT_EQ(sent, directSent);

    // Handle 0 means the main window's connection.
    clock_.Advance(1000);
    const auto later = Direct(conn);
    SetMainConnectionHandle(conn);
    EXPECT_EQ(GetStatistics(received, sent, 0), 0u);
    EXPECT_EQ(received, later.first);
    EXPECT_EQ(sent, later.second);
    EXPECT_GT(received, directReceived);
    SetMainConnectionHandle(0);
  }
  EXPECT_TRUE(Records().empty());
}

TEST_F(Statistics, AFailedQueryIsLoggedOnceAndLeavesTheCountersAlone) {
  StartRas(Generation::kWinXp);
  const ras::Handle conn = DialConnected(1000);
  ASSERT_EQ(sim_->Drop(conn), 1);
  std::uint32_t received = 11;
  std::uint32_t sent = 22;
  EXPECT_EQ(GetStatistics(received, sent, conn), ras::kErrorInvalidHandle);
  EXPECT_EQ(received, 11u);
  EXPECT_EQ(sent, 22u);
  const auto records = Records();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].rfind("RAS-GetStatistics|6|", 0), 0u) << records[0];
  EXPECT_EQ(configErrors_.load(), 0);
}

TEST_F(Statistics, AnErrorOnTheWayIsLoggedWith711AndReported) {
  StartRas(Generation::kWin2000);
  proxy_->replaced["RasGetConnectionStatistics"] = nullptr;  // not exported
  std::uint32_t received = 11;
  std::uint32_t sent = 22;
  EXPECT_EQ(GetStatistics(received, sent, 42), ras::kErrorRasmanCannotInitialize);
  EXPECT_EQ(received, 11u);
  EXPECT_EQ(sent, 22u);
  EXPECT_EQ(Records(), (std::vector<std::string>{"RAS-GetStatistics|711|" +
                                                 Text(TextId::RasConfigError)}));
  EXPECT_EQ(configErrors_.load(), 1);  // the main window heard of it
}

TEST_F(Statistics, Before2000TheSystemWideCountersComeFromTheRegistry) {
  for (Generation g : {Generation::kWin98, Generation::kWinMe}) {
    StartRas(g);
    SetCounter(kBytesReceivedValue, {0x78, 0x56, 0x34, 0x12});
    SetCounter(kBytesSentValue, {0x34, 0x12});  // shorter values are little-endian too
    std::uint32_t received = 0;
    std::uint32_t sent = 0;
    // The handle means nothing here; RAS is not asked.
    EXPECT_EQ(GetStatistics(received, sent, 77), 0u);
    EXPECT_EQ(received, 0x12345678u);
    EXPECT_EQ(sent, 4660u);
    SetCounter(kBytesSentValue, {0xFF, 0xFF, 0xFF, 0xFF});
    SetCounter(kBytesReceivedValue, {});
    EXPECT_EQ(GetStatistics(received, sent, 0), 0u);
    EXPECT_EQ(received, 0u);
    EXPECT_EQ(sent, 0xFFFFFFFFu);
    EXPECT_EQ(proxy_->Lookups("RasGetConnectionStatistics"), 0);
  }
  EXPECT_TRUE(Records().empty());
}

TEST_F(Statistics, AnUnreadableCounterIsLoggedAndKeptWhileTheOtherMovesAndNoneFailsTheReading) {
  StartRas(Generation::kWin98);
  auto key = stats_.Create(RegistryRoot::kDynData, kStatDataKey);
  ASSERT_NE(key, nullptr);
  SetCounter(kBytesReceivedValue, {1, 2, 3, 4, 5});  // longer than a counter
  EXPECT_EQ(ReadBinary(key.get(), kBytesSentValue), 0u);
  EXPECT_EQ(ReadBinary(key.get(), kBytesReceivedValue), 0u);
  EXPECT_EQ(ReadBinary(nullptr, kBytesReceivedValue), 0u);
  SetCounter(kBytesSentValue, {0x34, 0x12});
  EXPECT_EQ(ReadBinary(key.get(), "dial-up adapter\\totalbytesxmit"), 4660u);

  // The unreadable counter keeps what the caller had instead of a count that
  // would drop to 0; the other is read.
  std::uint32_t received = 5;
  std::uint32_t sent = 6;
  EXPECT_EQ(GetStatistics(received, sent, 0), ras::kSuccess);
  EXPECT_EQ(received, 5u);
  EXPECT_EQ(sent, 4660u);
  const std::string recvd = "RAS-ReadBinary-Dial-Up Adapter\\TotalBytesRecvd|888|Unrecognized";
  const std::string xmit = "RAS-ReadBinary-Dial-Up Adapter\\TotalBytesXmit|888|Unrecognized";
  EXPECT_EQ(Records(), (std::vector<std::string>{xmit, recvd, recvd, recvd}));

  // No key at all, or no registry configured.
  stats_.DenyAccess(RegistryRoot::kDynData, kStatDataKey);
  EXPECT_EQ(GetStatistics(received, sent, 0), kCountersUnreadable);
  ConfigureStatistics(nullptr);
  EXPECT_EQ(GetStatistics(received, sent, 0), kCountersUnreadable);
  EXPECT_EQ(received, 5u);
  EXPECT_EQ(sent, 4660u);
  EXPECT_EQ(Records().size(), 4u + 4u);
}

}  // namespace
}  // namespace dw::connection
