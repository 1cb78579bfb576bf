#include "app/set_init_win.h"

#include "connection/set_init.h"
#include "platform/win32/adapters_win.h"

namespace dw {

int RunSetInitOnThisSystem(const std::vector<std::string>& arguments) {
  const auto registry = MakeWin32Registry();
  const auto environment = MakeWin32Environment();
  return static_cast<int>(RunSetInit(arguments, *registry, environment->PlatformId()));
}

}  // namespace dw
