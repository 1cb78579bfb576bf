// msvcrt's own narrow calls: the 64-bit stat and the UTF-16 file functions
// that std::filesystem and file streams use are newer than Windows 2000's
// msvcrt or stubs on 9x. The name goes through the ANSI code page, as every
// narrow file call takes it.
#include "platform/win32/win.h"

#include <sys/stat.h>

#include <cstdio>

#include "support/log_file.h"
#include "support/log_file_stdio.h"

namespace dw::support {
namespace {

// UTF-8 to the ANSI code page; nullopt when a character has no place there.
std::optional<std::string> AnsiName(const std::string& utf8) {
  const int wide = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
  if (wide <= 0) return std::nullopt;
  std::wstring w(static_cast<std::size_t>(wide), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, w.data(), wide);
  BOOL lossy = FALSE;
  const int n = WideCharToMultiByte(CP_ACP, 0, w.c_str(), -1, nullptr, 0, nullptr, &lossy);
  if (n <= 0 || lossy) return std::nullopt;
  std::string ansi(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, w.c_str(), -1, ansi.data(), n, nullptr, nullptr);
  ansi.resize(static_cast<std::size_t>(n - 1));
  return ansi;
}

}  // namespace

LogFile ReadLogFile(const std::string& utf8Name) {
  const auto name = AnsiName(utf8Name);
  if (!name) return {{}, LogFileError::kCannotOpen};
#if defined(__i386__)
  struct _stat32 s {};  // msvcrt's own _stat, in every version
  const int found = _stat32(name->c_str(), &s);
#else
  struct _stat64 s {};  // the x86_64 msvcrt has no 32-bit one
  const int found = _stat64(name->c_str(), &s);
#endif
  if (found == 0 && (s.st_mode & _S_IFDIR) != 0) return {{}, LogFileError::kFolder};
  return ReadWholeFile(std::fopen(name->c_str(), "rb"));
}

}  // namespace dw::support
