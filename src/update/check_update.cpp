#include "update/check_update.h"

#include "text/cp1251.h"

namespace dw {

int RunCheckUpdate(const std::vector<std::string>& arguments, std::string_view programVersion,
                   UpdateClient& client, std::ostream& out, std::ostream& err) {
  std::string version = std::string(programVersion) + ".0";
  std::vector<std::string> list(std::begin(kDefaultApns), std::end(kDefaultApns));
  for (std::size_t i = 0; i < arguments.size(); i += 2) {
    const std::string& option = arguments[i];
    if ((option != "--version" && option != "--apns") || i + 1 >= arguments.size()) {
      err << "usage: check-update [--version V] [--apns A,B,...]\n";
      return 2;
    }
    const std::string value = Utf8ToCp1251(arguments[i + 1]);
    if (option == "--version") {
      version = value;
      continue;
    }
    list.clear();
    std::size_t start = 0;
    for (;;) {
      const std::size_t comma = value.find(',', start);
      list.push_back(value.substr(start, comma - start));
      if (comma == std::string::npos) break;
      start = comma + 1;
    }
  }

  std::string message;
  const bool ok = client.GetAPNList(version, list, message);
  out << "result=" << (ok ? "true" : "false") << '\n';
  out << "message=" << Cp1251ToUtf8(message) << '\n';
  out << "version=" << Cp1251ToUtf8(version) << '\n';
  for (const std::string& apn : list) out << "apn=" << Cp1251ToUtf8(apn) << '\n';
  return ok ? 0 : 1;
}

}  // namespace dw
