// The scenario text: what it means, and that it survives a round trip.
#include <gtest/gtest.h>

#include "core/scenario.h"

namespace dw::sim {
namespace {

TEST(Scenario, DefaultIsTheOperatorsNetwork) {
  const Scenario s = DefaultScenario();
  ASSERT_EQ(s.devices.size(), 2u);
  EXPECT_EQ(s.devices[0], (Device{"modem", "Korvana GPRS Modem"}));
  EXPECT_EQ(s.devices[1].type, "isdn");
  EXPECT_EQ(s.ForApn("internet.kvr"), Outcome::Connect());
  EXPECT_EQ(s.ForApn("Internet.KVR"), Outcome::Connect()) << "APNs ignore case";
  EXPECT_EQ(s.ForApn("internet.ltkvr"), Outcome::Error(734));
  EXPECT_EQ(s.ForApn(""), Outcome::Error(734));
  EXPECT_EQ(s.ForNumber("*99***1#"), Outcome::Connect());
  EXPECT_EQ(s.ForNumber("*99#"), Outcome::Connect());
  EXPECT_EQ(s.ForNumber("*99***2#"), Outcome::Error(678));
  EXPECT_TRUE(s.strict);
  EXPECT_FALSE(s.hung || s.all711 || s.hangupNever);
}

TEST(Scenario, RulesFallBackToTheStarRuleOrConnectWhenThereAreNone) {
  const auto s = ParseScenario(
      "apn a.b silent\n"
      "apn * error 691\n"
      "number 123 error 676\n");
  ASSERT_TRUE(s.has_value());
  EXPECT_EQ(s->ForApn("A.B"), Outcome::Silent());
  EXPECT_EQ(s->ForApn("c.d"), Outcome::Error(691));
  EXPECT_EQ(s->ForNumber("123"), Outcome::Error(676));
  EXPECT_EQ(s->ForNumber("1234"), Outcome::Error(678)) << "numbers compare exactly";
  const auto open = ParseScenario("device modem M\n");
  EXPECT_EQ(open->ForApn("anything"), Outcome::Connect());
  EXPECT_EQ(open->ForNumber("anything"), Outcome::Connect());
}

TEST(Scenario, EverySettingRoundTrips) {
  const std::string text =
      "# a test network\n"
      "strict off\n"
      "device modem Phone with spaces  \n"
      "device isdn ISDN\n"
      "apn internet.kvr connect\n"
      "apn slow silent\n"
      "number *99# error 678\n"
      "entry name=Old one;device=Phone with spaces;phone=*99#;user=bob;password=pw\n"
      "notify-delay-ms 5\n"
      "hangup-delay-ms 7\n"
      "rate-received 100\n"
      "rate-sent 20\n"
      "drop-after-s 30\n"
      "record-size conn 720\n"
      "record-size entry 2900\n"
      "login pvlok secret word\n"
      "fault hung\n"
      "fault all-711\n"
      "fault hangup-never\n";
  const auto s = ParseScenario(text);
  ASSERT_TRUE(s.has_value());
  EXPECT_FALSE(s->strict);
  EXPECT_EQ(s->devices[0].name, "Phone with spaces");
  ASSERT_EQ(s->entries.size(), 1u);
  EXPECT_EQ(s->entries[0].name, "Old one");
  EXPECT_EQ(s->entries[0].deviceType, "modem");
  EXPECT_EQ(s->entries[0].user, "bob");
  EXPECT_EQ(s->notifyDelayMs, 5);
  EXPECT_EQ(s->hangupDelayMs, 7);
  EXPECT_EQ(s->rateReceived, 100u);
  EXPECT_EQ(s->dropAfterSeconds, 30);
  EXPECT_TRUE(s->hung && s->all711 && s->hangupNever);
  EXPECT_EQ(s->ReportedSize(ras::Record::kConn, 692), 720u);
  EXPECT_EQ(s->ReportedSize(ras::Record::kEntry, 2884), 2900u);
  EXPECT_EQ(s->ReportedSize(ras::Record::kDevInfo, 152), 152u) << "no line: the generation's own";
  ASSERT_TRUE(s->login.has_value());
  EXPECT_EQ(s->login->first, "pvlok");
  EXPECT_EQ(s->login->second, "secret word");
  const auto again = ParseScenario(FormatScenario(*s));
  ASSERT_TRUE(again.has_value());
  EXPECT_EQ(*again, *s);
  EXPECT_EQ(ParseScenario(FormatScenario(DefaultScenario())), DefaultScenario());
}

TEST(Scenario, BadLinesAreRefusedByNumber) {
  for (const char* bad :
       {"apn x", "apn x error", "apn x error -3", "apn x error 0", "number x maybe", "device modem",
        "strict yes", "fault tired", "notify-delay-ms -1", "rate-sent 99999999999",
        "entry device=x", "entry name=a;colour=red", "unknown 1", "record-size conn",
        "record-size ras 700", "record-size conn 2", "login pvlok"}) {
    std::string error;
    EXPECT_FALSE(ParseScenario(std::string("# ok\n") + bad + "\n", &error).has_value()) << bad;
    EXPECT_EQ(error.rfind("line 2: ", 0), 0u) << error;
  }
}

}  // namespace
}  // namespace dw::sim
