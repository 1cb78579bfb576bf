// The shared store: state text round trips, files shared between stores,
// and what is left of a connection once it is gone.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "core/state.h"
#include "core/store.h"

namespace dw::sim {
namespace {

State Sample() {
  State s;
  s.nextHandle = 0x10005;
  s.closedReceived = 123;
  s.closedSent = 45;
  std::vector<std::uint8_t> record(sizeof(ras::v501::RasEntryA), 0);
  record[0] = 0x44;
  record[27] = '*';
  s.entries.push_back({"Korvana", record, "pvlok", "pw"});
  Connection c;
  c.handle = 0x10004;
  c.entry = "Korvana";
  c.deviceType = "modem";
  c.deviceName = "Korvana GPRS Modem";
  c.phone = "*99***1#";
  c.apn = "internet.kvr";
  c.startedMs = 1700000000000;
  c.stepMs = 100;
  c.plan = {0, 1, 2, 8192};
  c.error = 0;
  c.hungUpMs = 0;
  c.goneMs = 1700000009000;
  c.rateReceived = 10;
  c.rateSent = 2;
  s.connections.push_back(c);
  return s;
}

TEST(StateText, RoundTripsAndRefusesDamage) {
  const State s = Sample();
  const std::string text = FormatState(s);
  const auto back = ParseState(text);
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(FormatState(*back), text);
  EXPECT_EQ(back->entries.at(0).record, s.entries[0].record);
  EXPECT_EQ(back->connections.at(0).plan, s.connections[0].plan);
  EXPECT_FALSE(ParseState("next-handle=x\n").has_value());
  EXPECT_FALSE(ParseState("[connection]\nhandle=1\n").has_value()) << "a connection needs a plan";
  EXPECT_FALSE(ParseState("[entry]\nrecord=abc\n").has_value());
  EXPECT_FALSE(ParseState("[entry]\ncolour=red\n").has_value());
}

TEST(ConnectionTimeline, StatesTrafficAndTheEnd) {
  Connection c = Sample().connections[0];
  const std::int64_t t0 = c.startedMs;
  EXPECT_EQ(ViewAt(c, t0).state, 0u);
  EXPECT_TRUE(ViewAt(c, t0).dialing);
  EXPECT_EQ(ViewAt(c, t0 + 199).state, 1u);
  EXPECT_EQ(ViewAt(c, t0 + 300).state, 8192u);
  EXPECT_TRUE(ViewAt(c, t0 + 300).connected);
  EXPECT_EQ(ViewAt(c, t0 + 1300).received, 10u);
  EXPECT_EQ(ViewAt(c, t0 + 1300).sent, 2u);
  // Counters stop when the connection goes.
  EXPECT_EQ(ViewAt(c, t0 + 20000).received, ViewAt(c, c.goneMs).received);
  // A hang-up freezes the dial where it was.
  c.hungUpMs = t0 + 150;
  EXPECT_EQ(ViewAt(c, t0 + 5000).state, 1u);
  EXPECT_FALSE(ViewAt(c, t0 + 5000).dialing);

  State s = Sample();
  Purge(s, s.connections[0].goneMs - 1);
  EXPECT_EQ(s.connections.size(), 1u);
  Purge(s, s.connections[0].goneMs);
  EXPECT_TRUE(s.connections.empty());
  EXPECT_EQ(s.closedReceived, 123u + (9000 - 300) * 10 / 1000);
}

TEST(ConnectionTimeline, CountersWrapAt32Bits) {
  Connection c = Sample().connections[0];
  c.goneMs = 0;
  c.rateReceived = 0xFFFFFFFFu;
  const std::int64_t connected = PlanEndMs(c);
  EXPECT_EQ(ViewAt(c, connected + 2000).received, 0xFFFFFFFEu);
}

class FileStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device random;
    folder_ = std::filesystem::temp_directory_path() /
              ("rassim-test-" + std::to_string(random()) + std::to_string(random()));
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }
  std::filesystem::path folder_;
};

TEST_F(FileStoreTest, TwoStoresOnOneFolderShareEverything) {
  FileStore a(folder_.string());
  FileStore b(folder_.string() + "/");
  EXPECT_EQ(a.ReadScenario(), DefaultScenario()) << "no files yet: the default";
  a.Update([](const Scenario&, State& s) { s = Sample(); });
  Scenario changed = DefaultScenario();
  changed.notifyDelayMs = 7;
  b.SetScenario(changed);
  EXPECT_EQ(a.ReadScenario().notifyDelayMs, 7);
  b.Update([](const Scenario& scenario, State& s) {
    EXPECT_EQ(scenario.notifyDelayMs, 7);
    ASSERT_EQ(s.entries.size(), 1u);
    EXPECT_EQ(s.entries[0].user, "pvlok");
  });
  a.Reset();
  b.Update([](const Scenario& scenario, State& s) {
    EXPECT_EQ(scenario, DefaultScenario());
    EXPECT_TRUE(s.entries.empty());
  });
}

TEST_F(FileStoreTest, ADamagedStateFileCountsAsEmpty) {
  std::ofstream(folder_ / "state.txt") << "this is not a state\n";
  FileStore store(folder_.string());
  store.Update([](const Scenario&, State& s) { EXPECT_TRUE(s.entries.empty()); });
}

}  // namespace
}  // namespace dw::sim
