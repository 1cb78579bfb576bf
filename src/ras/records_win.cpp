// Proves the hand-written XP-generation records against mingw-w64's <ras.h>,
// built for Windows XP (the gateway's _WIN32_WINNT 0x0501; newer targets give
// RASDIALPARAMSA a field no generation of ours has). The older layouts are
// checked against the published figures in records.h itself.
#include "platform/win32/win.h"

#include <ras.h>

#include <cstddef>

#include "platform/for_each.h"
#include "ras/records.h"

namespace dw::ras {
namespace {

static_assert(_WIN32_WINNT == 0x0501);

// A record: its size, then the offset of each field named.
#define DW_SAME_RECORD(theirs, ours, ...)                 \
  static_assert(sizeof(theirs) == sizeof(ours), #theirs); \
  DW_FOR_EACH(DW_SAME_FIELD, (theirs, ours), __VA_ARGS__)
#define DW_SAME_FIELD(pair, field) DW_SAME_OFFSET(DW_PAIR_FIRST pair, DW_PAIR_SECOND pair, field)
#define DW_SAME_OFFSET(theirs, ours, field) \
  static_assert(offsetof(theirs, field) == offsetof(ours, field), #theirs "." #field);

DW_SAME_RECORD(RASENTRYNAMEA, v501::RasEntryNameA, szEntryName, dwFlags, szPhonebookPath)
DW_SAME_RECORD(RASENTRYA, v501::RasEntryA, dwfOptions, szLocalPhoneNumber, dwfNetProtocols,
               dwFramingProtocol, szDeviceType, szDeviceName, dwChannels, dwDialMode, dwType,
               dwEncryptionType, guidId, dwVpnStrategy, szPrerequisiteEntry, dwRedialPause)
DW_SAME_RECORD(RASDIALPARAMSA, v501::RasDialParamsA, szEntryName, szPhoneNumber, szUserName,
               szPassword, szDomain, dwSubEntry, dwCallbackId)
DW_SAME_RECORD(RASDEVINFOA, v501::RasDevInfoA, szDeviceType, szDeviceName)
DW_SAME_RECORD(RASCONNA, v501::RasConnA, hrasconn, szEntryName, szDeviceType, szDeviceName,
               szPhonebook, dwSubEntry, guidEntry, dwFlags, luid)
DW_SAME_RECORD(RASCONNSTATUSA, v501::RasConnStatusA, rasconnstate, dwError, szDeviceType,
               szDeviceName, szPhoneNumber)
DW_SAME_RECORD(RAS_STATS, RasStats, dwBytesXmited, dwBytesRcved, dwConnectDuration)
static_assert(sizeof(RASCONNSTATE) == sizeof(Dword));

static_assert(sizeof(HRASCONN) == sizeof(Handle));
constexpr Dword State(RASCONNSTATE s) {
  return static_cast<Dword>(s);
}
static_assert(State(RASCS_Connected) == kConnected && State(RASCS_Disconnected) == kDisconnected);
static_assert(State(RASCS_Projected) == kProjected);
static_assert(State(RASCS_SubEntryDisconnected) == kSubEntryDisconnected);
static_assert(State(RASCS_InvokeEapUI) == kInvokeEapUi);
static_assert(WM_RASDIALEVENT == kWmRasDialEvent);

#undef DW_SAME_RECORD
#undef DW_SAME_FIELD
#undef DW_SAME_OFFSET

}  // namespace
}  // namespace dw::ras
