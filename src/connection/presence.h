// Is a connection already up that this program may adopt, is one still up,
// and taking one down.
#pragma once

#include <string>
#include <vector>

#include "ras/records.h"

namespace dw::connection {

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
