#include "text/fold.h"

#include <gtest/gtest.h>

#include <string>

#include "text/cp1251.h"

namespace dw {
namespace {

TEST(Fold1251, EveryCyrillicCapitalMeetsItsSmallLetterAndNothingElse) {
  for (int c = 0; c < 256; ++c) {
    const auto folded = FoldCase1251(static_cast<unsigned char>(c));
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDF)) {
      EXPECT_EQ(folded, c + 32) << c;
    } else if (c == 0xA8) {
      EXPECT_EQ(folded, 0xB8);
    } else {
      EXPECT_EQ(folded, c) << c;
    }
  }
  EXPECT_TRUE(SameIgnoringCase1251(Utf8ToCp1251("МОДЕМ Ёлка gprs"), Utf8ToCp1251("модем ёлка GPRS")));
  EXPECT_FALSE(SameIgnoringCase1251(Utf8ToCp1251("модем"), Utf8ToCp1251("модеm")));
  EXPECT_FALSE(SameIgnoringCase1251("modem", "modem "));
  EXPECT_EQ(AsciiUpper(Utf8ToCp1251("content-length: я")), Utf8ToCp1251("CONTENT-LENGTH: я"));
}

TEST(Fold1251, TrimTakesControlsAndBlanksButNotLetters) {
  EXPECT_EQ(TrimBlanks("\t\r\n internet.kvr \x01\x1f"), "internet.kvr");
  EXPECT_EQ(TrimBlanks(" \t "), "");
  EXPECT_EQ(TrimBlanks(""), "");
  // 0xA0 (no-break space in 1251) is above the space and stays, as the framework keeps it.
  const std::string nbsp = "\xA0" "a\xA0";
  EXPECT_EQ(TrimBlanks(nbsp), nbsp);
  EXPECT_EQ(TrimBlanks(Utf8ToCp1251(" Связь ")), Utf8ToCp1251("Связь"));
}

}  // namespace
}  // namespace dw
