#include "connection/progress_shared.h"

#include <utility>

namespace dw::connection {

std::uint32_t ProgressShared::ErrorCode() const {
  std::lock_guard guard(lock_);
  return errorCode_;
}

void ProgressShared::SetErrorCode(std::uint32_t code) {
  std::lock_guard guard(lock_);
  errorCode_ = code;
}

std::string ProgressShared::ErrorText() const {
  std::lock_guard guard(lock_);
  return errorText_;
}

void ProgressShared::SetErrorText(std::string text) {
  std::lock_guard guard(lock_);
  errorText_ = std::move(text);
}

bool ProgressShared::Cancelled() const {
  std::lock_guard guard(lock_);
  return cancelled_;
}

void ProgressShared::SetCancelled(bool cancelled) {
  std::lock_guard guard(lock_);
  cancelled_ = cancelled;
}

void ProgressShared::MirrorBar(int position, int max, int step) {
  barMax_.store(max);
  barStep_.store(step);
  barPosition_.store(position);
}

}  // namespace dw::connection
