// The command line of dialwave-support. Its interface is a contract with the
// operator's support staff and their scripts: commands, output and exit
// statuses stay as they are.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace dw::support {

constexpr int kExitOk = 0;
constexpr int kExitError = 1;
constexpr int kExitUsage = 2;

// `arguments` exclude the program name and are UTF-8. `registry` is null
// where there is no system registry (the native build). Output is UTF-8.
int RunSupport(const std::vector<std::string>& arguments, const Registry* registry,
               std::ostream& out, std::ostream& err);

}  // namespace dw::support
