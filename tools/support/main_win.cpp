// dialwave-support on Windows: the arguments arrive in the ANSI code page
// (the narrow entry point works on 95/98/ME too) and become UTF-8; the output
// is UTF-8.
#include "platform/win32/win.h"  // first: the SDK headers below need it

#include <cstdio>
#include <ostream>
#include <streambuf>
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
  std::string s(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, s.data(), n, nullptr, nullptr);
  s.resize(static_cast<std::size_t>(n - 1));
  return s;
}

// A console shows the UTF-8 as text where it can switch to it: NT only, so
// looked up (95/98/ME lack the function and show the bytes).
void ConsoleToUtf8() {
  using SetCp = BOOL(WINAPI*)(UINT);
  const HMODULE kernel = GetModuleHandleA("kernel32.dll");
  const auto set = kernel ? reinterpret_cast<SetCp>(
                                reinterpret_cast<void*>(GetProcAddress(kernel, "SetConsoleOutputCP")))
                          : nullptr;
  if (set) set(CP_UTF8);
}

// The standard streams over the C runtime's stdio. <iostream> would bring in
// the runtime's file streams, whose 64-bit stat and UTF-16 fopen msvcrt gains
// only after Windows 2000.
class StdioBuf final : public std::streambuf {
 public:
  explicit StdioBuf(std::FILE* file) : file_(file) {}

 protected:
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    return std::fputc(c, file_) == EOF ? traits_type::eof() : c;
  }
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    return static_cast<std::streamsize>(std::fwrite(s, 1, static_cast<std::size_t>(n), file_));
  }
  int sync() override { return std::fflush(file_) == 0 ? 0 : -1; }

 private:
  std::FILE* file_;
};

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.push_back(Utf8FromAnsi(argv[i]));
  ConsoleToUtf8();
  StdioBuf outBuf(stdout);
  StdioBuf errBuf(stderr);
  std::ostream out(&outBuf);
  std::ostream err(&errBuf);
  const auto registry = dw::MakeWin32Registry();
  const int status = dw::support::RunSupport(arguments, registry.get(), out, err);
  out.flush();
  err.flush();
  return status;
}
