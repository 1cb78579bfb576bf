// The administrator's step (connection/set_init.h) on this system's registry.
#pragma once

#include <string>
#include <vector>

namespace dw {

int RunSetInitOnThisSystem(const std::vector<std::string>& arguments);

}  // namespace dw
