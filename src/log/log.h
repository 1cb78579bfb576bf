// The one diagnostic writer: "GPRSlog.log" beside the executable, written only
// when the program was started with "/l"; encrypted lines unless "/n".
#pragma once

#include <cstdint>
#include <string_view>

namespace dw {

// Callable from any thread. Texts are code page 1251. Never fails its caller.
void WriteLog(std::string_view source, std::int32_t code, std::string_view message);

}  // namespace dw
