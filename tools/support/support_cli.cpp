#include "support/support_cli.h"

#include <iterator>
#include <ostream>
#include <sstream>

#include "crypto/encrypt.h"
#include "support/log_file.h"
#include "support/report_summary.h"
#include "log/log.h"
#include "settings/settings.h"
#include "settings/stored_form.h"
#include "platform/clock.h"
#include "platform/tcp.h"
#include "text/cp1251.h"
#include "text/texts.h"
#include "update/check_update.h"
#include "usage/calendar.h"
#include "usage/ledger_file.h"

namespace dw::support {
namespace {

// Of the program's file version 1.0.0.N, as the program itself reports it.
constexpr std::string_view kProgramVersion = "1.0";

constexpr const char* kUsage =
    "usage: dialwave-support COMMAND [ARGUMENT]\n"
    "\n"
    "Reads what Dialwave stores, for the operator's support staff.\n"
    "\n"
    "commands:\n"
    "  decrypt-log FILE  print every line of a log file (GPRSlog.log) decrypted;\n"
    "                    lines that are not encrypted pass through unchanged\n"
    "  encrypt TEXT      print the stored (encrypted) form of TEXT\n"
    "  decrypt HEX       print the text of a stored (encrypted) form\n"
    "  report FILE       check a support report (dialwave.exe /report FILE, or the about\n"
    "                    panel's link) for completeness and sum it up, the likeliest\n"
    "                    cause of a failing connection first; exit status 1 when the\n"
    "                    file is not a report or a section is missing\n"
    "  settings          print the values under HKEY_LOCAL_MACHINE\\Software\\Korvana\\Dialwave\n"
    "                    as Name=value, decrypted, and mark values stored in plain text\n"
    "                    (Windows build only)\n"
    "  usage FILE        print a usage ledger (usage.dat) as CSV, one day a line:\n"
    "                    date (YYYY-MM-DD),bytes received,bytes sent,connected seconds\n"
    "  check-update [--version V] [--apns A,B,...]\n"
    "                    ask the update server (DIALWAVE_UPDATE_SERVER, host or host:port,\n"
    "                    or the built-in one) for the APN list as Dialwave would, and print\n"
    "                    result=, message=, version= and apn= lines\n"
    "  --help            print this text\n"
    "\n"
    "Texts are read and printed in UTF-8; Dialwave stores them in code page 1251.\n"
    "Exit status: 0 success, 1 error (one line on standard error), 2 usage error.\n";

bool IsValidUtf8(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size()) {
    const auto c = static_cast<unsigned char>(s[i]);
    std::size_t extra = 0;
    char32_t cp = 0;
    if (c < 0x80) {
      ++i;
      continue;
    }
    if (c >= 0xC2 && c <= 0xDF) {
      extra = 1;
      cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      extra = 2;
      cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      extra = 3;
      cp = c & 0x07;
    } else {
      return false;
    }
    if (i + extra >= s.size()) return false;
    for (std::size_t k = 1; k <= extra; ++k) {
      const auto d = static_cast<unsigned char>(s[i + k]);
      if ((d & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (d & 0x3F);
    }
    // Overlong forms, surrogates and code points past U+10FFFF.
    if ((extra == 2 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
        (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF))) {
      return false;
    }
    i += extra + 1;
  }
  return true;
}

// Log lines are code page 1251; a line someone already turned into UTF-8
// stays as it is.
std::string ToUtf8(std::string_view cp1251OrUtf8) {
  return IsValidUtf8(cp1251OrUtf8) ? std::string(cp1251OrUtf8) : Cp1251ToUtf8(cp1251OrUtf8);
}

int Usage(std::ostream& err) {
  err << kUsage;
  return kExitUsage;
}

int Fail(std::ostream& err, const std::string& message) {
  err << "dialwave-support: " << message << "\n";
  return kExitError;
}

int DecryptLog(const std::string& file, std::ostream& out, std::ostream& err) {
  const LogFile log = ReadLogFile(file);
  if (log.error == LogFileError::kFolder) return Fail(err, file + ": is a folder, not a log file");
  if (log.error == LogFileError::kCannotOpen) return Fail(err, "cannot open " + file);
  if (log.error == LogFileError::kCannotRead) return Fail(err, "cannot read " + file);
  const std::string& content = log.content;

  std::size_t start = 0;
  while (start < content.size()) {
    std::size_t end = content.find('\n', start);
    if (end == std::string::npos) end = content.size();
    std::string_view line(content.data() + start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    // A decrypted record is the writer's own 1251 text.
    out << (LooksEncrypted(line) ? Cp1251ToUtf8(DecryptString(line)) : ToUtf8(line)) << "\n";
    start = end + 1;
  }
  return kExitOk;
}

int SumUpReport(const std::string& file, std::ostream& out, std::ostream& err) {
  const LogFile read = ReadLogFile(file);
  if (read.error == LogFileError::kFolder) return Fail(err, file + ": is a folder, not a report");
  if (read.error == LogFileError::kCannotOpen) return Fail(err, "cannot open " + file);
  if (read.error == LogFileError::kCannotRead) return Fail(err, "cannot read " + file);
  const auto report = ParseReport(ToUtf8(read.content));
  if (!report) {
    return Fail(err, file + ": not a Dialwave support report (its first line is not \"" +
                         std::string(TextUtf8(TextId::ReportTitle)) + "\")");
  }
  PrintSummary(*report, out);
  if (!report->Complete()) return Fail(err, file + ": the report is incomplete");
  return kExitOk;
}

int Decrypt(const std::string& hex, std::ostream& out, std::ostream& err) {
  if (!LooksEncrypted(hex)) {
    return Fail(err,
                "not an encrypted text: expected hex digits in groups of 16, got \"" + hex + "\"");
  }
  out << Cp1251ToUtf8(DecryptString(hex)) << "\n";
  return kExitOk;
}

int PrintUsage(const std::string& file, std::ostream& out, std::ostream& err) {
  const LogFile read = ReadLogFile(file);
  if (read.error == LogFileError::kFolder) {
    return Fail(err, file + ": is a folder, not a usage file");
  }
  if (read.error == LogFileError::kCannotOpen) return Fail(err, "cannot open " + file);
  if (read.error == LogFileError::kCannotRead) return Fail(err, "cannot read " + file);
  const usage::LedgerImage image = usage::DecodeFile(read.content);
  switch (image.state) {
    case usage::FileState::kDamaged:
      return Fail(err, file + ": damaged usage file: neither of its two copies is intact");
    case usage::FileState::kNewerVersion:
      return Fail(err, file + ": written by a newer Dialwave (usage file format " +
                           std::to_string(image.version) + "; this tool reads format " +
                           std::to_string(usage::kFormatVersion) + ")");
    case usage::FileState::kEmpty:
    case usage::FileState::kIntact:
      break;
  }
  // Dialwave reads the newest intact copy; so does this.
  if (image.otherDamaged) {
    err << "dialwave-support: note: " << file
        << ": one copy is damaged; the newest intact one is printed\n";
  }
  out << "date,bytes_received,bytes_sent,connected_seconds\n";
  for (const usage::DayUsage& day : image.ledger.Days()) {
    out << usage::IsoDate(day.day) << ',' << day.usage.received << ',' << day.usage.sent << ','
        << day.usage.connectedMs / 1000 << '\n';
  }
  return kExitOk;
}

int PrintSettings(const Registry* registry, std::ostream& out, std::ostream& err) {
  if (registry == nullptr) return Fail(err, "settings: only the Windows build reads the registry");
  const auto key = registry->OpenReadOnly(kSettingsRoot, kSettingsKeyPath);
  if (!key) {
    return Fail(err, "no settings: cannot open HKEY_LOCAL_MACHINE" + std::string(kSettingsKeyPath));
  }
  for (const auto& value : InspectStoredValues(*key)) {
    const std::string name = ToUtf8(value.name);
    if (!value.text) {
      out << name << "=\n# " << name << " is not a text value\n";
      continue;
    }
    std::string text = Cp1251ToUtf8(*value.text);
    // The APN list's line ends would split the line.
    for (std::size_t i = 0; (i = text.find_first_of("\r\n", i)) != std::string::npos;) {
      text.replace(i, 1, text[i] == '\r' ? "\\r" : "\\n");
    }
    out << name << "=" << text << "\n";
    if (value.storedPlain) out << "# " << name << " looks stored in plain text (written with /r)\n";
  }
  return kExitOk;
}

}  // namespace

int RunSupport(const std::vector<std::string>& arguments, const Registry* registry,
               std::ostream& out, std::ostream& err) {
  if (arguments.empty()) return Usage(err);
  const std::string& command = arguments[0];
  if (command == "--help" || command == "-h" || command == "help") {
    if (arguments.size() != 1) return Usage(err);
    out << kUsage;
    return kExitOk;
  }
  if (command == "check-update") {
    const auto clock = MakeSystemClock();
    UpdateClient client(UpdateServerFromEnvironment(), MakeTcpConnection, *clock);
    const std::vector<std::string> rest(arguments.begin() + 1, arguments.end());
    return RunCheckUpdate(rest, kProgramVersion, client, out, err);
  }
  const bool takesArgument = command == "decrypt-log" || command == "encrypt" ||
                             command == "decrypt" || command == "usage" ||
                             command == "report";
  if (takesArgument ? arguments.size() != 2 : (command != "settings" || arguments.size() != 1)) {
    return Usage(err);
  }
  if (command == "decrypt-log") return DecryptLog(arguments[1], out, err);
  if (command == "report") return SumUpReport(arguments[1], out, err);
  if (command == "encrypt") {
    out << EncryptString(Utf8ToCp1251(arguments[1])) << "\n";
    return kExitOk;
  }
  if (command == "decrypt") return Decrypt(arguments[1], out, err);
  if (command == "usage") return PrintUsage(arguments[1], out, err);
  return PrintSettings(registry, out, err);
}

}  // namespace dw::support
