#include "platform/win32/win.h"  // first: the SDK headers below need it

#include <algorithm>

#include "platform/win32/unique_handle.h"
#include "report/report.h"

namespace dw::report {
namespace {

using MoveFileExFn = BOOL(WINAPI*)(LPCSTR, LPCSTR, DWORD);

class Win32ReportFiles final : public ReportFiles {
 public:
  explicit Win32ReportFiles(std::uint32_t platformId) : nt_(platformId == VER_PLATFORM_WIN32_NT) {}

  Tail ReadTail(const std::string& path, std::size_t maxBytes) override {
    Tail tail;
    // Shared for writing: the program may be appending to its log meanwhile.
    UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
      const DWORD error = GetLastError();
      tail.found = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? Found::kMissing
                                                                                   : Found::kUnreadable;
      return tail;
    }
    tail.found = Found::kUnreadable;
    DWORD high = 0;
    const DWORD low = GetFileSize(file.get(), &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return tail;
    const unsigned long long size = (static_cast<unsigned long long>(high) << 32) | low;
    tail.whole = size <= maxBytes;
    if (!tail.whole) {
      const long long back = -static_cast<long long>(maxBytes);
      LONG moveHigh = static_cast<LONG>(back >> 32);
      SetLastError(NO_ERROR);
      if (SetFilePointer(file.get(), static_cast<LONG>(back & 0xFFFFFFFF), &moveHigh, FILE_END) ==
              INVALID_SET_FILE_POINTER &&
          GetLastError() != NO_ERROR) {
        return tail;
      }
    }
    tail.bytes.resize(static_cast<std::size_t>(std::min<unsigned long long>(size, maxBytes)));
    std::size_t got = 0;
    while (got < tail.bytes.size()) {
      DWORD n = 0;
      if (!ReadFile(file.get(), tail.bytes.data() + got, static_cast<DWORD>(tail.bytes.size() - got), &n,
                    nullptr)) {
        return tail;
      }
      if (n == 0) break;  // the file shrank meanwhile
      got += n;
    }
    tail.bytes.resize(got);
    tail.found = Found::kYes;
    return tail;
  }

  bool WriteWhole(const std::string& path, std::string_view bytes) override {
    // A file of its own in the same folder, moved into place once complete.
    const auto slash = path.find_last_of("\\/");
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    char temp[MAX_PATH + 16] = {};
    if (folder.size() >= MAX_PATH - 14 || GetTempFileNameA(folder.c_str(), "dwr", 0, temp) == 0) {
      return false;
    }
    const bool done = WriteFileWhole(temp, bytes) && Replace(temp, path);
    if (!done) DeleteFileA(temp);
    return done;
  }

 private:
  static bool WriteFileWhole(const char* path, std::string_view bytes) {
    UniqueFile file(CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    std::size_t put = 0;
    while (put < bytes.size()) {
      DWORD n = 0;
      if (!WriteFile(file.get(), bytes.data() + put, static_cast<DWORD>(bytes.size() - put), &n, nullptr) ||
          n == 0) {
        return false;
      }
      put += n;
    }
    return FlushFileBuffers(file.get()) != 0 && CloseHandle(file.release()) != 0;
  }

  bool Replace(const char* from, const std::string& to) const {
    if (nt_) {
      // One step on NT: the old file stays until the new one takes its place.
      const auto moveEx = reinterpret_cast<MoveFileExFn>(
          reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "MoveFileExA")));
      if (moveEx) return moveEx(from, to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    }
    // 9x has no replacing move: the old file goes first.
    if (!DeleteFileA(to.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND) return false;
    return MoveFileA(from, to.c_str()) != 0;
  }

  bool nt_;
};

}  // namespace

std::unique_ptr<ReportFiles> MakeWin32ReportFiles(std::uint32_t platformId) {
  return std::make_unique<Win32ReportFiles>(platformId);
}

}  // namespace dw::report
