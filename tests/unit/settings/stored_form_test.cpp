#include "settings/stored_form.h"

#include <gtest/gtest.h>

#include "crypto/encrypt.h"
#include "platform/fake/memory_registry.h"
#include "text/cp1251.h"

namespace dw {
namespace {

TEST(LooksEncrypted, OnlyWholeBlocksOfHexDigits) {
  EXPECT_TRUE(LooksEncrypted(EncryptString("")));
  EXPECT_TRUE(LooksEncrypted(EncryptString(Utf8ToCp1251("Ошибка: недостаточно прав"))));
  EXPECT_TRUE(LooksEncrypted("0123456789abcdef"));
  EXPECT_FALSE(LooksEncrypted(""));
  EXPECT_FALSE(LooksEncrypted("0123456789ABCDE"));
  EXPECT_FALSE(LooksEncrypted("0123456789ABCDEF0"));
  EXPECT_FALSE(LooksEncrypted("0123456789ABCDEG"));
  EXPECT_FALSE(LooksEncrypted("12:00:00 : src: WINVER      code: 501         msg: x"));
  EXPECT_FALSE(LooksEncrypted("2"));
}

TEST(InspectStoredValues, DecryptsAndMarksPlainAndNonTextValues) {
  MemoryRegistry registry;
  const auto root = RegistryRoot::kLocalMachine;
  registry.SetText(root, "\\K", "Modem", EncryptString(Utf8ToCp1251("Модем")));
  registry.SetText(root, "\\K", "StartStage", "2");
  registry.SetValue(root, "\\K", "Odd", MemoryRegistry::ValueType::kDword, {1, 0, 0, 0});
  const auto key = registry.OpenReadOnly(root, "\\K");
  ASSERT_TRUE(key);
  const auto values = InspectStoredValues(*key);
  ASSERT_EQ(values.size(), 3u);
  EXPECT_EQ(values[0].name, "Modem");
  EXPECT_EQ(values[0].text, Utf8ToCp1251("Модем"));
  EXPECT_FALSE(values[0].storedPlain);
  EXPECT_EQ(values[1].text, "2");
  EXPECT_TRUE(values[1].storedPlain);
  EXPECT_FALSE(values[2].text.has_value());
}

}  // namespace
}  // namespace dw
