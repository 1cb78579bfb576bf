// The connection the main window manages, readable from every thread: the
// statistics thread and GetStatistics follow it without asking the window.
#pragma once

#include "ras/records.h"

namespace dw::connection {

// 0 when the main window has no connection.
ras::Handle MainConnectionHandle();
// Only the main window writes it.
void SetMainConnectionHandle(ras::Handle conn);

}  // namespace dw::connection
