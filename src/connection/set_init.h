// The one step Dialwave is ever started for with administrator rights: the
// APN of a modem, written as its "UserInit" and nothing else.
//   dialwave.exe /setinit MODEM APN
// MODEM (the modem's name) and APN are the hexadecimal of their bytes, so
// that neither quoting nor a code page can change them on their way through
// the shell. The value written is the command a dial writes for that APN,
// and only for an APN the update client would take too. No window, no
// single-instance lock, no settings, no log: a running copy never notices.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"

namespace dw {

inline constexpr std::string_view kSetInitSwitch = "/setinit";

// The mode's exit codes.
enum class SetInitExit : int {
  kWritten = 0,    // every modem of that name holds the command now
  kUsage = 2,      // not exactly "/setinit MODEM APN", or not hexadecimal
  kUnsafeApn = 3,  // an APN the update client would refuse
  kNoModem = 4,    // no modem of that name
  kRefused = 5,    // the system refused the write: not run as an administrator
  kFailed = 6,     // another failure of the registry
};

struct SetInitRequest {
  std::string modem;
  std::string apn;
};

// Whether the arguments (program name excluded) ask for the mode at all.
bool IsSetInit(const std::vector<std::string>& arguments);
// The request, or nullopt when the arguments are not exactly the mode's.
std::optional<SetInitRequest> ParseSetInit(const std::vector<std::string>& arguments);
// The arguments that ask for `request` ("/setinit 4B6F... 696E...").
std::string SetInitArguments(const SetInitRequest& request);

// Validates and writes; the process's exit code.
SetInitExit RunSetInit(const std::vector<std::string>& arguments, Registry& registry,
                       std::uint32_t platformId);

}  // namespace dw
