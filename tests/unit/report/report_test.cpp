#include "report/report.h"

#include <gtest/gtest.h>

#include <map>

#include "crypto/encrypt.h"
#include "log/log.h"
#include "platform/fake/fake_clock.h"
#include "ras/advice.h"
#include "report/history.h"
#include "settings/settings.h"
#include "text/cp1251.h"
#include "unit/ras/ras_fixture.h"
#include "unit/report/report_fakes.h"

namespace dw::report {
namespace {

using ras::Generation;

constexpr const char* kModem = "Korvana GPRS Modem";
constexpr const char* kExe = "C:\\Korvana\\dialwave.exe";
constexpr const char* kLog = "C:\\Korvana\\GPRSlog.log";
const std::string kUser = "subscriber.user";
const std::string kPassword = "Pa55word!";

std::string Cp(std::string_view utf8) { return Utf8ToCp1251(utf8); }

class Report : public ras::test::RasTest {
 protected:
  void StartAt(Generation g) {
    StartRas(g);
    environment_.winVer = ras::test::WinVerOf(g);
    environment_.platformId = ras::IsWin9x(g) ? 1 : 2;
    environment_.executablePath = kExe;
    environment_.fileVersion = "1.0.0.42";
    clock_.SetNow({2026, 12, 9, 14, 3, 7, 0});
    SetUserInit(kModem, "AT+CGDCONT=1,\"IP\",\"internet.kvr\"");
    ASSERT_EQ(SaveEntry("Korvana", kModem, "*99***1#"), 0u);
    store_.Update([](const sim::Scenario&, sim::State& state) {
      sim::Entry* e = state.FindEntry("Korvana");
      ASSERT_NE(e, nullptr);
      e->user = kUser;
      e->password = kPassword;
    });
    StoreSettings({{"StartStage", "2"}, {"Modem", kModem}, {"Connection", "Korvana"},
                   {"APNs", "internet.kvr\r\ninternet.ltkvr\r\n"}, {"APNVersion", "3"}});
  }
  void StoreSettings(const std::vector<std::pair<std::string, std::string>>& values) {
    for (const auto& [name, text] : values) {
      registry_.SetText(RegistryRoot::kLocalMachine, kSettingsKeyPath, name, EncryptString(text));
    }
  }
  std::string Build() {
    const ReportSources sources{&environment_, &facts_, &registry_, &files_,
                                withLedger_ ? &ledger_ : nullptr, &clock_};
    return BuildReport(sources);
  }
  static bool Has(const std::string& report, std::string_view part) {
    return report.find(part) != std::string::npos;
  }
  static bool Has(const std::string& report, TextId id) { return Has(report, Text(id)); }
  // The lines of one section, without its title.
  static std::vector<std::string> Section(const std::string& report, TextId title) {
    std::vector<std::string> lines;
    const std::string open = SectionLine(Text(title)) + "\r\n";
    auto at = report.find(open);
    if (at == std::string::npos) return lines;
    at += open.size();
    while (at < report.size()) {
      const auto end = report.find("\r\n", at);
      const std::string line = report.substr(at, end - at);
      if (line.empty() || line.rfind("== ", 0) == 0) break;
      lines.push_back(line);
      at = end + 2;
    }
    return lines;
  }
  static std::string Joined(const std::vector<std::string>& lines) {
    std::string all;
    for (const auto& l : lines) all += l + "\n";
    return all;
  }

  FixedEnvironment environment_;
  FixedFacts facts_;
  MemoryFiles files_;
  FakeClock clock_;
  Ledger ledger_;
  bool withLedger_ = false;
};

TEST_F(Report, EverySectionInOrderOnEveryGeneration) {
  struct Expect {
    Generation g;
    const char* modules;
  };
  for (const Expect& e : {Expect{Generation::kWin98, "Ras98, "}, Expect{Generation::kWinMe, "RasME, "},
                          Expect{Generation::kWin2000, "Ras2k, "}, Expect{Generation::kWinXp, "RasXP, "}}) {
    SCOPED_TRACE(static_cast<int>(e.g));
    StartAt(e.g);
    const std::string report = Build();
    // The title first, then every section in its order, then the end.
    ASSERT_EQ(report.rfind(Text(TextId::ReportTitle) + "\r\n", 0), 0u);
    std::size_t at = 0;
    for (const TextId title : SectionTitles()) {
      const auto found = report.find("\r\n" + SectionLine(Text(title)) + "\r\n", at);
      ASSERT_NE(found, std::string::npos) << Cp1251ToUtf8(Text(title));
      at = found + 1;
    }
    EXPECT_EQ(report.substr(report.size() - SectionLine(Text(TextId::ReportEnd)).size() - 2),
              SectionLine(Text(TextId::ReportEnd)) + "\r\n");
    // Notepad's lines: no line feed without its carriage return, no other
    // control character.
    std::size_t strays = 0;
    for (std::size_t i = 0; i < report.size(); ++i) {
      const auto c = static_cast<unsigned char>(report[i]);
      const bool crlf = (c == '\r' && i + 1 < report.size() && report[i + 1] == '\n') ||
                        (c == '\n' && i > 0 && report[i - 1] == '\r');
      if (c < 0x20 && !crlf) ++strays;
    }
    EXPECT_EQ(strays, 0u);
    EXPECT_TRUE(Has(report, std::string(Text(TextId::ReportMade)) + "09.12.2026 14:03:07"));
    EXPECT_TRUE(Has(report, "1.0.0.42"));
    EXPECT_TRUE(Has(report, kExe));
    // The generation's own sizes (on i686 those of the published headers).
    std::string sizes = Text(TextId::ReportRecordSizes);
    const char* names[] = {"RASENTRYNAME", "RASENTRY", "RASDIALPARAMS", "RASDEVINFO", "RASCONN", "RASCONNSTATUS", "RAS_STATS"};
    for (std::size_t i = 0; i < 7; ++i) {
      const ras::Dword size = ras::RecordSize(e.g, ras::kAllRecords[i]);
      sizes += (i ? ", " : "") + std::string(names[i]) + " " + (size ? std::to_string(size) : Text(TextId::ReportNotUsed));
    }
    EXPECT_TRUE(Has(report, sizes + "\r\n")) << Cp1251ToUtf8(Joined(Section(report, TextId::ReportSecWindows)));
    EXPECT_TRUE(Has(report, Text(TextId::ReportRasModules) + e.modules));
    const std::string modems = Joined(Section(report, TextId::ReportSecModems));
    EXPECT_TRUE(Has(modems, std::string("modem: ") + kModem + "; UserInit: AT+CGDCONT=1,\"IP\",\"internet.kvr\""))
        << Cp1251ToUtf8(modems);
    EXPECT_TRUE(Has(modems, "  isdn: Korvana ISDN Adapter\n"));
    EXPECT_TRUE(Has(modems, Text(TextId::ReportSelectedModem) + kModem + Text(TextId::ReportInList)));
    const std::string entry = Joined(Section(report, TextId::ReportSecEntry));
    EXPECT_TRUE(Has(entry, Text(TextId::ReportNumber) + "*99***1#")) << Cp1251ToUtf8(entry);
    EXPECT_TRUE(Has(entry, Text(TextId::ReportDevice) + "modem / " + kModem));
    EXPECT_TRUE(Has(entry, "dwFramingProtocol 0x00000001 PPP; dwfNetProtocols 0x00000004 IP"));
    EXPECT_TRUE(Has(entry, "dwSize " + std::to_string(ras::RecordSize(e.g, ras::Record::kEntry)) + "\n"));
    EXPECT_EQ(Has(entry, "dwType"), !ras::IsWin9x(e.g));
    EXPECT_EQ(Has(entry, "szPrerequisiteEntry"), e.g == Generation::kWinXp);
    const std::string apn = Joined(Section(report, TextId::ReportSecApn));
    EXPECT_TRUE(Has(apn, "  1. internet.kvr\n  2. internet.ltkvr\n")) << Cp1251ToUtf8(apn);
    EXPECT_TRUE(Has(apn, Text(TextId::ReportVersionKey) + "1.0.3"));
    EXPECT_TRUE(Has(apn, Text(TextId::ReportUpdateAnswer) + Text(TextId::ReportNoData)));
    EXPECT_TRUE(Has(report, ras::IsWin9x(e.g) ? Text(TextId::ReportAdmin9x)
                                               : Text(TextId::ReportAdmin) + Text(TextId::ReportYes)));
    TearDown();
  }
}

TEST_F(Report, NoSecretAppearsAnywhere) {
  StartAt(Generation::kWinXp);
  // The secrets where a careless report would pick them up: the entry's
  // login, a settings value the program does not know, the log's dial
  // parameters and free texts, an attempt's text, a modem's command.
  StoreSettings({{"Password", kPassword}, {"Credentials", kUser + ":" + kPassword}});
  SetUserInit(kModem, "AT+CGDCONT=1,\"IP\",\"internet.kvr\";+CGAUTH=1,1,\"modem.user\",\"" + kPassword + "\"");
  files_.files[kLog] =
      "12:00:00 : src: DIAL-params      code: 0         msg: Entry: Korvana ; Phone: *99***1#  ; APN: "
      "internet.kvr  User: pvlok  ; Pswd: pvlok  \r\n" +
      EncryptString("12:00:01 : src: DIAL-params      code: 0         msg: Entry: Korvana ; Phone: *99#  ; "
                    "APN: internet.kvr  User: some one  ; Pswd: another secret  ") +
      "\r\n12:00:02 : src: X      code: 0         msg: typed " + kPassword + " and " + kUser + "\r\n";
  ConnectAttempt attempt;
  attempt.time = {2026, 12, 9, 14, 0, 0, 0};
  attempt.apn = "internet.kvr";
  attempt.number = "*99***1#";
  attempt.code = 691;
  attempt.errorText = "denied for " + kUser;
  ASSERT_TRUE(RecordAttempt(registry_, attempt));
  ASSERT_TRUE(StoreUpdateAnswer(registry_, {{2026, 12, 9, 13, 0, 0, 0}, "echo " + kPassword}));

  const std::string report = Build();
  for (const std::string& secret : {kUser, kPassword, std::string("pvlok"), std::string("some one"),
                                    std::string("another secret"), std::string("modem.user")}) {
    EXPECT_FALSE(Has(report, secret)) << secret << "\n" << Cp1251ToUtf8(report);
  }
  const std::string entry = Joined(Section(report, TextId::ReportSecEntry));
  EXPECT_TRUE(Has(entry, Text(TextId::ReportUserName) + "***\n")) << Cp1251ToUtf8(entry);
  EXPECT_TRUE(Has(entry, Text(TextId::ReportPassword) + "***" + Text(TextId::ReportSaved)));
  const std::string settings = Joined(Section(report, TextId::ReportSecSettings));
  EXPECT_TRUE(Has(settings, "Password = " + Text(TextId::ReportHidden))) << Cp1251ToUtf8(settings);
  EXPECT_TRUE(Has(settings, "Credentials = " + Text(TextId::ReportHidden)));
  const std::string log = Joined(Section(report, TextId::ReportSecLog));
  EXPECT_TRUE(Has(log, "User: ***  ; Pswd: ***")) << Cp1251ToUtf8(log);
  EXPECT_TRUE(Has(log, "typed *** and ***"));
  EXPECT_TRUE(Has(report, "UserInit: AT+CGDCONT=1,\"IP\",\"internet.kvr\";+CGAUTH=***\r\n"));
}

TEST(ReportMasks, ValuesOfLoginsNotTheirNeighbours) {
  struct Row {
    std::string (*mask)(std::string_view);
    const char* in;
    const char* out;
  };
  for (const Row& r : std::initializer_list<Row>{
           {MaskLogLine, "Entry: K ; Phone: 1  ; APN: a  User: u v  ; Pswd: p ; q  ",
            "Entry: K ; Phone: 1  ; APN: a  User: ***  ; Pswd: *** ; q  "},
           {MaskLogLine, "User:x", "User:***"},
           {MaskLogLine, "Pswd:", "Pswd:***"},
           {MaskLogLine, "no secrets here", "no secrets here"},
           {MaskModemCommands, "AT+CGDCONT=1,\"IP\",\"internet.kvr\"", "AT+CGDCONT=1,\"IP\",\"internet.kvr\""},
           {MaskModemCommands, "at+cgauth=1,1,\"u\",\"p\";+CGDCONT=1,\"IP\",\"a\"",
            "at+cgauth=***;+CGDCONT=1,\"IP\",\"a\""},
           {MaskModemCommands, "AT^AUTHDATA=1,1,\"\",\"p\",\"u\" $QCPDPP=1,1,\"p\",\"u\"", "AT^AUTHDATA=***"},
           {MaskModemCommands, "AT$QCPDPP=1,1,\"p\",\"u\"", "AT$QCPDPP=***"},
           {MaskModemCommands, "AT+CGDCONT=1,\"IP\",\"authnet\";+CGDCONT=2,\"IP\",\"b\"",
            "AT+CGDCONT=1,\"IP\",\"authnet\";+CGDCONT=2,\"IP\",\"b\""},
           {MaskModemCommands, "AT+CGAUTH?", "AT+CGAUTH?"},
       }) {
    EXPECT_EQ(r.mask(r.in), r.out) << r.in;
  }
}

TEST_F(Report, MissingLogAndLedgerAreStatedAndALedgerIsShown) {
  StartAt(Generation::kWin2000);
  std::string report = Build();
  EXPECT_EQ(Section(report, TextId::ReportSecUsage), std::vector<std::string>{Text(TextId::ReportNoLedger)});
  const auto log = Section(report, TextId::ReportSecLog);
  ASSERT_EQ(log.size(), 1u);
  EXPECT_TRUE(Has(log[0], Text(TextId::ReportNoLog) + kLog)) << Cp1251ToUtf8(log[0]);

  withLedger_ = true;  // a ledger that has no file yet says so too
  EXPECT_EQ(Section(Build(), TextId::ReportSecUsage), std::vector<std::string>{Text(TextId::ReportNoLedger)});
  ledger_.period = UsageSummary{{2026, 12, 1}, {2026, 12, 31}, 1048576, 65536, 7200, Cp("лимит 500 МБ")};
  files_.unreadable = true;
  files_.files[kLog] = "x";
  report = Build();
  const auto usage = Section(report, TextId::ReportSecUsage);
  ASSERT_EQ(usage.size(), 4u);
  EXPECT_EQ(usage[0], Text(TextId::ReportPeriod) + "01.12.2026 - 31.12.2026");
  EXPECT_EQ(usage[1], Text(TextId::ReportReceivedSent) + "1048576 / 65536");
  EXPECT_EQ(usage[2], Text(TextId::ReportOnline) + "7200");
  EXPECT_EQ(usage[3], Cp("лимит 500 МБ"));
  EXPECT_EQ(Section(report, TextId::ReportSecLog),
            std::vector<std::string>{Text(TextId::ReportLogUnreadable) + kLog});
}

TEST_F(Report, DamagedSettingsAreReportedAsDamaged) {
  StartAt(Generation::kWinXp);
  registry_.SetValue(RegistryRoot::kLocalMachine, kSettingsKeyPath, "Modem", MemoryRegistry::ValueType::kDword,
                     {7, 0, 0, 0});
  registry_.SetText(RegistryRoot::kLocalMachine, kSettingsKeyPath, "APNs", std::string(48, 'C'));
  StoreSettings({{"StartStage", "two"}});
  registry_.SetText(RegistryRoot::kLocalMachine, kSettingsKeyPath, "APNVersion", "5");  // written with /r
  const std::string report = Build();
  const std::string settings = Joined(Section(report, TextId::ReportSecSettings));
  const std::string damaged = Text(TextId::ReportDamaged);
  EXPECT_TRUE(Has(settings, "Modem = " + damaged + Text(TextId::ReportNotText))) << Cp1251ToUtf8(settings);
  EXPECT_TRUE(Has(settings, "APNs = " + damaged + Text(TextId::ReportNoDecrypt)));
  EXPECT_TRUE(Has(settings, "StartStage = " + damaged + Text(TextId::ReportNotNumber)));
  EXPECT_TRUE(Has(settings, "APNVersion = 5" + Text(TextId::ReportPlainStored)));
  EXPECT_TRUE(Has(settings, "Connection = Korvana\n"));
  // Where a damaged value is used, the report says so instead of guessing.
  EXPECT_TRUE(Has(report, Text(TextId::ReportApnList) + " " + damaged + Text(TextId::ReportNoDecrypt)));
  EXPECT_TRUE(Has(report, Text(TextId::ReportSelectedModem) + Text(TextId::ReportNotChosen)));

  registry_ = MemoryRegistry();
  const std::string none = Build();
  EXPECT_TRUE(Has(none, Text(TextId::ReportNoSettings) + "HKEY_LOCAL_MACHINE\\Software\\Korvana\\Dialwave"));
  EXPECT_TRUE(Has(none, Text(TextId::ReportApnList) + Text(TextId::ReportDefault)));
  EXPECT_TRUE(Has(none, Text(TextId::ReportEntryName) + Text(TextId::ReportNone)));
}

TEST_F(Report, AttemptsNewestFirstWithTheSystemsTextAndTheAdvice) {
  StartAt(Generation::kWinMe);
  EXPECT_TRUE(Has(Build(), TextId::ReportNoAttempts));
  const std::vector<std::pair<ras::Dword, std::string>> attempts = {
      {633, "port busy"}, {0, ""}, {691, "authentication failed"}, {12345, "odd"}};
  for (std::size_t i = 0; i < attempts.size(); ++i) {
    ConnectAttempt a;
    a.time = {2026, 12, 9, 14, static_cast<int>(i), 0, 0};
    a.apn = "internet.kvr";
    a.number = "*99#";
    a.code = attempts[i].first;
    a.errorText = attempts[i].second;
    ASSERT_TRUE(RecordAttempt(registry_, a));
  }
  const auto lines = Section(Build(), TextId::ReportSecAttempts);
  ASSERT_EQ(lines.size(), 1u + 3 + 1 + 3 + 3) << Cp1251ToUtf8(Joined(lines));
  EXPECT_EQ(lines[0], Text(TextId::ReportAttemptsOf) + "4 / 20");
  EXPECT_EQ(lines[1], "  [12345] 09.12.2026 14:03:00, APN internet.kvr" + Text(TextId::ReportNumberLabel) +
                          "*99#: " + ras::AdviceCause(12345));
  EXPECT_EQ(lines[3], "      " + Text(TextId::AdviceLabel) + ras::Advice(12345));
  EXPECT_EQ(lines[4].substr(0, 9), "  [691] 0");
  EXPECT_EQ(lines[5], "      " + Text(TextId::ReportSystemText) + "authentication failed");
  EXPECT_EQ(lines[6], "      " + Text(TextId::AdviceLabel) + ras::Advice(691));
  EXPECT_TRUE(Has(lines[7], "  [0] ") && Has(lines[7], Text(TextId::ReportConnected)));
  EXPECT_EQ(lines[9], "      " + Text(TextId::ReportSystemText) + "port busy");

  // A damaged ring: what is readable, and the note.
  registry_.SetText(kHistoryRoot, kHistoryKeyPath, "Attempt09", "garbage");
  EXPECT_TRUE(Has(Build(), TextId::ReportAttemptsDamagedNow));
  ConnectAttempt next;
  next.time = {2026, 12, 10, 8, 0, 0, 0};
  ASSERT_TRUE(RecordAttempt(registry_, next));
  const std::string after = Build();
  EXPECT_TRUE(Has(after, Text(TextId::ReportAttemptsDamaged) + " 10.12.2026 08:00:00"));
  EXPECT_FALSE(Has(after, TextId::ReportAttemptsDamagedNow));
}

TEST_F(Report, RasThatDoesNotAnswerIsAskedNoFurther) {
  StartAt(Generation::kWinXp);
  SetFault(false, true);  // every call answers 711
  const std::string report = Build();
  const std::string failed = Text(TextId::ReportRasFailed) + "711: " + ras::AdviceCause(711);
  EXPECT_TRUE(Has(Joined(Section(report, TextId::ReportSecModems)), failed)) << Cp1251ToUtf8(report);
  EXPECT_TRUE(Has(Joined(Section(report, TextId::ReportSecEntry)), failed));
  EXPECT_EQ(proxy_->Lookups("RasGetEntryPropertiesA"), 0);
  EXPECT_EQ(proxy_->Lookups("RasGetEntryDialParamsA"), 0);
  // Nothing was sent to a window: the report may be made on a worker.
  EXPECT_EQ(configErrors_.load(), 0);
  EXPECT_TRUE(Has(Joined(Section(report, TextId::ReportSecModems)),
                  Text(TextId::ReportSelectedModem) + kModem + "\n"));
}

TEST_F(Report, AMissingEntryAndAModemRasDoesNotListAreStated) {
  StartAt(Generation::kWinXp);
  StoreSettings({{"Connection", "Gone"}, {"Modem", "Old Phone"}});
  const std::string report = Build();
  EXPECT_TRUE(Has(report, Text(TextId::ReportEntryMissing) + "623"));
  EXPECT_TRUE(Has(report, Text(TextId::ReportSelectedModem) + "Old Phone" + Text(TextId::ReportNotInList)));
}

TEST_F(Report, LogShowsTheLastLinesDecrypted) {
  StartAt(Generation::kWinXp);
  std::string log;
  for (int i = 1; i <= 250; ++i) log += EncryptString("line " + std::to_string(i)) + "\r\n";
  log += std::string(48, 'D') + "\r\n";  // looks encrypted, is not
  files_.files[kLog] = log;
  auto lines = Section(Build(), TextId::ReportSecLog);
  ASSERT_EQ(lines.size(), 2u + kLogLinesShown);
  EXPECT_EQ(lines[0], kLog);
  EXPECT_EQ(lines[1], Text(TextId::ReportLogLines) + "200");
  EXPECT_EQ(lines[2], "line 52");
  EXPECT_EQ(lines[200], "line 250");
  EXPECT_EQ(lines[201], Text(TextId::ReportDamaged) + Text(TextId::ReportNoDecrypt) + ": " + std::string(48, 'D'));

  // A file longer than what is read: the line cut at the start is left out.
  files_.files[kLog] = std::string(300000, 'x') + "\r\nlast\r\n";
  lines = Section(Build(), TextId::ReportSecLog);
  EXPECT_GE(files_.lastMax, 64u * 1024);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[2], "last");
}

TEST(ReportFileName, OneAMinuteInAscii) {
  EXPECT_EQ(ReportFileName({2026, 3, 9, 7, 5, 59, 0}), "Dialwave-report-20260309-0705.txt");
  EXPECT_EQ(ReportFileName({2026, 12, 31, 23, 59, 0, 0}), "Dialwave-report-20261231-2359.txt");
}

TEST_F(Report, WriteReportGoesThroughTheFilesPort) {
  StartAt(Generation::kWin98);
  const ReportSources sources{&environment_, &facts_, &registry_, &files_, nullptr, &clock_};
  ASSERT_TRUE(WriteReport(sources, "C:\\report.txt"));
  EXPECT_EQ(files_.files["C:\\report.txt"].rfind(Text(TextId::ReportTitle), 0), 0u);
  files_.refuse = true;
  EXPECT_FALSE(WriteReport(sources, "C:\\other.txt"));
}

}  // namespace
}  // namespace dw::report
