// Windows: LockFileEx on the first byte, which waits for other processes.
#include "platform/win32/win.h"

#include "store.h"

namespace dw::sim {

FileLock::FileLock(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  handle_ = reinterpret_cast<std::intptr_t>(file);
  OVERLAPPED at{};
  held_ = LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &at) != FALSE;
}

FileLock::~FileLock() {
  if (handle_ == -1) return;
  HANDLE file = reinterpret_cast<HANDLE>(handle_);
  if (held_) {
    OVERLAPPED at{};
    UnlockFileEx(file, 0, 1, 0, &at);
  }
  CloseHandle(file);
}

}  // namespace dw::sim
