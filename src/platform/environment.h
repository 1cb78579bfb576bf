// What the program learns about the machine and its own start.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/clock.h"

namespace dw {

class Environment {
 public:
  virtual ~Environment() = default;

  // Major * 100 + minor of the running Windows (410, 490, 500, 501, ...),
  // from the ANSI version record; 0 when the system will not say.
  virtual std::uint32_t WinVer() const = 0;
  // 1 for the Windows 9x family, 2 for the NT family.
  virtual std::uint32_t PlatformId() const = 0;
  // The command-line arguments after the program name, in order.
  virtual std::vector<std::string> Arguments() const = 0;
  // Full path of the running executable, in the system's ANSI code page.
  virtual std::string ExecutablePath() const = 0;
  // The time of day (no date) in the user's long time format, as the system
  // formats it; ANSI code page.
  virtual std::string FormatLongTime(const LocalDateTime& time) const = 0;
  // "FileVersion" of the file's version resource, from the string table of
  // its first translation; empty on any failure.
  virtual std::string FileVersion(const std::string& path) const = 0;
};

// Fixed answers, for tests and the native build.
class FixedEnvironment : public Environment {
 public:
  std::uint32_t winVer = 501;
  std::uint32_t platformId = 2;
  std::vector<std::string> arguments;
  std::string executablePath = "C:\\Korvana\\dialwave.exe";
  std::string fileVersion = "1.0.0.1";  // of every path

  std::uint32_t WinVer() const override { return winVer; }
  std::uint32_t PlatformId() const override { return platformId; }
  std::vector<std::string> Arguments() const override { return arguments; }
  std::string ExecutablePath() const override { return executablePath; }
  // "H:mm:ss", the Russian systems' long time format.
  std::string FormatLongTime(const LocalDateTime& t) const override {
    char text[48];
    std::snprintf(text, sizeof text, "%d:%02d:%02d", t.hour, t.minute, t.second);
    return text;
  }
  std::string FileVersion(const std::string&) const override { return fileVersion; }
};

}  // namespace dw
