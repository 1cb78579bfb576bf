#include <gtest/gtest.h>

#include "connection/support_memory.h"
#include "text/texts.h"

namespace dw::connection {
namespace {

TEST(SupportMemory, AStoppedDialIsNotKeptAndNoDialWithoutAConnectionReadsAsConnected) {
  const LocalDateTime at{2026, 12, 9, 10, 0, 0, 0};
  EXPECT_FALSE(RememberedAttempt({at, "internet.kvr", "*99#", 0, false, false}).has_value())
      << "cancelled before RAS said anything";
  const auto silent = RememberedAttempt({at, "internet.kvr", "*99#", 0, false, true});
  ASSERT_TRUE(silent.has_value());
  EXPECT_NE(silent->code, 0u);
  EXPECT_EQ(silent->errorText, Text(TextId::DialModemSilent));
  const auto connected = RememberedAttempt({at, "internet.kvr", "*99#", 0, true, false});
  ASSERT_TRUE(connected.has_value());
  EXPECT_EQ(connected->code, 0u);
  EXPECT_EQ(connected->apn, "internet.kvr");
  EXPECT_EQ(connected->time.day, 9);
}

TEST(SupportMemory, TheUpdateAnswerSaysWhatCameBack) {
  AfterConnectResult r;
  EXPECT_FALSE(UpdateAnswerText(r, false).has_value()) << "no refresh ran";
  EXPECT_EQ(UpdateAnswerText(r, true), Text(TextId::ReportUnknown)) << "a failure without a reason";
  r.apnMessage = "connect failed";
  EXPECT_EQ(UpdateAnswerText(r, true), "connect failed");
  r.apnsRefreshed = true;
  r.apnMessage = Text(TextId::ApnUpdateNotNeeded);
  EXPECT_EQ(UpdateAnswerText(r, true), Text(TextId::ApnUpdateNotNeeded));
  r.apnMessage.clear();
  r.version = "1.0.9";
  EXPECT_EQ(UpdateAnswerText(r, true), Text(TextId::UpdateApnListTaken) + "1.0.9");
}

}  // namespace
}  // namespace dw::connection
