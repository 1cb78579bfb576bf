// dialwave-support on Windows: the arguments arrive in the system's ANSI code
// page (every generation starts a program that way) and become UTF-8; the
// output is UTF-8.
#include "platform/win32/win.h"  // first: the SDK headers below need it

#include <iostream>
#include <string>
#include <vector>

#include "support/support_cli.h"

namespace {

std::string Utf8FromAnsi(const char* ansi) {
  const int wide = MultiByteToWideChar(CP_ACP, 0, ansi, -1, nullptr, 0);
  if (wide <= 1) return {};
  std::wstring w(static_cast<std::size_t>(wide), L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi, -1, w.data(), wide);
  const int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return {};
  std::string s(static_cast<std::size_t>(n - 1), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, s.data(), n, nullptr, nullptr);
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.push_back(Utf8FromAnsi(argv[i]));
  // A console shows the UTF-8 as text; a pipe or a file gets the bytes.
  SetConsoleOutputCP(CP_UTF8);
  const auto registry = dw::MakeWin32Registry();
  return dw::support::RunSupport(arguments, registry.get(), std::cout, std::cerr);
}
