// Window messages between the program's threads and copies: one table for
// the workers that send them and the windows that handle them.
#pragma once

#include <cstdint>

namespace dw {

constexpr std::uint32_t kMsgConnectionLost = 0x402;
constexpr std::uint32_t kMsgStatistics = 0x403;
constexpr std::uint32_t kMsgWakeUp = 0x404;
constexpr std::uint32_t kMsgSystemConfigError = 0x405;
constexpr std::uint32_t kMsgConnected = 0x406;
constexpr std::uint32_t kMsgTrafficBaseline = 0x407;
constexpr std::uint32_t kMsgProgressLastStep = 0x40B;
constexpr std::uint32_t kMsgProgressStep = 0x40C;
constexpr std::uint32_t kMsgProgressFirstStep = 0x40D;

}  // namespace dw
