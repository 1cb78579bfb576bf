// The progress dialog's shared side lives with the connect it serves.
#pragma once

#include "connection/progress_shared.h"

namespace dw::ui {
using connection::ProgressShared;
}  // namespace dw::ui
