// "dialwave-support report FILE": a support report a subscriber mailed in,
// checked for completeness and summed up with the likeliest cause first.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dw::support {

// One connect attempt as the report lists it.
struct ReportedAttempt {
  std::uint32_t code = 0;
  std::string when;  // as the report writes it
};

// What the reader takes from a report (texts in UTF-8).
struct ReadReport {
  std::vector<std::string> missingSections;  // titles, in the report's order
  bool ended = false;                        // the closing line is there
  std::vector<ReportedAttempt> attempts;     // newest first
  std::vector<std::string> facts;            // the lines worth a summary, in order
  std::optional<std::uint32_t> rasFailure;   // the modem list's RAS error
  bool rasNotLoaded = false;
  bool noModem = false;         // RAS lists its devices, none of them a modem
  bool modemMissing = false;    // the selected modem is not among them
  bool Complete() const { return missingSections.empty() && ended; }
};

// `text` is the file in UTF-8 (CRLF or LF lines); nullopt when it is not a
// report: its first line is not the report's title.
std::optional<ReadReport> ParseReport(std::string_view text);

// The likeliest cause and what to do, then the facts; English around the
// report's Russian. UTF-8.
void PrintSummary(const ReadReport& report, std::ostream& out);

}  // namespace dw::support
