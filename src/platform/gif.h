// The program's own pictures (single-frame GIFs) decoded without the
// system's picture loader.
#pragma once

#include <cstddef>
#include <cstdint>

namespace dw {

// The logical screen's size from a GIF's header; false when the data is not
// a GIF or the screen has more than 16 million pixels.
bool GifScreenSize(const std::uint8_t* data, std::size_t size, int& width, int& height);

// The first frame on its logical screen into `pixels` (width x height from
// GifScreenSize, 0x00RRGGBB, the top row first: a top-down 32-bit DIB's
// layout), as the system's loader draws it on white: transparent pixels and
// the screen outside the frame white. Interlaced frames and damaged or
// truncated data are refused (false; `pixels` may then hold part of it).
bool DecodeGif(const std::uint8_t* data, std::size_t size, std::uint32_t* pixels);

}  // namespace dw
