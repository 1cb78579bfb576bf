#include "ui/main_controller.h"

#include <algorithm>

#include "log/log.h"
#include "text/fold.h"
#include "text/texts.h"
#include "ui/dialogs/msg_layout.h"
#include "ui/panels/settings.h"
#include "ui/status_display.h"

namespace dw::ui {
namespace {

int IndexOf(const std::vector<std::string>& items, const std::string& name) {
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (SameIgnoringCase1251(items[i], name)) return static_cast<int>(i);
  }
  return -1;
}

std::string Joined(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& item : items) text += item + "\r\n";
  return text;
}

constexpr int kKindError = 1;
constexpr int kKindConfirm = 3;

}  // namespace

PanelStack::PanelStack()
    : order_{Panel::Main, Panel::Settings, Panel::Agreement, Panel::About, Panel::Usage} {}

void PanelStack::ToFront(Panel panel) {
  order_.erase(std::find(order_.begin(), order_.end(), panel));
  order_.insert(order_.begin(), panel);
}

void PanelStack::ToBack(Panel panel) {
  order_.erase(std::find(order_.begin(), order_.end(), panel));
  order_.push_back(panel);
}

MainController::MainController(Setup setup)
    : setup_(std::move(setup)),
      view_(*setup_.view),
      services_(*setup_.services),
      graph_(*setup_.graph) {
  installAction_ = &actions_.Add("Install", Text(TextId::ActNext), [this] { Install(); });
  quitAction_ = &actions_.Add("Quit", Text(TextId::ActExit), [this] { Quit(); });
  connectAction_ =
      &actions_.Add("Connect", Text(TextId::ActConnect), [this] { ConnectOrDisconnect(); });
  restoreAction_ =
      &actions_.Add("Restore", Text(TextId::ActRestore), [this] { RestoreFromTray(); });
  chooseModemAction_ =
      &actions_.Add("ChooseModem", Text(TextId::ActSelect), [this] { ChooseModem(); });
  aboutAction_ = &actions_.Add("About", Text(TextId::ActAbout));
  serviceAction_ = &actions_.Add("Service", Text(TextId::ActService));
  usageAction_ = &actions_.Add("Usage", Text(TextId::LinkUsage), [this] {
    RestoreFromTray();
    OpenUsagePanel();
  });
  actions_.SetOnUpdate([this] { UpdateControls(); });
}

MainController::~MainController() = default;

void MainController::SetConnectionHandle(ras::Handle conn) {
  connectionHandle_ = conn;
  services_.SetMainConnectionHandle(conn);
}

void MainController::ToFront(Panel panel) {
  panels_.ToFront(panel);
  view_.ShowPanel(panels_.Front());
}

void MainController::ToBack(Panel panel) {
  panels_.ToBack(panel);
  view_.ShowPanel(panels_.Front());
}

void MainController::Create() {
  apnListUpdated_ = false;
  SetConnectionHandle(0);
  view_.SetCaption(ViewControl::ConnectionTime, ConnectionTimeText(std::chrono::milliseconds(0)));
  for (ViewControl label :
       {ViewControl::ReceivedBytes, ViewControl::SentBytes, ViewControl::TotalBytes})
    view_.SetCaption(label, "0");

  settings_.FirstStart = !LoadSettings(*setup_.registry, setup_.commandLine, settings_);
  // A stage we never write (damaged or older registry) would leave the
  // agreement without its buttons: start the first run over instead.
  if (settings_.StartStage != kStageInstall && settings_.StartStage != kStageInstalled) {
    settings_.StartStage = kStageAgreement;
  }
  StartLedger();
  if (setup_.environment != nullptr) {
    settings_.ProgramVersion = ProgramVersion(
        ReadVersionInfo(*setup_.environment, setup_.environment->ExecutablePath()));
  }
  view_.SetCaption(ViewControl::VersionText,
                   Text(TextId::VersionPrefix) + settings_.ProgramVersion);
  configErrorShown_ = false;
  view_.SetTrayState(TrayMode::Show, TrayTip(false));

  if (settings_.StartStage == kStageInstall) {
    ShowStage(kShowInstall);
    ToFront(Panel::Settings);
  } else if (settings_.StartStage == kStageInstalled) {
    ShowStage(kShowMain);
    ToFront(Panel::Main);
    graph_.Clear();
  } else {
    ShowStage(kShowAgreement);
    ToFront(Panel::Agreement);
    view_.SetEnabled(ViewControl::AgreeButton, false);
    view_.SetEnabled(ViewControl::DisagreeButton, true);
  }
  // The list shows only on the settings panel, which reads it afresh when
  // opened from the main panel: an installed start keeps RAS (a worker, the
  // readiness wait, up to a minute at log-on) out of the way to its window.
  if (settings_.StartStage != kStageInstalled) FillModemList();
  view_.ResetAgreementScroll();
  WriteLog("WINVER", static_cast<std::int32_t>(setup_.winVer), "version of Windows");
}

void MainController::ShowAtStart() {
  if (setup_.commandLine.autoStart) {
    view_.MinimiseApplication();
  } else {
    view_.RestoreApplication();
  }
}

void MainController::ShowStage(std::uint8_t stage) {
  currentStage_ = stage;
  if (stage == kShowMain && connectionHandle_ == 0) {
    const ras::Handle found =
        services_.CheckAlreadyConnected(settings_.ModemName, settings_.EntryName, settings_.ApnList);
    if (found != 0) {
      SetConnectionHandle(found);
      services_.GetStatistics(baselineReceived_, baselineTransmitted_, found);
      SetConnectedState(true);
    }
  }
  UpdateControls();
}

bool MainController::RunningFromInstallFolder() const {
  if (setup_.environment == nullptr) return false;
  std::string folder = setup_.environment->ExecutablePath();
  const auto slash = folder.find_last_of('\\');
  folder = slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
  return SameIgnoringCase1251(folder, kInstallFolder);
}

void MainController::UpdateControls() {
  const bool installing = settings_.StartStage == kStageInstall;
  switch (currentStage_) {
    case kShowInstall:
    case kShowService: {
      chooseModemAction_->SetCaption(
          Text(view_.SelectedModem() < 0 ? TextId::ActBack : TextId::ActSelect));
      view_.SetCaption(ViewControl::ChooseModemButton, chooseModemAction_->Caption());
      if (RunningFromInstallFolder()) {
        view_.SetVisible(ViewControl::CopyOption, false);
        view_.SetChecked(ViewControl::CopyOption, false);
        view_.SetVisible(ViewControl::CopyOptionText, false);
      } else {
        view_.SetVisible(ViewControl::CopyOptionText, installing);
        view_.SetVisible(ViewControl::CopyOption, installing);
      }
      for (ViewControl c : {ViewControl::InstallHeading, ViewControl::NextButton,
                            ViewControl::AutorunOptionText, ViewControl::AutorunOption,
                            ViewControl::DesktopOptionText, ViewControl::DesktopOption}) {
        view_.SetVisible(c, installing);
      }
      view_.SetVisible(ViewControl::ServiceHeading, !installing);
      view_.SetVisible(ViewControl::ChooseModemButton, !installing);
      break;
    }
    case kShowMain:
      view_.SetCaption(
          ViewControl::ConnectButton,
          Text(connectionHandle_ != 0 ? TextId::CaptionDisconnect : TextId::CaptionConnect));
      break;
    case kShowAgreement: {
      const bool first = settings_.StartStage == kStageAgreement;
      view_.SetVisible(ViewControl::AgreeButton, first);
      view_.SetVisible(ViewControl::DisagreeButton, first);
      view_.SetVisible(ViewControl::AgreementBackLink, !first);
      break;
    }
    default:
      break;
  }
  usageAction_->SetEnabled(usage_ != nullptr && settings_.StartStage == kStageInstalled &&
                           (currentStage_ == kShowMain || currentStage_ == kShowUsage));
  view_.SetEnabled(ViewControl::UsageLink, usageAction_->Enabled());
  view_.SetEnabled(ViewControl::AboutLink,
                   currentStage_ == kShowMain || currentStage_ == kShowService);
  view_.SetEnabled(ViewControl::AgreementLink,
                   currentStage_ == kShowInstall || currentStage_ == kShowAbout ||
                       currentStage_ == kShowMain || currentStage_ == kShowService);
  // Not while a dial runs: a second connect from the tray menu would start
  // a second dial inside the first.
  connectAction_->SetEnabled(settings_.StartStage == kStageInstalled && !connecting_);
  connectAction_->SetCaption(
      Text(connectionHandle_ != 0 ? TextId::CaptionDisconnect : TextId::CaptionConnect));
}

// Navigation.

void MainController::OpenSettings() {
  if (connectionHandle_ != 0) return;
  ShowStage(kShowService);
  if (RefreshModemList()) UpdateControls();
  ToFront(Panel::Settings);
}

void MainController::OpenAbout() {
  aboutReturn_ = currentStage_;
  ShowStage(kShowAbout);
  ToFront(Panel::About);
}

void MainController::OpenAgreement() {
  agreementReturn_ = currentStage_;
  ShowStage(kShowAgreement);
  ToFront(Panel::Agreement);
  view_.ResetAgreementScroll();
}

void MainController::ReturnFromAbout() {
  ToBack(Panel::About);
  ShowStage(aboutReturn_);
}

void MainController::LeaveAgreement() {
  if (settings_.StartStage == kStageAgreement) {
    ShowStage(kShowInstall);
    settings_.StartStage = kStageInstall;
    ToFront(Panel::Settings);
  } else {
    ToBack(Panel::Agreement);
    ShowStage(agreementReturn_);
  }
  UpdateControls();
}

void MainController::StoreSelectedModem() {
  const int selected = view_.SelectedModem();
  const std::vector<std::string> items = view_.ModemItems();
  settings_.ModemName = selected >= 0 && selected < static_cast<int>(items.size())
                            ? items[static_cast<std::size_t>(selected)]
                            : std::string(kUnknownModem);
}

void MainController::Install() {
  if (!view_.RunInstallation()) return;
  StoreSelectedModem();
  ShowStage(kShowMain);
  ToFront(Panel::Main);
  graph_.Clear();
  settings_.StartStage = kStageInstalled;
  // The connect action follows the new stage now, not at the next idle beat.
  UpdateControls();
}

void MainController::ChooseModem() {
  ToBack(Panel::Settings);
  StoreSelectedModem();
  // The main panel is in front again, so its stage is too: else its graph,
  // usage link and the about panel's way back still act as in the settings.
  ShowStage(kShowMain);
}

void MainController::Quit() { view_.CloseWindow(); }

void MainController::RefreshModems(ViewControl link) {
  // The previous colour comes back however the refresh ends: an error from
  // the modem enumeration goes on to the window's handler.
  struct Restore {
    MainView& view;
    ViewControl link;
    Color colour;
    ~Restore() { view.SetFontColour(link, colour); }
  } restore{view_, link, view_.FontColour(link)};
  view_.SetFontColour(link, kRefreshLinkColour);
  if (RefreshModemList()) UpdateControls();
}

void MainController::ChooseDoubleClickedModem() {
  if (currentStage_ == kShowService) chooseModemAction_->Execute();
}

void MainController::RestoreFromTray() { view_.RestoreApplication(); }

// Connecting.

void MainController::ConnectOrDisconnect() {
  if (connecting_) return;
  if (connectionHandle_ != 0) {
    view_.SetHourglass(true);
    // A hang-up RAS never completes leaves the connection up: the window
    // goes on showing it, and the button hangs it up again.
    if (Disconnect()) SetDisconnectedState();
  } else {
    view_.ProcessPending();
    const ras::Handle conn = UsageAllowsConnect() ? Connect() : 0;
    SetConnectionHandle(conn);
    if (conn != 0) {
      UpdateControls();
      view_.Repaint(ViewControl::Window);
    }
  }
  view_.SetHourglass(false);
  FinishDeferredClose();
}

void MainController::FinishDeferredClose() {
  if (!closeAfterDial_) return;
  closeAfterDial_ = false;
  view_.CloseWindow();
}

ras::Handle MainController::Connect() {
  connecting_ = true;
  connectAction_->SetEnabled(false);
  view_.SetEnabled(ViewControl::MainPanel, false);
  struct Reenable {
    MainController& c;
    ~Reenable() {
      c.connecting_ = false;
      c.connectAction_->SetEnabled(true);
      c.view_.SetEnabled(ViewControl::MainPanel, true);
    }
  } reenable{*this};

  std::vector<std::string> devices;
  services_.EnumDevices(devices);
  if (IndexOf(devices, settings_.ModemName) < 0) {
    view_.ShowMsg(Text(TextId::ModemNotRegistered), kKindError, std::span<const int>(&kMsgOk, 1));
    OpenSettings();
    return 0;
  }
  view_.Repaint(ViewControl::ConnectButton);
  view_.ProcessPending();
  connection::ConnectRequest request;
  request.modem = settings_.ModemName;
  request.entryName = settings_.EntryName;
  request.apnList = settings_.ApnList;
  request.refreshApns = !apnListUpdated_;
  request.versionKey = BuildVersionKey(settings_);
  request.notifyFirstStart = settings_.FirstStart;
  connection::ConnectResult result;
  try {
    result = services_.OpenConnection(request);
  } catch (...) {
    // The window goes on; the driver reports its own failures.
    return 0;
  }
  settings_.EntryName = result.entryName;
  settings_.ApnList = result.apnList;
  if (result.apnsRefreshed) {
    apnListUpdated_ = true;
    StoreApnVersion(settings_, result.version);
  }
  if (result.firstStartNotified) settings_.FirstStart = false;
  return result.handle;
}

void MainController::PauseStatistics() {
  if (statThread_ == nullptr) return;
  statThread_->Suspend();
  statThread_->Accumulate();
}

bool MainController::Disconnect() {
  disconnecting_ = true;
  const bool closed =
      services_.CloseConnection(connectionHandle_) || !services_.ConnIsOpen(connectionHandle_);
  disconnecting_ = false;
  hangUpUnconfirmed_ = !closed;
  if (closed) PauseStatistics();
  return closed;
}

// Worker messages.

void MainController::OnConnectionLost() {
  // Late news from a sampler paused meanwhile: the connection it watched
  // is already gone from this window.
  if (statThread_ == nullptr || !statThread_->Running()) return;
  if (hangUpUnconfirmed_) {
    // The user's hang-up went through after all: nothing to restore.
    hangUpUnconfirmed_ = false;
    PauseStatistics();
    SetDisconnectedState();
    return;
  }
  SetDisconnectedState();
  view_.BringApplicationToFront();
  if (view_.AskToReconnect()) {
    view_.Repaint(ViewControl::Window);
    Disconnect();
    restoring_ = true;
    const ras::Handle conn = Connect();
    restoring_ = false;
    SetConnectionHandle(conn);
    // The driver's kMsgConnected has normally put the connected look on already.
    if (conn != 0 && !connectedLook_) SetConnectedState(false);
  } else {
    SetConnectionHandle(0);
    PauseStatistics();
  }
  FinishDeferredClose();
}

void MainController::OnSystemConfigError() {
  if (configErrorShown_) return;
  configErrorShown_ = true;
  view_.ShowMsg(Text(TextId::RasConfigError), kKindError, std::span<const int>(&kMsgOk, 1));
}

void MainController::OnConnected(ras::Handle conn) {
  hangUpUnconfirmed_ = false;
  SetConnectionHandle(conn);
  // A restored connection keeps its graph and maximum.
  SetConnectedState(!restoring_);
}

void MainController::OnTrafficBaseline(std::uint32_t received, std::uint32_t sent) {
  baselineReceived_ = received;
  baselineTransmitted_ = sent;
}

// Restoring and the application's events.

void MainController::RefreshOnRestore() {
  view_.BringApplicationToFront();
  if (currentStage_ == kShowInstall || currentStage_ == kShowService) {
    if (RefreshModemList()) UpdateControls();
  } else if (currentStage_ == kShowMain) {
    view_.Repaint(ViewControl::SpeedGraph);
  }
  restoreAction_->SetEnabled(view_.ApplicationHidden());
  view_.BringProgressToFront();
}

void MainController::OnMinimised() {
  view_.HideApplication();
  // The tray menu's "Открыть программу" is what brings it back.
  restoreAction_->SetEnabled(true);
  view_.ProcessPending();
}

void MainController::OnRestored() { RefreshOnRestore(); }

void MainController::OnActivated() {
  if (connectAction_->Enabled()) RefreshOnRestore();
}

// The modem list.

void MainController::FillModemList() {
  std::vector<std::string> items;
  if (services_.EnumDevices(items) != 0) {
    view_.SetModemItems({});
    return;
  }
  view_.SetModemItems(items);
  if (items.empty()) return;
  const int index = IndexOf(items, settings_.ModemName);
  view_.SelectModem(index >= 0 ? index : 0);
}

bool MainController::RefreshModemList() {
  std::vector<std::string> items;
  services_.EnumDevices(items);
  if (Joined(items) == Joined(view_.ModemItems())) return false;
  view_.SetModemItems(items);
  if (!items.empty()) {
    const int index = settings_.ModemName.empty() ? -1 : IndexOf(items, settings_.ModemName);
    view_.SelectModem(index >= 0 ? index : 0);
  }
  return true;
}

// Closing.

bool MainController::OnCloseQuery() {
  if (connecting_ || disconnecting_) {
    // The dial is cancelled and cleans up first, or the hang-up under way
    // ends first; the close follows.
    closeAfterDial_ = true;
    if (connecting_) services_.CancelOpenConnection();
    return false;
  }
  if (connectionHandle_ != 0 && services_.ConnIsOpen(connectionHandle_)) {
    static constexpr int kCodes[] = {kMsgYes, kMsgNo, kMsgCancel};
    const int answer = view_.ShowMsg(Text(TextId::CloseConnectionQuestion), kKindConfirm, kCodes);
    if (answer == kResultYes) {
      view_.HideWindow();
      services_.CloseConnection(connectionHandle_);
      return true;
    }
    return answer == kResultNo;
  }
  return true;
}

void MainController::OnClose() {
  UsageConnectionEnded();
  view_.SetTrayState(TrayMode::Remove, "");
  view_.ProcessPending();
  SaveSettingsAtClose(*setup_.registry, setup_.commandLine, settings_);
  if (statThread_ != nullptr) statThread_->Terminate();
  view_.HideWindow();
}

void MainController::OnSessionEnd() {
  if (connecting_) services_.CancelOpenConnection();
  UsageConnectionEnded();
  view_.SetTrayState(TrayMode::Remove, "");
  SaveSettingsAtClose(*setup_.registry, setup_.commandLine, settings_);
  if (statThread_ != nullptr) statThread_->Terminate();
}

// The title strip and the notification area.

void MainController::OnSkinClick(int x, int y) {
  switch (SkinZoneAt(x, y)) {
    case SkinZone::Minimise: view_.MinimiseApplication(); break;
    case SkinZone::Close: view_.CloseWindow(); break;
    case SkinZone::None: break;
  }
}

void MainController::OnSkinMouseDown(bool leftHeld, int x, int y) { drag_.MouseDown(leftHeld, x, y); }

std::optional<DragMove> MainController::OnSkinMouseMove(bool leftHeld, bool anyButtonOrKey, int x,
                                                         int y) {
  if (!anyButtonOrKey) {
    const SkinZone zone = SkinZoneAt(x, y);
    if (zone != SkinZone::None) {
      view_.ShowHintAt(HintAnchor::MainWindow, x, Text(SkinZoneHint(zone)), y - kZoneHintRise);
    }
  }
  return drag_.MouseMove(leftHeld, x, y);
}

void MainController::OnSkinMouseUp(bool leftStillHeld) { drag_.MouseUp(leftStillHeld); }

void MainController::OnTrayClick() {
  if (!restoreAction_->Enabled()) view_.BringApplicationToFront();
}

void MainController::OnTrayDoubleClick() { view_.RestoreApplication(); }

std::vector<MainController::TrayItem> MainController::TrayMenu() {
  return {
      {restoreAction_->Caption(), restoreAction_->Enabled(), true, restoreAction_},
      {connectAction_->Caption(), connectAction_->Enabled(), true, connectAction_},
      {usageAction_->Caption(), usageAction_->Enabled(), true, usageAction_},
      {quitAction_->Caption(), quitAction_->Enabled(), true, quitAction_},
      {"   ", true, false, nullptr},  // a separator, hidden
  };
}

}  // namespace dw::ui
