// `dialwave-support check-update`: support staff check an operator's update
// server from a customer's machine. The output is an interface: keep it.
#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "update/update_client.h"

namespace dw {

inline constexpr std::string_view kDefaultApns[] = {"internet.kvr", "internet.ltkvr"};

// `arguments` are those after "check-update": [--version V] [--apns A,B,...],
// UTF-8. `programVersion` is the program's version ("1.0"); the default local
// version is it + ".0". Prints result=, message=, version= and one apn= line
// per entry in UTF-8 to `out`. Returns 0 when the exchange succeeded, 1 when
// it failed, 2 (after a line on `err`) when the arguments are wrong.
int RunCheckUpdate(const std::vector<std::string>& arguments, std::string_view programVersion,
                   UpdateClient& client, std::ostream& out, std::ostream& err);

}  // namespace dw
