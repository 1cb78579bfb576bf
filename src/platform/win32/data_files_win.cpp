// The program's data files through the ANSI kernel calls every target has
// (95 on): no MoveFileEx, no UTF-16 names, no 64-bit size calls.
#include "platform/win32/win.h"

#include <algorithm>

#include "platform/data_files.h"
#include "platform/win32/adapters_win.h"
#include "platform/win32/unique_handle.h"

namespace dw {
namespace {

class Win32DataFiles final : public DataFiles {
 public:
  ReadResult Read(const std::string& path, std::size_t limit, std::string& bytes) override {
    bytes.clear();
    UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
      const DWORD error = GetLastError();
      return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ReadResult::kMissing
                                                                            : ReadResult::kFailed;
    }
    char block[16384];
    while (bytes.size() < limit) {
      const DWORD want = static_cast<DWORD>(std::min(sizeof block, limit - bytes.size()));
      DWORD got = 0;
      if (!ReadFile(file.get(), block, want, &got, nullptr)) return ReadResult::kFailed;
      if (got == 0) break;
      bytes.append(block, got);
    }
    return ReadResult::kRead;
  }

  bool WriteAt(const std::string& path, std::uint64_t offset, std::string_view bytes) override {
    // Others may read meanwhile (the support tool); nobody else writes.
    UniqueFile file(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    LONG high = static_cast<LONG>(offset >> 32);
    const DWORD low =
        SetFilePointer(file.get(), static_cast<LONG>(offset & 0xFFFFFFFFu), &high, FILE_BEGIN);
    if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
      DWORD put = 0;
      const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
      if (!WriteFile(file.get(), bytes.data() + done, want, &put, nullptr) || put == 0)
        return false;
      done += put;
    }
    // On the disk before the caller counts on it: the format's safety rests
    // on one copy being complete before the other is touched.
    if (!FlushFileBuffers(file.get())) return false;
    return CloseHandle(file.release()) != FALSE;
  }

  bool Rename(const std::string& from, const std::string& to) override {
    // MoveFileA never replaces an existing file, on 9x as on NT.
    return MoveFileA(from.c_str(), to.c_str()) != FALSE;
  }

  bool Exists(const std::string& path) override {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  }
};

}  // namespace

std::unique_ptr<DataFiles> MakeWin32DataFiles() {
  return std::make_unique<Win32DataFiles>();
}

}  // namespace dw
