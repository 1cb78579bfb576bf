// The main window: 500 x 360, frameless, shaped by its region,
// the skin picture filling it and the four panels at (0, 49). It is
// the MainView of the portable MainController, which holds all the logic;
// this file only turns window messages into controller calls and controller
// requests into controls, the notification-area icon and the hint window.
#pragma once

#include "platform/win32/win.h"

#include <cstdint>
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/command_line.h"
#include "platform/environment.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/win32/canvas_win.h"
#include "platform/win32/unique_handle.h"
#include "ui/controls/control_window_win.h"
#include "ui/controls/form_region.h"
#include "ui/controls/region_form_win.h"
#include "ui/controls/skin_button.h"
#include "ui/controls/speed_graph.h"
#include "ui/controls/transparent_panel.h"
#include "ui/framework/window_win.h"
#include "ui/main_controller.h"
#include "ui/panels/about_panel_win.h"
#include "ui/panels/agreement_panel_win.h"
#include "ui/panels/settings_panel_win.h"
#include "ui/panels/usage_panel_win.h"

namespace dw::ui {

class MainWindow final : public WindowBase, public MainView {
 public:
  static constexpr int kClientWidth = 500;
  static constexpr int kClientHeight = 360;
  static constexpr int kPanelTop = 49;
  static constexpr int kPanelHeight = 265;
  // The panels draw the skin from its row 52, 3 rows below where they sit:
  // the skin is plain there, so no seam shows.
  static constexpr int kPanelPictureTop = -52;
  // A second copy, the probe and the journeys find the window by this class.
  static constexpr const char* kClassName = "TfrmGprsMain";
  // The notification-area icon's callback message.
  static constexpr UINT kMsgTrayIcon = WM_APP + 0x40;
  static constexpr UINT kTrayIconId = 1;

  struct Setup {
    std::shared_ptr<const Environment> environment;
    ConnectionServices* services = nullptr;  // outlives the window
    // The installation step of the first run; none means nothing to install.
    std::function<bool()> installStep;
    // Where the settings live; none: the system registry.
    Registry* registry = nullptr;
    // What opens the about panel's links; none: the system shell.
    Shell* shell = nullptr;
    CommandLine commandLine;
    std::uint32_t winVer = 0;  // the RAS generation's version, 0: unknown
    // The usage ledger's file; empty: nothing counted (tests).
    std::string ledgerPath;
  };

  explicit MainWindow(Setup setup);
  ~MainWindow() override;

  // The window and its controls, not shown yet.
  bool Create();
  // The creation sequence: settings, stage, modem list (RAS must be
  // configured by now), log.
  void Prepare();
  // Shown, or straight to the notification area with "/auto".
  void ShowAtStart();
  MainController& controller() { return *controller_; }
  const Settings& settings() const { return controller_->settings(); }
  // The control's window (the main window for ViewControl::Window), or null.
  // A control of a panel not built yet builds that panel.
  HWND Hwnd(ViewControl control) const { return SlotOf(control).window; }
  HWND PanelWindowOf(Panel panel) const;
  // The panels' contents, each built when first shown or asked for.
  AgreementPanel& agreementPanel() {
    Built(Panel::Agreement);
    return *agreement_;
  }
  SettingsPanel& settingsPanel() {
    Built(Panel::Settings);
    return *settingsPanel_;
  }
  AboutPanel& aboutPanel() {
    Built(Panel::About);
    return *about_;
  }
  UsagePanel& usagePanel() {
    Built(Panel::Usage);
    return *usage_;
  }
  bool PanelBuilt(Panel panel) const { return built_[Index(panel)]; }
  bool TrayIconShown() const { return trayShown_; }
  // Asked for before the window was first shown, and not added yet.
  bool TrayIconWaiting() const { return trayWaiting_; }

  // MainView
  void ShowPanel(Panel front) override;
  void SetCaption(ViewControl control, const std::string& cp1251) override;
  void SetVisible(ViewControl control, bool visible) override;
  void SetEnabled(ViewControl control, bool enabled) override;
  bool Checked(ViewControl control) const override;
  void SetChecked(ViewControl control, bool checked) override;
  int TextWidth(ViewControl control, const std::string& cp1251) override;
  void SetWidth(ViewControl control, int width) override;
  void Repaint(ViewControl control) override;
  Color FontColour(ViewControl control) const override;
  void SetFontColour(ViewControl control, Color colour) override;
  std::vector<std::string> ModemItems() const override;
  void SetModemItems(const std::vector<std::string>& items) override;
  int SelectedModem() const override;
  void SelectModem(int index) override;
  void SetGraphTooltip(const std::string& cp1251) override;
  void EnableGraphTooltip(bool enabled) override;
  void ShowHintAt(HintAnchor anchor, int x, const std::string& cp1251, int y) override;
  bool HintShowing() const override { return hints_.Exists(); }
  void ResetAgreementScroll() override;
  void SetHourglass(bool on) override;
  void ProcessPending() override;
  void BringApplicationToFront() override;
  void RestoreApplication() override;
  void MinimiseApplication() override;
  void HideApplication() override;
  bool ApplicationHidden() const override;
  void HideWindow() override;
  void CloseWindow() override;
  void BringProgressToFront() override;
  int ShowMsg(const std::string& cp1251, int kind, std::span<const int> codes) override;
  bool AskToReconnect() override;
  void SetTrayState(TrayMode mode, const std::string& hint) override;
  void SetTrayTip(const std::string& hint) override;
  void ShowUsageWarning(const std::string& cp1251) override;
  void ShowUsageFigures(const UsageFigures& figures, bool fields) override;
  bool RunInstallation() override;

 protected:
  bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override;

 private:
  class PanelWindow;
  // The custom hint: a tracking tooltip owned by the main window, and the
  // main window's timer that takes it away.
  class HintWindow final : public HintWindowPort {
   public:
    explicit HintWindow(MainWindow& owner) : owner_(owner) {}
    void Create() override;
    void Destroy() override;
    bool Visible() const override;
    const std::string& Text() const override { return text_; }
    void ShowAt(HintAnchor anchor, int x, int y, const std::string& text) override;
    void StartTimer(int ms) override;
    void StopTimer() override;
    bool TimerRunning() const override { return timerRunning_; }

   private:
    MainWindow& owner_;
    UniqueWindow window_;
    std::string text_;
    bool timerRunning_ = false;
  };
  // One control the controller names, and the typed views through which
  // the calls that differ by kind reach it.
  struct ControlSlot {
    HWND window = nullptr;
    SkinButton* button = nullptr;      // its caption lives on the button
    ControlWindow* painted = nullptr;  // enabled together with its look
    PanelContent* texts = nullptr;     // the panel that keeps its text colour
    std::function<void()> onClick;     // a link of the main window's own
    bool link = false;
    // A caption set before the control's panel was built, for when it is.
    std::string pendingCaption;
    bool captionPending = false;
  };
  struct Skinned {
    std::unique_ptr<PaintedPanel> control;
    std::unique_ptr<ControlWindow> window;
  };
  static constexpr std::size_t kPanelCount = 5;
  static constexpr std::size_t kControlCount = static_cast<std::size_t>(ViewControl::Window) + 1;
  static std::size_t Index(Panel panel) { return static_cast<std::size_t>(panel); }
  static std::size_t Index(ViewControl control) { return static_cast<std::size_t>(control); }
  using Handler = bool (MainWindow::*)(UINT message, WPARAM wparam, LPARAM lparam,
                                       LRESULT& result);
  struct Route {
    UINT message;
    Handler handler;
  };
  static const Route kRoutes[];

  bool CreateWindowAndControls();
  bool CreatePanels();
  // Builds the panel's controls once; true after.
  bool Built(Panel panel);
  const ControlSlot& SlotOf(ViewControl control) const;
  void AddControl(ViewControl id, ControlSlot slot);
  void AddLink(ViewControl id, HWND parent, int x, int y, int w, TextId text, DWORD style,
               std::function<void()> onClick);
  void BuildMain(HWND panel);
  void BuildSettings(HWND panel);
  void BuildAgreement(HWND panel);
  void BuildAbout(HWND panel);
  void BuildUsage(HWND panel);
  void AddSpeedGraph(HWND panel);
  // A skinned button of a panel: its window answers to `id`.
  void AddPanelButton(ViewControl id, SkinButton& button, ControlWindow& window);
  // A text that never changes, drawn by the panel itself.
  void AddCaption(Panel panel, int x, int y, int w, int h, TextId text);
  HWND AddLabel(HWND parent, int x, int y, int w, int h, TextId text, bool link = false,
                DWORD style = 0);
  HWND AddLabelText(HWND parent, int x, int y, int w, int h, const std::string& text, bool link,
                    DWORD style);
  void AddButton(ViewControl id, HWND parent, int x, int y, int w, int h, TextId caption,
                 std::function<void()> onClick);
  void AddHeading(HWND parent, const char* resource);
  void ShowTrayMenu();
  void AddWaitingTrayIcon();
  void PaintSkin(HDC dc);
  HWND GraphTooltip();

  // Message handlers, one per message (kRoutes).
  bool OnWorkerMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result);
  bool OnWakeUp(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result);
  bool OnTrayIcon(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result);
  void OnTaskbarCreated();
  bool OnPaint(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result);
  bool OnEraseBackground(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result);
  bool OnCommand(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result);
  bool OnControlColour(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result);
  bool OnTimer(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result);
  bool OnSetCursor(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result);
  bool OnSkinMouse(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result);
  bool OnSkinMouseUp(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result);
  bool OnSysCommand(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result);
  bool OnSize(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result);
  bool OnActivateApp(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result);
  bool OnEndSession(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result);
  bool OnClose(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result);
  bool OnDestroy(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result);

  Setup setup_;
  std::unique_ptr<Registry> ownRegistry_;
  std::unique_ptr<Shell> ownShell_;
  std::unique_ptr<Clock> clock_;  // the usage ledger's
  SpeedGraph graph_;
  std::unique_ptr<MainController> controller_;
  HintWindow hintWindow_{*this};
  HintController hints_{hintWindow_};

  std::unique_ptr<GdiPicture> skin_;
  std::vector<std::unique_ptr<GdiPicture>> headings_;
  std::unique_ptr<WindowRegionForm> regionForm_;
  std::unique_ptr<FormRegion> windowShape_;

  std::array<std::unique_ptr<PanelWindow>, kPanelCount> panels_;
  std::array<TransparentPanel, kPanelCount> panelFaces_;
  std::array<bool, kPanelCount> built_{};
  std::vector<Skinned> skinned_;
  std::array<ControlSlot, kControlCount> slots_;
  // The modem list set before the settings panel was built.
  std::vector<std::string> modemItems_;
  int modemSelection_ = -1;
  // After panels_: the contents go before the panels they sit on.
  std::unique_ptr<AgreementPanel> agreement_;
  std::unique_ptr<SettingsPanel> settingsPanel_;
  std::unique_ptr<AboutPanel> about_;
  std::unique_ptr<UsagePanel> usage_;

  UniqueFont font_;
  UniqueFont linkFont_;
  UniqueBrush white_;

  UniqueWindow graphTip_;
  Subclass graphHook_;

  bool trayShown_ = false;
  bool trayWaiting_ = false;
  // The icon belongs in the tray: a shell that starts again gets it back.
  bool trayWanted_ = false;
  bool everShown_ = false;
  std::string trayHint_;
  UINT taskbarCreated_ = 0;
  bool hourglass_ = false;
  bool closing_ = false;
};

}  // namespace dw::ui
