// A main window without a window, and connection services without RAS: they
// keep what the controller showed and asked, and answer as each test says.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/fake/memory_registry.h"
#include "text/cp1251.h"
#include "ui/dialogs/msg_layout.h"
#include "ui/main_controller.h"
#include "ui/panels/usage.h"

namespace dw::ui::test {

class FakeView final : public MainView {
 public:
  struct Message {
    std::string text;
    int kind;
    std::vector<int> codes;
  };
  struct Hint {
    HintAnchor anchor;
    int x;
    std::string text;
    int y;
  };

  void ShowPanel(Panel front) override { panel = front; }
  void SetCaption(ViewControl c, const std::string& text) override { captions[c] = text; }
  void SetVisible(ViewControl c, bool v) override { visible[c] = v; }
  void SetEnabled(ViewControl c, bool e) override { enabled[c] = e; }
  bool Checked(ViewControl c) const override {
    auto it = checked.find(c);
    return it == checked.end() || it->second;  // the options start ticked
  }
  void SetChecked(ViewControl c, bool v) override { checked[c] = v; }
  // Eight pixels a character: enough to tell texts apart.
  int TextWidth(ViewControl, const std::string& text) override {
    return static_cast<int>(text.size()) * 8;
  }
  void SetWidth(ViewControl c, int w) override { widths[c] = w; }
  void Repaint(ViewControl c) override { repaints.push_back(c); }
  Color FontColour(ViewControl c) const override {
    auto it = fontColours.find(c);
    return it == fontColours.end() ? kBlack : it->second;
  }
  void SetFontColour(ViewControl c, Color colour) override {
    fontColours[c] = colour;
    fontColourChanges.push_back({c, colour});
  }

  std::vector<std::string> ModemItems() const override { return items; }
  void SetModemItems(const std::vector<std::string>& list) override {
    items = list;
    selected = -1;
  }
  int SelectedModem() const override { return selected; }
  void SelectModem(int index) override { selected = index; }

  void SetGraphTooltip(const std::string& text) override { graphTooltip = text; }
  void EnableGraphTooltip(bool on) override { graphTooltipEnabled = on; }
  void ShowHintAt(HintAnchor anchor, int x, const std::string& text, int y) override {
    hints.push_back({anchor, x, text, y});
    hintShowing = true;
  }
  bool HintShowing() const override { return hintShowing; }
  void ResetAgreementScroll() override { ++agreementResets; }

  void SetHourglass(bool on) override { hourglass = on; }
  void ProcessPending() override {
    ++pendingRuns;
    if (onProcessPending) onProcessPending();
  }
  void BringApplicationToFront() override {
    ++toFront;
    hidden = false;
  }
  void RestoreApplication() override {
    ++restores;
    hidden = false;
    if (controller != nullptr) controller->OnRestored();
  }
  void MinimiseApplication() override {
    ++minimises;
    if (controller != nullptr) controller->OnMinimised();
  }
  void HideApplication() override { hidden = true; }
  bool ApplicationHidden() const override { return hidden; }
  void HideWindow() override { ++windowHides; }
  void CloseWindow() override { ++closeRequests; }
  void BringProgressToFront() override { ++progressToFront; }

  int ShowMsg(const std::string& text, int kind, std::span<const int> codes) override {
    messages.push_back({text, kind, std::vector<int>(codes.begin(), codes.end())});
    if (answers.empty()) return 1;
    const int a = answers.front();
    answers.pop_front();
    return a;
  }
  bool AskToReconnect() override {
    ++connBreaks;
    return restoreAnswer;
  }
  void SetTrayState(TrayMode mode, const std::string& hint) override {
    trayModes.push_back(mode);
    trayHint = hint;
  }
  void SetTrayTip(const std::string& hint) override { trayHint = hint; }
  void ShowUsageWarning(const std::string& text) override {
    usageWarnings.push_back(Cp1251ToUtf8(text));
  }
  void ShowUsageFigures(const UsageFigures& figures, bool fields) override {
    usageFigures = figures;
    if (fields) ++usageFieldFills;
  }
  bool RunInstallation() override {
    ++installations;
    return installResult;
  }

  std::string Caption(ViewControl c) const {
    auto it = captions.find(c);
    return it == captions.end() ? std::string() : Cp1251ToUtf8(it->second);
  }
  // Unset counts as the form's design state: visible and enabled.
  bool IsVisible(ViewControl c) const {
    auto it = visible.find(c);
    return it == visible.end() || it->second;
  }
  bool IsEnabled(ViewControl c) const {
    auto it = enabled.find(c);
    return it == enabled.end() || it->second;
  }

  MainController* controller = nullptr;
  Panel panel = Panel::Main;
  std::map<ViewControl, std::string> captions;
  std::map<ViewControl, bool> visible, enabled, checked;
  std::map<ViewControl, int> widths;
  std::vector<ViewControl> repaints;
  std::map<ViewControl, Color> fontColours;
  std::vector<std::pair<ViewControl, Color>> fontColourChanges;
  std::vector<std::string> items;
  int selected = -1;
  std::string graphTooltip;
  bool graphTooltipEnabled = true;
  std::vector<Hint> hints;
  bool hintShowing = false;
  int agreementResets = 0;
  bool hourglass = false;
  int pendingRuns = 0;
  std::function<void()> onProcessPending;
  int toFront = 0, restores = 0, minimises = 0, windowHides = 0, closeRequests = 0;
  int progressToFront = 0;
  bool hidden = false;
  std::vector<Message> messages;
  std::deque<int> answers;
  int connBreaks = 0;
  bool restoreAnswer = true;
  std::vector<TrayMode> trayModes;
  std::string trayHint;
  std::vector<std::string> usageWarnings;  // UTF-8
  UsageFigures usageFigures;
  int usageFieldFills = 0;
  int installations = 0;
  bool installResult = true;
};

struct StatLog {
  int created = 0, restarts = 0, resumes = 0, suspends = 0, accumulates = 0, terminates = 0;
  std::uint32_t baselineReceived = 0, baselineSent = 0;
  bool running = false;
};

class FakeStatThread final : public StatisticsThread {
 public:
  explicit FakeStatThread(StatLog& log) : log_(log) { ++log_.created; }
  void SetBaseline(std::uint32_t r, std::uint32_t s) override {
    log_.baselineReceived = r;
    log_.baselineSent = s;
  }
  void Restart() override {
    ++log_.restarts;
    elapsed = std::chrono::milliseconds(0);
  }
  void Resume() override {
    ++log_.resumes;
    log_.running = true;
  }
  void Suspend() override {
    ++log_.suspends;
    log_.running = false;
  }
  void Accumulate() override { ++log_.accumulates; }
  std::uint32_t CurrentSpeed() const override { return speed; }
  std::chrono::milliseconds ConnectedTime() const override { return elapsed; }
  bool Running() const override { return log_.running; }
  void Terminate() override { ++log_.terminates; }

  std::uint32_t speed = 0;
  std::chrono::milliseconds elapsed{0};

 private:
  StatLog& log_;
};

class FakeServices final : public ConnectionServices {
 public:
  ras::Dword EnumDevices(std::vector<std::string>& names) override {
    ++enumCalls;
    if (duringEnum) duringEnum();
    names = devices;
    return enumResult;
  }
  ras::Handle CheckAlreadyConnected(const std::string& modem, std::string&,
                                    const std::vector<std::string>&) override {
    checkedModems.push_back(modem);
    return existing;
  }
  bool ConnIsOpen(ras::Handle conn) override { return conn != 0 && conn == openConnection; }
  bool CloseConnection(ras::Handle conn) override {
    closed.push_back(conn);
    if (duringHangUp) duringHangUp();
    if (hangUpNeverCompletes) return false;
    if (conn == openConnection) openConnection = 0;
    return true;
  }
  ras::Dword GetStatistics(std::uint32_t& r, std::uint32_t& s, ras::Handle conn) override {
    statisticsFor.push_back(conn);
    r = counters.first;
    s = counters.second;
    return 0;
  }
  connection::ConnectResult OpenConnection(const connection::ConnectRequest& request) override {
    dialled.push_back(request.modem);
    requests.push_back(request);
    // As the driver: kMsgTrafficBaseline from the dial thread, then kMsgConnected,
    // then the exchanges after it.
    connection::ConnectResult result;
    result.entryName = request.entryName;
    result.apnList = request.apnList;
    if (dialResult != 0) {
      openConnection = dialResult;
      if (controller != nullptr) {
        if (duringDial) duringDial();
        controller->OnTrafficBaseline(counters.first, counters.second);
        controller->OnConnected(dialResult);
      }
      result.handle = dialResult;
      if (!dialledApnList.empty()) result.apnList = dialledApnList;
      result.firstStartNotified = request.notifyFirstStart;
      if (request.refreshApns && !refreshedVersion.empty()) {
        result.apnsRefreshed = true;
        result.version = refreshedVersion;
        if (!refreshedApnList.empty()) result.apnList = refreshedApnList;
      }
    } else if (duringDial) {
      duringDial();
    }
    return result;
  }
  void CancelOpenConnection() override { ++cancels; }
  void SetMainConnectionHandle(ras::Handle conn) override { mainHandle = conn; }
  std::unique_ptr<StatisticsThread> CreateStatThread() override {
    auto thread = std::make_unique<FakeStatThread>(stats);
    lastThread = thread.get();
    return thread;
  }
  void NotifyFirstStart(std::string& error, std::string& body) override {
    ++firstStartNotices;
    body = firstStartBody;
    error = body.empty() ? "no server" : "";
  }

  MainController* controller = nullptr;
  std::vector<std::string> devices{"Korvana GPRS Modem", "Other Modem"};
  ras::Dword enumResult = 0;
  int enumCalls = 0;
  std::function<void()> duringEnum;
  ras::Handle existing = 0;
  std::vector<std::string> checkedModems;
  ras::Handle openConnection = 0;
  std::vector<ras::Handle> closed;
  std::pair<std::uint32_t, std::uint32_t> counters{0, 0};
  std::vector<ras::Handle> statisticsFor;
  std::vector<std::string> dialled;
  ras::Handle dialResult = 0;
  std::vector<connection::ConnectRequest> requests;
  std::vector<std::string> dialledApnList;   // the dial's reordering; empty: none
  std::string refreshedVersion;              // empty: the refresh fails
  std::vector<std::string> refreshedApnList; // empty: no newer list
  std::function<void()> duringDial;
  std::function<void()> duringHangUp;  // while the hang-up waits (messages served)
  bool hangUpNeverCompletes = false;
  int cancels = 0;
  ras::Handle mainHandle = 0;
  StatLog stats;
  FakeStatThread* lastThread = nullptr;
  int firstStartNotices = 0;
  std::string firstStartBody = "ok";
};

// A controller on the fakes, with settings stored in plain text ("/r").
class MainFixture : public ::testing::Test {
 protected:
  void Store(const std::string& name, const std::string& value) {
    registry.SetText(kSettingsRoot, kSettingsKeyPath, name, value);
  }
  void Installed(const std::string& modem = "Korvana GPRS Modem") {
    Store("StartStage", "2");
    Store("Modem", modem);
  }

  MainController& Make(std::vector<std::string> arguments = {}) {
    arguments.resize(2);
    if (arguments[1].empty()) arguments[1] = "/r";
    environment->executablePath = executablePath;
    graph.SetSize(192, 45);
    graph.SetScaleLength(40);
    MainController::Setup setup;
    setup.view = &view;
    setup.services = &services;
    setup.graph = &graph;
    setup.registry = &registry;
    setup.environment = environment;
    setup.commandLine = CommandLine::Parse(arguments);
    setup.winVer = 501;
    setup.usageFiles = usageFiles;
    setup.usagePath = usagePath;
    setup.clock = usageClock;
    controller = std::make_unique<MainController>(setup);
    view.controller = controller.get();
    services.controller = controller.get();
    return *controller;
  }

  MainController& Created(std::vector<std::string> arguments = {}) {
    Make(std::move(arguments)).Create();
    return *controller;
  }

  MemoryRegistry registry;
  std::shared_ptr<FixedEnvironment> environment = std::make_shared<FixedEnvironment>();
  std::string executablePath = "C:\\Program Files\\Dialwave\\dialwave.exe";
  FakeView view;
  FakeServices services;
  SpeedGraph graph;
  std::unique_ptr<MainController> controller;
  // The usage ledger; none unless a test gives files and a clock.
  std::shared_ptr<DataFiles> usageFiles;
  std::string usagePath = "C:\\Users\\me\\Application Data\\Korvana\\Dialwave\\usage.dat";
  const Clock* usageClock = nullptr;
};

}  // namespace dw::ui::test
