#include "app/application_win.h"
#include "platform/win32/win.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return dw::RunDialwave(); }
