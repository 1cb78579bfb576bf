// The one diagnostic writer: "GPRSlog.log" beside the executable, written only
// when the program was started with "/l"; encrypted lines unless "/n".
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/command_line.h"
#include "platform/clock.h"
#include "platform/environment.h"

namespace dw {

// Callable from any thread. Texts are code page 1251. Never fails its caller.
// Records of all threads are written one after another; a record that cannot
// be written (file locked, read-only, disk full) is lost and nothing else
// happens. Does nothing until ConfigureLog, or without "/l".
void WriteLog(std::string_view source, std::int32_t code, std::string_view message);

// The code of a record for an error caught where nothing else could handle it.
inline constexpr std::int32_t kCaughtErrorLogCode = 888;

// Only inside a catch block: records the error being handled (its what(), or
// "unknown error") under `source` with kCaughtErrorLogCode. Never throws.
void LogCaughtError(std::string_view source) noexcept;

// Where the records go: the file system, or a fake for tests.
class LogFiles {
 public:
  virtual ~LogFiles() = default;
  // Appends `bytes` to the file, creating it when missing and never
  // truncating it; the file is closed again before returning. False when the
  // file cannot be opened, written or closed.
  virtual bool Append(const std::string& path, std::string_view bytes) = 0;
};

// The C library's files, opened for appending in binary mode (the line ends
// are ours). The path is in the system's ANSI code page.
std::shared_ptr<LogFiles> MakeStdioLogFiles();

struct LogSetup {
  CommandLine commandLine;     // "/l" first turns the log on, "/n" second makes it plain
  std::string executablePath;  // the log lives in its folder
  std::shared_ptr<const Clock> clock;
  std::shared_ptr<const Environment> environment;  // the system's long time format
  std::shared_ptr<LogFiles> files;                 // null: MakeStdioLogFiles()
};

// Called once at start-up, before any worker exists; tests may call it again.
// Without a clock or an environment the log stays off.
void ConfigureLog(LogSetup setup);
// Back to doing nothing (tests).
void StopLog();

// "GPRSlog.log" in the folder of `executablePath` (up to its last separator).
std::string LogFilePath(std::string_view executablePath);

// The plain record: "<time> : src: <source>      code: <code>         msg: <message>".
std::string FormatLogLine(std::string_view time, std::string_view source, std::int32_t code,
                          std::string_view message);

// A line of the log file as its writer meant it: decrypted when it looks
// encrypted, otherwise as it is (code page 1251 either way).
std::string ReadableLogLine(std::string_view line);

}  // namespace dw
