// Window messages between the program's threads and copies: one table for
// the workers that send them and the windows that handle them.
#pragma once

#include <cstdint>

namespace dw {

enum : std::uint32_t {
  kMsgConnectionLost = 0x402,
  kMsgStatistics = 0x403,
  kMsgWakeUp = 0x404,
  kMsgSystemConfigError = 0x405,
  kMsgConnected = 0x406,
  kMsgTrafficBaseline = 0x407,
  kMsgProgressLastStep = 0x40B,
  kMsgProgressStep = 0x40C,
  kMsgProgressFirstStep = 0x40D,
};

}  // namespace dw
