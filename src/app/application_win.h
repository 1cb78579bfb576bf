// The process's entry as a program: start-up values, single instance, the
// application window and the main window, and the message loop.
#pragma once

namespace dw {

// Runs Dialwave; returns the process's exit code.
int RunDialwave();

}  // namespace dw
