// Is a connection already up that this program may adopt, is one still up,
// and taking one down.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"
#include "platform/user_questions.h"
#include "ras/records.h"

namespace dw::connection {

// What presence needs besides RAS: the modems' driver keys (to read the APN
// the last dial selected) and someone to ask. Set once at start-up, before
// any worker; the objects live until the process ends.
struct PresenceContext {
  Registry* registry = nullptr;
  std::uint32_t platformId = 0;  // 2: the NT family's modem keys, else 9x
  UserQuestions* questions = nullptr;
};

// Replaces the context (start-up; tests between cases).
void ConfigurePresence(const PresenceContext& context);
const PresenceContext& CurrentPresence();

// The APN of a modem's UserInit as the dial leaves it: the text after the
// 19-character prefix `AT+CGDCONT=1,"IP","`, without the closing quotation
// mark. Empty when the text is too short to hold one.
std::string ApnOfModemInit(std::string_view userInit);

// The handle of a connection through `modem` to adopt, or 0 to dial anew. May
// ask the user (on the user-interface thread) whether to hang up a connection
// through another APN; may replace `entryName` with that connection's entry.
ras::Handle CheckAlreadyConnected(const std::string& modem, std::string& entryName,
                                  const std::vector<std::string>& apnList);
// True when RAS reports `conn` connected.
bool ConnIsOpen(ras::Handle conn);
// True when there was nothing to close or the hang-up answered 0.
bool CloseConnection(ras::Handle conn);

}  // namespace dw::connection
