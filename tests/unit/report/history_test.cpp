#include "report/history.h"

#include <gtest/gtest.h>

#include <functional>

#include "crypto/encrypt.h"
#include "platform/fake/memory_registry.h"
#include "settings/stored_form.h"

namespace dw::report {
namespace {

constexpr auto kRoot = RegistryRoot::kCurrentUser;
constexpr std::string_view kKey = "\\Software\\Korvana\\Dialwave\\Support";

ConnectAttempt Attempt(int i, ras::Dword code = 691) {
  ConnectAttempt a;
  a.time = {2026, 12, 7, 10, i / 60, i % 60, 0};
  a.apn = "internet.kvr";
  a.number = "*99***1#";
  a.code = code;
  a.errorText = "error " + std::to_string(i);
  return a;
}

class History : public ::testing::Test {
 protected:
  // The value of one slot as stored (encrypted text), for the damage cases.
  std::string Slot(int n) const {
    const auto key = registry_.OpenReadOnly(kRoot, kKey);
    const auto text =
        key ? key->ReadText("Attempt" + std::string(n < 10 ? "0" : "") + std::to_string(n)) : std::nullopt;
    return text.value_or("");
  }
  void SetSlot(int n, std::string_view text) {
    registry_.SetText(kRoot, kKey, "Attempt" + std::string(n < 10 ? "0" : "") + std::to_string(n), text);
  }

  MemoryRegistry registry_;
};

TEST_F(History, KeepsTheLastTwentyInOrderAcrossRuns) {
  EXPECT_TRUE(LoadAttempts(registry_).attempts.empty());
  for (int i = 1; i <= 27; ++i) ASSERT_TRUE(RecordAttempt(registry_, Attempt(i, i == 27 ? 0 : 691)));
  // A later run reads what an earlier one wrote: nothing is kept in memory.
  const AttemptHistory h = LoadAttempts(registry_);
  EXPECT_FALSE(h.damaged);
  EXPECT_FALSE(h.restartedAt);
  ASSERT_EQ(h.attempts.size(), kAttemptsKept);
  for (std::size_t k = 0; k < h.attempts.size(); ++k) {
    const int i = static_cast<int>(k) + 8;  // 1..7 went
    EXPECT_EQ(h.attempts[k].errorText, "error " + std::to_string(i));
    EXPECT_EQ(h.attempts[k].time.second, i % 60);
    EXPECT_EQ(h.attempts[k].time.year, 2026);
  }
  EXPECT_EQ(h.attempts.back().code, 0u);
  EXPECT_EQ(h.attempts.front().apn, "internet.kvr");
  EXPECT_EQ(h.attempts.front().number, "*99***1#");
  // Twenty values, each the settings' encrypted form.
  for (int n = 0; n < 20; ++n) EXPECT_TRUE(LooksEncrypted(Slot(n))) << n;
}

TEST_F(History, CutsEveryFieldToItsBound) {
  ConnectAttempt a = Attempt(1);
  a.apn = std::string(1000, 'a');
  a.number = std::string(1000, '1');
  a.errorText = std::string(100000, 'e') + "\r\n|:;\x01";
  ASSERT_TRUE(RecordAttempt(registry_, a));
  const auto h = LoadAttempts(registry_);
  ASSERT_EQ(h.attempts.size(), 1u);
  EXPECT_EQ(h.attempts[0].apn.size(), kMaxApn);
  EXPECT_EQ(h.attempts[0].number.size(), kMaxNumber);
  EXPECT_EQ(h.attempts[0].errorText, std::string(kMaxErrorText, 'e'));
  // Far below what one value may hold on 9x (16,300 bytes).
  EXPECT_LT(Slot(1).size(), 2000u);
  // Texts with the record's own separators come back whole.
  a.errorText = "3:ab12:x;|\r\n";
  a.apn = "1:";
  ASSERT_TRUE(RecordAttempt(registry_, a));
  const auto again = LoadAttempts(registry_);
  ASSERT_EQ(again.attempts.size(), 2u);
  EXPECT_EQ(again.attempts[1].errorText, "3:ab12:x;|\r\n");
  EXPECT_EQ(again.attempts[1].apn, "1:");
}

TEST_F(History, DamagedSlotsAreReportedThenTheRingStartsAfresh) {
  for (int i = 1; i <= 5; ++i) ASSERT_TRUE(RecordAttempt(registry_, Attempt(i)));
  const std::string second = Slot(2);
  struct Case {
    const char* what;
    std::function<void()> damage;
  };
  const std::vector<Case> cases = {
      {"garbage text", [&] { SetSlot(3, "not a record at all"); }},
      {"hex that does not decrypt intact", [&] { SetSlot(3, std::string(64, 'A')); }},
      {"intact but not a record", [&] { SetSlot(3, EncryptString("A1xx")); }},
      {"a record in the wrong slot", [&] { SetSlot(7, second); }},
      {"a value of another type",
       [&] { registry_.SetValue(kRoot, kKey, "Attempt04", MemoryRegistry::ValueType::kDword, {1, 0, 0, 0}); }},
      {"a huge value", [&] { SetSlot(3, std::string(1 << 20, 'F')); }},
      {"a bad time", [&] { SetSlot(3, EncryptString("A11:319:2026-13-07 10:00:003:6910:0:0:")); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    registry_ = MemoryRegistry();
    for (int i = 1; i <= 5; ++i) ASSERT_TRUE(RecordAttempt(registry_, Attempt(i)));
    c.damage();
    const AttemptHistory damaged = LoadAttempts(registry_);
    EXPECT_TRUE(damaged.damaged);
    EXPECT_GE(damaged.attempts.size(), 3u) << "what is intact is still shown";
    // The next attempt starts the ring afresh and says when.
    ConnectAttempt next = Attempt(40, 633);
    next.time.day = 8;
    ASSERT_TRUE(RecordAttempt(registry_, next));
    const AttemptHistory fresh = LoadAttempts(registry_);
    EXPECT_FALSE(fresh.damaged);
    ASSERT_EQ(fresh.attempts.size(), 1u);
    EXPECT_EQ(fresh.attempts[0].code, 633u);
    ASSERT_TRUE(fresh.restartedAt);
    EXPECT_EQ(fresh.restartedAt->day, 8);
    // And goes on as a ring from there.
    ASSERT_TRUE(RecordAttempt(registry_, Attempt(41)));
    EXPECT_EQ(LoadAttempts(registry_).attempts.size(), 2u);
  }
}

TEST_F(History, UnwritableStoreFailsWithoutThrowing) {
  registry_.DenyWrite(kRoot, "\\Software");
  EXPECT_FALSE(RecordAttempt(registry_, Attempt(1)));
  EXPECT_FALSE(StoreUpdateAnswer(registry_, {{2026, 1, 2, 3, 4, 5, 0}, "ok"}));
  EXPECT_TRUE(LoadAttempts(registry_).attempts.empty());
  registry_ = MemoryRegistry();
  registry_.DenyAccess(kRoot, std::string(kKey));
  EXPECT_FALSE(LoadAttempts(registry_).damaged);
  EXPECT_FALSE(LoadUpdateAnswer(registry_).answer);
}

TEST_F(History, UpdateAnswerRoundTripsAndDamageIsTold) {
  EXPECT_FALSE(LoadUpdateAnswer(registry_).answer);
  EXPECT_FALSE(LoadUpdateAnswer(registry_).damaged);
  ASSERT_TRUE(StoreUpdateAnswer(registry_, {{2026, 12, 7, 11, 30, 5, 0}, "VERSION=7"}));
  ASSERT_TRUE(StoreUpdateAnswer(registry_, {{2026, 12, 8, 11, 30, 5, 0}, std::string(2000, 'x')}));
  const auto stored = LoadUpdateAnswer(registry_);
  ASSERT_TRUE(stored.answer);
  EXPECT_EQ(stored.answer->time.day, 8);
  EXPECT_EQ(stored.answer->result, std::string(kMaxErrorText, 'x'));
  registry_.SetText(kRoot, kKey, "UpdateAnswer", EncryptString("U1garbage"));
  EXPECT_TRUE(LoadUpdateAnswer(registry_).damaged);
  EXPECT_FALSE(LoadUpdateAnswer(registry_).answer);
}

TEST(StoredTime, ExactShapeOnly) {
  EXPECT_EQ(StoredTime({2026, 2, 3, 4, 5, 6, 7}), "2026-02-03 04:05:06");
  EXPECT_EQ(StoredTime({12026, 2, 3, 4, 5, 6, 0}), "9999-02-03 04:05:06");
  const auto t = ParseStoredTime("2026-02-03 04:05:06");
  ASSERT_TRUE(t);
  EXPECT_EQ(StoredTime(*t), "2026-02-03 04:05:06");
  for (const char* bad : {"2026-02-03 04:05", "2026-02-03T04:05:06", "2026-00-03 04:05:06",
                          "2026-02-32 04:05:06", "2026-02-03 24:05:06", "2026-02-03 04:60:06",
                          "2026-02-03 04:05:0x", " 2026-02-03 04:05:06", ""}) {
    EXPECT_FALSE(ParseStoredTime(bad)) << bad;
  }
}

}  // namespace
}  // namespace dw::report
