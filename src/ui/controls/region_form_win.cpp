#include "ui/controls/region_form_win.h"

#include "platform/win32/user_api_win.h"
#include "text/texts.h"

namespace dw::ui {
namespace {

constexpr const char* kProperty = "DialwaveRegionForm";

}  // namespace

WindowRegionForm::~WindowRegionForm() { Restore(); }

FormMetrics WindowRegionForm::Metrics() const {
  RECT window{};
  RECT client{};
  GetWindowRect(window_, &window);
  GetClientRect(window_, &client);
  POINT origin{0, 0};
  ClientToScreen(window_, &origin);
  FormMetrics m;
  m.width = window.right - window.left;
  m.height = window.bottom - window.top;
  m.clientLeft = origin.x - window.left;
  m.clientTop = origin.y - window.top;
  m.clientRight = m.clientLeft + client.right;
  m.clientBottom = m.clientTop + client.bottom;
  const bool tool = (GetWindowLongPtrA(window_, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) != 0;
  m.captionTop = m.clientTop - GetSystemMetrics(tool ? SM_CYSMCAPTION : SM_CYCAPTION);
  return m;
}

void WindowRegionForm::SetWindowRegion(std::unique_ptr<Region> region, bool redraw) {
  auto* gdi = dynamic_cast<GdiRegion*>(region.get());
  if (gdi == nullptr) return;
  // The window owns the region only when the call succeeds.
  HRGN handle = gdi->release();
  if (!SetWindowRgn(window_, handle, redraw ? TRUE : FALSE)) DeleteObject(handle);
}

void WindowRegionForm::ShowMessage(const std::string& text) {
  user::MessageBoxText(window_, text, dw::Text(TextId::AppTitle), MB_OK);
}

void WindowRegionForm::Hook(FormHook& hook) {
  hook_ = &hook;
  if (previous_ != nullptr || window_ == nullptr) return;
  SetPropA(window_, kProperty, this);
  previous_ = user::SetWindowProc(window_, &Procedure);
}

void WindowRegionForm::Unhook(FormHook& hook) {
  if (hook_ == &hook) Restore();
}

void WindowRegionForm::Restore() {
  hook_ = nullptr;
  if (previous_ == nullptr) return;
  if (IsWindow(window_) &&
      user::WindowProc(window_) == &Procedure) {
    user::SetWindowProc(window_, previous_);
    RemovePropA(window_, kProperty);
    previous_ = nullptr;
  } else if (IsWindow(window_)) {
    // Someone hooked in after us: stay in the chain as a plain pass-through.
    return;
  } else {
    previous_ = nullptr;
  }
}

LRESULT CALLBACK WindowRegionForm::Procedure(HWND window, UINT message, WPARAM wparam,
                                             LPARAM lparam) {
  auto* self = static_cast<WindowRegionForm*>(GetPropA(window, kProperty));
  if (self == nullptr || self->previous_ == nullptr) return user::DefProc(window, message, wparam, lparam);
  const WNDPROC previous = self->previous_;
  switch (message) {
    case WM_SIZE:
      if (self->hook_ != nullptr) {
        // An error of a region text must not cross the system's frames; the
        // window keeps the region it has.
        try {
          self->hook_->SizeChanged();
        } catch (...) {
          Sleep(10);
        }
      }
      break;
    case WM_NCHITTEST: {
      const LRESULT hit = user::CallProc(previous, window, message, wparam, lparam);
      if (hit == HTCLIENT && self->hook_ != nullptr && self->hook_->ClientIsCaption()) return HTCAPTION;
      return hit;
    }
    case WM_NCDESTROY:
      // The window goes; give it back its own procedure first.
      user::SetWindowProc(window, previous);
      RemovePropA(window, kProperty);
      self->previous_ = nullptr;
      self->window_ = nullptr;
      break;
    default:
      break;
  }
  return user::CallProc(previous, window, message, wparam, lparam);
}

}  // namespace dw::ui
