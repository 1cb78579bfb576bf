// The user-interface thread's message loop with the idle rhythm: whenever
// the queue runs empty, and at least every kIdleRhythmMs while it stays
// empty, the action lists are updated.
#pragma once

#include "platform/win32/win.h"

namespace dw::ui {

// Until WM_QUIT; returns its exit code.
int RunMessageLoop();

// Handles what is waiting; false when WM_QUIT came (it is posted again for
// the loop that owns it). `dialog` gets keyboard navigation when not null.
bool DrainMessages(HWND dialog = nullptr);

// Waits for a message or the next beat of the idle rhythm, then updates the
// actions when nothing is waiting.
void IdleWait();

}  // namespace dw::ui
