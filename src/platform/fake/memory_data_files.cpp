#include "platform/fake/memory_data_files.h"

#include <algorithm>

namespace dw {

ReadResult MemoryDataFiles::Read(const std::string& path, std::size_t limit, std::string& bytes) {
  bytes.clear();
  const auto it = files_.find(path);
  if (it == files_.end()) return ReadResult::kMissing;
  if (fail_.reads) return ReadResult::kFailed;
  bytes = it->second.substr(0, limit);
  return ReadResult::kRead;
}

bool MemoryDataFiles::WriteAt(const std::string& path, std::uint64_t offset,
                              std::string_view bytes) {
  ++attempts_;
  if (powerCut_ || fail_.writes) return false;
  ++writes_;
  std::size_t reach = bytes.size();
  if (cutAfter_) {
    reach = std::min(reach, *cutAfter_);
    cutAfter_.reset();
    powerCut_ = true;
  }
  std::string& file = files_[path];
  // A file extended by the write reads as zeros up to it, as a sparse gap does.
  const auto at = static_cast<std::size_t>(offset);
  if (file.size() < at + reach) file.resize(at + reach, '\0');
  std::copy_n(bytes.data(), reach, file.begin() + static_cast<std::ptrdiff_t>(at));
  return !powerCut_;
}

bool MemoryDataFiles::Rename(const std::string& from, const std::string& to) {
  if (fail_.renames || files_.count(to) != 0) return false;
  const auto it = files_.find(from);
  if (it == files_.end()) return false;
  std::string bytes = std::move(it->second);
  files_.erase(it);
  files_[to] = std::move(bytes);
  return true;
}

bool MemoryDataFiles::Exists(const std::string& path) {
  return files_.count(path) != 0;
}

std::optional<std::string> MemoryDataFiles::Content(const std::string& path) const {
  const auto it = files_.find(path);
  if (it == files_.end()) return std::nullopt;
  return it->second;
}

}  // namespace dw
