// The support report: one plain text (code page 1251, CRLF lines, readable
// in Notepad on every generation) of what support needs to see why a
// subscriber cannot connect: the program, Windows and the user's rights, the
// modems, the operator's phone-book entry as RAS returns it, the APN list and
// the update server's last answer, the settings, the last connect attempts
// with their advice, the usage of the billing period and the log's tail.
//
// Secrets: the entry's user name, password and domain and the operator's
// login never appear. Their fields read "***"; settings values the program
// does not know are hidden; a log line's "User:" and "Pswd:" and the login a
// modem command carries are masked; and
// every text taken from the machine has each of those secrets (three
// characters or more) replaced by "***" wherever it occurs in it.
//
// Gathering makes no window call and writes nothing: RAS is asked through the
// layer's current context (its waits serve only the calling thread's own
// queue, and no 0x405 is sent), the registry and the log are only read. So
// it may run on a worker thread while the window stays responsive.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "platform/environment.h"
#include "platform/registry.h"
#include "text/texts.h"

namespace dw::report {

enum class Answer { kUnknown, kNo, kYes };

struct WindowsVersion {
  std::uint32_t major = 0, minor = 0, build = 0;
  std::string servicePack;  // ANSI code page
};

struct UserRights {
  Answer administrator = Answer::kUnknown;  // member of Administrators (NT)
  Answer elevated = Answer::kUnknown;       // Vista and later: the token is elevated
  bool limitedAdministrator = false;        // an administrator whose token UAC filtered
};

// What the system says about itself beyond the Environment port.
class SystemFacts {
 public:
  virtual ~SystemFacts() = default;
  virtual WindowsVersion Version() const = 0;
  // Windows 9x has no rights to tell; NT: membership of Administrators and,
  // where the system can say, elevation.
  virtual UserRights Rights() const = 0;
};

// GetVersionExA, and the security functions looked up at run time (NT only).
std::unique_ptr<SystemFacts> MakeWin32SystemFacts(std::uint32_t platformId, std::uint32_t winVer);

// Files the report reads and writes; paths in the ANSI code page.
class ReportFiles {
 public:
  enum class Found { kYes, kMissing, kUnreadable };
  struct Tail {
    Found found = Found::kMissing;
    std::string bytes;  // the last bytes asked for, or the whole file
    bool whole = false; // `bytes` starts at the file's start
  };
  virtual ~ReportFiles() = default;
  virtual Tail ReadTail(const std::string& path, std::size_t maxBytes) = 0;
  // The whole of `bytes` as the file `path`, or nothing: a file already there
  // is replaced only by a complete new one, and a failure leaves nothing
  // behind.
  virtual bool WriteWhole(const std::string& path, std::string_view bytes) = 0;
};

// Win32 files; `platformId` picks the replacing move (9x has no MoveFileEx).
std::unique_ptr<ReportFiles> MakeWin32ReportFiles(std::uint32_t platformId);

// The usage of the billing period, as the usage ledger will tell it.
struct UsageSummary {
  LocalDateTime periodStart;  // the dates count
  LocalDateTime periodEnd;
  std::uint64_t received = 0;
  std::uint64_t sent = 0;
  std::uint64_t secondsOnline = 0;
  std::string notes;  // anything more for support, code page 1251; may be empty
};

class UsageLedgerView {
 public:
  virtual ~UsageLedgerView() = default;
  // The period under way; nullopt when there is no ledger.
  virtual std::optional<UsageSummary> CurrentPeriod() const = 0;
};

struct ReportSources {
  const Environment* environment = nullptr;
  const SystemFacts* system = nullptr;
  Registry* registry = nullptr;  // settings, modems' keys, the history: only read
  ReportFiles* files = nullptr;  // the log's tail
  const UsageLedgerView* usage = nullptr;  // null: no ledger yet
  const Clock* clock = nullptr;
};

// The name the about panel's link gives the report on the desktop:
// "Dialwave-report-YYYYMMDD-HHMM.txt", ASCII so that every code page can
// name it, and a new one for each minute.
std::string ReportFileName(const LocalDateTime& now);

// This machine's report into the file `path`, through the system's own ports
// and `registry` (the program's); RAS through the layer's current context,
// as BuildReport. For the about panel's link on a worker, and /report.
// A null `usage` reads the ledger file where the program keeps it.
// False when the file could not be written (nothing of it is there then).
bool WriteSystemReport(const Environment& environment, Registry& registry, const Clock& clock,
                       const UsageLedgerView* usage, const std::string& path);

inline constexpr std::size_t kLogLinesShown = 200;

// The report's text. Every pointer of `sources` but `usage` is required.
std::string BuildReport(const ReportSources& sources);
// BuildReport into the file `path` through `sources.files`; false when the
// file could not be written (then nothing of it is there).
bool WriteReport(const ReportSources& sources, const std::string& path);

// The sections' titles in the report's order, and the line that opens each
// ("== title ==", code page 1251). The report ends with the line of
// TextId::ReportEnd; a report without it was cut short.
std::span<const TextId> SectionTitles();
std::string SectionLine(std::string_view title);

// A modem's initialisation as the report shows it: the arguments of the
// commands that carry a PDP login (+CGAUTH, ^AUTHDATA, $QCPDPP) masked.
std::string MaskModemCommands(std::string_view init);

// The lines of a text, ended by LF or CR LF, without their ends; a last
// line end adds no empty line.
std::vector<std::string_view> SplitLines(std::string_view text);

// A log line as the report shows it: "User:" and "Pswd:" values masked.
std::string MaskLogLine(std::string_view line);

}  // namespace dw::report
