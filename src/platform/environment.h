// What the program learns about the machine and its own start.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

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
};

// Fixed answers, for tests and the native build.
class FixedEnvironment : public Environment {
 public:
  std::uint32_t winVer = 501;
  std::uint32_t platformId = 2;
  std::vector<std::string> arguments;
  std::string executablePath = "C:\\Korvana\\dialwave.exe";

  std::uint32_t WinVer() const override { return winVer; }
  std::uint32_t PlatformId() const override { return platformId; }
  std::vector<std::string> Arguments() const override { return arguments; }
  std::string ExecutablePath() const override { return executablePath; }
};

}  // namespace dw
