#include "log/log.h"

#include <cstdio>
#include <exception>
#include <mutex>

#include "crypto/encrypt.h"
#include "settings/stored_form.h"
#include "platform/threads.h"

namespace dw {
namespace {

class StdioLogFiles final : public LogFiles {
 public:
  bool Append(const std::string& path, std::string_view bytes) override {
    std::FILE* file = std::fopen(path.c_str(), "ab");
    if (file == nullptr) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
  }
};

struct LogState {
  dw::Mutex mutex;
  bool on = false;
  bool plain = false;
  std::string path;
  std::shared_ptr<const Clock> clock;
  std::shared_ptr<const Environment> environment;
  std::shared_ptr<LogFiles> files;
};

// Never destroyed: workers may still write while the process ends.
LogState& State() {
  static LogState* state = new LogState;
  return *state;
}

}  // namespace

std::shared_ptr<LogFiles> MakeStdioLogFiles() {
  return std::make_shared<StdioLogFiles>();
}

void ConfigureLog(LogSetup setup) {
  LogState& s = State();
  std::lock_guard lock(s.mutex);
  s.on = setup.commandLine.writeLog && setup.clock && setup.environment;
  s.plain = setup.commandLine.plainLog;
  s.path = LogFilePath(setup.executablePath);
  s.clock = std::move(setup.clock);
  s.environment = std::move(setup.environment);
  s.files = setup.files ? std::move(setup.files) : MakeStdioLogFiles();
}

void StopLog() {
  LogState& s = State();
  std::lock_guard lock(s.mutex);
  s.on = false;
  s.clock.reset();
  s.environment.reset();
  s.files.reset();
}

void LogCaughtError(std::string_view source) noexcept {
  try {
    throw;
  } catch (const std::exception& e) {
    WriteLog(source, kCaughtErrorLogCode, e.what());
  } catch (...) {
    WriteLog(source, kCaughtErrorLogCode, "unknown error");
  }
}

void WriteLog(std::string_view source, std::int32_t code, std::string_view message) {
  try {
    LogState& s = State();
    // One record at a time: the time is taken inside the lock, so the file's
    // order is the order of the times.
    std::lock_guard lock(s.mutex);
    if (!s.on) return;
    const std::string time = s.environment->FormatLongTime(s.clock->Now());
    std::string line = FormatLogLine(time, source, code, message);
    if (!s.plain) line = EncryptString(line);
    line += "\r\n";
    s.files->Append(s.path, line);  // a record that cannot be written is lost
  } catch (...) {
    // Out of memory for a record: the caller's work matters more than the log.
  }
}

std::string LogFilePath(std::string_view executablePath) {
  const auto separator = executablePath.find_last_of("\\/:");
  const std::string_view folder = separator == std::string_view::npos
                                      ? std::string_view()
                                      : executablePath.substr(0, separator + 1);
  return std::string(folder) + "GPRSlog.log";
}

std::string FormatLogLine(std::string_view time, std::string_view source, std::int32_t code,
                          std::string_view message) {
  std::string line;
  line.reserve(time.size() + source.size() + message.size() + 48);
  line.append(time).append(" : src: ").append(source);
  line.append("      code: ").append(std::to_string(code));
  line.append("         msg: ").append(message);
  return line;
}

std::string ReadableLogLine(std::string_view line) {
  return LooksEncrypted(line) ? DecryptString(line) : std::string(line);
}

}  // namespace dw
