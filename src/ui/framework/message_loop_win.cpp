#include "ui/framework/message_loop_win.h"

#include "platform/win32/user_api_win.h"
#include "ui/framework/actions.h"

namespace dw::ui {

bool DrainMessages(HWND dialog) {
  MSG msg;
  while (user::PeekRemove(msg)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return false;
    }
    if (dialog != nullptr && user::IsDialogMsg(dialog, msg)) continue;
    TranslateMessage(&msg);
    user::Dispatch(msg);
  }
  return true;
}

void IdleWait() {
  UpdateActionsOnIdle();
  // Sent messages from workers are served inside the wait; the timeout keeps
  // the rhythm going when nothing is posted at all.
  MsgWaitForMultipleObjectsEx(0, nullptr, kIdleRhythmMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

int RunMessageLoop() {
  for (;;) {
    MSG msg;
    while (user::PeekRemove(msg)) {
      if (msg.message == WM_QUIT) return static_cast<int>(msg.wParam);
      TranslateMessage(&msg);
      user::Dispatch(msg);
    }
    IdleWait();
  }
}

}  // namespace dw::ui
