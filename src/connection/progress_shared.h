// The progress dialog's side that other threads see: the error code, error
// text and cancel request of the running dial (each touched only under the
// process-wide progress lock), and a copy of the bar's position, maximum and
// step kept by the dialog's thread, so the dial thread reads its clock
// without reaching into a window of another thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "platform/messages.h"
#include "platform/threads.h"

namespace dw::connection {

class ProgressShared {
 public:
  // `lock` is the process's progress lock; it must outlive this object.
  explicit ProgressShared(dw::Mutex& lock) : lock_(lock) {}
  ProgressShared(const ProgressShared&) = delete;
  ProgressShared& operator=(const ProgressShared&) = delete;

  std::uint32_t ErrorCode() const;
  void SetErrorCode(std::uint32_t code);
  std::string ErrorText() const;
  void SetErrorText(std::string text);
  bool Cancelled() const;
  void SetCancelled(bool cancelled);

  // The dialog's window, for the dial thread's step messages; 0 when none.
  WindowHandle Window() const { return window_.load(); }
  void SetWindow(WindowHandle window) { window_.store(window); }

  int BarPosition() const { return barPosition_.load(); }
  int BarMax() const { return barMax_.load(); }
  int BarStep() const { return barStep_.load(); }
  // Written by the dialog's thread whenever the bar changes.
  void MirrorBar(int position, int max, int step);

 private:
  dw::Mutex& lock_;
  std::uint32_t errorCode_ = 0;
  std::string errorText_;
  bool cancelled_ = false;
  std::atomic<WindowHandle> window_{0};
  std::atomic<int> barPosition_{0};
  std::atomic<int> barMax_{0};
  std::atomic<int> barStep_{0};
};

}  // namespace dw::connection
