#include "ras/error_text.h"

#include <exception>
#include <vector>

#include "log/log.h"
#include "ras/binding.h"
#include "ras/context.h"
#include "ras/record_access.h"
#include "text/texts.h"
#include "platform/message_numbers.h"

namespace dw::ras {
namespace {

constexpr Dword kErrorTextBuffer = 512;

}  // namespace

std::string GetRasErrorDescr(Dword code) {
  std::string description;
  try {
    if (code == kErrorRasmanCannotInitialize) {
      const RasContext& context = CurrentRasContext();
      if (context.messages) context.messages->Send(context.mainWindow, kMsgSystemConfigError, 0, 0);
      return Text(TextId::RasConfigError);
    }
    std::vector<std::uint8_t> buffer(kErrorTextBuffer, 0);
    if (CallBinding().GetErrorString(code, reinterpret_cast<char*>(buffer.data()),
                                     kErrorTextBuffer) == kSuccess) {
      description = ReadField(buffer, 0, kErrorTextBuffer);
    }
  } catch (const std::exception& e) {
    WriteLog("GetRasErrorDescr", kCaughtErrorCode, e.what());
    description.clear();
  } catch (...) {
    WriteLog("GetRasErrorDescr", kCaughtErrorCode, "unknown error");
    description.clear();
  }
  return description;
}

void LogRasError(std::string_view tag, Dword code) {
  if (code == kSuccess) return;
  try {
    const std::string description = GetRasErrorDescr(code);
    WriteLog("RAS-" + std::string(tag), static_cast<std::int32_t>(code),
             description.empty() ? "Unrecognized" : description);
  } catch (const std::exception& e) {
    WriteLog("LogRasError", kCaughtErrorCode, e.what());
  } catch (...) {
    WriteLog("LogRasError", kCaughtErrorCode, "unknown error");
  }
}

}  // namespace dw::ras
