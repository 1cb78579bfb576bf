#include "crypto/encrypt.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

namespace dw {
namespace {

std::string TextOfLength(std::size_t n) {
  std::string t;
  for (std::size_t i = 0; i < n; ++i) {
    // Every non-zero byte value, code page 1251 letters included.
    t += static_cast<char>(1 + (i * 37) % 255);
  }
  return t;
}

TEST(EncryptString, LengthFollowsTheZeroFillRule) {
  EXPECT_EQ(EncryptString("").size(), 32u);
  EXPECT_EQ(EncryptString("1234567").size(), 32u);
  EXPECT_EQ(EncryptString("12345678").size(), 48u);
  EXPECT_EQ(EncryptString(TextOfLength(15)).size(), 48u);
  EXPECT_EQ(EncryptString(TextOfLength(16)).size(), 64u);
  EXPECT_EQ(EncryptString(TextOfLength(239)).size(), 496u);
  EXPECT_EQ(EncryptString(TextOfLength(2000)).size(), 2u * (2000 + 16));
}

TEST(EncryptString, IsUpperCaseHexAndDeterministic) {
  const std::string hex = EncryptString("internet.kvr");
  EXPECT_TRUE(std::all_of(hex.begin(), hex.end(), [](char c) {
    return std::isdigit(static_cast<unsigned char>(c)) || (c >= 'A' && c <= 'F');
  })) << hex;
  EXPECT_EQ(hex, EncryptString("internet.kvr"));
  EXPECT_NE(hex, EncryptString("internet.kvs"));
}

TEST(EncryptString, SharedLeadingBlocksGiveSharedLeadingDigits) {
  const std::string a = EncryptString("ABCDEFGH12345678xyz");
  const std::string b = EncryptString("ABCDEFGH12345678XYZ-other");
  EXPECT_EQ(a.substr(0, 32), b.substr(0, 32));
  EXPECT_NE(a.substr(32, 16), b.substr(32, 16));
}

// Pins the fixed key, vector and byte order: the stored settings of every
// installed copy depend on them.
TEST(EncryptString, MatchesStoredFormOfKnownTexts) {
  std::uint8_t area[16] = {};
  EncryptBuffer(area, sizeof area);
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string expected;
  for (std::uint8_t b : area) {
    expected += kDigits[b >> 4];
    expected += kDigits[b & 15];
  }
  EXPECT_EQ(EncryptString(""), expected);
  EXPECT_EQ(DecryptString(expected), "");
}

TEST(DecryptString, RoundTripsEveryLengthUpTo2000) {
  for (std::size_t n = 0; n <= 2000; ++n) {
    const std::string t = TextOfLength(n);
    ASSERT_EQ(DecryptString(EncryptString(t)), t) << "length " << n;
  }
}

TEST(DecryptString, AcceptsLowerCaseHex) {
  const std::string text = "\xCA\xEE\xF0\xE2\xE0\xED\xE0 Dialwave";  // "Корвана Dialwave" in 1251
  std::string hex = EncryptString(text);
  std::transform(hex.begin(), hex.end(), hex.begin(),
                 [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
  EXPECT_EQ(DecryptString(hex), text);
}

TEST(DecryptString, NeverFailsOnForeignInput) {
  // Values written plain (under "/r") and read back encrypted, truncations, junk.
  for (const std::string& input : std::vector<std::string>{"", "0", "internet.kvr", "ZZ", "0G12", "main",
                                  std::string(3000, 'F'), std::string(1001, '7')}) {
    const std::string out = DecryptString(input);
    EXPECT_LE(out.size(), (input.size() / 8) * 8 + 16) << input.substr(0, 20);
  }
  const std::string hex = EncryptString("internet.ltkvr");
  // A truncated text still gives its whole leading blocks back, then noise.
  const std::string truncated = DecryptString(hex.substr(0, 16));
  EXPECT_EQ(truncated.substr(0, 8), "internet");
  // A pair that is not hexadecimal ends the conversion; the bytes before it still decrypt.
  EXPECT_EQ(DecryptString(hex.substr(0, 16) + "xx" + hex.substr(18)), DecryptString(hex.substr(0, 16)));
}

TEST(EncryptBuffer, IgnoresPartialBlocksAndShortAreas) {
  std::uint8_t area[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  EncryptBuffer(area, 7);
  EXPECT_EQ(area[0], 1);
  EncryptBuffer(area, 12);
  EXPECT_EQ(area[8], 9);  // only one whole block changed
  EXPECT_EQ(area[11], 12);
  DecryptBuffer(area, 12);
  EXPECT_EQ(area[0], 1);
  EXPECT_EQ(area[7], 8);
}

}  // namespace
}  // namespace dw
