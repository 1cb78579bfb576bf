// The modem list (RAS devices of type modem) and the modem's extra
// initialisation string ("UserInit" of its driver key).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/error.h"
#include "platform/registry.h"
#include "ras/records.h"

namespace dw::modem {

// Empties `names`, then adds every modem's device name once (ignoring letter
// case). The RAS result: on failure logged under "RAS-EnumDevices" and
// `names` stays empty; 635 for a caught error.
ras::Dword EnumDevices(std::vector<std::string>& names);

// The modem command that selects `apn` for the GPRS context a dial uses:
// AT+CGDCONT=1,"IP","<apn>".
std::string ApnInitCommand(std::string_view apn);
// The APN a modem command selects (the one ApnInitCommand writes, in any
// letter case, among other commands); nullopt when it selects none.
std::optional<std::string> ApnOfCommand(std::string_view command);

// The class key exists but cannot be opened (a user without the rights).
// Carries the fixed text for the user.
class ModemRightsError : public Error {
 public:
  ModemRightsError();
};

// How a write of a modem's initialisation went.
enum class InitWrite {
  kWritten,  // every modem of that name holds the text now
  kNoModem,  // no modem of that name, or no modem class key at all
  kRefused,  // the system refused the user: only an administrator may write it
  kFailed,   // any other failure
};

// The modems' driver keys in the layout of the platform: NT (platform id 2)
// or 9x.
class ModemInitStore {
 public:
  ModemInitStore(Registry& registry, std::uint32_t platformId);

  // "UserInit" of the first modem named `modem` (exact); empty when there is
  // no such modem, no value, or no class key. Raises ModemRightsError.
  std::string Read(const std::string& modem) const;
  // Writes `text` as "UserInit" of every modem named `modem`; true when at
  // least one write succeeded. Raises ModemRightsError.
  bool Write(const std::string& modem, const std::string& text);
  // The same write, telling a refusal (access denied) from the rest; never
  // raises. Keys are opened for writing only for the modems of that name.
  // Any refusal is kRefused even when another modem of the name was
  // written: which of them RAS dials is not known.
  InitWrite Store(const std::string& modem, const std::string& text);

  // The class key searched ("\Enum\Root\MDMGEN" on 9x when "\Enum\Root\Modem"
  // is missing).
  std::string ClassKey() const;

 private:
  Registry& registry_;
  bool nt_;
};

}  // namespace dw::modem
