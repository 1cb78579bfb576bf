#include "text/cp1251.h"

#include <gtest/gtest.h>

#include "text/texts.h"

namespace dw {
namespace {

TEST(Cp1251, RussianLettersConvertBothWays) {
  const std::string cp = Utf8ToCp1251("Корвана Dialwave, ёЁ №");
  EXPECT_EQ(cp, "\xCA\xEE\xF0\xE2\xE0\xED\xE0 Dialwave, \xB8\xA8 \xB9");
  EXPECT_EQ(Cp1251ToUtf8(cp), "Корвана Dialwave, ёЁ №");
  EXPECT_EQ(Cp1251ToUtf16(cp), u"Корвана Dialwave, ёЁ №");
  EXPECT_EQ(Utf16ToCp1251(u"Корвана Dialwave, ёЁ №"), cp);
}

TEST(Cp1251, EveryByteRoundTripsThroughUtf16) {
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  const std::u16string wide = Cp1251ToUtf16(all);
  ASSERT_EQ(wide.size(), all.size());
  EXPECT_EQ(Utf16ToCp1251(wide), all);
  EXPECT_EQ(Utf8ToCp1251(Cp1251ToUtf8(all)), all);
  EXPECT_EQ(wide[0xC0 - 1], u'А');
  EXPECT_EQ(wide[0xFF - 1], u'я');
  EXPECT_EQ(wide[0x88 - 1], u'€');
}

TEST(Cp1251, UnmappableAndMalformedInputBecomesQuestionMarks) {
  EXPECT_EQ(Utf16ToCp1251(u"a\u4E2Db"), "a?b");
  EXPECT_EQ(Utf16ToCp1251(u"x\U0001F600y"), "x?y");   // surrogate pair: one letter
  EXPECT_EQ(Utf16ToCp1251(std::u16string(1, u'\xDC00')), "?");  // lone surrogate
  EXPECT_EQ(Utf8ToCp1251("a\xFF" "b"), "a?b");
  EXPECT_EQ(Utf8ToCp1251("\xD0"), "?");                 // cut in the middle
  EXPECT_EQ(Utf8ToCp1251("\xD0\x41"), "?A");           // bad continuation
  EXPECT_EQ(Utf8ToCp1251("\xF0\x9F\x98\x80!"), "?!");  // outside the code page
}

TEST(Texts, AreHandedOutInCp1251) {
  EXPECT_EQ(Text(TextId::AppTitle), "\xCA\xEE\xF0\xE2\xE0\xED\xE0 Dialwave");
  EXPECT_EQ(TextUtf8(TextId::AppTitle), "Корвана Dialwave");
  EXPECT_EQ(Text(TextId::SingleInstanceMutex), "KorvanaDialwave");
  // No text of the table may lose a letter on the way to 1251.
  for (int i = 0; i < static_cast<int>(TextId::Count); ++i) {
    const auto id = static_cast<TextId>(i);
    EXPECT_EQ(Cp1251ToUtf8(Text(id)), TextUtf8(id)) << i;
  }
}

}  // namespace
}  // namespace dw
