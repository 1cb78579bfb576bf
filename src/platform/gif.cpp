#include "platform/gif.h"

#include <algorithm>

namespace dw {
namespace {

constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr int kMaxCodes = 4096;
constexpr std::size_t kMaxPixels = std::size_t{1} << 24;

class Cursor {
 public:
  Cursor(const std::uint8_t* data, std::size_t size) : p_(data), end_(data + size) {}
  // -1 past the end.
  int Byte() { return p_ < end_ ? *p_++ : -1; }
  int Word() {
    const int low = Byte();
    const int high = Byte();
    return low < 0 || high < 0 ? -1 : low | high << 8;
  }
  bool Skip(std::size_t n) {
    if (static_cast<std::size_t>(end_ - p_) < n) return false;
    p_ += n;
    return true;
  }
  // A run of sub-blocks and its terminator.
  bool SkipBlocks() {
    for (int n = Byte(); n != 0; n = Byte()) {
      if (n < 0 || !Skip(static_cast<std::size_t>(n))) return false;
    }
    return true;
  }

 private:
  const std::uint8_t* p_;
  const std::uint8_t* end_;
};

// The image data's codes, least significant bit first, across its
// sub-blocks.
class CodeReader {
 public:
  explicit CodeReader(Cursor& in) : in_(in) {}
  // -1 at the end of the data.
  int Read(int bits) {
    while (count_ < bits) {
      if (blockLeft_ == 0) {
        blockLeft_ = in_.Byte();
        if (blockLeft_ <= 0) return -1;
      }
      const int byte = in_.Byte();
      if (byte < 0) return -1;
      --blockLeft_;
      buffer_ |= static_cast<std::uint32_t>(byte) << count_;
      count_ += 8;
    }
    const int code = static_cast<int>(buffer_ & ((1u << bits) - 1));
    buffer_ >>= bits;
    count_ -= bits;
    return code;
  }

 private:
  Cursor& in_;
  std::uint32_t buffer_ = 0;
  int count_ = 0;
  int blockLeft_ = 0;
};

// Colour indices, in order, onto the screen.
struct Frame {
  std::uint32_t* screen;
  int screenWidth, screenHeight, left, top, width, height;
  const std::uint32_t* palette;
  int colours;
  int transparent;
  int x = 0, y = 0;

  void Put(int index) {
    const int sx = left + x;
    const int sy = top + y;
    if (sx < screenWidth && sy < screenHeight && index != transparent && index < colours) {
      screen[static_cast<std::size_t>(sy) * screenWidth + sx] = palette[index];
    }
    if (++x == width) {
      x = 0;
      ++y;
    }
  }
};

// LZW as GIF uses it, the frame's pixels into `out`, or false. Fixed tables
// rather than containers: this runs once per picture, and the download
// carries every byte of code.
bool Decompress(Cursor& in, int minimumSize, Frame& out) {
  const std::size_t want = static_cast<std::size_t>(out.width) * out.height;
  if (minimumSize < 2 || minimumSize > 8) return false;
  const int clear = 1 << minimumSize;
  const int stop = clear + 1;
  std::uint16_t prefix[kMaxCodes];
  std::uint8_t suffix[kMaxCodes];
  std::uint8_t string[kMaxCodes + 1];
  for (int i = 0; i < clear; ++i) suffix[i] = static_cast<std::uint8_t>(i);
  CodeReader reader(in);
  int size = minimumSize + 1;
  int next = clear + 2;
  int previous = -1;
  std::uint8_t first = 0;
  std::size_t written = 0;
  while (written < want) {
    const int code = reader.Read(size);
    if (code < 0 || code == stop) break;
    if (code == clear) {
      size = minimumSize + 1;
      next = clear + 2;
      previous = -1;
      continue;
    }
    if (code > next || (previous < 0 && code >= clear)) return false;
    // The string backwards: its last index first.
    int length = 0;
    int c = code;
    if (code == next) {  // the string just being defined: previous + its first
      string[length++] = first;
      c = previous;
    }
    // Every entry's prefix is an older code, so the walk ends.
    while (c >= clear) {
      string[length++] = suffix[c];
      c = prefix[c];
    }
    string[length++] = static_cast<std::uint8_t>(c);
    first = static_cast<std::uint8_t>(c);
    for (; length > 0 && written < want; ++written) out.Put(string[--length]);
    if (previous >= 0 && next < kMaxCodes) {
      prefix[next] = static_cast<std::uint16_t>(previous);
      suffix[next] = first;
      if (++next == 1 << size && size < 12) ++size;
    }
    previous = code;
  }
  return written == want;
}

// A colour table of 2 << (flags & 7) entries when flags say there is one.
int ReadPalette(Cursor& in, int flags, std::uint32_t* palette) {
  if ((flags & 0x80) == 0) return 0;
  const int count = 2 << (flags & 7);
  for (int i = 0; i < count; ++i) {
    const int r = in.Byte();
    const int g = in.Byte();
    const int b = in.Byte();
    if (b < 0) return -1;
    palette[i] = static_cast<std::uint32_t>(r << 16 | g << 8 | b);
  }
  return count;
}

}  // namespace

bool GifScreenSize(const std::uint8_t* data, std::size_t size, int& width, int& height) {
  static constexpr std::uint8_t k87[] = {'G', 'I', 'F', '8', '7', 'a'};
  static constexpr std::uint8_t k89[] = {'G', 'I', 'F', '8', '9', 'a'};
  if (data == nullptr || size < 13 ||
      (!std::equal(k87, k87 + 6, data) && !std::equal(k89, k89 + 6, data))) {
    return false;
  }
  width = data[6] | data[7] << 8;
  height = data[8] | data[9] << 8;
  return width > 0 && height > 0 && static_cast<std::size_t>(width) * height <= kMaxPixels;
}

bool DecodeGif(const std::uint8_t* data, std::size_t size, std::uint32_t* pixels) {
  int width = 0;
  int height = 0;
  if (!GifScreenSize(data, size, width, height)) return false;
  std::fill_n(pixels, static_cast<std::size_t>(width) * height, kWhite);
  Cursor in(data + 10, size - 10);
  const int flags = in.Byte();
  in.Skip(2);  // background colour and aspect: the system draws on white
  std::uint32_t global[256];
  const int globalCount = ReadPalette(in, flags, global);
  if (globalCount < 0) return false;
  int transparent = -1;
  for (;;) {
    const int introducer = in.Byte();
    if (introducer == 0x21) {  // an extension; only the graphic control's matters
      const int label = in.Byte();
      if (label == 0xF9 && in.Byte() == 4) {
        const int packed = in.Byte();
        in.Skip(2);
        const int index = in.Byte();
        if (index < 0) return false;
        if ((packed & 1) != 0) transparent = index;
      }
      if (label < 0 || !in.SkipBlocks()) return false;
      continue;
    }
    if (introducer != 0x2C) return false;  // the trailer or damage before any frame
    const int left = in.Word();
    const int top = in.Word();
    const int frameWidth = in.Word();
    const int frameHeight = in.Word();
    const int frameFlags = in.Byte();
    if (frameFlags < 0 || (frameFlags & 0x40) != 0) return false;
    std::uint32_t local[256];
    const int localCount = ReadPalette(in, frameFlags, local);
    if (localCount < 0) return false;
    Frame frame{pixels, width, height, left, top, frameWidth, frameHeight,
                localCount > 0 ? local : global, localCount > 0 ? localCount : globalCount,
                transparent};
    return Decompress(in, in.Byte(), frame);
  }
}

}  // namespace dw
