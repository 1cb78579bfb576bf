// The skin's GIF decoder, on pictures written code by code (the widths as
// the decoder must follow them) and on the skin itself.
#include "platform/gif.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace dw {
namespace {

constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kRed = 0xFF0000;
constexpr std::uint32_t kGreen = 0x00FF00;
constexpr std::uint32_t kBlue = 0x0000FF;
constexpr std::uint32_t kBlack = 0x000000;

// (code, width in bits) pairs packed least significant bit first, in
// sub-blocks of at most `block` bytes.
std::vector<std::uint8_t> Codes(const std::vector<std::pair<int, int>>& codes, std::size_t block = 255) {
  std::vector<std::uint8_t> bytes;
  std::uint32_t buffer = 0;
  int count = 0;
  for (const auto& [code, bits] : codes) {
    buffer |= static_cast<std::uint32_t>(code) << count;
    count += bits;
    while (count >= 8) {
      bytes.push_back(static_cast<std::uint8_t>(buffer));
      buffer >>= 8;
      count -= 8;
    }
  }
  if (count > 0) bytes.push_back(static_cast<std::uint8_t>(buffer));
  std::vector<std::uint8_t> blocks;
  for (std::size_t i = 0; i < bytes.size(); i += block) {
    const std::size_t n = std::min(block, bytes.size() - i);
    blocks.push_back(static_cast<std::uint8_t>(n));
    blocks.insert(blocks.end(), bytes.begin() + i, bytes.begin() + i + n);
  }
  blocks.push_back(0);
  return blocks;
}

struct Frame {
  int left = 0, top = 0, width = 0, height = 0;
  bool interlaced = false;
  std::vector<std::uint32_t> localPalette;
  int transparent = -1;
  std::vector<std::uint8_t> data;  // from Codes
};

void Word(std::vector<std::uint8_t>& out, int value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void Palette(std::vector<std::uint8_t>& out, const std::vector<std::uint32_t>& colours) {
  for (std::uint32_t c : colours) {
    out.push_back(static_cast<std::uint8_t>(c >> 16));
    out.push_back(static_cast<std::uint8_t>(c >> 8));
    out.push_back(static_cast<std::uint8_t>(c));
  }
}

// A GIF89a of one frame; palettes of 4 colours (minimum code size 2).
std::vector<std::uint8_t> Gif(int width, int height, const std::vector<std::uint32_t>& global,
                              const Frame& frame) {
  std::vector<std::uint8_t> out = {'G', 'I', 'F', '8', '9', 'a'};
  Word(out, width);
  Word(out, height);
  out.push_back(global.empty() ? 0x00 : 0x81);
  out.push_back(0);
  out.push_back(0);
  Palette(out, global);
  // A comment first: extensions the decoder has no use for are skipped.
  for (int b : {0x21, 0xFE, 0x02, int{'h'}, int{'i'}, 0x00}) out.push_back(static_cast<std::uint8_t>(b));
  if (frame.transparent >= 0) {
    for (int b : {0x21, 0xF9, 0x04, 0x01, 0x00, 0x00, frame.transparent, 0x00}) {
      out.push_back(static_cast<std::uint8_t>(b));
    }
  }
  out.push_back(0x2C);
  Word(out, frame.left);
  Word(out, frame.top);
  Word(out, frame.width);
  Word(out, frame.height);
  out.push_back(static_cast<std::uint8_t>((frame.localPalette.empty() ? 0 : 0x81) |
                                          (frame.interlaced ? 0x40 : 0)));
  Palette(out, frame.localPalette);
  out.push_back(2);
  out.insert(out.end(), frame.data.begin(), frame.data.end());
  out.push_back(0x3B);
  return out;
}

const std::vector<std::uint32_t> kColours = {kRed, kGreen, kBlue, kBlack};
constexpr int kClear = 4;
constexpr int kStop = 5;

struct GifImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
};

bool DecodeGif(const std::uint8_t* data, std::size_t size, GifImage& image) {
  if (!GifScreenSize(data, size, image.width, image.height)) return false;
  image.pixels.assign(static_cast<std::size_t>(image.width) * image.height, 0xABCDEF);
  return dw::DecodeGif(data, size, image.pixels.data());
}

bool Decode(const std::vector<std::uint8_t>& gif, GifImage& image) {
  return DecodeGif(gif.data(), gif.size(), image);
}

TEST(Gif, CodesTableEntriesAndTheWidthStepDecodeToTheirColours) {
  // 0, 1, then entry 6 ("0 1"); entry 7 ("1 0") fills the 3-bit codes, so
  // the next, 8 ("0 1 0", the entry it defines), is read in 4 bits.
  Frame f{0, 0, 7, 1};
  f.data = Codes({{kClear, 3}, {0, 3}, {1, 3}, {6, 3}, {8, 4}, {kStop, 4}});
  GifImage image;
  ASSERT_TRUE(Decode(Gif(7, 1, kColours, f), image));
  EXPECT_EQ(image.width, 7);
  EXPECT_EQ(image.height, 1);
  EXPECT_EQ(image.pixels,
            (std::vector<std::uint32_t>{kRed, kGreen, kRed, kGreen, kRed, kGreen, kRed}));
}

TEST(Gif, ACodeForTheEntryBeingDefinedRepeatsThePreviousFirstIndex) {
  Frame f{0, 0, 5, 1};
  // 2, then 6 before it exists: "2 2"; then 7 likewise: "2 2 2"... cut to 5.
  f.data = Codes({{kClear, 3}, {2, 3}, {6, 3}, {7, 3}, {kStop, 4}});
  GifImage image;
  ASSERT_TRUE(Decode(Gif(5, 1, kColours, f), image));
  EXPECT_EQ(image.pixels, std::vector<std::uint32_t>(5, kBlue));
}

TEST(Gif, AClearCodeStartsTheTableAndTheWidthOver) {
  Frame f{0, 0, 4, 1};
  f.data = Codes({{kClear, 3}, {3, 3}, {1, 3}, {kClear, 3}, {0, 3}, {2, 3}, {kStop, 3}},
                 /*block=*/1);  // one byte per sub-block
  GifImage image;
  ASSERT_TRUE(Decode(Gif(4, 1, kColours, f), image));
  EXPECT_EQ(image.pixels, (std::vector<std::uint32_t>{kBlack, kGreen, kRed, kBlue}));
}

TEST(Gif, TransparentPixelsAndTheScreenOutsideTheFrameAreWhiteALocalPaletteWins) {
  Frame f{1, 1, 2, 1};
  f.localPalette = {kBlack, kBlue, kGreen, kRed};
  f.transparent = 1;
  f.data = Codes({{kClear, 3}, {0, 3}, {1, 3}, {kStop, 3}});
  GifImage image;
  ASSERT_TRUE(Decode(Gif(3, 3, kColours, f), image));
  EXPECT_EQ(image.pixels, (std::vector<std::uint32_t>{kWhite, kWhite, kWhite,  //
                                                      kWhite, kBlack, kWhite,  //
                                                      kWhite, kWhite, kWhite}));
}

TEST(Gif, DamagedOrUnsupportedDataIsRefusedAndNoPrefixOfAGoodOneDecodes) {
  Frame good{0, 0, 3, 2};
  good.data = Codes({{kClear, 3}, {0, 3}, {1, 3}, {6, 3}, {7, 4}, {kStop, 4}});
  const auto gif = Gif(3, 2, kColours, good);
  GifImage image;
  // Up to the byte that holds the last pixel's code: too short, every one.
  for (std::size_t n = 0; n + 3 < gif.size(); ++n) EXPECT_FALSE(DecodeGif(gif.data(), n, image)) << n;
  EXPECT_FALSE(DecodeGif(nullptr, 0, image));

  Frame interlaced = good;
  interlaced.interlaced = true;
  EXPECT_FALSE(Decode(Gif(3, 2, kColours, interlaced), image));

  Frame ahead = good;  // 7 before 6 is defined
  ahead.data = Codes({{kClear, 3}, {0, 3}, {7, 3}, {kStop, 3}});
  EXPECT_FALSE(Decode(Gif(3, 2, kColours, ahead), image));

  Frame tableFirst = good;  // no entry exists right after a clear
  tableFirst.data = Codes({{kClear, 3}, {6, 3}, {kStop, 3}});
  EXPECT_FALSE(Decode(Gif(3, 2, kColours, tableFirst), image));

  Frame early = good;  // ends before the frame is full
  early.data = Codes({{kClear, 3}, {0, 3}, {kStop, 3}});
  EXPECT_FALSE(Decode(Gif(3, 2, kColours, early), image));

  EXPECT_FALSE(Decode(Gif(5000, 5000, kColours, good), image)) << "a screen too large";
  auto notGif = gif;
  notGif[3] = '9';
  EXPECT_FALSE(Decode(notGif, image));
}

std::vector<std::uint8_t> ReadSkin(const std::string& name) {
  // The source tree, from the test data folder (which may not exist).
  std::string root = DW_TEST_DATA_DIR;
  root = root.substr(0, root.rfind("/tests/"));
  std::ifstream in(root + "/resources/skin/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(Gif, TheSkinDecodesWithItsTitleStripAndBody) {
  const auto gif = ReadSkin("background.gif");
  ASSERT_FALSE(gif.empty());
  GifImage image;
  ASSERT_TRUE(Decode(gif, image));
  ASSERT_EQ(image.width, 500);
  ASSERT_EQ(image.height, 360);
  const auto at = [&](int x, int y) { return image.pixels[static_cast<std::size_t>(y) * 500 + x]; };
  EXPECT_EQ(at(10, 10), 0x000674u) << "title strip";
  EXPECT_EQ(at(462, 15), kWhite) << "minimise mark";
  EXPECT_EQ(at(250, 200), kWhite) << "body";
  EXPECT_EQ(at(250, 31), 0x2C9F16u) << "green rule";
  const auto heading = ReadSkin("heading-connect.gif");
  ASSERT_TRUE(Decode(heading, image));
  EXPECT_EQ(image.width, 300);
  EXPECT_EQ(image.height, 24);
}

}  // namespace
}  // namespace dw
