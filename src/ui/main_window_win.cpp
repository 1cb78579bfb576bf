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
#include "ui/framework/gdi_scope_win.h"
#include "ui/framework/message_loop_win.h"
#include "ui/framework/popup_menu_win.h"
#include "ui/install_actions_win.h"

namespace dw::ui {
namespace {

constexpr UINT_PTR kHintTimerId = 0x4854;  // 'HT'
// What the shell sends every top-level window when it starts (again).
constexpr char kTaskbarCreated[] = "TaskbarCreated";
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
        PaintScope paint(hwnd());
        if (paint.get() != nullptr) {
          GdiCanvas canvas(paint.get());
          face_.Paint(canvas);
        }
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
  const HMODULE module = GetModuleHandleA(nullptr);
  skin_ = LoadGifResource(module, "SKIN_BACKGROUND");

  RegisterClassOnce(kClassName, CS_DBLCLKS, LoadIconA(module, MAKEINTRESOURCEA(1)));
  taskbarCreated_ = RegisterWindowMessageA(kTaskbarCreated);
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
  slots_[Index(ViewControl::Window)].window = hwnd();
  // The two top corners cut off at an angle, as the skin draws them.
  regionForm_ = std::make_unique<WindowRegionForm>(hwnd(), true);
  // The region text's name, which its error messages begin with.
  windowShape_ = std::make_unique<FormRegion>(*regionForm_, "frMain");
  windowShape_->SetRegion("L6,0,495,0,498,2,501,8,501,358,0,358,0,6,2,2");
  regionForm_->SetLoading(false);
  windowShape_->Loaded();

  // The stock font has no Cyrillic letters on a non-Russian system.
  for (UniqueFont* font : {&font_, &linkFont_}) {
    font->reset(CreateFontA(-11, 0, 0, 0, FW_NORMAL, FALSE, font == &linkFont_, FALSE,
                            RUSSIAN_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                            DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "Tahoma"));
  }
  white_.reset(CreateSolidBrush(RGB(255, 255, 255)));
  if (!CreatePanels()) return false;
  // The links below the panels.
  AddLink(ViewControl::AgreementLink, hwnd(), 14, 317, 200, TextId::LinkAgreement, 0,
          [this] { controller_->OpenAgreement(); });
  AddLink(ViewControl::AboutLink, hwnd(), 380, 317, 106, TextId::ActAbout, SS_RIGHT,
          [this] { controller_->OpenAbout(); });
  return true;
}

// The panels' windows, empty: each gets its controls when first shown (or
// first asked for), so a start makes only what it shows.
bool MainWindow::CreatePanels() {
  for (std::size_t i = 0; i < kPanelCount; ++i) {
    TransparentPanel& face = panelFaces_[i];
    face.background = skin_.get();
    face.backgroundLeft = 0;
    face.backgroundTop = kPanelPictureTop;
    face.outerBevel = Bevel::None;
    auto window = std::make_unique<PanelWindow>(face, hwnd());
    if (!window->Create(hwnd(), 0, kPanelTop, kClientWidth, kPanelHeight)) return false;
    panels_[i] = std::move(window);
  }
  slots_[Index(ViewControl::MainPanel)].window = panels_[Index(Panel::Main)]->hwnd();
  return true;
}

namespace {

// The panel each control sits on (-1: on the main window itself), in the
// order of ViewControl.
constexpr signed char kHomePanel[] = {
    2, 2, 2, 2, 2, 2, 2, 2, 2, 2,           // main
    1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,     // settings
    0, 0, 0,                                // agreement
    3,                                      // about
    -1, -1,                                 // links outside the panels
    2,                                      // usage link
    -1,                                     // the window
};
static_assert(sizeof kHomePanel == static_cast<std::size_t>(ViewControl::Window) + 1);
static_assert(static_cast<int>(Panel::Main) == 2 && static_cast<int>(Panel::About) == 3);

}  // namespace

bool MainWindow::Built(Panel panel) {
  const std::size_t i = Index(panel);
  if (built_[i] || panels_[i] == nullptr) return built_[i];
  static constexpr void (MainWindow::*kBuilders[kPanelCount])(HWND) = {
      &MainWindow::BuildAgreement, &MainWindow::BuildSettings, &MainWindow::BuildMain,
      &MainWindow::BuildAbout, &MainWindow::BuildUsage};
  built_[i] = true;
  (this->*kBuilders[i])(panels_[i]->hwnd());
  // What the controller said while the panel did not exist yet.
  for (std::size_t c = 0; c < kControlCount; ++c) {
    if (slots_[c].captionPending) SetCaption(static_cast<ViewControl>(c), slots_[c].pendingCaption);
  }
  return true;
}

const MainWindow::ControlSlot& MainWindow::SlotOf(ViewControl control) const {
  const std::size_t i = Index(control);
  // Building on first use changes nothing the view promises: the control
  // then exists as if it always had.
  if (kHomePanel[i] >= 0) const_cast<MainWindow*>(this)->Built(static_cast<Panel>(kHomePanel[i]));
  return slots_[i];
}

void MainWindow::AddControl(ViewControl id, ControlSlot slot) {
  ControlSlot& place = slots_[Index(id)];
  slot.pendingCaption = std::move(place.pendingCaption);
  slot.captionPending = place.captionPending;
  place = std::move(slot);
}

HWND MainWindow::AddLabelText(HWND parent, int x, int y, int w, int h, const std::string& text,
                              bool link, DWORD style) {
  const DWORD s = WS_CHILD | WS_VISIBLE | SS_NOPREFIX | (link ? SS_NOTIFY : 0) | style;
  HWND label = user::CreateWindowText(0, "STATIC", text, s, x, y, w, h, parent, nullptr);
  SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(link ? linkFont_.get() : font_.get()),
               FALSE);
  return label;
}

HWND MainWindow::AddLabel(HWND parent, int x, int y, int w, int h, TextId text, bool link,
                          DWORD style) {
  return AddLabelText(parent, x, y, w, h, dw::Text(text), link, style);
}

void MainWindow::AddCaption(Panel panel, int x, int y, int w, int h, TextId text) {
  TransparentPanel& face = panelFaces_[Index(panel)];
  face.captions.push_back({Rect{x, y, x + w, y + h}, dw::Text(text)});
  if (panels_[Index(panel)] != nullptr) InvalidateRect(panels_[Index(panel)]->hwnd(), nullptr, FALSE);
}

void MainWindow::AddLink(ViewControl id, HWND parent, int x, int y, int w, TextId text,
                         DWORD style, std::function<void()> onClick) {
  ControlSlot slot;
  slot.window = AddLabel(parent, x, y, w, 14, text, true, style);
  slot.onClick = std::move(onClick);
  slot.link = true;
  AddControl(id, std::move(slot));
}

void MainWindow::AddButton(ViewControl id, HWND parent, int x, int y, int w, int h,
                           TextId caption, std::function<void()> onClick) {
  auto button = std::make_unique<SkinButton>();
  SkinButton& b = *button;
  StyleButton(b, w > 150);
  b.caption = dw::Text(caption);
  b.onClick = [onClick](SkinButton&) { onClick(); };
  auto window = std::make_unique<ControlWindow>(b);
  window->Create(parent, x, y, w, h);
  AddPanelButton(id, b, *window);
  skinned_.push_back({std::move(button), std::move(window)});
}

void MainWindow::AddHeading(HWND parent, const char* resource) {
  auto picture = LoadGifResource(GetModuleHandleA(nullptr), resource);
  if (picture == nullptr) return;
  auto face = std::make_unique<TransparentPanel>();
  face->background = picture.get();
  auto window = std::make_unique<ControlWindow>(*face);
  window->Create(parent, 20, 4, picture->Width(), picture->Height());
  headings_.push_back(std::move(picture));
  skinned_.push_back({std::move(face), std::move(window)});
}

void MainWindow::AddSpeedGraph(HWND p) {
  auto window = std::make_unique<ControlWindow>(graph_);
  graph_.faceColour = kWhite;
  graph_.outerBevel = Bevel::None;
  graph_.SetScaleLength(40);
  graph_.barWidthPercent = 60;
  graph_.topColour = 1482540;
  graph_.bottomColour = 9687450;
  window->Create(p, 20, 56, 192, 45);
  AddControl(ViewControl::SpeedGraph, {window->hwnd(), nullptr, window.get()});
  graphHook_.Attach(window->hwnd(), [this](UINT message, WPARAM wparam, LPARAM lparam) {
    GraphMouse(*controller_, message, wparam, lparam);
  });
  skinned_.push_back({nullptr, std::move(window)});
}

void MainWindow::BuildMain(HWND p) {
  AddHeading(p, "HEADING_CONNECT");
  AddCaption(Panel::Main, 20, 38, 190, 14, TextId::LabelSpeed);
  AddSpeedGraph(p);
  AddControl(ViewControl::ConnectionStatus,
             {AddLabel(p, 20, 106, 250, 14, TextId::StatusDisconnected)});
  AddCaption(Panel::Main, 20, 126, 70, 14, TextId::LabelMaximum);
  AddControl(ViewControl::MaximumSpeed, {AddLabelText(p, 92, 126, 170, 14, "", false, 0)});

  AddCaption(Panel::Main, 290, 38, 190, 14, TextId::LabelTraffic);
  const std::pair<TextId, ViewControl> counters[] = {{TextId::LabelReceived, ViewControl::ReceivedBytes},
                                                     {TextId::LabelTransmitted, ViewControl::SentBytes},
                                                     {TextId::LabelTotal, ViewControl::TotalBytes}};
  int y = 58;
  for (const auto& [label, id] : counters) {
    AddCaption(Panel::Main, 290, y, 100, 14, label);
    AddControl(id, {AddLabelText(p, 392, y, 90, 14, "0", false, SS_RIGHT)});
    y += 18;
  }
  AddCaption(Panel::Main, 290, 122, 190, 14, TextId::LabelConnTime);
  AddControl(ViewControl::ConnectionTime, {AddLabelText(p, 290, 140, 190, 14, "", false, 0)});

  AddButton(ViewControl::ConnectButton, p, 20, 166, 193, 30, TextId::CaptionConnect,
            [this] { controller_->connectAction().Execute(); });
  // The button follows the connect action's enabled state.
  ControlWindow* connect = slots_[Index(ViewControl::ConnectButton)].painted;
  controller_->connectAction().Bind([connect](const Action& a) { connect->SetEnabled(a.Enabled()); });

  AddLabel(p, 20, 212, 460, 28, TextId::LabelOtherDevice);
  AddLink(ViewControl::SettingsLink, p, 20, 242, 80, TextId::LinkSettings, 0,
          [this] { controller_->OpenSettings(); });
  AddLink(ViewControl::UsageLink, p, 360, 242, 120, TextId::LinkUsage, SS_RIGHT,
          [this] { controller_->OpenUsagePanel(); });
}

void MainWindow::AddPanelButton(ViewControl id, SkinButton& button, ControlWindow& window) {
  // The caption also as the window's text, where tools and tests read it.
  user::SetText(window.hwnd(), button.caption);
  AddControl(id, {window.hwnd(), &button, &window});
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
  for (const auto& [id, window] : parts) AddControl(id, {window, nullptr, nullptr, &s});
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
  for (const std::string& item : modemItems_) s.modemList.Add(item);
  s.modemList.Select(modemSelection_);
}

void MainWindow::BuildAgreement(HWND p) {
  agreement_ = std::make_unique<AgreementPanel>(p, Bounds{0, 0, kClientWidth, kPanelHeight},
                                                GetModuleHandleA(nullptr));
  AgreementPanel& a = *agreement_;
  AddPanelButton(ViewControl::AgreeButton, a.agreeButton, a.AgreeWindow());
  AddPanelButton(ViewControl::DisagreeButton, a.disagreeButton, a.DisagreeWindow());
  AddControl(ViewControl::AgreementBackLink, {a.backLink.hwnd(), nullptr, nullptr, &a});
  a.onAgree = [this] { controller_->LeaveAgreement(); };
  a.onDisagree = [this] { controller_->quitAction().Execute(); };
  a.onReturn = [this] { controller_->LeaveAgreement(); };
}

void MainWindow::BuildAbout(HWND p) {
  about_ = std::make_unique<AboutPanel>(p, Bounds{0, 0, kClientWidth, kPanelHeight},
                                        GetModuleHandleA(nullptr), *setup_.shell);
  AddControl(ViewControl::VersionText, {about_->versionText.hwnd(), nullptr, nullptr, about_.get()});
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

// Made at the first sample, the first speed it has to tell: before that it
// would show an empty box, and comctl32 stays out of the start.
HWND MainWindow::GraphTooltip() {
  if (graphTip_) return graphTip_.get();
  graphTip_.reset(user::CreateTooltip(TTS_ALWAYSTIP, hwnd()));
  if (graphTip_) {
    user::AddTool(graphTip_.get(), TTF_IDISHWND | TTF_SUBCLASS, hwnd(),
                  reinterpret_cast<UINT_PTR>(Hwnd(ViewControl::SpeedGraph)), " ");
  }
  return graphTip_.get();
}

HWND MainWindow::PanelWindowOf(Panel panel) const {
  const auto& window = panels_[Index(panel)];
  return window != nullptr ? window->hwnd() : nullptr;
}

// MainView

void MainWindow::ShowPanel(Panel front) {
  // Built while still hidden: the panel comes up whole.
  Built(front);
  for (std::size_t i = 0; i < kPanelCount; ++i) {
    if (i == Index(front)) {
      SetWindowPos(panels_[i]->hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    }
  }
  for (std::size_t i = 0; i < kPanelCount; ++i) {
    if (i != Index(front)) ShowWindow(panels_[i]->hwnd(), SW_HIDE);
  }
}

void MainWindow::SetCaption(ViewControl control, const std::string& cp1251) {
  const signed char home = kHomePanel[Index(control)];
  ControlSlot& slot = slots_[Index(control)];
  slot.captionPending = home >= 0 && !built_[static_cast<std::size_t>(home)];
  if (slot.captionPending) {
    slot.pendingCaption = cp1251;
    return;
  }
  if (slot.window == nullptr) return;
  if (SkinButton* button = slot.button) {
    if (button->caption == cp1251) return;
    button->caption = cp1251;
    user::SetText(slot.window, cp1251);
    button->Repaint();
    return;
  }
  if (user::GetText(slot.window) == cp1251) return;  // no flicker from the idle rhythm
  user::SetText(slot.window, cp1251);
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
  const ControlSlot& slot = SlotOf(control);
  if (slot.window == nullptr || (IsWindowEnabled(slot.window) != FALSE) == enabled) return;
  if (slot.painted != nullptr) {
    slot.painted->SetEnabled(enabled);
    return;
  }
  EnableWindow(slot.window, enabled ? TRUE : FALSE);
  if (control != ViewControl::MainPanel) InvalidateRect(slot.window, nullptr, TRUE);
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
  WindowDcScope dc(w);
  if (dc.get() == nullptr) return 0;
  HFONT font = reinterpret_cast<HFONT>(SendMessageA(w, WM_GETFONT, 0, 0));
  SelectionScope selection(dc.get(), font != nullptr ? font : font_.get());
  const std::wstring text = Wide(cp1251);
  SIZE size{};
  GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
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
  const ControlSlot& slot = SlotOf(control);
  return slot.texts != nullptr ? static_cast<Color>(slot.texts->TextColour(slot.window)) : kBlack;
}

void MainWindow::SetFontColour(ViewControl control, Color colour) {
  const ControlSlot& slot = SlotOf(control);
  if (slot.texts != nullptr) slot.texts->SetTextColour(slot.window, static_cast<COLORREF>(colour));
}

// Until the settings panel exists the list lives here; building the panel
// fills its list box from it.
std::vector<std::string> MainWindow::ModemItems() const {
  if (!built_[Index(Panel::Settings)]) return modemItems_;
  const ListBox& list = settingsPanel_->modemList;
  std::vector<std::string> items;
  const int count = list.Count();
  for (int i = 0; i < count; ++i) items.push_back(list.Item(i));
  return items;
}

void MainWindow::SetModemItems(const std::vector<std::string>& items) {
  modemSelection_ = -1;
  if (!built_[Index(Panel::Settings)]) {
    modemItems_ = items;
    return;
  }
  const ListBox& list = settingsPanel_->modemList;
  list.Clear();
  for (const std::string& item : items) list.Add(item);
}

int MainWindow::SelectedModem() const {
  if (!built_[Index(Panel::Settings)]) return modemSelection_;
  const int index = settingsPanel_->modemList.Selected();
  return index == LB_ERR ? -1 : index;
}

void MainWindow::SelectModem(int index) {
  if (built_[Index(Panel::Settings)]) {
    settingsPanel_->modemList.Select(index);
    return;
  }
  // As the list box: an index outside the list selects nothing.
  const bool inside = index >= 0 && static_cast<std::size_t>(index) < modemItems_.size();
  modemSelection_ = inside ? index : -1;
}

void MainWindow::SetGraphTooltip(const std::string& cp1251) {
  HWND graph = Hwnd(ViewControl::SpeedGraph);
  if (graphTip_) user::SetToolText(graphTip_.get(), hwnd(), reinterpret_cast<UINT_PTR>(graph), cp1251);
}

void MainWindow::EnableGraphTooltip(bool enabled) {
  HWND tip = enabled ? GraphTooltip() : graphTip_.get();
  if (tip != nullptr) SendMessageA(tip, TTM_ACTIVATE, enabled ? TRUE : FALSE, 0);
}

void MainWindow::ShowHintAt(HintAnchor anchor, int x, const std::string& cp1251, int y) {
  hints_.ShowHintAt(anchor, x, cp1251, y);
}

// A panel not built yet shows its text from the top anyway.
void MainWindow::ResetAgreementScroll() {
  if (built_[Index(Panel::Agreement)]) agreement_->ScrollToStart();
}

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
  AddWaitingTrayIcon();
  controller_->OnRestored();
}

void MainWindow::MinimiseApplication() {
  AddWaitingTrayIcon();
  controller_->OnMinimised();
}

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
  // The dialog of the connect that runs, from the services that made it.
  HWND progress = reinterpret_cast<HWND>(setup_.services->ProgressWindow());
  if (progress != nullptr && IsWindowVisible(progress)) {
    SetWindowPos(progress, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(progress);
  }
}

int MainWindow::ShowMsg(const std::string& cp1251, int kind, std::span<const int> codes) {
  return ui::ShowMsg(cp1251, kind, codes);
}

bool MainWindow::AskToReconnect() { return ui::AskToReconnect(hwnd()); }

void MainWindow::SetTrayState(TrayMode mode, const std::string& hint) {
  // Adding the icon can take the shell a tenth of a second: a window never
  // shown yet gets it once it is on the screen (or on its way to the tray).
  if (mode == TrayMode::Show && !trayShown_ && !everShown_) {
    trayWaiting_ = true;
    trayHint_ = hint;
    return;
  }
  if (mode == TrayMode::Remove) trayWaiting_ = false;
  if (mode != TrayMode::Keep) trayWanted_ = mode == TrayMode::Show;
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

void MainWindow::AddWaitingTrayIcon() {
  everShown_ = true;
  if (!trayWaiting_) return;
  trayWaiting_ = false;
  // The panels painted first: the window comes up whole, then the icon.
  RedrawWindow(hwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  SetTrayState(TrayMode::Show, trayHint_);
}

void MainWindow::SetTrayTip(const std::string& hint) {
  trayHint_ = hint;
  if (!trayShown_) return;
  user::NotifyIcon(NIM_MODIFY, hwnd(), kTrayIconId, NIF_TIP, 0, nullptr, hint);
}

void MainWindow::ShowUsageFigures(const UsageFigures& figures, bool fields) {
  if (Built(Panel::Usage)) usage_->Show(figures, fields);
}

void MainWindow::ShowUsageWarning(const std::string& cp1251) {
  // 98's shell has no balloons.
  const bool balloons = setup_.winVer != 410;
  AddWaitingTrayIcon();
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
  window_.reset(user::CreateTooltip(TTS_NOPREFIX, owner_.hwnd()));
  if (!window_) return;
  user::AddTool(window_.get(), TTF_TRACK | TTF_ABSOLUTE, owner_.hwnd(), 1, " ");
  SendMessageA(window_.get(), TTM_SETMAXTIPWIDTH, 0, GetSystemMetrics(SM_CXSCREEN));
}

void MainWindow::HintWindow::Destroy() {
  window_.reset();
  text_.clear();
}

bool MainWindow::HintWindow::Visible() const {
  return window_ && IsWindowVisible(window_.get()) != FALSE;
}

void MainWindow::HintWindow::ShowAt(HintAnchor anchor, int x, int y, const std::string& text) {
  if (!window_) return;
  text_ = text;
  HWND on = anchor == HintAnchor::Graph ? owner_.Hwnd(ViewControl::SpeedGraph) : owner_.hwnd();
  POINT point{x, y};
  ClientToScreen(on, &point);
  user::SetToolText(window_.get(), owner_.hwnd(), 1, text);
  SendMessageA(window_.get(), TTM_TRACKPOSITION, 0, MAKELPARAM(point.x, point.y));
  user::TrackTool(window_.get(), owner_.hwnd(), 1, true);
}

void MainWindow::HintWindow::StartTimer(int ms) {
  timerRunning_ = SetTimer(owner_.hwnd(), kHintTimerId, static_cast<UINT>(ms), nullptr) != 0;
}

void MainWindow::HintWindow::StopTimer() {
  KillTimer(owner_.hwnd(), kHintTimerId);
  timerRunning_ = false;
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

void MainWindow::PaintSkin(HDC dc) {
  if (skin_ != nullptr) {
    GdiCanvas canvas(dc);
    canvas.Draw(0, 0, *skin_);
    return;
  }
  RECT r{0, 0, kClientWidth, kClientHeight};
  FillRect(dc, &r, white_.get());
}

// Messages: one handler each; a handler returns false to leave the message
// to DefWindowProc as well.

const MainWindow::Route MainWindow::kRoutes[] = {
    {kMsgConnectionLost, &MainWindow::OnWorkerMessage},
    {kMsgStatistics, &MainWindow::OnWorkerMessage},
    {kMsgSystemConfigError, &MainWindow::OnWorkerMessage},
    {kMsgConnected, &MainWindow::OnWorkerMessage},
    {kMsgTrafficBaseline, &MainWindow::OnWorkerMessage},
    {kMsgWakeUp, &MainWindow::OnWakeUp},
    {kMsgTrayIcon, &MainWindow::OnTrayIcon},
    {WM_PAINT, &MainWindow::OnPaint},
    {WM_PRINTCLIENT, &MainWindow::OnPaint},
    {WM_ERASEBKGND, &MainWindow::OnEraseBackground},
    {WM_COMMAND, &MainWindow::OnCommand},
    {WM_CTLCOLORSTATIC, &MainWindow::OnControlColour},
    {WM_CTLCOLORBTN, &MainWindow::OnControlColour},
    {WM_TIMER, &MainWindow::OnTimer},
    {WM_SETCURSOR, &MainWindow::OnSetCursor},
    {WM_LBUTTONDOWN, &MainWindow::OnSkinMouse},
    {WM_RBUTTONDOWN, &MainWindow::OnSkinMouse},
    {WM_MBUTTONDOWN, &MainWindow::OnSkinMouse},
    {WM_MOUSEMOVE, &MainWindow::OnSkinMouse},
    {WM_LBUTTONUP, &MainWindow::OnSkinMouseUp},
    {WM_RBUTTONUP, &MainWindow::OnSkinMouseUp},
    {WM_MBUTTONUP, &MainWindow::OnSkinMouseUp},
    {WM_SYSCOMMAND, &MainWindow::OnSysCommand},
    {WM_SIZE, &MainWindow::OnSize},
    {WM_ACTIVATEAPP, &MainWindow::OnActivateApp},
    {WM_QUERYENDSESSION, &MainWindow::OnEndSession},
    {WM_ENDSESSION, &MainWindow::OnEndSession},
    {WM_CLOSE, &MainWindow::OnClose},
    {WM_DESTROY, &MainWindow::OnDestroy},
};

bool MainWindow::OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  result = 0;
  if (message == taskbarCreated_ && message != 0) {
    OnTaskbarCreated();
    return true;
  }
  for (const Route& route : kRoutes) {
    if (route.message == message) return (this->*route.handler)(message, wparam, lparam, result);
  }
  return false;
}

// What the workers post or send: the connection's news.
bool MainWindow::OnWorkerMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT&) {
  const auto first = static_cast<std::uint32_t>(wparam);
  const auto second = static_cast<std::uint32_t>(lparam);
  if (message == kMsgConnectionLost) controller_->OnConnectionLost();
  if (message == kMsgStatistics) controller_->OnStatistics(first, second);
  if (message == kMsgSystemConfigError) controller_->OnSystemConfigError();
  if (message == kMsgConnected) controller_->OnConnected(static_cast<ras::Handle>(wparam));
  if (message == kMsgTrafficBaseline) controller_->OnTrafficBaseline(first, second);
  return true;
}

bool MainWindow::OnWakeUp(UINT, WPARAM, LPARAM, LRESULT&) {
  // A second start brings the window back from the notification area,
  // or from the taskbar if something minimised it past our handlers.
  if (ApplicationHidden()) ShowWindow(hwnd(), SW_SHOWNORMAL);
  controller_->RefreshOnRestore();
  return true;
}

// The shell started after us, or again after a crash, with an empty tray:
// a window in the tray would be out of reach without its icon.
void MainWindow::OnTaskbarCreated() {
  if (!trayWanted_) return;
  trayShown_ = false;
  SetTrayState(TrayMode::Show, trayHint_);
}

bool MainWindow::OnTrayIcon(UINT, WPARAM wparam, LPARAM lparam, LRESULT&) {
  if (wparam != kTrayIconId) return true;
  switch (static_cast<UINT>(lparam)) {
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
  return true;
}

bool MainWindow::OnPaint(UINT message, WPARAM wparam, LPARAM, LRESULT&) {
  if (message == WM_PRINTCLIENT) {
    PaintSkin(reinterpret_cast<HDC>(wparam));
    return true;
  }
  PaintScope paint(hwnd());
  if (paint.get() != nullptr) PaintSkin(paint.get());
  return true;
}

bool MainWindow::OnEraseBackground(UINT, WPARAM, LPARAM, LRESULT& result) {
  result = 1;
  return true;
}

bool MainWindow::OnCommand(UINT, WPARAM wparam, LPARAM lparam, LRESULT&) {
  const int code = HIWORD(wparam);
  if (code != STN_CLICKED && code != BN_CLICKED) return true;
  HWND from = reinterpret_cast<HWND>(lparam);
  for (const ControlSlot& slot : slots_) {
    if (slot.window != from || !slot.onClick) continue;
    std::function<void()> handler = slot.onClick;  // the handler may change the window
    handler();
    break;
  }
  return true;
}

bool MainWindow::OnControlColour(UINT, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  HDC dc = reinterpret_cast<HDC>(wparam);
  HWND control = reinterpret_cast<HWND>(lparam);
  SetBkColor(dc, RGB(255, 255, 255));
  bool link = false;
  for (const ControlSlot& slot : slots_) link = link || (slot.link && slot.window == control);
  SetTextColor(dc, link ? kLinkColour : RGB(0, 0, 0));
  result = reinterpret_cast<LRESULT>(white_.get());
  return true;
}

bool MainWindow::OnTimer(UINT, WPARAM wparam, LPARAM, LRESULT&) {
  if (wparam != kHintTimerId) return false;
  hints_.TimerTick();
  return true;
}

bool MainWindow::OnSetCursor(UINT, WPARAM, LPARAM, LRESULT& result) {
  if (!hourglass_) return false;
  SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32514)));
  result = TRUE;
  return true;
}

bool MainWindow::OnSkinMouse(UINT message, WPARAM wparam, LPARAM lparam, LRESULT&) {
  const int x = GET_X_LPARAM(lparam);
  const int y = GET_Y_LPARAM(lparam);
  const bool left = (wparam & MK_LBUTTON) != 0;
  if (message == WM_LBUTTONDOWN) {
    SetCapture(hwnd());
    controller_->OnSkinMouseDown(true, x, y);
  } else if (message != WM_MOUSEMOVE) {
    controller_->OnSkinMouseDown(left, x, y);
  } else {
    const bool anything = (wparam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON | MK_SHIFT |
                                     MK_CONTROL)) != 0 || GetKeyState(VK_MENU) < 0;
    if (auto move = controller_->OnSkinMouseMove(left, anything, x, y)) {
      RECT r{};
      GetWindowRect(hwnd(), &r);
      SetWindowPos(hwnd(), nullptr, r.left + move->dx, r.top + move->dy, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
  return true;
}

bool MainWindow::OnSkinMouseUp(UINT message, WPARAM wparam, LPARAM, LRESULT&) {
  const bool left = (wparam & MK_LBUTTON) != 0;
  if (message != WM_LBUTTONUP) {
    controller_->OnSkinMouseUp(left);
    return true;
  }
  if (!left) ReleaseCapture();
  controller_->OnSkinMouseUp(left);
  // A click: where the pointer is now, in the picture's coordinates.
  POINT at{};
  GetCursorPos(&at);
  ScreenToClient(hwnd(), &at);
  controller_->OnSkinClick(at.x, at.y);
  return true;
}

bool MainWindow::OnSysCommand(UINT, WPARAM wparam, LPARAM, LRESULT&) {
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
}

bool MainWindow::OnSize(UINT, WPARAM wparam, LPARAM, LRESULT&) {
  // The taskbar, ShowWindow and other programs minimise without
  // SC_MINIMIZE; the window still belongs in the tray then.
  if (wparam == SIZE_MINIMIZED && IsWindowVisible(hwnd())) MinimiseApplication();
  return false;
}

bool MainWindow::OnActivateApp(UINT, WPARAM wparam, LPARAM, LRESULT&) {
  // Not in the first show's ShowWindow: the refresh would come before the
  // first paint, and the show does it anyway once the window has painted.
  if (wparam != FALSE && everShown_) controller_->OnActivated();
  return false;
}

bool MainWindow::OnEndSession(UINT message, WPARAM wparam, LPARAM, LRESULT& result) {
  // Nothing to ask: the settings are saved at WM_ENDSESSION.
  if (message == WM_QUERYENDSESSION) {
    result = TRUE;
    return true;
  }
  if (wparam != FALSE && !closing_) {
    closing_ = true;
    controller_->OnSessionEnd();
  }
  return true;
}

bool MainWindow::OnClose(UINT, WPARAM, LPARAM, LRESULT&) {
  if (closing_ || !controller_->OnCloseQuery()) return true;
  closing_ = true;
  controller_->OnClose();
  DestroyWindow(hwnd());
  return true;
}

bool MainWindow::OnDestroy(UINT, WPARAM, LPARAM, LRESULT&) {
  PostQuitMessage(0);
  return true;
}

}  // namespace dw::ui
