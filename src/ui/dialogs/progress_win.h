// ProgressDialog: the dialog a connection attempt shows. It owns the values
// the dial thread, the RAS notification and the user interface share (see
// ProgressShared), handles the dial thread's step messages, and switches
// between the dialling layout and the error report with its details.
//
// The open-connection driver uses it as: construct (or ResetForDialling),
// ShowDialling, SetStatusSource, hand Shared() to the dial thread; then on
// failure EnterErrorReport and ShowModal; finally destroy it.
#pragma once

#include "platform/win32/win.h"

#include <functional>
#include <mutex>
#include <string>
#include <string_view>

#include "ui/dialogs/progress_layout.h"
#include "connection/progress_shared.h"
#include "ui/framework/form_win.h"
#include "platform/threads.h"

namespace dw::ui {

class ProgressDialog final : public Form {
 public:
  // The journeys and the probe find the dialog by this class.
  static constexpr const char* kClassName = "TfrmProgress";

  // Centred on and kept above `mainWindow` (may be null). `progressLock` is
  // the process's progress lock.
  ProgressDialog(HWND mainWindow, dw::Mutex& progressLock);
  ~ProgressDialog() override;

  connection::ProgressShared& Shared() { return shared_; }
  const ProgressLayout& Layout() const { return layout_; }

  // Where the step messages read the status line (the running dial
  // thread's status text); without one they leave the line as it is.
  void SetStatusSource(std::function<std::string()> source) { status_ = std::move(source); }

  // Back to the dialling layout, the cancel request cleared.
  void ResetForDialling();
  // The bar at its start, `status` on the line, shown without being modal.
  void ShowDialling(std::string_view status);
  // Hidden and turned into the error report with `caption` on the line; the
  // details button shows when the error text is not empty. ShowModal then
  // waits for the user to close it.
  void EnterErrorReport(std::string_view caption);

  void CancelOrClose();
  void ShowOrHideDetails();

  Picture icon;
  Label statusLine;
  Button closeButton;
  ProgressBar bar;
  Button detailsButton;
  Memo detailsPane;

 protected:
  void OnShow() override;
  void OnCloseQuery(bool& canClose) override;
  void OnClose() override;
  bool OnFormMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override;

 private:
  void Apply(const ProgressLayout& layout);
  void MirrorBar();

  connection::ProgressShared shared_;
  ProgressLayout layout_;
  std::function<std::string()> status_;
  int detailsMargin_ = 0;  // below the details pane
};

}  // namespace dw::ui
