// The main window's logic without a window: the stages and their panels, the
// controls' state, connecting and disconnecting, the worker threads'
// messages, the status display, the close flow, and the title strip's and
// notification area's rules. The window (main_window_win) forwards its
// events here and shows what the controller asks of MainView.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/command_line.h"
#include "platform/data_files.h"
#include "platform/environment.h"
#include "platform/registry.h"
#include "ras/records.h"
#include "settings/settings.h"
#include "ui/controls/speed_graph.h"
#include "ui/framework/actions.h"
#include "ui/main_view.h"
#include "ui/window_chrome.h"
#include "usage/recorder.h"

namespace dw::ui {

// CurrentStage values: which panel and which look is shown.
inline constexpr std::uint8_t kShowInstall = 0;    // the settings panel, installation look
inline constexpr std::uint8_t kShowAbout = 1;      // the about panel
inline constexpr std::uint8_t kShowMain = 2;       // the main panel
inline constexpr std::uint8_t kShowAgreement = 3;  // the agreement panel
inline constexpr std::uint8_t kShowService = 4;    // the settings panel, service look
inline constexpr std::uint8_t kShowUsage = 5;      // the usage panel

// The folder the program installs itself into.
inline constexpr const char* kInstallFolder = "C:\\Korvana\\";
// ModemName when the user picked nothing.
inline constexpr const char* kUnknownModem = "Unknown";

// The panels stacked in one place: sending one to the back shows the
// one that was in front before it.
class PanelStack {
 public:
  PanelStack();
  void ToFront(Panel panel);
  void ToBack(Panel panel);
  Panel Front() const { return order_.front(); }

 private:
  std::vector<Panel> order_;  // front first
};

class MainController {
 public:
  struct Setup {
    MainView* view = nullptr;
    ConnectionServices* services = nullptr;
    SpeedGraph* graph = nullptr;
    Registry* registry = nullptr;  // the settings' home
    std::shared_ptr<const Environment> environment;
    CommandLine commandLine;
    std::uint32_t winVer = 0;
    // The usage ledger's file and the clock it counts by; no files: nothing
    // is counted.
    std::shared_ptr<DataFiles> usageFiles;
    std::string usagePath;
    const Clock* clock = nullptr;
  };

  explicit MainController(Setup setup);
  ~MainController();
  MainController(const MainController&) = delete;
  MainController& operator=(const MainController&) = delete;

  // Creation, before the window is first shown: settings, version, tray
  // icon, the first stage, the modem list, the Windows version in the log.
  void Create();
  // Shows the window at start: minimised to the notification area with
  // "/auto", otherwise restored.
  void ShowAtStart();

  void ShowStage(std::uint8_t stage);
  void UpdateControls();
  ras::Handle Connect();
  // False when the connection is still up after the hang-up.
  bool Disconnect();
  void RefreshOnRestore();
  void FillModemList();
  bool RefreshModemList();

  // Navigation.
  // The service look of the settings panel (not while connected).
  void OpenSettings();
  void OpenAbout();
  void OpenAgreement();
  // The usage panel, from the main panel's link and the tray menu.
  void OpenUsagePanel();
  void ReturnFromUsage();
  // "Сохранить": the budget fields as typed; false (and a message) when one
  // is not a value in range, nothing changed then.
  bool SaveBudget(const std::string& billingDay, const std::string& allowanceMb, bool disconnect);
  // Back to the stage the about panel was opened from.
  void ReturnFromAbout();
  // "Согласен" or the back link: on to the installation at the first start,
  // otherwise back to the stage the agreement was opened from.
  void LeaveAgreement();
  // "Далее": the installation step, then the main panel.
  void Install();
  // "Выбрать" (or "Назад"): the selected modem kept, the settings panel
  // sent to the back.
  void ChooseModem();
  // The connect button and the tray menu: connects, or hangs up.
  void ConnectOrDisconnect();
  // "Не согласен" and the tray menu.
  void Quit();
  void RestoreFromTray();
  // "Обновить" (`link` is the one clicked): the modem list again, the link
  // in the refresh colour meanwhile.
  void RefreshModems(ViewControl link);
  // A double-click on the modem list: select and go back, in the service
  // look only.
  void ChooseDoubleClickedModem();

  // Worker messages (wParam, lParam as sent).
  void OnConnectionLost();                                             // kMsgConnectionLost
  void OnStatistics(std::uint32_t received, std::uint32_t sent);      // kMsgStatistics
  void OnSystemConfigError();                                          // kMsgSystemConfigError
  void OnConnected(ras::Handle conn);                                  // kMsgConnected
  void OnTrafficBaseline(std::uint32_t received, std::uint32_t sent);  // kMsgTrafficBaseline

  // Application-wide events.
  void OnMinimised();
  void OnRestored();
  void OnActivated();

  // Closing: the query (false keeps the window open) and the close itself.
  bool OnCloseQuery();
  void OnClose();
  // The session really ends: saved as at a close, nothing asked (the
  // process may be gone once the message returns); a dial is cancelled.
  void OnSessionEnd();

  // The status display.
  void SetConnectedState(bool reset);
  void SetDisconnectedState();
  void OnGraphMouseMove(int x, int y);
  // `leftOnly`: the left button and no other button or modifier key.
  void OnGraphMouseDown(bool leftOnly, int x, int y);

  // The skin picture as the title strip.
  void OnSkinClick(int x, int y);
  void OnSkinMouseDown(bool leftHeld, int x, int y);
  // The window's new position when the skin is dragged, or nullopt.
  std::optional<DragMove> OnSkinMouseMove(bool leftHeld, bool anyButtonOrKey, int x, int y);
  void OnSkinMouseUp(bool leftStillHeld);

  // The notification-area icon.
  void OnTrayClick();
  void OnTrayDoubleClick();
  // The tray menu's items in order (a separator last) with the actions
  // they run.
  struct TrayItem {
    std::string caption;
    bool enabled = true;
    bool visible = true;
    Action* action = nullptr;
  };
  std::vector<TrayItem> TrayMenu();

  // State, for the window and for tests.
  ActionList& Actions() { return actions_; }
  Action& installAction() { return *installAction_; }
  Action& quitAction() { return *quitAction_; }
  Action& connectAction() { return *connectAction_; }
  Action& restoreAction() { return *restoreAction_; }
  Action& chooseModemAction() { return *chooseModemAction_; }
  Action& aboutAction() { return *aboutAction_; }
  Action& serviceAction() { return *serviceAction_; }
  Action& usageAction() { return *usageAction_; }
  Settings& settings() { return settings_; }
  std::uint8_t CurrentStage() const { return currentStage_; }
  ras::Handle ConnectionHandle() const { return connectionHandle_; }
  Panel FrontPanel() const { return panels_.Front(); }
  bool ConfigErrorShown() const { return configErrorShown_; }
  bool ApnListUpdated() const { return apnListUpdated_; }
  void SetApnListUpdated(bool updated) { apnListUpdated_ = updated; }
  std::uint32_t MaxSpeedRecord() const { return maxSpeed_; }
  bool HasStatThread() const { return statThread_ != nullptr; }
  bool Connecting() const { return connecting_; }
  // Null when nothing is counted.
  usage::UsageRecorder* Usage() { return usage_.get(); }

 private:
  void SetConnectionHandle(ras::Handle conn);
  void ToFront(Panel panel);
  void ToBack(Panel panel);
  void StoreSelectedModem();
  void PauseStatistics();
  void FinishDeferredClose();
  bool RunningFromInstallFolder() const;
  // The usage ledger (usage_feed.cpp).
  void StartLedger();
  void RefreshUsagePanel(bool fields);
  void UsageConnectionStarted();
  void UsageSample(std::uint32_t received, std::uint32_t sent);
  void UsageConnectionEnded();
  // False when the allowance is used up and the user chose not to connect.
  bool UsageAllowsConnect();
  std::string TrayTip(bool connected) const;

  Setup setup_;
  MainView& view_;
  ConnectionServices& services_;
  SpeedGraph& graph_;

  Settings settings_;
  std::uint8_t currentStage_ = kShowAgreement;
  ras::Handle connectionHandle_ = 0;
  std::unique_ptr<StatisticsThread> statThread_;
  bool apnListUpdated_ = false;
  bool configErrorShown_ = false;
  std::uint32_t baselineReceived_ = 0;
  std::uint32_t baselineTransmitted_ = 0;
  std::uint32_t maxSpeed_ = 0;  // the highest speed shown since the reset
  // The stages the about panel and the agreement go back to.
  std::uint8_t aboutReturn_ = kShowMain;
  std::uint8_t agreementReturn_ = kShowMain;
  PanelStack panels_;

  // A dial is running (OpenConnection has not returned).
  bool connecting_ = false;
  // A close was asked for during a dial: done when the dial has ended.
  bool closeAfterDial_ = false;
  bool disconnecting_ = false;  // a hang-up is waiting for RAS
  bool hangUpUnconfirmed_ = false;  // the last hang-up left the connection up
  // A broken connection is being restored: its kMsgConnected keeps graph and record.
  bool restoring_ = false;
  bool connectedLook_ = false;

  SkinDrag drag_;

  std::unique_ptr<usage::UsageRecorder> usage_;
  std::uint64_t sessionBytes_ = 0;  // this connection's, for the tray tip

  ActionList actions_;
  Action* installAction_;
  Action* quitAction_;
  Action* connectAction_;
  Action* restoreAction_;
  Action* chooseModemAction_;
  Action* aboutAction_;
  Action* serviceAction_;
  Action* usageAction_;
  std::uint8_t usageReturn_ = kShowMain;
};

}  // namespace dw::ui
