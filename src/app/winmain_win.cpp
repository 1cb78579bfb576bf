#include "platform/win32/win.h"
#include "app/application_win.h"
#include "app/set_init_win.h"
#include "connection/set_init.h"
#include "platform/command_line.h"

// The ANSI entry point, which every generation starts; the arguments are read
// with GetCommandLineA. The administrator's step is told apart first, before
// the program makes anything of its own.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  std::vector<std::string> arguments = dw::SplitCommandLine(GetCommandLineA());
  if (!arguments.empty()) arguments.erase(arguments.begin());  // the program's name
  if (dw::IsSetInit(arguments)) return dw::RunSetInitOnThisSystem(arguments);
  return dw::RunDialwave();
}
