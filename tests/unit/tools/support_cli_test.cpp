// dialwave-support as its users run it: the built program, its output and
// its exit status. The program lies beside the test executable. Native only:
// it starts the native program through the shell.
#ifndef _WIN32
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "crypto/encrypt.h"
#include "log/log.h"
#include "platform/fake/memory_registry.h"
#include "ras/advice.h"
#include "ras/context.h"
#include "ras/readiness.h"
#include "core/entry_points.h"
#include "core/simulator.h"
#include "core/store.h"
#include "platform/threads.h"
#include "report/history.h"
#include "text/cp1251.h"
#include "text/texts.h"
#include "unit/log/log_test_support.h"
#include "unit/report/report_fakes.h"
#include "usage/ledger_file.h"

#include <sys/wait.h>

namespace dw {
namespace {

struct ToolRun {
  int status = -1;
  std::string out, err;
};

std::string Quoted(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

class SupportTool : public ::testing::Test {
 protected:
  void SetUp() override {
    tool_ = std::filesystem::read_symlink("/proc/self/exe").parent_path() / "dialwave-support";
    if (!std::filesystem::exists(tool_)) GTEST_FAIL() << "not built: " << tool_;
  }

  ToolRun Tool(const std::vector<std::string>& args) {
    ToolRun run;
    const auto errFile =
        std::filesystem::temp_directory_path() / ("dw-support-err-" + std::to_string(::getpid()));
    std::string command = Quoted(tool_.string());
    for (const auto& a : args) command += " " + Quoted(a);
    command += " 2>" + Quoted(errFile.string());
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return run;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
    const int wait = ::pclose(pipe);
    run.status = WIFEXITED(wait) ? WEXITSTATUS(wait) : -1;
    std::ifstream err(errFile, std::ios::binary);
    run.err.assign(std::istreambuf_iterator<char>(err), std::istreambuf_iterator<char>());
    std::filesystem::remove(errFile);
    return run;
  }

  std::filesystem::path tool_;
};

TEST_F(SupportTool, EncryptAndDecryptRoundTripWithTheProgram) {
  const std::string russian = "Корвана: нет связи с модемом";
  ToolRun enc = Tool({"encrypt", russian});
  ASSERT_EQ(enc.status, 0) << enc.err;
  EXPECT_EQ(enc.out, EncryptString(Utf8ToCp1251(russian)) + "\n");

  const std::string hex = EncryptString(Utf8ToCp1251("internet.kvr\r\nЁлка"));
  ToolRun dec = Tool({"decrypt", hex});
  ASSERT_EQ(dec.status, 0) << dec.err;
  EXPECT_EQ(dec.out, "internet.kvr\r\nЁлка\n");

  ToolRun lower = Tool({"decrypt", "0123456789abcdef0123456789ABCDEF"});
  EXPECT_EQ(lower.status, 0);
  ToolRun empty = Tool({"encrypt", ""});
  EXPECT_EQ(empty.out, EncryptString("") + "\n");
}

// The tool's own output against OpenSSL's Blowfish, as in encrypt_test.cpp:
// BF='openssl enc -bf-cbc -nopad -K 5AC317E8429D06B15AC317E8429D06B1 -iv 5AC317E8429D06B1 -provider legacy -provider default'
// then `... | $BF | xxd -p -u | tr -d '\n'`. The argument is UTF-8; what is
// encrypted is its code page 1251 form.
TEST_F(SupportTool, EncryptGivesOpenSslsAnswers) {
  // { printf '%s' 'Корвана: нет связи с модемом' | iconv -f UTF-8 -t CP1251;
  //   head -c 12 /dev/zero; } | $BF
  ToolRun cyrillic = Tool({"encrypt", "Корвана: нет связи с модемом"});
  EXPECT_EQ(cyrillic.status, 0) << cyrillic.err;
  EXPECT_EQ(cyrillic.out,
            "9F0515F05E652B90544C304AC85133304953F6340DE5F1C4E273B7829F2A8F17506D1EEBEF95D0CE\n");
  // { printf 'internet1'; head -c 15 /dev/zero; } | $BF
  ToolRun nine = Tool({"encrypt", "internet1"});
  EXPECT_EQ(nine.status, 0) << nine.err;
  EXPECT_EQ(nine.out, "38C291D3A4AE5FE3292B8E894766DF959E575BB5909A3CA1\n");
  // head -c 16 /dev/zero | $BF
  ToolRun empty = Tool({"encrypt", ""});
  EXPECT_EQ(empty.status, 0) << empty.err;
  EXPECT_EQ(empty.out, "BDD65416378FA0C12B40C32B92B3D660\n");
}

TEST_F(SupportTool, DecryptLogGivesTheExactRecords) {
  testing::LogFolder folder;
  {
    std::ofstream old(folder.LogPath(), std::ios::binary);
    // An earlier plain run ("/l /n") and a stray non-hex line.
    old << "1:00:00 : src: WINVER      code: 410         msg: version of Windows\r\n"
        << Utf8ToCp1251("заметка") << "\r\n\r\n";
  }
  folder.Configure({"/l"});
  WriteLog("WINVER", 501, "version of Windows");
  WriteLog("RAS-Dial", 691, Utf8ToCp1251("Доступ запрещён"));
  WriteLog("FIRST_START", 888, "");

  ToolRun run = Tool({"decrypt-log", folder.LogPath().string()});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "1:00:00 : src: WINVER      code: 410         msg: version of Windows\n"
            "заметка\n"
            "\n"
            "9:05:03 : src: WINVER      code: 501         msg: version of Windows\n"
            "9:05:03 : src: RAS-Dial      code: 691         msg: Доступ запрещён\n"
            "9:05:03 : src: FIRST_START      code: 888         msg: \n");
  EXPECT_EQ(run.err, "");
}

TEST_F(SupportTool, ErrorsAndUsage) {
  ToolRun missing = Tool({"decrypt-log", "/nonexistent/GPRSlog.log"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.out, "");
  EXPECT_EQ(std::count(missing.err.begin(), missing.err.end(), '\n'), 1) << missing.err;

  for (const char* bad : {"xyz", "", "0123456789ABCDE", "0123456789ABCDEF 0123456789ABCDE"}) {
    ToolRun notHex = Tool({"decrypt", bad});
    EXPECT_EQ(notHex.status, 1) << bad;
    EXPECT_EQ(std::count(notHex.err.begin(), notHex.err.end(), '\n'), 1) << notHex.err;
  }

  const std::vector<std::vector<std::string>> usage = {
      {}, {"frobnicate"}, {"encrypt"}, {"decrypt", "a", "b"}, {"decrypt-log"}, {"settings", "x"}};
  for (const auto& args : usage) {
    ToolRun run = Tool(args);
    EXPECT_EQ(run.status, 2) << args.size();
    EXPECT_NE(run.err.find("usage: dialwave-support"), std::string::npos);
    EXPECT_EQ(run.out, "");
  }

  ToolRun help = Tool({"--help"});
  EXPECT_EQ(help.status, 0);
  for (const char* command : {"decrypt-log FILE", "encrypt TEXT", "decrypt HEX", "settings"}) {
    EXPECT_NE(help.out.find(command), std::string::npos) << command;
  }

  ToolRun settings = Tool({"settings"});  // no registry on this side
  EXPECT_EQ(settings.status, 1);
}

TEST_F(SupportTool, UsagePrintsTheNewestIntactCopyAsCsvAndRefusesADamagedFile) {
  testing::LogFolder folder;  // a private folder to write in
  const std::string path = (folder.LogPath().parent_path() / "usage.dat").string();
  const auto write = [&](const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  };
  usage::Ledger older;
  older.Add(usage::DayOf(2026, 2, 28), {1000, 200, 59'999});
  usage::Ledger newer = older;
  newer.Add(usage::DayOf(2026, 3, 1), {std::uint64_t{5} << 32, 7, 3'600'000});
  newer.Add(usage::DayOf(1999, 12, 31), {1, 2, 3});
  std::string file = usage::EncodeSlot(older, 1) + usage::EncodeSlot(newer, 2);
  write(file);

  ToolRun run = Tool({"usage", path});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "date,bytes_received,bytes_sent,connected_seconds\n"
            "1999-12-31,1,2,0\n"
            "2026-02-28,1000,200,59\n"
            "2026-03-01,21474836480,7,3600\n");
  EXPECT_EQ(run.err, "");

  // One copy damaged: the other is printed, and support staff are told.
  file[usage::kSlotBytes + 60] ^= 1;
  write(file);
  run = Tool({"usage", path});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "date,bytes_received,bytes_sent,connected_seconds\n2026-02-28,1000,200,59\n");
  EXPECT_NE(run.err.find("one copy is damaged"), std::string::npos) << run.err;

  // Both: refused, with one clear line and no CSV.
  file[60] ^= 1;
  write(file);
  run = Tool({"usage", path});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "dialwave-support: " + path +
                         ": damaged usage file: neither of its two copies is intact\n");
  write("GPRSlog.log is not a ledger");
  EXPECT_EQ(Tool({"usage", path}).status, 1);

  // A newer program's file is not guessed at.
  std::string v2 = usage::EncodeSlot(newer, 3);
  v2[4] = 2;
  const std::uint32_t crc = usage::Crc32(std::string_view(v2).substr(0, usage::kSlotBytes - 4));
  for (int i = 0; i < 4; ++i) v2[usage::kSlotBytes - 4 + i] = static_cast<char>(crc >> (8 * i));
  write(v2 + std::string(usage::kSlotBytes, '\0'));
  run = Tool({"usage", path});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("newer Dialwave (usage file format 2; this tool reads format 1)"),
            std::string::npos)
      << run.err;

  // Never written: nothing to list.
  write("");
  run = Tool({"usage", path});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "date,bytes_received,bytes_sent,connected_seconds\n");

  EXPECT_EQ(Tool({"usage", "/nonexistent/usage.dat"}).status, 1);
  EXPECT_EQ(Tool({"usage", folder.LogPath().parent_path().string()}).status, 1);
  EXPECT_EQ(Tool({"usage"}).status, 2);
  EXPECT_NE(Tool({"--help"}).out.find("usage FILE"), std::string::npos);
}

TEST_F(SupportTool, CheckUpdateReportsAnUnreachableServer) {
  // Port 9 on loopback: nothing listens there, the refusal is immediate.
  ::setenv("DIALWAVE_UPDATE_SERVER", "127.0.0.1:9", 1);
  ToolRun run = Tool({"check-update", "--version", "1.0.7"});
  ::unsetenv("DIALWAVE_UPDATE_SERVER");
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_NE(run.out.find("result=false\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("version=1.0.7\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("apn=internet.kvr\n"), std::string::npos) << "the old list stays";
  EXPECT_EQ(Tool({"check-update", "--bogus"}).status, 2);
}

// A report as the program writes it, with these connect attempts, oldest
// first; RAS is the simulator's default service, or none without `ras`.
std::string MadeReport(const std::vector<ras::Dword>& codes, bool ras = true) {
  MemoryRegistry registry;
  sim::MemoryStore store;
  sim::FakeSimClock simClock;
  sim::Simulator simulator({ras::Generation::kWinXp, &store, &simClock, &registry, {}});
  const sim::SimRasLibrary library(simulator);
  ras::ConfigureRas({ras ? &library : nullptr, 501, nullptr, nullptr, nullptr, 0,
                     std::chrono::milliseconds(500)});
  for (std::size_t i = 0; i < codes.size(); ++i) {
    report::ConnectAttempt a;
    a.time = {2026, 12, 9, 10, static_cast<int>(i), 0, 0};
    a.apn = "internet.kvr";
    a.number = "*99***1#";
    a.code = codes[i];
    EXPECT_TRUE(report::RecordAttempt(registry, a));
  }
  FixedEnvironment environment;
  report::FixedFacts facts;
  report::MemoryFiles files;
  FakeClock clock;
  std::string report = report::BuildReport({&environment, &facts, &registry, &files, nullptr, &clock});
  for (int i = 0; i < 500 && ras::RunningRasWorkers() != 0; ++i) dw::SleepFor(std::chrono::milliseconds(10));
  ras::ConfigureRas({});
  return report;
}

class SupportReport : public SupportTool {
 protected:
  ToolRun Read(const std::string& content) {
    const auto file = std::filesystem::temp_directory_path() /
                      ("dw-report-" + std::to_string(::getpid()) + "-" + std::to_string(files_++) + ".txt");
    std::ofstream(file, std::ios::binary) << content;
    ToolRun run = Tool({"report", file.string()});
    std::filesystem::remove(file);
    return run;
  }
  static std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    for (std::size_t end; (end = text.find('\n', at)) != std::string::npos; at = end + 1) {
      lines.push_back(text.substr(at, end - at));
    }
    return lines;
  }
  int files_ = 0;
};

TEST_F(SupportReport, TheLikeliestCauseComesFirst) {
  // Failures since the last connection: 633 once, then 691 twice.
  const ToolRun run = Read(MadeReport({734, 0, 633, 691, 691}));
  ASSERT_EQ(run.status, 0) << run.err << run.out;
  const auto lines = Lines(run.out);
  ASSERT_GE(lines.size(), 4u) << run.out;
  EXPECT_EQ(lines[0], "Likeliest cause: RAS error 691, " + Cp1251ToUtf8(ras::AdviceCause(691)) +
                          " (2 of 3 failed attempts since the last connection; latest 09.12.2026 10:04:00)");
  EXPECT_EQ(lines[1], "What to do: " + Cp1251ToUtf8(ras::Advice(691)));
  EXPECT_EQ(lines[2], "Also: RAS error 633 (1x), " + Cp1251ToUtf8(ras::AdviceCause(633)));
  EXPECT_EQ(lines[3], "Attempts in the report: 5");
  EXPECT_EQ(lines.back(), "Report: complete");
  EXPECT_NE(run.out.find("  " + std::string(TextUtf8(TextId::ReportFileVersion)) + "1.0.0.1\n"),
            std::string::npos);
  EXPECT_EQ(run.err, "");

  // Equal counts: the newest code.
  const ToolRun tie = Read(MadeReport({633, 691}));
  EXPECT_EQ(Lines(tie.out).at(0).rfind("Likeliest cause: RAS error 691,", 0), 0u) << tie.out;
  // The last attempt connected.
  const ToolRun fine = Read(MadeReport({691, 0}));
  EXPECT_EQ(Lines(fine.out).at(0).rfind("Likeliest cause: none seen: the last connect attempt succeeded", 0), 0u)
      << fine.out;
  // No attempt at all: what else the report shows (here: no RAS library).
  const ToolRun none = Read(MadeReport({}, false));
  EXPECT_EQ(Lines(none.out).at(0).rfind("Likeliest cause: the RAS library (rasapi32.dll) is not loaded", 0), 0u)
      << none.out;
}

TEST_F(SupportReport, ReadsItAsNotepadMayHaveSavedIt) {
  const std::string report = MadeReport({691});
  // UTF-8 with a byte-order mark and bare line feeds.
  std::string utf8 = "\xEF\xBB\xBF" + Cp1251ToUtf8(report);
  utf8.erase(std::remove(utf8.begin(), utf8.end(), '\r'), utf8.end());
  const ToolRun run = Read(utf8);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Lines(run.out).at(0).rfind("Likeliest cause: RAS error 691,", 0), 0u) << run.out;
}

TEST_F(SupportReport, AReportCutShortIsIncomplete) {
  const std::string report = MadeReport({691});
  // Cut inside the settings section: it and every later one go, and the end.
  const std::string cut = report.substr(0, report.find(Text(TextId::ReportSecSettings)) + 4);
  const ToolRun run = Read(cut);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("Report: INCOMPLETE; missing sections: " +
                         std::string(TextUtf8(TextId::ReportSecSettings)) + ", " +
                         std::string(TextUtf8(TextId::ReportSecAttempts))),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("its end is missing"), std::string::npos);
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;

  // A section taken out of the middle is missing too, the end being there.
  const std::string title = "\r\n" + report::SectionLine(Text(TextId::ReportSecRights)) + "\r\n";
  std::string holed = report;
  holed.erase(holed.find(title), title.size());
  const ToolRun hole = Read(holed);
  EXPECT_EQ(hole.status, 1);
  EXPECT_NE(hole.out.find("missing sections: " + std::string(TextUtf8(TextId::ReportSecRights)) + "\n"),
            std::string::npos)
      << hole.out;
}

TEST_F(SupportReport, RefusesWhatIsNotAReport) {
  const std::string log = "9:05:03 : src: WINVER      code: 501         msg: version of Windows\r\n";
  for (const std::string& content : {log, std::string(), std::string("Dialwave\r\n"),
                                     EncryptString(Text(TextId::ReportTitle))}) {
    const ToolRun run = Read(content);
    EXPECT_EQ(run.status, 1) << content;
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("not a Dialwave support report"), std::string::npos) << run.err;
  }
  const ToolRun missing = Tool({"report", "/nonexistent/report.txt"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("cannot open"), std::string::npos);
  EXPECT_EQ(Tool({"report"}).status, 2);
  EXPECT_EQ(Tool({"report", "a", "b"}).status, 2);
}

}  // namespace
}  // namespace dw
#endif  // _WIN32
