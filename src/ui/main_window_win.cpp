#include "ui/main_window_win.h"

#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>

#include "install/installation.h"
#include "platform/message_numbers.h"
#include "platform/win32/adapters_win.h"
#include "platform/win32/user_api_win.h"
#include "platform/win32/wide.h"
#include "report/report.h"
#include "ui/dialogs/msg_win.h"
#include "ui/dialogs/progress_win.h"
#include "ui/framework/message_loop_win.h"
#include "ui/framework/popup_menu_win.h"
#include "ui/install_actions_win.h"

namespace dw::ui {
namespace {

constexpr UINT_PTR kHintTimerId = 0x4854;  // 'HT'
constexpr UINT kTrayIconId = 1;
constexpr Color kFace = Rgb(0xF4, 0xF4, 0xF0);
constexpr Color kNavy = Rgb(0x00, 0x06, 0x74);

void StyleButton(SkinButton& b, bool big) {
  b.faceColour = kFace;
  b.pressedColour = Rgb(0xBC, 0xB9, 0xF6);
  b.outerRingColour = big ? Rgb(0xCD, 0xD8, 0xE2) : kBlack;
  b.innerRingColour = kBlack;
  b.borderColour = kNavy;
  b.backgroundColour = kWhite;
  b.outerRingWidth = big ? 2 : 0;
  b.innerRingWidth = 0;
  b.cornerDiameter = 4;
  b.borderWidth = 1;
  b.font = {"Tahoma", big ? -12 : -11, kBlack};
}

// The graph's mouse: its window belongs to the controls' layer, so the
// read-outs listen in through a subclass.
void GraphMouse(MainController& controller, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_MOUSEMOVE) {
    controller.OnGraphMouseMove(GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam));
  } else if (message == WM_LBUTTONDOWN) {
    const bool leftOnly = (wparam & (MK_RBUTTON | MK_MBUTTON | MK_SHIFT | MK_CONTROL)) == 0 &&
                          GetKeyState(VK_MENU) >= 0;
    controller.OnGraphMouseDown(leftOnly, GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam));
  }
}

}  // namespace

// A panel: the part of the skin under it, and its controls' notifications
// handed up to the main window.
class MainWindow::PanelWindow final : public WindowBase {
 public:
  static constexpr const char* kClassName = "DialwavePanel";
  PanelWindow(TransparentPanel& face, HWND owner) : face_(face), owner_(owner) {}

  bool Create(HWND parent, int x, int y, int w, int h) {
    RegisterClassOnce(kClassName);
    face_.SetSize(w, h);
    return WindowBase::Create(kClassName, WS_EX_CONTROLPARENT, WS_CHILD | WS_CLIPSIBLINGS, "", x, y,
                              w, h, parent);
  }

 protected:
  bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override {
    switch (message) {
      case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd(), &ps);
        if (dc != nullptr) {
          GdiCanvas canvas(dc);
          face_.Paint(canvas);
        }
        EndPaint(hwnd(), &ps);
        return true;
      }
      case WM_PRINTCLIENT: {
        GdiCanvas canvas(reinterpret_cast<HDC>(wparam));
        face_.Paint(canvas);
        return true;
      }
      case WM_ERASEBKGND:
        result = 1;
        return true;
      case WM_COMMAND:
      case WM_CTLCOLORSTATIC:
      case WM_CTLCOLORBTN:
        result = SendMessageA(owner_, message, wparam, lparam);
        return true;
      default:
        return false;
    }
  }

 private:
  TransparentPanel& face_;
  HWND owner_;
};

MainWindow::MainWindow(Setup setup) : setup_(std::move(setup)) {
  if (setup_.registry == nullptr) {
    ownRegistry_ = MakeWin32Registry();
    setup_.registry = ownRegistry_.get();
  }
  if (setup_.shell == nullptr) {
    ownShell_ = MakeWin32Shell();
    setup_.shell = ownShell_.get();
  }
  MainController::Setup c;
  c.view = this;
  c.services = setup_.services;
  c.graph = &graph_;
  c.registry = setup_.registry;
  c.environment = setup_.environment;
  c.commandLine = setup_.commandLine;
  c.winVer = setup_.winVer;
  if (!setup_.ledgerPath.empty()) {
    clock_ = MakeSystemClock();
    c.usageFiles = MakeWin32DataFiles();
    c.usagePath = setup_.ledgerPath;
    c.clock = clock_.get();
  }
  controller_ = std::make_unique<MainController>(c);
}

MainWindow::~MainWindow() {
  if (trayShown_) SetTrayState(TrayMode::Remove, "");
  graphHook_.Detach();
}

bool MainWindow::Create() { return CreateWindowAndControls(); }

void MainWindow::Prepare() { controller_->Create(); }

void MainWindow::ShowAtStart() { controller_->ShowAtStart(); }

bool MainWindow::CreateWindowAndControls() {
  INITCOMMONCONTROLSEX init{sizeof init, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&init);
  const HMODULE module = GetModuleHandleA(nullptr);
  skin_ = LoadGifResource(module, "SKIN_BACKGROUND");

  RegisterClassOnce(kClassName, CS_DBLCLKS, LoadIconA(module, MAKEINTRESOURCEA(1)));
  // A popup with no frame: client and window are the same size.
  const DWORD style = WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  RECT work{};
  if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0)) {
    work = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  }
  const int x = work.left + ((work.right - work.left) - kClientWidth) / 2;
  const int y = work.top + ((work.bottom - work.top) - kClientHeight) / 2;
  if (!WindowBase::Create(kClassName, WS_EX_APPWINDOW | WS_EX_CONTROLPARENT, style,
                          dw::Text(TextId::AppTitle), x, y, kClientWidth, kClientHeight,
                          nullptr)) {
    return false;
  }
  // The two top corners cut off at an angle, as the skin draws them.
  regionForm_ = std::make_unique<WindowRegionForm>(hwnd(), true);
  // The region text's name, which its error messages begin with.
  windowShape_ = std::make_unique<FormRegion>(*regionForm_, "frMain");
  windowShape_->SetRegion("L6,0,495,0,498,2,501,8,501,358,0,358,0,6,2,2");
  regionForm_->SetLoading(false);
  windowShape_->Loaded();

  // The stock font has no Cyrillic letters on a non-Russian system.
  font_.reset(CreateFontA(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, RUSSIAN_CHARSET,
                          OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                          DEFAULT_PITCH | FF_SWISS, "Tahoma"));
  linkFont_.reset(CreateFontA(-11, 0, 0, 0, FW_NORMAL, FALSE, TRUE, FALSE, RUSSIAN_CHARSET,
                              OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                              DEFAULT_PITCH | FF_SWISS, "Tahoma"));
  white_.reset(CreateSolidBrush(RGB(255, 255, 255)));

  const std::pair<Panel, void (MainWindow::*)(HWND)> builders[] = {
      {Panel::Agreement, &MainWindow::BuildAgreement},
      {Panel::Settings, &MainWindow::BuildSettings},
      {Panel::Main, &MainWindow::BuildMain},
      {Panel::About, &MainWindow::BuildAbout},
      {Panel::Usage, &MainWindow::BuildUsage},
  };
  for (const auto& [panel, build] : builders) {
    TransparentPanel& face = panelFaces_[panel];
    face.background = skin_.get();
    face.backgroundLeft = 0;
    face.backgroundTop = kPanelPictureTop;
    face.outerBevel = Bevel::None;
    auto window = std::make_unique<PanelWindow>(face, hwnd());
    if (!window->Create(hwnd(), 0, kPanelTop, kClientWidth, kPanelHeight)) return false;
    (this->*build)(window->hwnd());
    panels_[panel] = std::move(window);
  }
  controls_[ViewControl::MainPanel] = panels_[Panel::Main]->hwnd();
  // The links below the panels.
  controls_[ViewControl::AgreementLink] =
      AddLabel(hwnd(), 14, 317, 200, 14, TextId::LinkAgreement, true);
  controls_[ViewControl::AboutLink] =
      AddLabel(hwnd(), 380, 317, 106, 14, TextId::ActAbout, true, SS_RIGHT);
  clicks_[controls_[ViewControl::AgreementLink]] = [this] { controller_->OpenAgreement(); };
  clicks_[controls_[ViewControl::AboutLink]] = [this] { controller_->OpenAbout(); };
  CreateGraphTooltip();
  return true;
}

HWND MainWindow::AddLabelText(HWND parent, int x, int y, int w, int h, const std::string& text,
                              bool link, DWORD style) {
  const DWORD s = WS_CHILD | WS_VISIBLE | SS_NOPREFIX | (link ? SS_NOTIFY : 0) | style;
  HWND label = user::CreateWindowText(0, "STATIC", text, s, x, y, w, h, parent, nullptr);
  SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(link ? linkFont_.get() : font_.get()),
               FALSE);
  if (link) links_.push_back(label);
  return label;
}

HWND MainWindow::AddLabel(HWND parent, int x, int y, int w, int h, TextId text, bool link,
                          DWORD style) {
  return AddLabelText(parent, x, y, w, h, dw::Text(text), link, style);
}

SkinButton& MainWindow::AddButton(ViewControl id, HWND parent, int x, int y, int w, int h,
                                  TextId caption, std::function<void()> onClick) {
  auto button = std::make_unique<SkinButton>();
  SkinButton& b = *button;
  StyleButton(b, w > 150);
  b.caption = dw::Text(caption);
  b.onClick = [onClick](SkinButton&) { onClick(); };
  auto window = std::make_unique<ControlWindow>(b);
  window->Create(parent, x, y, w, h);
  // The caption also as the window's text, where tools and tests read it.
  user::SetText(window->hwnd(), b.caption);
  controls_[id] = window->hwnd();
  buttons_[id] = &b;
  skinnedWindows_[window->hwnd()] = window.get();
  skinned_.push_back({std::move(button), std::move(window)});
  return b;
}

void MainWindow::AddHeading(HWND parent, const char* resource, ViewControl id) {
  auto picture = LoadGifResource(GetModuleHandleA(nullptr), resource);
  if (picture == nullptr) return;
  auto face = std::make_unique<TransparentPanel>();
  face->background = picture.get();
  auto window = std::make_unique<ControlWindow>(*face);
  window->Create(parent, 20, 4, picture->Width(), picture->Height());
  if (id != ViewControl::Window) controls_[id] = window->hwnd();
  headings_.push_back(std::move(picture));
  skinned_.push_back({std::move(face), std::move(window)});
}

void MainWindow::BuildMain(HWND p) {
  AddHeading(p, "HEADING_CONNECT");
  AddLabel(p, 20, 38, 190, 14, TextId::LabelSpeed);
  auto window = std::make_unique<ControlWindow>(graph_);
  graph_.faceColour = kWhite;
  graph_.outerBevel = Bevel::None;
  graph_.SetScaleLength(40);
  graph_.barWidthPercent = 60;
  graph_.topColour = 1482540;
  graph_.bottomColour = 9687450;
  window->Create(p, 20, 56, 192, 45);
  graphWindow_ = window.get();
  controls_[ViewControl::SpeedGraph] = window->hwnd();
  graphHook_.Attach(window->hwnd(), [this](UINT message, WPARAM wparam, LPARAM lparam) {
    GraphMouse(*controller_, message, wparam, lparam);
  });
  skinned_.push_back({nullptr, std::move(window)});
  controls_[ViewControl::ConnectionStatus] =
      AddLabel(p, 20, 106, 250, 14, TextId::StatusDisconnected);
  AddLabel(p, 20, 126, 70, 14, TextId::LabelMaximum);
  controls_[ViewControl::MaximumSpeed] = AddLabelText(p, 92, 126, 170, 14, "", false, 0);

  AddLabel(p, 290, 38, 190, 14, TextId::LabelTraffic);
  AddLabel(p, 290, 58, 100, 14, TextId::LabelReceived);
  AddLabel(p, 290, 76, 100, 14, TextId::LabelTransmitted);
  AddLabel(p, 290, 94, 100, 14, TextId::LabelTotal);
  controls_[ViewControl::ReceivedBytes] = AddLabelText(p, 392, 58, 90, 14, "0", false, SS_RIGHT);
  controls_[ViewControl::SentBytes] = AddLabelText(p, 392, 76, 90, 14, "0", false, SS_RIGHT);
  controls_[ViewControl::TotalBytes] = AddLabelText(p, 392, 94, 90, 14, "0", false, SS_RIGHT);
  AddLabel(p, 290, 122, 190, 14, TextId::LabelConnTime);
  controls_[ViewControl::ConnectionTime] = AddLabelText(p, 290, 140, 190, 14, "", false, 0);

  AddButton(ViewControl::ConnectButton, p, 20, 166, 193, 30, TextId::CaptionConnect,
            [this] { controller_->connectAction().Execute(); });
  HWND connectWindow = controls_[ViewControl::ConnectButton];
  // The button follows the connect action's enabled state.
  controller_->connectAction().Bind([this, connectWindow](const Action& a) {
    skinnedWindows_[connectWindow]->SetEnabled(a.Enabled());
  });

  AddLabel(p, 20, 212, 460, 28, TextId::LabelOtherDevice);
  controls_[ViewControl::SettingsLink] = AddLabel(p, 20, 242, 80, 14, TextId::LinkSettings, true);
  clicks_[controls_[ViewControl::SettingsLink]] = [this] { controller_->OpenSettings(); };
  controls_[ViewControl::UsageLink] =
      AddLabel(p, 360, 242, 120, 14, TextId::LinkUsage, true, SS_RIGHT);
  clicks_[controls_[ViewControl::UsageLink]] = [this] { controller_->OpenUsagePanel(); };
}

void MainWindow::AddPanelButton(ViewControl id, SkinButton& button, ControlWindow& window) {
  // The caption also as the window's text, where tools and tests read it.
  user::SetText(window.hwnd(), button.caption);
  controls_[id] = window.hwnd();
  buttons_[id] = &button;
  skinnedWindows_[window.hwnd()] = &window;
}

void MainWindow::BuildSettings(HWND p) {
  settingsPanel_ = std::make_unique<SettingsPanel>(p, Bounds{0, 0, kClientWidth, kPanelHeight},
                                                   GetModuleHandleA(nullptr));
  SettingsPanel& s = *settingsPanel_;
  const std::pair<ViewControl, HWND> parts[] = {
      {ViewControl::InstallHeading, s.installHeading.hwnd()},
      {ViewControl::ServiceHeading, s.serviceHeading.hwnd()},
      {ViewControl::DesktopOption, s.desktopOption.hwnd()},
      {ViewControl::DesktopOptionText, s.desktopOptionText.hwnd()},
      {ViewControl::AutorunOption, s.autorunOption.hwnd()},
      {ViewControl::AutorunOptionText, s.autorunOptionText.hwnd()},
      {ViewControl::CopyOption, s.copyOption.hwnd()},
      {ViewControl::CopyOptionText, s.copyOptionText.hwnd()},
      {ViewControl::RefreshLink, s.refreshLink.hwnd()},
      {ViewControl::HiddenRefreshLink, s.hiddenRefreshLink.hwnd()},
  };
  for (const auto& [id, window] : parts) controls_[id] = window;
  AddPanelButton(ViewControl::NextButton, s.nextButton, s.NextButtonWindow());
  AddPanelButton(ViewControl::ChooseModemButton, s.chooseButton, s.ChooseButtonWindow());
  s.onNext = [this] { controller_->installAction().Execute(); };
  s.onChoose = [this] { controller_->chooseModemAction().Execute(); };
  s.onRefresh = [this](HWND link) {
    controller_->RefreshModems(link == settingsPanel_->hiddenRefreshLink.hwnd()
                                   ? ViewControl::HiddenRefreshLink
                                   : ViewControl::RefreshLink);
  };
  s.onModemDoubleClick = [this] { controller_->ChooseDoubleClickedModem(); };
}

void MainWindow::BuildAgreement(HWND p) {
  agreement_ = std::make_unique<AgreementPanel>(p, Bounds{0, 0, kClientWidth, kPanelHeight},
                                                GetModuleHandleA(nullptr));
  AgreementPanel& a = *agreement_;
  AddPanelButton(ViewControl::AgreeButton, a.agreeButton, a.AgreeWindow());
  AddPanelButton(ViewControl::DisagreeButton, a.disagreeButton, a.DisagreeWindow());
  controls_[ViewControl::AgreementBackLink] = a.backLink.hwnd();
  a.onAgree = [this] { controller_->LeaveAgreement(); };
  a.onDisagree = [this] { controller_->quitAction().Execute(); };
  a.onReturn = [this] { controller_->LeaveAgreement(); };
}

void MainWindow::BuildAbout(HWND p) {
  about_ = std::make_unique<AboutPanel>(p, Bounds{0, 0, kClientWidth, kPanelHeight},
                                        GetModuleHandleA(nullptr), *setup_.shell);
  controls_[ViewControl::VersionText] = about_->versionText.hwnd();
  about_->onReturn = [this] { controller_->ReturnFromAbout(); };
  // On the report's worker: its own registry and clock, and the environment
  // shared, so it may outlive the window.
  about_->reportEnvironment = setup_.environment;
  about_->writeReport = [](const Environment& environment, const std::string& path) {
    const auto registry = MakeWin32Registry();
    const auto clock = MakeSystemClock();
    return report::WriteSystemReport(environment, *registry, *clock, nullptr, path);
  };
}

void MainWindow::BuildUsage(HWND p) {
  usage_ = std::make_unique<UsagePanel>(p, Bounds{0, 0, kClientWidth, kPanelHeight});
  usage_->onReturn = [this] { controller_->ReturnFromUsage(); };
  usage_->onSave = [this](const std::string& day, const std::string& allowance, bool disconnect) {
    controller_->SaveBudget(day, allowance, disconnect);
  };
}

PanelContent* MainWindow::ContentHolding(HWND control) const {
  HWND parent = GetParent(control);
  for (PanelContent* content : {static_cast<PanelContent*>(agreement_.get()),
                                static_cast<PanelContent*>(settingsPanel_.get()),
                                static_cast<PanelContent*>(about_.get()),
                                static_cast<PanelContent*>(usage_.get())}) {
    if (content != nullptr && content->hwnd() == parent) return content;
  }
  return nullptr;
}

void MainWindow::CreateGraphTooltip() {
  graphTip_ = user::CreateTooltip(TTS_ALWAYSTIP, hwnd());
  if (graphTip_ == nullptr) return;
  user::AddTool(graphTip_, TTF_IDISHWND | TTF_SUBCLASS, hwnd(),
                reinterpret_cast<UINT_PTR>(controls_[ViewControl::SpeedGraph]), " ");
  // Silent until the first sample gives it a speed to tell: an empty box
  // otherwise.
  EnableGraphTooltip(false);
}

HWND MainWindow::Hwnd(ViewControl control) const {
  if (control == ViewControl::Window) return hwnd();
  auto it = controls_.find(control);
  return it == controls_.end() ? nullptr : it->second;
}

HWND MainWindow::PanelWindowOf(Panel panel) const {
  auto it = panels_.find(panel);
  return it == panels_.end() ? nullptr : it->second->hwnd();
}

// MainView

void MainWindow::ShowPanel(Panel front) {
  for (auto& [panel, window] : panels_) {
    if (panel == front) {
      SetWindowPos(window->hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    }
  }
  for (auto& [panel, window] : panels_) {
    if (panel != front) ShowWindow(window->hwnd(), SW_HIDE);
  }
}

void MainWindow::SetCaption(ViewControl control, const std::string& cp1251) {
  HWND w = Hwnd(control);
  if (w == nullptr) return;
  if (auto b = buttons_.find(control); b != buttons_.end()) {
    if (b->second->caption == cp1251) return;
    b->second->caption = cp1251;
    user::SetText(w, cp1251);
    b->second->Repaint();
    return;
  }
  if (user::GetText(w) == cp1251) return;  // no flicker from the idle rhythm
  user::SetText(w, cp1251);
}

void MainWindow::SetVisible(ViewControl control, bool visible) {
  HWND w = Hwnd(control);
  if (w == nullptr) return;
  // The control's own flag: on a panel out of sight every control looks
  // invisible to IsWindowVisible.
  const bool shown = (GetWindowLongPtrA(w, GWL_STYLE) & WS_VISIBLE) != 0;
  if (shown != visible) ShowWindow(w, visible ? SW_SHOWNA : SW_HIDE);
}

void MainWindow::SetEnabled(ViewControl control, bool enabled) {
  HWND w = Hwnd(control);
  if (w == nullptr || (IsWindowEnabled(w) != FALSE) == enabled) return;
  if (auto skinned = skinnedWindows_.find(w); skinned != skinnedWindows_.end()) {
    skinned->second->SetEnabled(enabled);
    return;
  }
  EnableWindow(w, enabled ? TRUE : FALSE);
  if (control != ViewControl::MainPanel) InvalidateRect(w, nullptr, TRUE);
}

bool MainWindow::Checked(ViewControl control) const {
  HWND w = Hwnd(control);
  return w != nullptr && SendMessageA(w, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void MainWindow::SetChecked(ViewControl control, bool checked) {
  if (HWND w = Hwnd(control)) SendMessageA(w, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

int MainWindow::TextWidth(ViewControl control, const std::string& cp1251) {
  HWND w = Hwnd(control);
  HDC dc = GetDC(w);
  if (dc == nullptr) return 0;
  HFONT font = reinterpret_cast<HFONT>(SendMessageA(w, WM_GETFONT, 0, 0));
  HGDIOBJ old = SelectObject(dc, font != nullptr ? font : font_.get());
  const std::wstring text = Wide(cp1251);
  SIZE size{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(w, dc);
  return size.cx;
}

void MainWindow::SetWidth(ViewControl control, int width) {
  HWND w = Hwnd(control);
  if (w == nullptr) return;
  RECT r{};
  GetWindowRect(w, &r);
  const int height = r.bottom - r.top;
  if (r.right - r.left == width) return;
  // Right-aligned labels grow to the left from one fixed left edge.
  SetWindowPos(w, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(GetParent(w), nullptr, FALSE);
}

void MainWindow::Repaint(ViewControl control) {
  if (HWND w = Hwnd(control)) RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

Color MainWindow::FontColour(ViewControl control) const {
  HWND w = Hwnd(control);
  PanelContent* content = w != nullptr ? ContentHolding(w) : nullptr;
  return content != nullptr ? static_cast<Color>(content->TextColour(w)) : kBlack;
}

void MainWindow::SetFontColour(ViewControl control, Color colour) {
  HWND w = Hwnd(control);
  if (PanelContent* content = w != nullptr ? ContentHolding(w) : nullptr) {
    content->SetTextColour(w, static_cast<COLORREF>(colour));
  }
}

std::vector<std::string> MainWindow::ModemItems() const {
  const ListBox& list = settingsPanel_->modemList;
  std::vector<std::string> items;
  const int count = list.Count();
  for (int i = 0; i < count; ++i) items.push_back(list.Item(i));
  return items;
}

void MainWindow::SetModemItems(const std::vector<std::string>& items) {
  const ListBox& list = settingsPanel_->modemList;
  list.Clear();
  for (const std::string& item : items) list.Add(item);
}

int MainWindow::SelectedModem() const {
  const int index = settingsPanel_->modemList.Selected();
  return index == LB_ERR ? -1 : index;
}

void MainWindow::SelectModem(int index) { settingsPanel_->modemList.Select(index); }

void MainWindow::SetGraphTooltip(const std::string& cp1251) {
  if (graphTip_ == nullptr) return;
  user::SetToolText(graphTip_, hwnd(),
                    reinterpret_cast<UINT_PTR>(controls_[ViewControl::SpeedGraph]), cp1251);
}

void MainWindow::EnableGraphTooltip(bool enabled) {
  if (graphTip_ != nullptr) SendMessageA(graphTip_, TTM_ACTIVATE, enabled ? TRUE : FALSE, 0);
}

void MainWindow::ShowHintAt(HintAnchor anchor, int x, const std::string& cp1251, int y) {
  hints_.ShowHintAt(anchor, x, cp1251, y);
}

void MainWindow::ResetAgreementScroll() { agreement_->ScrollToStart(); }

void MainWindow::SetHourglass(bool on) {
  hourglass_ = on;
  SetCursor(LoadCursorA(nullptr, on ? MAKEINTRESOURCEA(32514) : MAKEINTRESOURCEA(32512)));
}

void MainWindow::ProcessPending() { DrainMessages(); }

void MainWindow::BringApplicationToFront() {
  // Only a window on the screen: activation (the tray menu takes the
  // foreground) must not pull the window out of the notification area.
  if (!IsWindowVisible(hwnd())) return;
  SetForegroundWindow(hwnd());
}

void MainWindow::RestoreApplication() {
  ShowWindow(hwnd(), SW_SHOWNORMAL);
  SetForegroundWindow(hwnd());
  UpdateWindow(hwnd());
  controller_->OnRestored();
}

void MainWindow::MinimiseApplication() { controller_->OnMinimised(); }

void MainWindow::HideApplication() {
  // Hidden, the window leaves no taskbar button; the icon stays.
  ShowWindow(hwnd(), SW_HIDE);
}

bool MainWindow::ApplicationHidden() const {
  return IsWindowVisible(hwnd()) == FALSE || IsIconic(hwnd()) != FALSE;
}

void MainWindow::HideWindow() { ShowWindow(hwnd(), SW_HIDE); }

void MainWindow::CloseWindow() { PostMessageA(hwnd(), WM_CLOSE, 0, 0); }

void MainWindow::BringProgressToFront() {
  HWND progress = FindWindowA(ProgressDialog::kClassName, nullptr);
  DWORD pid = 0;
  if (progress != nullptr) GetWindowThreadProcessId(progress, &pid);
  if (progress != nullptr && pid == GetCurrentProcessId() && IsWindowVisible(progress)) {
    SetWindowPos(progress, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(progress);
  }
}

int MainWindow::ShowMsg(const std::string& cp1251, int kind, std::span<const int> codes) {
  return ui::ShowMsg(cp1251, kind, codes);
}

bool MainWindow::AskToReconnect() { return ui::AskToReconnect(hwnd()); }

void MainWindow::SetTrayState(TrayMode mode, const std::string& hint) {
  if (mode == TrayMode::Show && !trayShown_) {
    trayShown_ = user::NotifyIcon(NIM_ADD, hwnd(), kTrayIconId, NIF_ICON | NIF_MESSAGE | NIF_TIP,
                                  kMsgTrayIcon,
                                  LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1)), "");
  } else if (mode == TrayMode::Remove && trayShown_) {
    user::NotifyIcon(NIM_DELETE, hwnd(), kTrayIconId, 0, 0, nullptr, "");
    trayShown_ = false;
  }
  ProcessPending();
  SetTrayTip(hint);
}

void MainWindow::SetTrayTip(const std::string& hint) {
  if (!trayShown_) return;
  user::NotifyIcon(NIM_MODIFY, hwnd(), kTrayIconId, NIF_TIP, 0, nullptr, hint);
}

void MainWindow::ShowUsageFigures(const UsageFigures& figures, bool fields) {
  if (usage_ != nullptr) usage_->Show(figures, fields);
}

void MainWindow::ShowUsageWarning(const std::string& cp1251) {
  // 98's shell has no balloons.
  const bool balloons = setup_.winVer != 410;
  if (balloons && trayShown_ &&
      user::NotifyBalloon(hwnd(), kTrayIconId, Text(TextId::MsgTitleWarning), cp1251)) {
    return;
  }
  ShowMsg(cp1251, 0, std::span<const int>(&kMsgOk, 1));  // a warning
}

namespace {

// The settings panel's three option boxes as the installation step sees them.
class ViewInstallOptions final : public install::InstallOptionControls {
 public:
  explicit ViewInstallOptions(MainWindow& view) : view_(view) {}
  bool Checked(install::InstallOption option) const override { return view_.Checked(Box(option)); }

 private:
  static ViewControl Box(install::InstallOption option) {
    switch (option) {
      case install::InstallOption::Desktop:
        return ViewControl::DesktopOption;
      case install::InstallOption::Autorun:
        return ViewControl::AutorunOption;
      case install::InstallOption::Copy:
        break;
    }
    return ViewControl::CopyOption;
  }
  MainWindow& view_;
};

}  // namespace

// Tests may put their own step in; the program runs the real one.
bool MainWindow::RunInstallation() {
  if (setup_.installStep) return setup_.installStep();
  ViewInstallOptions options(*this);
  return RunInstallationWin(options, *setup_.environment, hwnd());
}

// The hint window.

void MainWindow::HintWindow::Create() {
  window_ = user::CreateTooltip(TTS_NOPREFIX, owner_.hwnd());
  if (window_ == nullptr) return;
  user::AddTool(window_, TTF_TRACK | TTF_ABSOLUTE, owner_.hwnd(), 1, " ");
  SendMessageA(window_, TTM_SETMAXTIPWIDTH, 0, GetSystemMetrics(SM_CXSCREEN));
}

void MainWindow::HintWindow::Destroy() {
  if (window_ != nullptr) DestroyWindow(window_);
  window_ = nullptr;
  text_.clear();
}

bool MainWindow::HintWindow::Visible() const {
  return window_ != nullptr && IsWindowVisible(window_) != FALSE;
}

void MainWindow::HintWindow::ShowAt(HintAnchor anchor, int x, int y, const std::string& text) {
  if (window_ == nullptr) return;
  text_ = text;
  HWND on = anchor == HintAnchor::Graph ? owner_.Hwnd(ViewControl::SpeedGraph) : owner_.hwnd();
  POINT point{x, y};
  ClientToScreen(on, &point);
  user::SetToolText(window_, owner_.hwnd(), 1, text);
  SendMessageA(window_, TTM_TRACKPOSITION, 0, MAKELPARAM(point.x, point.y));
  user::TrackTool(window_, owner_.hwnd(), 1, true);
}

void MainWindow::HintWindow::StartTimer(int ms) {
  timerRunning_ = SetTimer(owner_.hwnd(), kHintTimerId, static_cast<UINT>(ms), nullptr) != 0;
}

void MainWindow::HintWindow::StopTimer() {
  KillTimer(owner_.hwnd(), kHintTimerId);
  timerRunning_ = false;
}

// Messages.

void MainWindow::OnCommand(HWND from, int code) {
  if (code != STN_CLICKED && code != BN_CLICKED) return;
  auto it = clicks_.find(from);
  if (it == clicks_.end()) return;
  std::function<void()> handler = it->second;  // the handler may change the window
  handler();
}

void MainWindow::OnTrayMessage(UINT mouse) {
  switch (mouse) {
    case WM_LBUTTONUP:
    case WM_MBUTTONUP:
      controller_->OnTrayClick();
      break;
    case WM_RBUTTONUP:
      controller_->OnTrayClick();
      ShowTrayMenu();
      break;
    case WM_LBUTTONDBLCLK:
      controller_->OnTrayDoubleClick();
      break;
    default:
      break;
  }
}

void MainWindow::ShowTrayMenu() {
  controller_->UpdateControls();
  const auto menu = controller_->TrayMenu();
  std::vector<MenuItem> items;
  std::vector<Action*> actions;
  for (const auto& item : menu) {
    if (!item.visible) continue;
    items.push_back({item.caption, item.enabled, false});
    actions.push_back(item.action);
  }
  POINT at{};
  GetCursorPos(&at);
  const int chosen = ShowPopupMenu(hwnd(), items, at.x, at.y);
  if (chosen >= 0 && actions[static_cast<std::size_t>(chosen)] != nullptr) {
    actions[static_cast<std::size_t>(chosen)]->Execute();
  }
}

bool MainWindow::SkinMouse(UINT message, WPARAM wparam, LPARAM lparam) {
  const int x = GET_X_LPARAM(lparam);
  const int y = GET_Y_LPARAM(lparam);
  const bool left = (wparam & MK_LBUTTON) != 0;
  switch (message) {
    case WM_LBUTTONDOWN:
      SetCapture(hwnd());
      controller_->OnSkinMouseDown(true, x, y);
      return true;
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      controller_->OnSkinMouseDown(left, x, y);
      return true;
    case WM_MOUSEMOVE: {
      const bool anything = (wparam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON | MK_SHIFT |
                                       MK_CONTROL)) != 0 || GetKeyState(VK_MENU) < 0;
      if (auto move = controller_->OnSkinMouseMove(left, anything, x, y)) {
        RECT r{};
        GetWindowRect(hwnd(), &r);
        SetWindowPos(hwnd(), nullptr, r.left + move->dx, r.top + move->dy, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      }
      return true;
    }
    case WM_LBUTTONUP: {
      if (!left) ReleaseCapture();
      controller_->OnSkinMouseUp(left);
      // A click: where the pointer is now, in the picture's coordinates.
      POINT at{};
      GetCursorPos(&at);
      ScreenToClient(hwnd(), &at);
      controller_->OnSkinClick(at.x, at.y);
      return true;
    }
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      controller_->OnSkinMouseUp(left);
      return true;
    default:
      return false;
  }
}

void MainWindow::PaintSkin(HDC dc) {
  if (skin_ != nullptr) {
    GdiCanvas canvas(dc);
    canvas.Draw(0, 0, *skin_);
    return;
  }
  RECT r{0, 0, kClientWidth, kClientHeight};
  FillRect(dc, &r, white_.get());
}

bool MainWindow::OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  result = 0;
  switch (message) {
    case kMsgConnectionLost:
      controller_->OnConnectionLost();
      return true;
    case kMsgStatistics:
      controller_->OnStatistics(static_cast<std::uint32_t>(wparam), static_cast<std::uint32_t>(lparam));
      return true;
    case kMsgWakeUp:
      // A second start brings the window back from the notification area,
      // or from the taskbar if something minimised it past our handlers.
      if (ApplicationHidden()) ShowWindow(hwnd(), SW_SHOWNORMAL);
      controller_->RefreshOnRestore();
      return true;
    case kMsgSystemConfigError:
      controller_->OnSystemConfigError();
      return true;
    case kMsgConnected:
      controller_->OnConnected(static_cast<ras::Handle>(wparam));
      return true;
    case kMsgTrafficBaseline:
      controller_->OnTrafficBaseline(static_cast<std::uint32_t>(wparam),
                                     static_cast<std::uint32_t>(lparam));
      return true;
    case kMsgTrayIcon:
      if (wparam == kTrayIconId) OnTrayMessage(static_cast<UINT>(lparam));
      return true;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd(), &ps);
      if (dc != nullptr) PaintSkin(dc);
      EndPaint(hwnd(), &ps);
      return true;
    }
    case WM_PRINTCLIENT:
      PaintSkin(reinterpret_cast<HDC>(wparam));
      return true;
    case WM_ERASEBKGND:
      result = 1;
      return true;
    case WM_COMMAND:
      OnCommand(reinterpret_cast<HWND>(lparam), HIWORD(wparam));
      return true;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      HDC dc = reinterpret_cast<HDC>(wparam);
      HWND control = reinterpret_cast<HWND>(lparam);
      SetBkColor(dc, RGB(255, 255, 255));
      const bool link = std::find(links_.begin(), links_.end(), control) != links_.end();
      SetTextColor(dc, link ? kLinkColour : RGB(0, 0, 0));
      result = reinterpret_cast<LRESULT>(white_.get());
      return true;
    }
    case WM_TIMER:
      if (wparam != kHintTimerId) return false;
      hints_.TimerTick();
      return true;
    case WM_SETCURSOR:
      if (!hourglass_) return false;
      SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32514)));
      result = TRUE;
      return true;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      return SkinMouse(message, wparam, lparam);
    case WM_SYSCOMMAND:
      switch (wparam & 0xFFF0) {
        case SC_MINIMIZE:
          MinimiseApplication();
          return true;
        case SC_RESTORE:
          RestoreApplication();
          return true;
        default:
          return false;
      }
    case WM_SIZE:
      // The taskbar, ShowWindow and other programs minimise without
      // SC_MINIMIZE; the window still belongs in the tray then.
      if (wparam == SIZE_MINIMIZED && IsWindowVisible(hwnd())) MinimiseApplication();
      return false;
    case WM_ACTIVATEAPP:
      if (wparam != FALSE) controller_->OnActivated();
      return false;
    case WM_QUERYENDSESSION:
      // Nothing to ask: the settings are saved at WM_ENDSESSION.
      result = TRUE;
      return true;
    case WM_ENDSESSION:
      if (wparam != FALSE && !closing_) {
        closing_ = true;
        controller_->OnSessionEnd();
      }
      return true;
    case WM_CLOSE:
      if (closing_) return true;
      if (!controller_->OnCloseQuery()) return true;
      closing_ = true;
      controller_->OnClose();
      DestroyWindow(hwnd());
      return true;
    case WM_DESTROY:
      PostQuitMessage(0);
      return true;
    default:
      return false;
  }
}

}  // namespace dw::ui
