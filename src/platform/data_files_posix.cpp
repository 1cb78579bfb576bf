// POSIX files for the native build. The Windows build has its own.
#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/data_files.h"

namespace dw {
namespace {

class PosixDataFiles final : public DataFiles {
 public:
  ReadResult Read(const std::string& path, std::size_t limit, std::string& bytes) override {
    bytes.clear();
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0)
      return errno == ENOENT || errno == ENOTDIR ? ReadResult::kMissing : ReadResult::kFailed;
    struct stat s {};
    if (::fstat(fd, &s) != 0 || !S_ISREG(s.st_mode)) {
      ::close(fd);
      return ReadResult::kFailed;
    }
    char block[16384];
    while (bytes.size() < limit) {
      const std::size_t want = std::min(sizeof block, limit - bytes.size());
      const ssize_t got = ::read(fd, block, want);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) {
        ::close(fd);
        return ReadResult::kFailed;
      }
      if (got == 0) break;
      bytes.append(block, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return ReadResult::kRead;
  }

  bool WriteAt(const std::string& path, std::uint64_t offset, std::string_view bytes) override {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT, 0644);
    if (fd < 0) return false;
    bool ok = true;
    std::size_t done = 0;
    while (ok && done < bytes.size()) {
      const ssize_t put =
          ::pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(offset + done));
      if (put < 0 && errno == EINTR) continue;
      ok = put > 0;
      if (ok) done += static_cast<std::size_t>(put);
    }
    ok = ok && ::fsync(fd) == 0;
    return ::close(fd) == 0 && ok;
  }

  bool Rename(const std::string& from, const std::string& to) override {
    // rename() would replace `to`; a hard link refuses an existing name.
    if (::link(from.c_str(), to.c_str()) != 0) return false;
    return ::unlink(from.c_str()) == 0;
  }

  bool Exists(const std::string& path) override {
    struct stat s {};
    return ::stat(path.c_str(), &s) == 0;
  }
};

}  // namespace

std::unique_ptr<DataFiles> MakePosixDataFiles() {
  return std::make_unique<PosixDataFiles>();
}

}  // namespace dw
#endif
