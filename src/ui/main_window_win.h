// The main window: 500 x 360, frameless, shaped by its region,
// the skin picture filling it and the four panels at (0, 49). It is
// the MainView of the portable MainController, which holds all the logic;
// this file only turns window messages into controller calls and controller
// requests into controls, the notification-area icon and the hint window.
#pragma once

#include "platform/win32/win.h"

#include <cstdint>
#include <functional>
#include <map>
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
  HWND Hwnd(ViewControl control) const;
  HWND PanelWindowOf(Panel panel) const;
  // The panels' contents (created with the window).
  AgreementPanel& agreementPanel() { return *agreement_; }
  SettingsPanel& settingsPanel() { return *settingsPanel_; }
  AboutPanel& aboutPanel() { return *about_; }
  UsagePanel& usagePanel() { return *usage_; }
  bool TrayIconShown() const { return trayShown_; }

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
    HWND window_ = nullptr;
    std::string text_;
    bool timerRunning_ = false;
  };
  struct Skinned {
    std::unique_ptr<PaintedPanel> control;
    std::unique_ptr<ControlWindow> window;
  };

  bool CreateWindowAndControls();
  void BuildMain(HWND panel);
  void BuildSettings(HWND panel);
  void BuildAgreement(HWND panel);
  void BuildAbout(HWND panel);
  void BuildUsage(HWND panel);
  // A skinned button of a panel: its window answers to `id`.
  void AddPanelButton(ViewControl id, SkinButton& button, ControlWindow& window);
  PanelContent* ContentHolding(HWND control) const;
  HWND AddLabel(HWND parent, int x, int y, int w, int h, TextId text, bool link = false,
                DWORD style = 0);
  HWND AddLabelText(HWND parent, int x, int y, int w, int h, const std::string& text, bool link,
                    DWORD style);
  SkinButton& AddButton(ViewControl id, HWND parent, int x, int y, int w, int h, TextId caption,
                        std::function<void()> onClick);
  void AddHeading(HWND parent, const char* resource, ViewControl id = ViewControl::Window);
  void OnCommand(HWND from, int code);
  void OnTrayMessage(UINT mouse);
  void ShowTrayMenu();
  void PaintSkin(HDC dc);
  bool SkinMouse(UINT message, WPARAM wparam, LPARAM lparam);
  void CreateGraphTooltip();

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

  std::map<Panel, std::unique_ptr<PanelWindow>> panels_;
  std::map<Panel, TransparentPanel> panelFaces_;
  std::vector<Skinned> skinned_;
  std::map<ViewControl, HWND> controls_;
  std::map<ViewControl, SkinButton*> buttons_;
  // Every skinned control's window: enabling goes through it.
  std::map<HWND, ControlWindow*> skinnedWindows_;
  std::map<HWND, std::function<void()>> clicks_;
  std::vector<HWND> links_;
  // After panels_: the contents go before the panels they sit on.
  std::unique_ptr<AgreementPanel> agreement_;
  std::unique_ptr<SettingsPanel> settingsPanel_;
  std::unique_ptr<AboutPanel> about_;
  std::unique_ptr<UsagePanel> usage_;
  ControlWindow* graphWindow_ = nullptr;

  UniqueFont font_;
  UniqueFont linkFont_;
  UniqueBrush white_;

  HWND graphTip_ = nullptr;
  Subclass graphHook_;

  bool trayShown_ = false;
  bool hourglass_ = false;
  bool closing_ = false;
};

}  // namespace dw::ui
