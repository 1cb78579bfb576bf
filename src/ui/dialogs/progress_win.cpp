#include "ui/dialogs/progress_win.h"

#include <algorithm>

#include "text/texts.h"
#include "ui/dialogs/msg_win.h"
#include "platform/message_numbers.h"
#include "platform/threads.h"

namespace dw::ui {

ProgressDialog::ProgressDialog(HWND mainWindow, dw::Mutex& progressLock) : shared_(progressLock) {
  FormOptions options;
  options.className = kClassName;
  options.caption = Text(TextId::ProgressTitle);
  options.clientWidth = 334;
  options.clientHeight = 104;
  options.stayOnTop = true;
  options.position = FormPosition::OwnerCentre;
  options.owner = mainWindow;
  options.centreOn = mainWindow;
  if (!CreateForm(options)) return;
  // The dialling layout's height before the controls: their anchors then
  // keep exactly the design places in that layout.
  layout_ = DiallingLayout();
  SetHeight(layout_.formHeight);

  icon = AddPicture({8, 23, 41, 41}, ConnectionIcon());
  statusLine = AddLabel({56, 20, 265, 20}, Text(TextId::ProgressInitial), kAnchorAll);
  closeButton = AddButton(
      {248, 72, 73, 25}, Text(TextId::ButtonCancel), [this] { CancelOrClose(); }, 0, false,
      kAnchorTopRight);
  bar = AddProgressBar({52, 44, 269, 17}, 0, kProgressBarMax, kProgressBarStep, kAnchorTopRight);
  detailsButton = AddButton({4, 72, 75, 25}, Text(TextId::ProgressDetailsOpen),
                            [this] { ShowOrHideDetails(); });
  detailsButton.SetVisible(false);
  // The pane takes the height below it only while it shows. Squeezed under a
  // line's height at every close, the read-only edit of Wine's 9x mode grew
  // the heap by some KiB a time (200 closes: 3.3 MiB).
  detailsPane = AddMemo({8, 104, 314, 0}, COLOR_BTNFACE, kAnchorLeftTopRight);
  detailsPane.SetVisible(false);
  RECT client{};
  GetClientRect(hwnd(), &client);
  detailsMargin_ = client.bottom - 104;
  MirrorBar();
  shared_.SetWindow(reinterpret_cast<WindowHandle>(hwnd()));
}

ProgressDialog::~ProgressDialog() { shared_.SetWindow(0); }

void ProgressDialog::MirrorBar() {
  shared_.MirrorBar(bar.Position(), kProgressBarMax, kProgressBarStep);
}

void ProgressDialog::Apply(const ProgressLayout& layout) {
  layout_ = layout;
  bar.SetVisible(layout.barVisible);
  closeButton.SetText(Text(layout.closeCaption));
  detailsButton.SetText(Text(layout.detailCaption));
  detailsButton.SetVisible(layout.detailButtonVisible);
  if (layout.detailsVisible) detailsPane.SetLines(layout.detailLines);
  detailsPane.SetVisible(layout.detailsVisible);
  SetHeight(layout.formHeight);
  if (layout.detailsVisible) {
    RECT client{};
    GetClientRect(hwnd(), &client);
    Bounds pane = detailsPane.GetBounds();
    pane.height = std::max(0, static_cast<int>(client.bottom) - detailsMargin_ - pane.y);
    SetControlBounds(detailsPane, pane);
  }
  RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void ProgressDialog::ResetForDialling() {
  Apply(DiallingLayout());
  shared_.SetCancelled(false);
}

void ProgressDialog::ShowDialling(std::string_view status) {
  bar.SetPosition(0);
  MirrorBar();
  statusLine.SetText(status);
  Show();
}

void ProgressDialog::EnterErrorReport(std::string_view caption) {
  Hide();
  Apply(ErrorReportLayout(shared_.ErrorText()));
  statusLine.SetText(caption);
}

void ProgressDialog::CancelOrClose() {
  if (CloseRequestFor(bar.Visible()) == CloseRequest::CancelDial) {
    // The dialog stays: the dial thread sees the request, cleans up and ends.
    statusLine.SetText(Text(TextId::ProgressUserCancelled));
    shared_.SetCancelled(true);
    return;
  }
  Hide();
  SetModalResult(1);
}

void ProgressDialog::ShowOrHideDetails() {
  ProgressLayout next = ToggleDetails(layout_, shared_.ErrorText());
  if (next.detailsVisible && !next.detailLines.empty()) {
    // The pane wraps what is wider than itself: the height counts the lines
    // it shows, or a one-line description longer than the pane is cut off.
    detailsPane.SetLines(next.detailLines);
    const int shown = detailsPane.LineCount();
    if (shown > static_cast<int>(next.detailLines.size())) {
      next.formHeight = ProgressFormHeight(DetailsExtraHeight(static_cast<std::size_t>(shown)));
    }
  }
  Apply(next);
}

void ProgressDialog::OnShow() { shared_.SetErrorCode(0); }

void ProgressDialog::OnCloseQuery(bool& canClose) {
  if (!Visible()) return;
  CancelOrClose();
  canClose = !bar.Visible();
}

void ProgressDialog::OnClose() { Sleep(10); }

bool ProgressDialog::OnFormMessage(UINT message, WPARAM, LPARAM, LRESULT& result) {
  switch (message) {
    case kMsgProgressLastStep:
      bar.SetPosition(kProgressBarMax - kProgressBarStep);
      break;
    case kMsgProgressStep:
      bar.StepIt();
      break;
    case kMsgProgressFirstStep:
      bar.SetPosition(kProgressBarStep);
      break;
    default:
      return false;
  }
  MirrorBar();
  if (status_) statusLine.SetText(status_());
  result = 0;
  return true;
}

}  // namespace dw::ui
