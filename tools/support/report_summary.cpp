#include "support/report_summary.h"

#include <algorithm>
#include <map>
#include <ostream>

#include "ras/advice.h"
#include "report/report.h"
#include "text/cp1251.h"
#include "text/texts.h"

namespace dw::support {
namespace {

std::string Utf8(TextId id) { return std::string(TextUtf8(id)); }

std::string SectionOf(TextId id) { return report::SectionLine(TextUtf8(id)); }

bool StartsWith(std::string_view line, std::string_view prefix) {
  return line.substr(0, prefix.size()) == prefix;
}

// "  [691] 09.12.2026 11:58:03, APN ...": the code and the time.
std::optional<ReportedAttempt> AttemptOf(std::string_view line) {
  if (!StartsWith(line, "  [")) return std::nullopt;
  const auto close = line.find(']');
  if (close == std::string_view::npos || close == 3 || close > 13) return std::nullopt;
  std::uint64_t code = 0;
  for (const char c : line.substr(3, close - 3)) {
    if (c < '0' || c > '9') return std::nullopt;
    code = code * 10 + static_cast<std::uint64_t>(c - '0');
  }
  if (code > 0xFFFFFFFFu) return std::nullopt;
  const auto comma = line.find(',', close);
  const std::size_t start = std::min(close + 2, line.size());
  return ReportedAttempt{static_cast<std::uint32_t>(code),
                         std::string(line.substr(start, (comma == std::string_view::npos ? line.size() : comma) - start))};
}

}  // namespace

std::optional<ReadReport> ParseReport(std::string_view text) {
  std::vector<std::string_view> lines = report::SplitLines(text);
  // A UTF-8 byte-order mark, as an editor may have saved it.
  if (!lines.empty() && StartsWith(lines[0], "\xEF\xBB\xBF")) lines[0].remove_prefix(3);
  if (lines.empty() || lines[0] != TextUtf8(TextId::ReportTitle)) return std::nullopt;

  ReadReport report;
  const auto titles = report::SectionTitles();
  std::size_t next = 0;  // the title expected next
  TextId section = TextId::Count;  // none yet, or after the end
  const std::string endLine = SectionOf(TextId::ReportEnd);
  const std::vector<std::pair<TextId, std::string>> factLabels = {
      {TextId::ReportFileVersion, Utf8(TextId::ReportFileVersion)},
      {TextId::ReportWinVersion, Utf8(TextId::ReportWinVersion)},
      {TextId::ReportGeneration, Utf8(TextId::ReportGeneration)},
      {TextId::ReportAdmin, Utf8(TextId::ReportAdmin)},
      {TextId::ReportAdmin9x, Utf8(TextId::ReportAdmin9x)},
      {TextId::ReportElevated, Utf8(TextId::ReportElevated)},
      {TextId::ReportRasLibrary, Utf8(TextId::ReportRasLibrary)},
      {TextId::ReportRasDevices, Utf8(TextId::ReportRasDevices)},
      {TextId::ReportSelectedModem, Utf8(TextId::ReportSelectedModem)},
      {TextId::ReportEntryName, Utf8(TextId::ReportEntryName)},
      {TextId::ReportDevice, Utf8(TextId::ReportDevice)},
      {TextId::ReportNumber, Utf8(TextId::ReportNumber)},
      {TextId::ReportPassword, Utf8(TextId::ReportPassword)},
      {TextId::ReportUpdateAnswer, Utf8(TextId::ReportUpdateAnswer)},
      {TextId::ReportAttemptsDamaged, Utf8(TextId::ReportAttemptsDamaged)},
      {TextId::ReportAttemptsDamagedNow, Utf8(TextId::ReportAttemptsDamagedNow)},
      {TextId::ReportNoLedger, Utf8(TextId::ReportNoLedger)},
      {TextId::ReportNoLog, Utf8(TextId::ReportNoLog)},
      {TextId::ReportLogLines, Utf8(TextId::ReportLogLines)},
  };
  const std::string damaged = Utf8(TextId::ReportDamaged);
  bool devicesListed = false;
  bool modemListed = false;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::string_view line = lines[i];
    if (line == endLine) {
      report.ended = true;
      section = TextId::Count;
      continue;
    }
    // Sections in their order; one found later than expected means the ones
    // between are missing.
    bool opened = false;
    for (std::size_t k = next; k < titles.size(); ++k) {
      if (line != SectionOf(titles[k])) continue;
      for (std::size_t m = next; m < k; ++m) report.missingSections.push_back(Utf8(titles[m]));
      next = k + 1;
      section = titles[k];
      opened = true;
      break;
    }
    if (opened || section == TextId::Count) continue;
    if (section == TextId::ReportSecAttempts) {
      if (auto attempt = AttemptOf(line)) report.attempts.push_back(std::move(*attempt));
    }
    if (section == TextId::ReportSecLog) continue;  // the log's lines are the program's, not facts
    for (const auto& [id, label] : factLabels) {
      if (!StartsWith(line, label)) continue;
      report.facts.emplace_back(line);
      const std::string_view value = line.substr(label.size());
      if (id == TextId::ReportRasLibrary && value == TextUtf8(TextId::ReportNotLoaded)) {
        report.rasNotLoaded = true;
      }
      if (id == TextId::ReportRasDevices) devicesListed = true;
      if (id == TextId::ReportSelectedModem &&
          value.find(TextUtf8(TextId::ReportNotInList)) != std::string_view::npos) {
        report.modemMissing = true;
      }
      break;
    }
    if (section == TextId::ReportSecModems && StartsWith(line, "  ")) {
      std::string type(line.substr(2, line.find(':') == std::string_view::npos ? 0 : line.find(':') - 2));
      for (char& c : type) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
      modemListed = modemListed || type == "modem";
    }
    if (section == TextId::ReportSecSettings && line.find(damaged) != std::string_view::npos) {
      report.facts.emplace_back(line);
    }
    if (section == TextId::ReportSecModems && StartsWith(line, Utf8(TextId::ReportRasFailed))) {
      report.facts.emplace_back(line);
      std::uint32_t code = 0;
      bool digits = false;
      for (const char c : line.substr(Utf8(TextId::ReportRasFailed).size())) {
        if (c < '0' || c > '9') break;
        code = code * 10 + static_cast<std::uint32_t>(c - '0');
        digits = true;
      }
      if (digits) report.rasFailure = code;
    }
  }
  for (std::size_t m = next; m < titles.size(); ++m) report.missingSections.push_back(Utf8(titles[m]));
  report.noModem = devicesListed && !modemListed;
  return report;
}

void PrintSummary(const ReadReport& report, std::ostream& out) {
  auto advise = [&](std::uint32_t code) {
    out << "What to do: " << Cp1251ToUtf8(ras::Advice(code)) << "\n";
  };
  // The failures since the last connection are today's problem; of them the
  // most frequent code, the newest first among equals.
  std::vector<ReportedAttempt> failures;
  for (const ReportedAttempt& a : report.attempts) {
    if (a.code == 0) break;
    failures.push_back(a);
  }
  if (!failures.empty()) {
    std::map<std::uint32_t, int> counts;
    for (const auto& a : failures) ++counts[a.code];
    const ReportedAttempt* likeliest = &failures.front();
    for (const auto& a : failures) {
      if (counts[a.code] > counts[likeliest->code]) likeliest = &a;
    }
    out << "Likeliest cause: RAS error " << likeliest->code << ", "
        << Cp1251ToUtf8(ras::AdviceCause(likeliest->code)) << " (" << counts[likeliest->code] << " of "
        << failures.size() << " failed attempts since the last connection; latest " << likeliest->when
        << ")\n";
    advise(likeliest->code);
    for (const auto& [code, n] : counts) {
      if (code != likeliest->code) {
        out << "Also: RAS error " << code << " (" << n << "x), " << Cp1251ToUtf8(ras::AdviceCause(code))
            << "\n";
      }
    }
  } else if (report.rasNotLoaded) {
    out << "Likeliest cause: the RAS library (rasapi32.dll) is not loaded: Dial-Up Networking is not "
           "installed\n";
  } else if (report.rasFailure) {
    out << "Likeliest cause: RAS error " << *report.rasFailure << " listing the modems, "
        << Cp1251ToUtf8(ras::AdviceCause(*report.rasFailure)) << "\n";
    advise(*report.rasFailure);
  } else if (report.noModem) {
    out << "Likeliest cause: RAS lists no modem: the phone is not connected or its driver is not "
           "installed\n";
  } else if (report.modemMissing) {
    out << "Likeliest cause: the selected modem is not among the RAS devices: the phone is not "
           "connected, or another modem must be chosen\n";
  } else if (!report.attempts.empty()) {
    out << "Likeliest cause: none seen: the last connect attempt succeeded (" << report.attempts.front().when
        << ")\n";
  } else {
    out << "Likeliest cause: none seen: the report holds no connect attempt\n";
  }
  out << "Attempts in the report: " << report.attempts.size() << "\n";
  for (const auto& fact : report.facts) out << "  " << fact << "\n";
  if (report.Complete()) {
    out << "Report: complete\n";
  } else {
    out << "Report: INCOMPLETE";
    for (std::size_t i = 0; i < report.missingSections.size(); ++i) {
      out << (i ? ", " : "; missing sections: ") << report.missingSections[i];
    }
    if (!report.ended) out << "; its end is missing (cut short)";
    out << "\n";
  }
}

}  // namespace dw::support
