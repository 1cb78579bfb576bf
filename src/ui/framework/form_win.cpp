#include "ui/framework/form_win.h"

#include <algorithm>

#include "platform/win32/user_api_win.h"
#include "platform/win32/wide.h"
#include "ui/framework/gdi_scope_win.h"
#include "ui/framework/message_loop_win.h"

namespace dw::ui {
namespace {

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;

struct Disabling {
  HWND except;
  std::vector<HWND> disabled;
};

// The thread's other windows, disabled for a modal show.
BOOL CALLBACK DisableOne(HWND window, LPARAM param) {
  auto* d = reinterpret_cast<Disabling*>(param);
  if (window != d->except && IsWindowVisible(window) && IsWindowEnabled(window)) {
    EnableWindow(window, FALSE);
    d->disabled.push_back(window);
  }
  return TRUE;
}

RECT CentreOf(FormPosition position, HWND centreOn) {
  if (position == FormPosition::OwnerCentre && centreOn != nullptr && IsWindow(centreOn)) {
    RECT r{};
    GetWindowRect(centreOn, &r);
    return r;
  }
  if (position == FormPosition::DesktopCentre) {
    const int x = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int y = GetSystemMetrics(SM_YVIRTUALSCREEN);
    return {x, y, x + GetSystemMetrics(SM_CXVIRTUALSCREEN), y + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
  }
  return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

}  // namespace

Form::~Form() {
  if (hwnd() != nullptr) {
    for (const auto& [id, handler] : timers_) KillTimer(hwnd(), id);
  }
}

bool Form::CreateForm(const FormOptions& options) {
  user::EnsureCommonControls(ICC_PROGRESS_CLASS);
  options_ = options;
  RegisterClassOnce(options.className, 0, options.icon,
                    reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1)));
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  // Dialog frame; the control parent lets Tab reach into the controls.
  const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT |
                        (options.stayOnTop ? WS_EX_TOPMOST : 0);
  RECT r{0, 0, options.clientWidth, options.clientHeight};
  AdjustWindowRectEx(&r, style, FALSE, exStyle);
  if (!Create(options.className, exStyle, style, options.caption, 0, 0,
              r.right - r.left, r.bottom - r.top, options.owner)) {
    return false;
  }
  int dpi = 96;
  {
    HDC screen = GetDC(nullptr);
    if (screen != nullptr) {
      dpi = GetDeviceCaps(screen, LOGPIXELSY);
      ReleaseDC(nullptr, screen);
    }
  }
  // Russian character set: the texts are Russian whatever the system's
  // language, and the default set would give a non-Russian system no Cyrillic.
  font_.reset(CreateFontA(-MulDiv(options.fontPoints, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE,
                          FALSE, RUSSIAN_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                          DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, options.fontName));
  return true;
}

HWND Form::AddChild(const char* className, DWORD style, DWORD exStyle, const Bounds& b,
                    std::string_view text, Anchors anchors) {
  const int id = nextId_++;
  HWND child = user::CreateWindowText(exStyle, className, text, style, b.x, b.y, b.width, b.height,
                                      hwnd(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
  if (child == nullptr) return nullptr;
  if (font_) SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  auto record = std::make_unique<Child>();
  record->hwnd = child;
  record->anchors = anchors;
  Remember(*record);
  children_.push_back(std::move(record));
  // A new window goes under its siblings; labels stay under every other
  // control, as painted text does: one anchored to grow with its form
  // reaches over the buttons below it, which must still be seen and clicked
  // whole. Tab order, which is the order of the others, is unchanged.
  for (const auto& c : children_) {
    if (c->underneath) {
      SetWindowPos(c->hwnd, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
  }
  return child;
}

Form::Child* Form::Find(HWND window) {
  for (auto& c : children_) {
    if (c->hwnd == window) return c.get();
  }
  return nullptr;
}

Form::Child* Form::FindId(int id) { return Find(GetDlgItem(hwnd(), id)); }

void Form::Remember(Child& child) {
  RECT client{};
  GetClientRect(hwnd(), &client);
  const Bounds b = Control(child.hwnd).GetBounds();
  child.rightMargin = client.right - (b.x + b.width);
  child.bottomMargin = client.bottom - (b.y + b.height);
}

void Form::ApplyAnchors() {
  RECT client{};
  GetClientRect(hwnd(), &client);
  for (auto& c : children_) {
    const Anchors& a = c->anchors;
    if (!a.right && !a.bottom) continue;
    Bounds b = Control(c->hwnd).GetBounds();
    if (a.right) {
      if (a.left) {
        b.width = std::max(0, static_cast<int>(client.right) - c->rightMargin - b.x);
      } else {
        b.x = client.right - c->rightMargin - b.width;
      }
    }
    if (a.bottom) {
      if (a.top) {
        b.height = std::max(0, static_cast<int>(client.bottom) - c->bottomMargin - b.y);
      } else {
        b.y = client.bottom - c->bottomMargin - b.height;
      }
    }
    SetWindowPos(c->hwnd, nullptr, b.x, b.y, b.width, b.height, SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

Label Form::AddLabel(const Bounds& b, std::string_view text, Anchors anchors, DWORD style) {
  // No prefix: an ampersand in a message is a letter, not an accelerator.
  HWND label = AddChild("STATIC", kChild | SS_LEFT | SS_NOPREFIX | style, 0, b, text, anchors);
  if (Child* c = Find(label)) c->underneath = true;
  return Label(label);
}

Button Form::AddButton(const Bounds& b, std::string_view text, Handler onClick, int modalResult,
                       bool isDefault, Anchors anchors) {
  const DWORD style = kChild | WS_TABSTOP | (isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
  HWND button = AddChild("BUTTON", style, 0, b, text, anchors);
  if (Child* c = Find(button)) {
    c->onClick = std::move(onClick);
    c->modalResult = modalResult;
    c->isDefault = isDefault;
  }
  return Button(button);
}

CheckBox Form::AddCheckBox(const Bounds& b, std::string_view text, bool checked, Anchors anchors) {
  CheckBox box(AddChild("BUTTON", kChild | WS_TABSTOP | BS_AUTOCHECKBOX, 0, b, text, anchors));
  box.SetChecked(checked);
  return box;
}

Picture Form::AddPicture(const Bounds& b, HICON icon, Anchors anchors) {
  Picture picture(AddChild("STATIC", kChild | SS_ICON, 0, b, "", anchors));
  if (icon != nullptr) picture.SetIcon(icon);
  return picture;
}

Memo Form::AddMemo(const Bounds& b, int background, Anchors anchors) {
  const DWORD style = kChild | WS_TABSTOP | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL;
  HWND memo = AddChild("EDIT", style, WS_EX_CLIENTEDGE, b, "", anchors);
  if (Child* c = Find(memo)) {
    c->backgroundIndex = background;
    c->background.reset(CreateSolidBrush(GetSysColor(background)));
  }
  return Memo(memo);
}

ProgressBar Form::AddProgressBar(const Bounds& b, int min, int max, int step, Anchors anchors) {
  ProgressBar bar(AddChild(PROGRESS_CLASSA, kChild, 0, b, "", anchors));
  bar.SetRange(min, max);
  bar.SetStep(step);
  bar.SetPosition(min);
  return bar;
}

ListBox Form::AddOwnerDrawnListBox(const Bounds& b, int itemHeight, DrawItem draw,
                                   Handler onDoubleClick, Anchors anchors) {
  const DWORD style = kChild | WS_TABSTOP | WS_VSCROLL | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS |
                      LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
  // The item height is asked for while the window is being created, before
  // the record exists; it is set again right after.
  HWND list = AddChild("LISTBOX", style, 0, b, "", anchors);
  if (Child* c = Find(list)) {
    c->draw = std::move(draw);
    c->itemHeight = itemHeight;
    c->onClick = std::move(onDoubleClick);
    SendMessageA(list, LB_SETITEMHEIGHT, 0, itemHeight);
  }
  return ListBox(list);
}

ScrollBar Form::AddScrollBar(const Bounds& b, int max, int page, int smallStep, int largeStep,
                             Handler onChange, Anchors anchors) {
  ScrollBar bar(AddChild("SCROLLBAR", kChild | SBS_VERT, 0, b, "", anchors));
  if (Child* c = Find(bar.hwnd())) {
    c->smallStep = smallStep;
    c->largeStep = largeStep;
    c->onClick = std::move(onChange);
  }
  bar.SetRange(max, page);
  return bar;
}

void Form::SetControlBounds(const Control& control, const Bounds& b) {
  SetWindowPos(control.hwnd(), nullptr, b.x, b.y, b.width, b.height, SWP_NOZORDER | SWP_NOACTIVATE);
  if (Child* c = Find(control.hwnd())) Remember(*c);
}

void Form::SetWidth(int width) {
  const Bounds b = GetBounds();
  SetWindowPos(hwnd(), nullptr, 0, 0, width, b.height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::SetHeight(int height) {
  const Bounds b = GetBounds();
  SetWindowPos(hwnd(), nullptr, 0, 0, b.width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

Bounds Form::GetBounds() const {
  RECT r{};
  GetWindowRect(hwnd(), &r);
  return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

void Form::FitHeightToText(const Label& label) {
  Bounds b = label.GetBounds();
  WindowDcScope dc(label.hwnd());
  if (dc.get() == nullptr) return;
  SelectionScope select(dc.get(), font_ ? font_.get() : GetStockObject(DEFAULT_GUI_FONT));
  RECT r{0, 0, b.width, 0};
  user::DrawTextIn(dc.get(), label.Text(), r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_LEFT);
  b.height = r.bottom - r.top;
  SetControlBounds(label, b);
}

int Form::TextWidth(std::string_view cp1251) const {
  WindowDcScope dc(hwnd());
  if (dc.get() == nullptr) return 0;
  SelectionScope select(dc.get(), font_ ? font_.get() : GetStockObject(DEFAULT_GUI_FONT));
  const std::wstring text = Wide(cp1251);
  SIZE size{};
  if (!GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size)) return 0;
  return size.cx;
}

void Form::PlaceOnShow() {
  if (options_.position == FormPosition::Designed) return;
  const RECT area = CentreOf(options_.position, options_.centreOn);
  const Bounds b = GetBounds();
  const int x = area.left + ((area.right - area.left) - b.width) / 2;
  const int y = area.top + ((area.bottom - area.top) - b.height) / 2;
  SetWindowPos(hwnd(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::Show() {
  if (hwnd() == nullptr) return;
  if (!Visible()) PlaceOnShow();
  ShowWindow(hwnd(), SW_SHOW);
  if (activeControl_ != nullptr && IsWindowVisible(activeControl_)) SetFocus(activeControl_);
}

void Form::Hide() {
  if (hwnd() != nullptr) ShowWindow(hwnd(), SW_HIDE);
}

int Form::ShowModal() {
  if (hwnd() == nullptr) return 2;
  const HWND before = GetActiveWindow();
  Disabling disabling{hwnd(), {}};
  EnumThreadWindows(GetCurrentThreadId(), DisableOne, reinterpret_cast<LPARAM>(&disabling));
  modal_ = true;
  modalResult_ = 0;
  EnableWindow(hwnd(), TRUE);
  Show();
  MSG msg;
  for (;;) {
    if (modalResult_ != 0 && CloseModal()) break;
    if (hwnd() == nullptr) {
      modalResult_ = 2;
      break;
    }
    if (!user::PeekRemove(msg)) {
      IdleWait();  // the actions of the windows behind stay up to date
      continue;
    }
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      modalResult_ = 2;
      break;
    }
    if (!user::IsDialogMsg(hwnd(), msg)) {
      TranslateMessage(&msg);
      user::Dispatch(msg);
    }
  }
  // The other windows come back before this one goes, and the window that
  // was active gets the activation back: left to itself, the system gives
  // it to the next window in the order, another program's window on top.
  for (HWND w : disabling.disabled) {
    if (IsWindow(w)) EnableWindow(w, TRUE);
  }
  if (before != nullptr && before != hwnd() && IsWindow(before) && IsWindowVisible(before) &&
      GetActiveWindow() == hwnd()) {
    SetActiveWindow(before);
  }
  Hide();
  modal_ = false;
  return modalResult_;
}

bool Form::CloseModal() {
  bool canClose = true;
  OnCloseQuery(canClose);
  if (!canClose) {
    modalResult_ = 0;
    return false;
  }
  OnClose();
  return true;
}

void Form::HandleClose() {
  if (modal_) {
    modalResult_ = 2;
    return;
  }
  bool canClose = true;
  OnCloseQuery(canClose);
  if (!canClose) return;
  OnClose();
  Hide();
}

UINT_PTR Form::StartTimer(UINT ms, Handler onTick) {
  const UINT_PTR id = nextTimer_++;
  if (SetTimer(hwnd(), id, ms, nullptr) == 0) return 0;
  timers_[id] = std::move(onTick);
  return id;
}

void Form::StopTimer(UINT_PTR id) {
  if (timers_.erase(id) != 0) KillTimer(hwnd(), id);
}

void Form::Scroll(Child& child, int request) {
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_ALL;
  GetScrollInfo(child.hwnd, SB_CTL, &info);
  int position = info.nPos;
  switch (request) {
    case SB_LINEUP: position -= child.smallStep; break;
    case SB_LINEDOWN: position += child.smallStep; break;
    case SB_PAGEUP: position -= child.largeStep; break;
    case SB_PAGEDOWN: position += child.largeStep; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: position = info.nTrackPos; break;
    case SB_TOP: position = info.nMin; break;
    case SB_BOTTOM: position = info.nMax; break;
    default: return;
  }
  const int last = std::max(info.nMin, info.nMax - std::max(0, static_cast<int>(info.nPage) - 1));
  position = std::clamp(position, info.nMin, last);
  if (position == info.nPos) return;
  SetScrollPos(child.hwnd, SB_CTL, position, TRUE);
  if (child.onClick) child.onClick();
}

bool Form::OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  if (OnFormMessage(message, wparam, lparam, result)) return true;
  switch (message) {
    case WM_COMMAND: {
      const int id = LOWORD(wparam);
      const int code = HIWORD(wparam);
      Child* c = lparam != 0 ? Find(reinterpret_cast<HWND>(lparam)) : nullptr;
      if (c == nullptr && id == IDOK) {
        // Enter with no button focused: the default button.
        for (auto& each : children_) {
          if (each->isDefault && IsWindowVisible(each->hwnd) && IsWindowEnabled(each->hwnd)) {
            c = each.get();
          }
        }
      }
      if (c == nullptr) return false;
      char kind[16] = {};
      GetClassNameA(c->hwnd, kind, 16);
      const bool list = lstrcmpiA(kind, "LISTBOX") == 0;
      if (list ? code != LBN_DBLCLK : code != BN_CLICKED) return false;
      if (c->modalResult != 0) modalResult_ = c->modalResult;
      if (c->onClick) {
        Handler copy = c->onClick;  // the handler may change the form
        copy();
      }
      result = 0;
      return true;
    }
    case DM_GETDEFID:
      for (auto& each : children_) {
        if (each->isDefault) {
          result = MAKELRESULT(GetDlgCtrlID(each->hwnd), DC_HASDEFID);
          return true;
        }
      }
      return false;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT: {
      Child* c = Find(reinterpret_cast<HWND>(lparam));
      if (c == nullptr || !c->background) return false;
      SetBkColor(reinterpret_cast<HDC>(wparam), GetSysColor(c->backgroundIndex));
      result = reinterpret_cast<LRESULT>(c->background.get());
      return true;
    }
    case WM_MEASUREITEM: {
      auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lparam);
      if (Child* c = FindId(static_cast<int>(measure->CtlID)); c != nullptr && c->itemHeight > 0) {
        measure->itemHeight = static_cast<UINT>(c->itemHeight);
        result = TRUE;
        return true;
      }
      return false;
    }
    case WM_DRAWITEM: {
      const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
      Child* c = Find(draw->hwndItem);
      if (c == nullptr || !c->draw) return false;
      c->draw(*draw);
      result = TRUE;
      return true;
    }
    case WM_VSCROLL:
    case WM_HSCROLL: {
      Child* c = lparam != 0 ? Find(reinterpret_cast<HWND>(lparam)) : nullptr;
      if (c == nullptr) return false;
      Scroll(*c, LOWORD(wparam));
      result = 0;
      return true;
    }
    case WM_TIMER: {
      auto it = timers_.find(wparam);
      if (it == timers_.end()) return false;
      Handler copy = it->second;
      copy();
      result = 0;
      return true;
    }
    case WM_SIZE:
      ApplyAnchors();
      return false;
    case WM_SHOWWINDOW:
      if (wparam != FALSE) OnShow();
      return false;
    case WM_CLOSE:
      HandleClose();
      result = 0;
      return true;
    default:
      return false;
  }
}

}  // namespace dw::ui
