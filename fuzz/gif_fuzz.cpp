// libFuzzer target: any bytes through the skin's GIF decoder. A refusal is
// expected; a crash, an overrun or a leak is not, and every pixel it leaves
// is a colour.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz_check.h"
#include "platform/gif.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  int width = 0;
  int height = 0;
  if (!dw::GifScreenSize(data, size, width, height)) return 0;
  DW_FUZZ_CHECK(width > 0 && height > 0);
  // Exactly the screen: the sanitizer catches a write past it.
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
  if (!dw::DecodeGif(data, size, pixels.data())) return 0;
  for (std::uint32_t pixel : pixels) DW_FUZZ_CHECK(pixel <= 0xFFFFFF);
  return 0;
}
