#include "connection/presence.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <exception>

#include "log/log.h"
#include "platform/error.h"
#include "modem/modems.h"
#include "ras/binding.h"
#include "ras/error_text.h"
#include "ras/record_access.h"
#include "text/fold.h"
#include "text/texts.h"

namespace dw::connection {
namespace {

using ras::Dword;
using ras::Handle;
using ras::Record;
using Conn = ras::v400::RasConnA;  // every later layout begins with it

// `AT+CGDCONT=1,"IP","` before the APN, one quotation mark after it.
constexpr std::size_t kInitPrefix = 19;
constexpr std::size_t kInitSuffix = 1;

PresenceContext& Context() {
  static PresenceContext context;
  return context;
}

Handle ReadHandle(const std::vector<std::uint8_t>& record, std::size_t offset) {
  Handle handle = 0;
  if (offset + sizeof handle <= record.size()) std::memcpy(&handle, record.data() + offset, sizeof handle);
  return handle;
}

void LogCaught(const char* source, const std::exception* e) {
  WriteLog(source, ras::kCaughtErrorCode, e ? e->what() : "unknown error");
}

}  // namespace

void ConfigurePresence(const PresenceContext& context) { Context() = context; }
const PresenceContext& CurrentPresence() { return Context(); }

std::string ApnOfModemInit(std::string_view userInit) {
  if (userInit.size() <= kInitPrefix + kInitSuffix) return {};
  return std::string(userInit.substr(kInitPrefix, userInit.size() - kInitPrefix - kInitSuffix));
}

Handle CheckAlreadyConnected(const std::string& modem, std::string& entryName,
                             const std::vector<std::string>& apnList) {
  Handle result = 0;
  try {
    const ras::Binding calls = ras::CallBinding();
    const Dword stride = calls.Size(Record::kConn);
    std::vector<std::uint8_t> conns(stride, 0);
    ras::WriteDword(conns, 0, stride);
    Dword bytes = stride;
    Dword count = 0;
    Dword r = calls.EnumConnections(conns.data(), &bytes, &count);
    if (r == ras::kErrorBufferTooSmall) {
      conns = ras::SystemSizedArray(bytes, count, stride);
      r = calls.EnumConnections(conns.data(), &bytes, &count);
    }
    ras::LogRasError("EnumConnections", r);
    if (r != ras::kSuccess || count == 0) return result;

    // Only the first connection is looked at.
    const std::string device =
        ras::ReadField(conns, offsetof(Conn, szDeviceName), ras::kMaxDeviceName + 1);
    const Handle handle = ReadHandle(conns, offsetof(Conn, hrasconn));
    if (!ConnIsOpen(handle) || device != modem) return result;

    const PresenceContext& context = CurrentPresence();
    if (context.registry == nullptr) throw Error("no registry for the modem keys");
    const std::string apn =
        ApnOfModemInit(modem::ModemInitStore(*context.registry, context.platformId).Read(device));
    const bool ours = !apn.empty() && std::any_of(apnList.begin(), apnList.end(), [&](const auto& a) {
      return SameIgnoringCase1251(a, apn);
    });
    if (ours) return result = handle;

    if (context.questions == nullptr) throw Error("no one to ask about the connection");
    if (context.questions->AskErrorYesNo(Text(TextId::OtherApnConnected))) {
      ras::LogRasError("HangUp", calls.HangUp(handle));
      result = 0;
    } else {
      entryName = ras::ReadField(conns, offsetof(Conn, szEntryName), ras::kMaxEntryName + 1);
      result = handle;
    }
  } catch (const std::exception& e) {
    LogCaught("CheckAlreadyConnected", &e);
  } catch (...) {
    LogCaught("CheckAlreadyConnected", nullptr);
  }
  return result;
}

bool ConnIsOpen(Handle conn) {
  try {
    const ras::Binding calls = ras::CallBinding();
    const Dword size = calls.Size(Record::kConnStatus);
    std::vector<std::uint8_t> status(size, 0);
    ras::WriteDword(status, 0, size);
    const Dword r = calls.GetConnectStatus(conn, status.data());
    ras::LogRasError("GetConnectStatus", r);
    return r == ras::kSuccess &&
           ras::ReadDword(status, offsetof(ras::v400::RasConnStatusA, rasconnstate)) ==
               ras::kConnected;
  } catch (const std::exception& e) {
    LogCaught("ConnIsOpen", &e);
  } catch (...) {
    LogCaught("ConnIsOpen", nullptr);
  }
  return false;
}

bool CloseConnection(Handle conn) {
  if (conn == 0) return true;
  try {
    const Dword r = ras::CallBinding().HangUp(conn);
    ras::LogRasError("HangUp", r);
    if (r != ras::kSuccess) return false;
    // RasHangUpA may answer 0 for a connection that never goes, and the
    // hang-up worker gives up with 0 too: only a connection RAS no longer
    // knows (6), or one it is closing, is hung up. Any other failed query
    // tells nothing about it.
    const ras::Binding calls = ras::CallBinding();
    const Dword size = calls.Size(Record::kConnStatus);
    std::vector<std::uint8_t> status(std::max<std::size_t>(size, sizeof(ras::v401::RasConnStatusA)), 0);
    ras::WriteDword(status, 0, size);
    const Dword query = calls.GetConnectStatus(conn, status.data());
    const bool gone = query == ras::kErrorInvalidHandle;
    const bool closing = query == ras::kSuccess &&
                         ras::ReadDword(status, offsetof(ras::v400::RasConnStatusA,
                                                         rasconnstate)) == ras::kDisconnected;
    if (gone || closing) return true;
    WriteLog("CloseConnection", query, "the connection is still listed after the hang-up");
    return false;
  } catch (const std::exception& e) {
    LogCaught("CloseConnection", &e);
  } catch (...) {
    LogCaught("CloseConnection", nullptr);
  }
  // Nothing was hung up: the connection may well still be there.
  return false;
}

}  // namespace dw::connection
