// dialwave-support on Linux: logs and stored texts; no registry here.
#include <iostream>

#include "support/support_cli.h"

int main(int argc, char** argv) {
  return dw::support::RunSupport(std::vector<std::string>(argv + 1, argv + argc), nullptr,
                                 std::cout, std::cerr);
}
