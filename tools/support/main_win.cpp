// dialwave-support on Windows: the arguments arrive as UTF-16 and become
// UTF-8 whatever the machine's code pages; the output is UTF-8.
#include "platform/win32/win.h"  // first: the SDK headers below need it

#include <iostream>
#include <string>
#include <vector>

#include "support/support_cli.h"

namespace {

std::string Utf8(const wchar_t* w) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, w, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return {};
  std::string s(static_cast<std::size_t>(n - 1), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w, -1, s.data(), n, nullptr, nullptr);
  return s;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.push_back(Utf8(argv[i]));
  // A console shows the UTF-8 as text; a pipe or a file gets the bytes.
  SetConsoleOutputCP(CP_UTF8);
  const auto registry = dw::MakeWin32Registry();
  return dw::support::RunSupport(arguments, registry.get(), std::cout, std::cerr);
}
