// What the program does with the update client after a connection, and what
// it logs.
#pragma once

#include <string>
#include <vector>

#include "update/update_client.h"

namespace dw {

// After a connection, while this run's list is not yet updated. True when
// the exchange succeeded (the caller then keeps the text after the version's
// last dot as the APN version); on failure the reason goes to the log under
// "GetAPNList" and the next connection tries again.
bool UpdateApnList(UpdateClient& client, std::string& version, std::vector<std::string>& list);

// Once, at the first connection of a run that started without settings: the
// server's greeting is logged under "FIRST_START", or with code 888 the
// reason there is none.
void ReportFirstStart(UpdateClient& client);

}  // namespace dw
