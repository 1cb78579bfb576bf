#include "app/application_win.h"
#include "platform/win32/win.h"

// The ANSI entry point, which every generation starts; the arguments are read
// with GetCommandLineA.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return dw::RunDialwave(); }
