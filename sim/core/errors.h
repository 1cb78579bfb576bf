// English descriptions of the RAS result codes, as RasGetErrorStringA gives
// them on an English system.
#pragma once

namespace dw::sim {

// The description of `code`, or null when RAS has none for it.
const char* ErrorText(unsigned code);

}  // namespace dw::sim
