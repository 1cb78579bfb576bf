#include <gtest/gtest.h>

#include <stdexcept>

#include "ui/panels/settings.h"
#include "unit/ui/main_fakes.h"

namespace dw::ui::test {
namespace {

using MainStages = MainFixture;

TEST_F(MainStages, FirstStartShowsTheAgreementWithAgreeDisabled) {
  MainController& c = Created();
  EXPECT_EQ(c.CurrentStage(), kShowAgreement);
  EXPECT_EQ(view.panel, Panel::Agreement);
  EXPECT_TRUE(c.settings().FirstStart);
  EXPECT_FALSE(view.IsEnabled(ViewControl::AgreeButton));
  EXPECT_TRUE(view.IsEnabled(ViewControl::DisagreeButton));
  EXPECT_TRUE(view.IsVisible(ViewControl::AgreeButton));
  EXPECT_FALSE(view.IsVisible(ViewControl::AgreementBackLink));
  EXPECT_FALSE(c.connectAction().Enabled());
  EXPECT_FALSE(view.IsEnabled(ViewControl::AboutLink));
  EXPECT_FALSE(view.IsEnabled(ViewControl::AgreementLink));
  EXPECT_EQ(view.Caption(ViewControl::ConnectionTime), "0 часов 00 минут");
  EXPECT_EQ(view.Caption(ViewControl::TotalBytes), "0");
  EXPECT_EQ(view.Caption(ViewControl::VersionText), "Версия: 1.0");
  ASSERT_FALSE(view.trayModes.empty());
  EXPECT_EQ(view.trayModes.front(), TrayMode::Show);
  EXPECT_EQ(Cp1251ToUtf8(view.trayHint), "Dialwave - Отключено");
  EXPECT_EQ(view.agreementResets, 1);
  // Nothing is looked for before the main stage.
  EXPECT_TRUE(services.checkedModems.empty());
}

// A damaged or older registry may hold a stage the program never writes.
class MainUnknownStage : public MainFixture, public ::testing::WithParamInterface<const char*> {};

TEST_P(MainUnknownStage, ShowsTheWholeAgreementAndStoresAKnownStage) {
  Store("StartStage", GetParam());
  MainController& c = Created();
  EXPECT_EQ(c.settings().StartStage, kStageAgreement);
  EXPECT_EQ(view.panel, Panel::Agreement);
  EXPECT_TRUE(view.IsVisible(ViewControl::AgreeButton));
  EXPECT_TRUE(view.IsVisible(ViewControl::DisagreeButton));
  EXPECT_FALSE(view.IsVisible(ViewControl::AgreementBackLink));
  c.LeaveAgreement();
  EXPECT_EQ(c.CurrentStage(), kShowInstall);
  c.OnClose();
  const auto stored = registry.RawValue(kSettingsRoot, kSettingsKeyPath, "StartStage");
  ASSERT_TRUE(stored.has_value());
  EXPECT_EQ(*stored, (std::vector<std::uint8_t>{'0', 0})) << "REG_SZ with its terminator";
}

INSTANTIATE_TEST_SUITE_P(Stages, MainUnknownStage, ::testing::Values("1", "4", "255"));

TEST_F(MainStages, AgreeThenNextLeadsToTheMainPanelWithConnectEnabled) {
  MainController& c = Created();
  c.LeaveAgreement();
  EXPECT_EQ(c.CurrentStage(), kShowInstall);
  EXPECT_EQ(c.settings().StartStage, kStageInstall);
  EXPECT_EQ(view.panel, Panel::Settings);
  // The installation look.
  for (ViewControl ctl :
       {ViewControl::InstallHeading, ViewControl::NextButton, ViewControl::AutorunOptionText,
        ViewControl::AutorunOption, ViewControl::DesktopOptionText, ViewControl::DesktopOption,
        ViewControl::CopyOptionText, ViewControl::CopyOption}) {
    EXPECT_TRUE(view.IsVisible(ctl)) << static_cast<int>(ctl);
  }
  EXPECT_FALSE(view.IsVisible(ViewControl::ServiceHeading));
  EXPECT_FALSE(view.IsVisible(ViewControl::ChooseModemButton));
  EXPECT_TRUE(view.IsEnabled(ViewControl::AgreementLink));
  EXPECT_FALSE(view.IsEnabled(ViewControl::AboutLink));
  EXPECT_FALSE(c.connectAction().Enabled());

  view.selected = 1;
  c.installAction().Execute();
  EXPECT_EQ(view.installations, 1);
  EXPECT_EQ(c.settings().ModemName, "Other Modem");
  EXPECT_EQ(c.CurrentStage(), kShowMain);
  EXPECT_EQ(c.settings().StartStage, kStageInstalled);
  EXPECT_EQ(view.panel, Panel::Main);
  EXPECT_TRUE(c.connectAction().Enabled());
  EXPECT_EQ(view.Caption(ViewControl::ConnectButton), "Подключиться");
  EXPECT_EQ(Cp1251ToUtf8(c.connectAction().Caption()), "Подключиться");
  EXPECT_TRUE(view.IsEnabled(ViewControl::AboutLink));
  EXPECT_TRUE(view.IsEnabled(ViewControl::AgreementLink));
}

TEST_F(MainStages, AFailedInstallationStepStaysOnTheSettingsPanel) {
  Store("StartStage", "0");
  MainController& c = Created();
  EXPECT_EQ(view.panel, Panel::Settings);
  view.installResult = false;
  c.installAction().Execute();
  EXPECT_EQ(c.CurrentStage(), kShowInstall);
  EXPECT_EQ(c.settings().StartStage, kStageInstall);
  EXPECT_EQ(view.panel, Panel::Settings);
}

TEST_F(MainStages, CopyOptionIsHiddenAndUntickedInTheInstallFolder) {
  Store("StartStage", "0");
  executablePath = "c:\\KORVANA\\dialwave.exe";
  Created();
  EXPECT_FALSE(view.IsVisible(ViewControl::CopyOption));
  EXPECT_FALSE(view.IsVisible(ViewControl::CopyOptionText));
  EXPECT_FALSE(view.Checked(ViewControl::CopyOption));
  EXPECT_TRUE(view.IsVisible(ViewControl::DesktopOption));
}

TEST_F(MainStages, ServiceLookHasNoInstallationOptions) {
  Installed();
  MainController& c = Created();
  c.OpenSettings();
  EXPECT_EQ(c.CurrentStage(), kShowService);
  EXPECT_EQ(view.panel, Panel::Settings);
  for (ViewControl ctl :
       {ViewControl::InstallHeading, ViewControl::NextButton, ViewControl::AutorunOptionText,
        ViewControl::AutorunOption, ViewControl::DesktopOptionText, ViewControl::DesktopOption,
        ViewControl::CopyOptionText, ViewControl::CopyOption}) {
    EXPECT_FALSE(view.IsVisible(ctl)) << static_cast<int>(ctl);
  }
  EXPECT_TRUE(view.IsVisible(ViewControl::ServiceHeading));
  EXPECT_TRUE(view.IsVisible(ViewControl::ChooseModemButton));
  EXPECT_EQ(view.Caption(ViewControl::ChooseModemButton), "Выбрать");
  view.selected = -1;
  c.UpdateControls();
  EXPECT_EQ(view.Caption(ViewControl::ChooseModemButton), "Назад");
  EXPECT_EQ(Cp1251ToUtf8(c.chooseModemAction().Caption()), "Назад");
}

TEST_F(MainStages, AboutAndAgreementReturnToWhereTheyWereOpened) {
  Installed();
  MainController& c = Created();
  c.OpenSettings();
  ASSERT_EQ(c.CurrentStage(), kShowService);
  c.OpenAbout();
  EXPECT_EQ(c.CurrentStage(), kShowAbout);
  EXPECT_EQ(view.panel, Panel::About);
  EXPECT_FALSE(view.IsEnabled(ViewControl::AboutLink));
  EXPECT_TRUE(view.IsEnabled(ViewControl::AgreementLink));
  c.ReturnFromAbout();
  EXPECT_EQ(c.CurrentStage(), kShowService);
  EXPECT_EQ(view.panel, Panel::Settings);

  c.ChooseModem();
  EXPECT_EQ(view.panel, Panel::Main);
  EXPECT_EQ(c.CurrentStage(), kShowMain);
  c.OpenAbout();
  c.ReturnFromAbout();
  EXPECT_EQ(view.panel, Panel::Main) << "the about panel returns to the main panel";
  c.OpenAgreement();
  EXPECT_EQ(view.panel, Panel::Agreement);
  EXPECT_EQ(c.CurrentStage(), kShowAgreement);
  // Accepted long ago: only the way back.
  EXPECT_FALSE(view.IsVisible(ViewControl::AgreeButton));
  EXPECT_FALSE(view.IsVisible(ViewControl::DisagreeButton));
  EXPECT_TRUE(view.IsVisible(ViewControl::AgreementBackLink));
  EXPECT_FALSE(view.IsEnabled(ViewControl::AgreementLink));
  EXPECT_FALSE(view.IsEnabled(ViewControl::AboutLink));
  c.LeaveAgreement();  // the back link
  EXPECT_EQ(view.panel, Panel::Main);
  EXPECT_EQ(c.settings().StartStage, kStageInstalled);
}

TEST_F(MainStages, SettingsLinkIsIgnoredWhileConnected) {
  Installed();
  services.existing = 77;
  services.openConnection = 77;
  MainController& c = Created();
  ASSERT_EQ(c.ConnectionHandle(), 77u);
  const int enums = services.enumCalls;
  c.OpenSettings();
  EXPECT_EQ(c.CurrentStage(), kShowMain);
  EXPECT_EQ(view.panel, Panel::Main);
  EXPECT_EQ(services.enumCalls, enums);
}

TEST_F(MainStages, StartStageTwoAdoptsAConnectionWithoutDialling) {
  Installed();
  services.existing = 0x1234;
  services.openConnection = 0x1234;
  services.counters = {500, 60};
  MainController& c = Created();
  EXPECT_EQ(services.checkedModems, std::vector<std::string>{"Korvana GPRS Modem"});
  EXPECT_TRUE(services.dialled.empty());
  EXPECT_EQ(c.ConnectionHandle(), 0x1234u);
  EXPECT_EQ(services.mainHandle, 0x1234u);
  EXPECT_EQ(services.statisticsFor, std::vector<ras::Handle>{0x1234});
  EXPECT_EQ(services.stats.created, 1);
  EXPECT_TRUE(services.stats.running);
  EXPECT_EQ(services.stats.baselineReceived, 500u);
  EXPECT_EQ(services.stats.baselineSent, 60u);
  EXPECT_EQ(view.Caption(ViewControl::ConnectionStatus), "Соединение c GPRS установлено");
  EXPECT_EQ(view.Caption(ViewControl::ConnectButton), "Отключиться");
  EXPECT_EQ(Cp1251ToUtf8(view.trayHint), "Dialwave - Подключено");
  EXPECT_EQ(Cp1251ToUtf8(c.connectAction().Caption()), "Отключиться");
  EXPECT_EQ(view.panel, Panel::Main);
}

TEST_F(MainStages, StartStageTwoWithNothingUpStaysDisconnected) {
  Installed();
  MainController& c = Created();
  EXPECT_EQ(services.checkedModems.size(), 1u);
  EXPECT_EQ(c.ConnectionHandle(), 0u);
  EXPECT_FALSE(c.HasStatThread());
  EXPECT_EQ(view.Caption(ViewControl::ConnectButton), "Подключиться");
}

TEST_F(MainStages, AutoStartMinimisesToTheTrayOtherwiseRestores) {
  Installed();
  MainController& c = Created({"/auto"});
  c.ShowAtStart();
  EXPECT_EQ(view.minimises, 1);
  EXPECT_TRUE(view.hidden);
  EXPECT_TRUE(c.restoreAction().Enabled());
  EXPECT_EQ(view.restores, 0);

  view.minimises = 0;
  MainController& d = Created();
  d.ShowAtStart();
  EXPECT_EQ(view.minimises, 0);
  EXPECT_EQ(view.restores, 1);
  EXPECT_FALSE(d.restoreAction().Enabled()) << "the window is on the screen";
}

using MainModems = MainFixture;

TEST_F(MainModems, FillSelectsTheStoredModemIgnoringCaseOrTheFirst) {
  Installed("OTHER modem");
  Created().OpenSettings();
  EXPECT_EQ(view.items, services.devices);
  EXPECT_EQ(view.selected, 1);

  Installed("Gone Modem");
  view.items.clear();  // a new window
  Created().OpenSettings();
  EXPECT_EQ(view.selected, 0);

  // Before the installation the list is filled at once: the settings panel
  // it shows on comes next.
  Store("StartStage", "0");
  services.devices = {"Korvana GPRS Modem"};
  Created();
  EXPECT_EQ(view.items, services.devices);
  EXPECT_EQ(view.selected, 0);
}

TEST_F(MainModems, AnInstalledStartAsksRasForTheModemsOnlyWhenTheSettingsOpen) {
  Installed("Other Modem");
  MainController& c = Created();
  EXPECT_EQ(services.enumCalls, 0);
  EXPECT_TRUE(view.items.empty());
  c.OpenSettings();
  EXPECT_EQ(services.enumCalls, 1);
  EXPECT_EQ(view.items, services.devices);
  EXPECT_EQ(view.selected, 1);
  EXPECT_EQ(view.Caption(ViewControl::ChooseModemButton), "Выбрать");
}

TEST_F(MainModems, FillStopsOnAnEnumerationError) {
  services.enumResult = 635;
  Created();
  EXPECT_TRUE(view.items.empty());
  EXPECT_EQ(view.selected, -1);
}

TEST_F(MainModems, RefreshReportsOnlyAChange) {
  Installed("Other Modem");
  MainController& c = Created();
  EXPECT_TRUE(c.RefreshModemList()) << "an installed start has read no list yet";
  view.selected = 0;
  EXPECT_FALSE(c.RefreshModemList());
  EXPECT_EQ(view.selected, 0) << "an unchanged list keeps the user's choice";
  services.devices = {"New Phone", "other modem"};
  EXPECT_TRUE(c.RefreshModemList());
  EXPECT_EQ(view.items, services.devices);
  EXPECT_EQ(view.selected, 1);
  services.devices = {};
  EXPECT_TRUE(c.RefreshModemList());
  EXPECT_EQ(view.selected, -1);
}

TEST_F(MainModems, CyrillicNamesCompareIgnoringCase) {
  // "МОДЕМ" stored, "модем" found: code page 1251 upper and lower case.
  Installed("\xCC\xCE\xC4\xC5\xCC");
  services.devices = {"x", "\xEC\xEE\xE4\xE5\xEC"};
  Created().OpenSettings();
  EXPECT_EQ(view.selected, 1);
}

TEST_F(MainModems, RefreshLinkShowsTheRefreshColourOnlyWhileItRuns) {
  Installed("Other Modem");
  MainController& c = Created();
  c.OpenSettings();
  view.fontColours[ViewControl::RefreshLink] = kSettingsLinkColour;
  Color during = 0;
  services.duringEnum = [&] { during = view.FontColour(ViewControl::RefreshLink); };
  services.devices = {"Other Modem", "New Phone"};
  view.captions.erase(ViewControl::ChooseModemButton);
  c.RefreshModems(ViewControl::RefreshLink);
  EXPECT_EQ(during, Rgb(0x68, 0x54, 0x96));
  EXPECT_EQ(view.FontColour(ViewControl::RefreshLink), kSettingsLinkColour);
  EXPECT_EQ(view.items, services.devices);
  EXPECT_EQ(view.selected, 0);
  EXPECT_EQ(view.Caption(ViewControl::ChooseModemButton), "Выбрать")
      << "a changed list updates the controls";

  // Unchanged: no update; the hidden twin restores its own colour.
  view.captions.erase(ViewControl::ChooseModemButton);
  view.fontColours[ViewControl::HiddenRefreshLink] = Rgb(1, 2, 3);
  c.RefreshModems(ViewControl::HiddenRefreshLink);
  EXPECT_EQ(view.Caption(ViewControl::ChooseModemButton), "");
  EXPECT_EQ(view.FontColour(ViewControl::HiddenRefreshLink), Rgb(1, 2, 3));
  EXPECT_EQ(view.FontColour(ViewControl::RefreshLink), kSettingsLinkColour);
}

TEST_F(MainModems, RefreshLinkGetsItsColourBackWhenAnErrorEscapes) {
  Installed();
  MainController& c = Created();
  view.fontColours[ViewControl::RefreshLink] = kSettingsLinkColour;
  services.duringEnum = [] { throw std::runtime_error("enumeration failed"); };
  EXPECT_THROW(c.RefreshModems(ViewControl::RefreshLink), std::runtime_error);
  ASSERT_EQ(view.fontColourChanges.size(), 2u);
  EXPECT_EQ(view.fontColourChanges[0].second, kRefreshLinkColour);
  EXPECT_EQ(view.FontColour(ViewControl::RefreshLink), kSettingsLinkColour);
}

TEST_F(MainModems, DoubleClickSelectsOnlyInTheServiceLook) {
  Store("StartStage", "0");
  MainController& c = Created();
  ASSERT_EQ(c.CurrentStage(), kShowInstall);
  view.selected = 1;
  c.ChooseDoubleClickedModem();
  EXPECT_EQ(view.panel, Panel::Settings) << "the installation look stays";
  EXPECT_EQ(view.installations, 0);
  EXPECT_EQ(c.settings().ModemName, "");

  Installed("Korvana GPRS Modem");
  Created();
  controller->OpenSettings();
  view.selected = 1;
  controller->ChooseDoubleClickedModem();
  EXPECT_EQ(view.panel, Panel::Main);
  EXPECT_EQ(controller->settings().ModemName, "Other Modem");
  // Anywhere else it does nothing either.
  controller->OpenAbout();
  view.selected = 0;
  controller->ChooseDoubleClickedModem();
  EXPECT_EQ(view.panel, Panel::About);
  EXPECT_EQ(controller->settings().ModemName, "Other Modem");
}

using MainConnect = MainFixture;

TEST_F(MainConnect, ConnectAndDisconnectWithTheButton) {
  Installed();
  MainController& c = Created();
  services.dialResult = 0x55;
  services.counters = {1000, 200};
  bool disabledDuringDial = false;
  services.duringDial = [&] {
    disabledDuringDial = !view.IsEnabled(ViewControl::MainPanel) && !c.connectAction().Enabled();
    c.UpdateControls();  // the idle rhythm while the driver waits
    disabledDuringDial = disabledDuringDial && !c.connectAction().Enabled();
  };
  c.connectAction().Execute();
  EXPECT_TRUE(disabledDuringDial);
  EXPECT_EQ(services.dialled, std::vector<std::string>{"Korvana GPRS Modem"});
  EXPECT_EQ(c.ConnectionHandle(), 0x55u);
  EXPECT_TRUE(view.IsEnabled(ViewControl::MainPanel));
  EXPECT_TRUE(c.connectAction().Enabled());
  EXPECT_EQ(view.Caption(ViewControl::ConnectButton), "Отключиться");
  EXPECT_EQ(Cp1251ToUtf8(c.connectAction().Caption()), "Отключиться");
  EXPECT_EQ(services.stats.baselineReceived, 1000u);
  EXPECT_TRUE(services.stats.running);
  EXPECT_FALSE(view.hourglass);

  c.connectAction().Execute();
  EXPECT_EQ(services.closed, std::vector<ras::Handle>{0x55});
  EXPECT_EQ(c.ConnectionHandle(), 0u);
  EXPECT_EQ(services.mainHandle, 0u);
  EXPECT_FALSE(services.stats.running);
  EXPECT_EQ(services.stats.accumulates, 1);
  EXPECT_EQ(view.Caption(ViewControl::ConnectionStatus), "Соединение с GPRS не установлено");
  EXPECT_EQ(view.Caption(ViewControl::ConnectButton), "Подключиться");
  EXPECT_EQ(Cp1251ToUtf8(view.trayHint), "Dialwave - Отключено");
  EXPECT_FALSE(view.hourglass);
  c.UpdateControls();
  EXPECT_EQ(Cp1251ToUtf8(c.connectAction().Caption()), "Подключиться");
}

TEST_F(MainConnect, AFailedDialReenablesAndKeepsNoHandle) {
  Installed();
  MainController& c = Created();
  services.dialResult = 0;
  c.connectAction().Execute();
  EXPECT_EQ(services.dialled.size(), 1u);
  EXPECT_EQ(c.ConnectionHandle(), 0u);
  EXPECT_TRUE(c.connectAction().Enabled());
  EXPECT_TRUE(view.IsEnabled(ViewControl::MainPanel));
  EXPECT_FALSE(c.HasStatThread());
}

TEST_F(MainConnect, NothingSelectedStoresUnknownAndTheNextConnectOpensTheServiceSettings) {
  Installed();
  MainController& c = Created();
  c.OpenSettings();
  view.selected = -1;
  c.UpdateControls();
  EXPECT_EQ(view.Caption(ViewControl::ChooseModemButton), "Назад");
  c.chooseModemAction().Execute();
  EXPECT_EQ(c.settings().ModemName, "Unknown");
  EXPECT_EQ(view.panel, Panel::Main);

  services.dialResult = 0x99;
  c.connectAction().Execute();
  EXPECT_TRUE(services.dialled.empty());
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(Cp1251ToUtf8(view.messages[0].text),
            "Ошибка: выбраный модем в системе не зарегистрирован. Выберите другой модем для соединения");
  EXPECT_EQ(view.messages[0].kind, 1);
  EXPECT_EQ(view.messages[0].codes, std::vector<int>{kMsgOk});
  EXPECT_EQ(c.CurrentStage(), kShowService);
  EXPECT_EQ(view.panel, Panel::Settings);
  EXPECT_EQ(c.ConnectionHandle(), 0u);
  EXPECT_TRUE(c.connectAction().Enabled());
  EXPECT_TRUE(view.IsEnabled(ViewControl::MainPanel));
}

TEST_F(MainConnect, ADriverErrorStillReenables) {
  Installed();
  MainController& c = Created();
  services.duringDial = [] { throw std::runtime_error("driver"); };
  c.connectAction().Execute();
  EXPECT_EQ(c.ConnectionHandle(), 0u);
  EXPECT_TRUE(c.connectAction().Enabled());
  EXPECT_TRUE(view.IsEnabled(ViewControl::MainPanel));
}

using MainMessages = MainFixture;

TEST_F(MainMessages, ConfigurationErrorIsShownOncePerRun) {
  MainController& c = Created();
  c.OnSystemConfigError();
  c.OnSystemConfigError();
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(Cp1251ToUtf8(view.messages[0].text),
            "Во время работы программы возникла ошибка конфигурации системы. Восстановление требует "
            "перезагрузки.");
  EXPECT_EQ(view.messages[0].kind, 1);
  EXPECT_TRUE(c.ConfigErrorShown());
}

TEST_F(MainMessages, ConnectionLostAndRestoredKeepsGraphAndMaximum) {
  Installed();
  MainController& c = Created();
  services.dialResult = 0x10;
  c.connectAction().Execute();
  FakeStatThread& thread = *services.lastThread;
  thread.speed = 50000;
  thread.elapsed = std::chrono::minutes(3);
  c.OnStatistics(1000, 10);
  thread.speed = 70000;
  c.OnStatistics(2000, 20);
  ASSERT_EQ(c.MaxSpeedRecord(), 70000u);
  const auto graphBefore = graph.samples();
  const int restarts = services.stats.restarts;

  services.openConnection = 0;  // the line dropped
  services.dialResult = 0x11;
  view.restoreAnswer = true;
  c.OnConnectionLost();
  EXPECT_EQ(view.connBreaks, 1);
  EXPECT_GE(view.toFront, 1);
  EXPECT_EQ(services.dialled.size(), 2u);
  EXPECT_EQ(c.ConnectionHandle(), 0x11u);
  EXPECT_EQ(c.MaxSpeedRecord(), 70000u);
  EXPECT_EQ(graph.samples(), graphBefore);
  EXPECT_GT(services.stats.restarts, restarts) << "time and counts start from zero";
  EXPECT_EQ(services.stats.created, 1) << "one sampler per run";
  EXPECT_TRUE(services.stats.running);
  EXPECT_EQ(view.Caption(ViewControl::ConnectionStatus), "Соединение c GPRS установлено");
  // The hang-up was skipped: the handle was already 0.
  EXPECT_EQ(services.closed, std::vector<ras::Handle>{0});

  // A new connection by the button resets both.
  c.connectAction().Execute();
  services.dialResult = 0x12;
  c.connectAction().Execute();
  EXPECT_EQ(c.MaxSpeedRecord(), 0u);
  EXPECT_TRUE(graph.samples().empty());
}

TEST_F(MainMessages, ConnectionLostAndDeclinedPausesTheSampler) {
  Installed();
  MainController& c = Created();
  services.dialResult = 0x10;
  c.connectAction().Execute();
  view.restoreAnswer = false;
  c.OnConnectionLost();
  EXPECT_EQ(services.dialled.size(), 1u);
  EXPECT_EQ(c.ConnectionHandle(), 0u);
  EXPECT_FALSE(services.stats.running);
  EXPECT_EQ(services.stats.accumulates, 1);
  EXPECT_EQ(view.Caption(ViewControl::ConnectionStatus), "Соединение с GPRS не установлено");
}

TEST_F(MainMessages, LateMessagesOfAPausedSamplerAreDropped) {
  Installed();
  MainController& c = Created();
  services.dialResult = 0x10;
  c.connectAction().Execute();
  c.connectAction().Execute();  // disconnected: the sampler paused
  services.lastThread->speed = 5000;
  c.OnStatistics(100, 100);
  c.OnConnectionLost();
  EXPECT_EQ(view.connBreaks, 0);
  EXPECT_TRUE(graph.samples().empty());
  EXPECT_NE(view.Caption(ViewControl::ReceivedBytes), "100 байт");
}

TEST_F(MainMessages, WakeUpRefreshesByStage) {
  Installed();
  MainController& c = Created();
  view.hidden = true;
  view.repaints.clear();
  c.RefreshOnRestore();
  EXPECT_EQ(view.toFront, 1);
  EXPECT_EQ(std::count(view.repaints.begin(), view.repaints.end(), ViewControl::SpeedGraph), 1);
  EXPECT_FALSE(c.restoreAction().Enabled());
  EXPECT_EQ(view.progressToFront, 1);

  c.OpenSettings();
  services.devices.push_back("Plugged Phone");
  c.RefreshOnRestore();
  EXPECT_EQ(view.items.back(), "Plugged Phone");
}

TEST_F(MainMessages, ActivationRefreshesOnlyWhenConnectIsEnabled) {
  MainController& c = Created();  // agreement: connect disabled
  c.OnActivated();
  EXPECT_EQ(view.toFront, 0);
  Installed();
  MainController& d = Created();
  d.OnActivated();
  EXPECT_EQ(view.toFront, 1);
}

using MainClose = MainFixture;

TEST_F(MainClose, NoConnectionClosesWithoutAsking) {
  Installed();
  MainController& c = Created();
  EXPECT_TRUE(c.OnCloseQuery());
  EXPECT_TRUE(view.messages.empty());
}

TEST_F(MainClose, ThreeAnswersToTheQuestion) {
  Installed();
  services.existing = 0x42;
  services.openConnection = 0x42;
  MainController& c = Created();

  view.answers = {kResultCancel};
  EXPECT_FALSE(c.OnCloseQuery());
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(Cp1251ToUtf8(view.messages[0].text), "Соединение с Интернетом открыто. Закрыть его?");
  EXPECT_EQ(view.messages[0].kind, 3);
  EXPECT_EQ(view.messages[0].codes, (std::vector<int>{kMsgYes, kMsgNo, kMsgCancel}));
  EXPECT_TRUE(services.closed.empty());
  EXPECT_EQ(view.windowHides, 0);

  view.answers = {kResultNo};
  EXPECT_TRUE(c.OnCloseQuery());
  EXPECT_TRUE(services.closed.empty()) << "No leaves the connection up";

  view.answers = {kResultYes};
  EXPECT_TRUE(c.OnCloseQuery());
  EXPECT_EQ(view.windowHides, 1);
  EXPECT_EQ(services.closed, std::vector<ras::Handle>{0x42});
}

TEST_F(MainClose, AConnectionNoLongerOpenIsNotAskedAbout) {
  Installed();
  services.existing = 0x42;
  MainController& c = Created();
  ASSERT_EQ(c.ConnectionHandle(), 0x42u);
  services.openConnection = 0;
  EXPECT_TRUE(c.OnCloseQuery());
  EXPECT_TRUE(view.messages.empty());
}

TEST_F(MainClose, CloseSavesRemovesTheIconAndEndsTheSampler) {
  Installed("Other Modem");
  services.existing = 0x42;
  MainController& c = Created();
  c.OnClose();
  EXPECT_EQ(view.trayModes.back(), TrayMode::Remove);
  EXPECT_EQ(view.trayHint, "");
  EXPECT_EQ(services.stats.terminates, 1);
  EXPECT_GE(view.windowHides, 1);
  const auto stored = registry.RawValue(kSettingsRoot, kSettingsKeyPath, "StartStage");
  ASSERT_TRUE(stored.has_value());
}

TEST_F(MainClose, SessionEndSavesWithoutAskingAndLeavesTheConnectionUp) {
  Installed("Other Modem");
  services.existing = 0x42;
  services.openConnection = 0x42;
  MainController& c = Created();
  c.OnSessionEnd();
  EXPECT_TRUE(view.messages.empty());
  EXPECT_TRUE(services.closed.empty());
  EXPECT_EQ(view.trayModes.back(), TrayMode::Remove);
  EXPECT_EQ(services.stats.terminates, 1);
  EXPECT_TRUE(registry.RawValue(kSettingsRoot, kSettingsKeyPath, "APNs").has_value()) << "every value written, not only those read";
}

TEST_F(MainClose, SessionEndDuringADialCancelsItAndSaves) {
  Installed();
  MainController& c = Created();
  services.duringDial = [&] { c.OnSessionEnd(); };
  c.connectAction().Execute();
  EXPECT_EQ(services.cancels, 1);
  EXPECT_TRUE(registry.RawValue(kSettingsRoot, kSettingsKeyPath, "APNs").has_value());
  EXPECT_EQ(view.closeRequests, 0) << "the system ends the program, not us";
}

TEST_F(MainClose, SessionEndBeforeTheAgreementSavesNothing) {
  MainController& c = Created();
  c.OnSessionEnd();
  EXPECT_FALSE(registry.KeyExists(kSettingsRoot, kSettingsKeyPath));
}

TEST_F(MainClose, NothingIsSavedBeforeTheAgreement) {
  MainController& c = Created();
  c.OnClose();
  EXPECT_FALSE(registry.KeyExists(kSettingsRoot, kSettingsKeyPath));
}

TEST_F(MainClose, CloseDuringADialCancelsItAndClosesAfterwards) {
  Installed();
  MainController& c = Created();
  bool allowed = true;
  services.duringDial = [&] { allowed = c.OnCloseQuery(); };
  c.connectAction().Execute();
  EXPECT_FALSE(allowed);
  EXPECT_EQ(services.cancels, 1);
  EXPECT_EQ(view.closeRequests, 1) << "the close follows the dial";
  EXPECT_TRUE(c.OnCloseQuery());
}

// The hang-up waits for RAS while serving messages, so a close can come in
// the middle of it: the close waits for the hang-up instead of asking about
// a connection that is being closed and hanging it up a second time.
TEST_F(MainClose, CloseDuringAHangUpWaitsForItAndClosesAfterwards) {
  Installed();
  MainController& c = Created();
  services.dialResult = 0x55;
  c.connectAction().Execute();
  ASSERT_EQ(c.ConnectionHandle(), 0x55u);
  bool allowed = true;
  services.duringHangUp = [&] { allowed = c.OnCloseQuery(); };
  c.connectAction().Execute();
  EXPECT_FALSE(allowed);
  EXPECT_TRUE(view.messages.empty()) << "no question about a connection being closed";
  EXPECT_EQ(services.closed, std::vector<ras::Handle>{0x55}) << "one hang-up";
  EXPECT_EQ(services.cancels, 0);
  EXPECT_EQ(view.closeRequests, 1) << "the close follows the hang-up";
  services.duringHangUp = nullptr;
  EXPECT_TRUE(c.OnCloseQuery());
  EXPECT_TRUE(view.messages.empty());
}

// RAS takes the hang-up but the connection stays: the window does not claim
// it is gone; it keeps the handle, the sampler and the connected look, and
// the next press hangs up again.
TEST_F(MainConnect, AHangUpThatNeverCompletesKeepsTheConnectedState) {
  Installed();
  MainController& c = Created();
  services.dialResult = 0x55;
  c.connectAction().Execute();
  services.hangUpNeverCompletes = true;
  c.connectAction().Execute();
  EXPECT_EQ(c.ConnectionHandle(), 0x55u);
  EXPECT_EQ(services.mainHandle, 0x55u);
  EXPECT_TRUE(services.stats.running);
  EXPECT_EQ(view.Caption(ViewControl::ConnectButton), "Отключиться");
  EXPECT_FALSE(view.hourglass);
  EXPECT_TRUE(c.connectAction().Enabled());
  services.hangUpNeverCompletes = false;
  c.connectAction().Execute();
  EXPECT_EQ(c.ConnectionHandle(), 0u);
  EXPECT_FALSE(services.stats.running);
  EXPECT_EQ(services.closed, (std::vector<ras::Handle>{0x55, 0x55}));

  // A hang-up that completes after the window gave up on it: the sampler
  // finds the connection gone, and the user, who asked for that, is not
  // asked whether to restore it.
  services.dialResult = 0x56;
  c.connectAction().Execute();
  services.hangUpNeverCompletes = true;
  c.connectAction().Execute();
  ASSERT_EQ(c.ConnectionHandle(), 0x56u);
  services.openConnection = 0;
  c.OnConnectionLost();
  EXPECT_EQ(view.connBreaks, 0);
  EXPECT_EQ(c.ConnectionHandle(), 0u);
  EXPECT_FALSE(services.stats.running);
  EXPECT_EQ(view.Caption(ViewControl::ConnectButton), "Подключиться");
  EXPECT_EQ(services.dialled.size(), 2u) << "nothing dialled again";
}

using MainChrome = MainFixture;

TEST_F(MainChrome, SkinZonesMinimiseCloseAndTheGapDoesNothing) {
  Installed();
  MainController& c = Created();
  c.OnSkinClick(473, 10);
  c.OnSkinClick(474, 10);
  c.OnSkinClick(453, 4);
  c.OnSkinClick(495, 21);
  EXPECT_EQ(view.minimises, 0);
  EXPECT_EQ(view.closeRequests, 0);
  c.OnSkinClick(453, 5);
  c.OnSkinClick(472, 21);
  EXPECT_EQ(view.minimises, 2);
  EXPECT_TRUE(view.hidden);
  EXPECT_TRUE(c.restoreAction().Enabled()) << "the tray menu can bring it back";
  c.OnSkinClick(475, 5);
  c.OnSkinClick(494, 21);
  EXPECT_EQ(view.closeRequests, 2);
}

TEST_F(MainChrome, ZoneTooltipsShowTwentyFivePixelsAboveThePointer) {
  MainController& c = Created();
  c.OnSkinMouseMove(false, false, 480, 12);
  c.OnSkinMouseMove(false, false, 460, 20);
  c.OnSkinMouseMove(false, false, 473, 12);  // the gap
  c.OnSkinMouseMove(false, true, 480, 12);   // a button or key held
  ASSERT_EQ(view.hints.size(), 2u);
  EXPECT_EQ(view.hints[0].anchor, HintAnchor::MainWindow);
  EXPECT_EQ(Cp1251ToUtf8(view.hints[0].text), "Закрыть программу");
  EXPECT_EQ(view.hints[0].x, 480);
  EXPECT_EQ(view.hints[0].y, 12 - 25);
  EXPECT_EQ(Cp1251ToUtf8(view.hints[1].text), "Свернуть программу в \"Трей\"");
}

TEST_F(MainChrome, DraggingKeepsTheGrabPointUnderThePointer) {
  MainController& c = Created();
  EXPECT_FALSE(c.OnSkinMouseMove(true, true, 100, 100).has_value()) << "no press yet";
  c.OnSkinMouseDown(true, 100, 10);
  auto move = c.OnSkinMouseMove(true, true, 130, 5);
  ASSERT_TRUE(move.has_value());
  EXPECT_EQ(move->dx, 30);
  EXPECT_EQ(move->dy, -5);
  c.OnSkinMouseUp(true);  // the right button released, the left still held
  EXPECT_TRUE(c.OnSkinMouseMove(true, true, 101, 10).has_value());
  c.OnSkinMouseUp(false);
  EXPECT_FALSE(c.OnSkinMouseMove(true, true, 120, 10).has_value());
  c.OnSkinMouseDown(false, 100, 10);  // the right button
  EXPECT_FALSE(c.OnSkinMouseMove(true, true, 120, 10).has_value());
}

TEST_F(MainChrome, TrayClicksAndMenu) {
  Installed();
  MainController& c = Created();
  c.ShowAtStart();  // on the screen: restoreAction disabled
  view.toFront = 0;
  c.OnTrayClick();
  EXPECT_EQ(view.toFront, 1);
  c.OnSkinClick(460, 10);  // to the tray
  view.toFront = 0;
  c.OnTrayClick();
  EXPECT_EQ(view.toFront, 0);
  EXPECT_TRUE(view.hidden);
  c.OnTrayDoubleClick();
  EXPECT_FALSE(view.hidden);
  EXPECT_FALSE(c.restoreAction().Enabled());

  const auto menu = c.TrayMenu();
  ASSERT_EQ(menu.size(), 5u);
  EXPECT_EQ(Cp1251ToUtf8(menu[0].caption), "Открыть программу");
  EXPECT_FALSE(menu[0].enabled);
  EXPECT_EQ(Cp1251ToUtf8(menu[1].caption), "Подключиться");
  EXPECT_TRUE(menu[1].enabled);
  EXPECT_EQ(Cp1251ToUtf8(menu[2].caption), "Учёт трафика");
  EXPECT_FALSE(menu[2].enabled) << "no ledger without its file";
  EXPECT_EQ(Cp1251ToUtf8(menu[3].caption), "Выйти");
  EXPECT_FALSE(menu[4].visible);
  EXPECT_EQ(menu[4].caption, "   ");
  menu[3].action->Execute();
  EXPECT_EQ(view.closeRequests, 1);
}

TEST(PanelStack, SendingToTheBackShowsThePreviousFront) {
  PanelStack stack;
  stack.ToFront(Panel::Settings);
  stack.ToFront(Panel::About);
  EXPECT_EQ(stack.Front(), Panel::About);
  stack.ToBack(Panel::About);
  EXPECT_EQ(stack.Front(), Panel::Settings);
  stack.ToBack(Panel::Settings);
  EXPECT_EQ(stack.Front(), Panel::Main);
}

}  // namespace
}  // namespace dw::ui::test
