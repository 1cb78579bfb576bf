// Proves the hand-written XP-generation records against mingw-w64's <ras.h>,
// built for Windows XP (the gateway's _WIN32_WINNT 0x0501; newer targets give
// RASDIALPARAMSA a field no generation of ours has). The older layouts are
// checked against the published figures in records.h itself.
#include "platform/win32/win.h"

#include <ras.h>

#include <cstddef>

#include "ras/records.h"

namespace dw::ras {
namespace {

static_assert(_WIN32_WINNT == 0x0501);

#define DW_SAME_FIELD(theirs, ours, field) \
  static_assert(offsetof(theirs, field) == offsetof(ours, field), #theirs "." #field)

static_assert(sizeof(RASENTRYNAMEA) == sizeof(v501::RasEntryNameA));
DW_SAME_FIELD(RASENTRYNAMEA, v501::RasEntryNameA, szEntryName);
DW_SAME_FIELD(RASENTRYNAMEA, v501::RasEntryNameA, dwFlags);
DW_SAME_FIELD(RASENTRYNAMEA, v501::RasEntryNameA, szPhonebookPath);

static_assert(sizeof(RASENTRYA) == sizeof(v501::RasEntryA));
DW_SAME_FIELD(RASENTRYA, v501::RasEntryA, dwfOptions);
DW_SAME_FIELD(RASENTRYA, v501::RasEntryA, szLocalPhoneNumber);
DW_SAME_FIELD(RASENTRYA, v501::RasEntryA, dwfNetProtocols);
DW_SAME_FIELD(RASENTRYA, v501::RasEntryA, dwFramingProtocol);
DW_SAME_FIELD(RASENTRYA, v501::RasEntryA, szDeviceType);
DW_SAME_FIELD(RASENTRYA, v501::RasEntryA, szDeviceName);
DW_SAME_FIELD(RASENTRYA, v501::RasEntryA, dwChannels);
DW_SAME_FIELD(RASENTRYA, v501::RasEntryA, dwDialMode);
DW_SAME_FIELD(RASENTRYA, v501::RasEntryA, dwType);
DW_SAME_FIELD(RASENTRYA, v501::RasEntryA, dwEncryptionType);
DW_SAME_FIELD(RASENTRYA, v501::RasEntryA, guidId);
DW_SAME_FIELD(RASENTRYA, v501::RasEntryA, dwVpnStrategy);
DW_SAME_FIELD(RASENTRYA, v501::RasEntryA, szPrerequisiteEntry);
DW_SAME_FIELD(RASENTRYA, v501::RasEntryA, dwRedialPause);

static_assert(sizeof(RASDIALPARAMSA) == sizeof(v501::RasDialParamsA));
DW_SAME_FIELD(RASDIALPARAMSA, v501::RasDialParamsA, szEntryName);
DW_SAME_FIELD(RASDIALPARAMSA, v501::RasDialParamsA, szPhoneNumber);
DW_SAME_FIELD(RASDIALPARAMSA, v501::RasDialParamsA, szUserName);
DW_SAME_FIELD(RASDIALPARAMSA, v501::RasDialParamsA, szPassword);
DW_SAME_FIELD(RASDIALPARAMSA, v501::RasDialParamsA, szDomain);
DW_SAME_FIELD(RASDIALPARAMSA, v501::RasDialParamsA, dwSubEntry);
DW_SAME_FIELD(RASDIALPARAMSA, v501::RasDialParamsA, dwCallbackId);

static_assert(sizeof(RASDEVINFOA) == sizeof(v501::RasDevInfoA));
DW_SAME_FIELD(RASDEVINFOA, v501::RasDevInfoA, szDeviceType);
DW_SAME_FIELD(RASDEVINFOA, v501::RasDevInfoA, szDeviceName);

static_assert(sizeof(RASCONNA) == sizeof(v501::RasConnA));
DW_SAME_FIELD(RASCONNA, v501::RasConnA, hrasconn);
DW_SAME_FIELD(RASCONNA, v501::RasConnA, szEntryName);
DW_SAME_FIELD(RASCONNA, v501::RasConnA, szDeviceType);
DW_SAME_FIELD(RASCONNA, v501::RasConnA, szDeviceName);
DW_SAME_FIELD(RASCONNA, v501::RasConnA, szPhonebook);
DW_SAME_FIELD(RASCONNA, v501::RasConnA, dwSubEntry);
DW_SAME_FIELD(RASCONNA, v501::RasConnA, guidEntry);
DW_SAME_FIELD(RASCONNA, v501::RasConnA, dwFlags);
DW_SAME_FIELD(RASCONNA, v501::RasConnA, luid);

static_assert(sizeof(RASCONNSTATUSA) == sizeof(v501::RasConnStatusA));
static_assert(sizeof(RASCONNSTATE) == sizeof(Dword));
DW_SAME_FIELD(RASCONNSTATUSA, v501::RasConnStatusA, rasconnstate);
DW_SAME_FIELD(RASCONNSTATUSA, v501::RasConnStatusA, dwError);
DW_SAME_FIELD(RASCONNSTATUSA, v501::RasConnStatusA, szDeviceType);
DW_SAME_FIELD(RASCONNSTATUSA, v501::RasConnStatusA, szDeviceName);
DW_SAME_FIELD(RASCONNSTATUSA, v501::RasConnStatusA, szPhoneNumber);

static_assert(sizeof(RAS_STATS) == sizeof(RasStats));
DW_SAME_FIELD(RAS_STATS, RasStats, dwBytesXmited);
DW_SAME_FIELD(RAS_STATS, RasStats, dwBytesRcved);
DW_SAME_FIELD(RAS_STATS, RasStats, dwConnectDuration);

static_assert(sizeof(HRASCONN) == sizeof(Handle));
constexpr Dword State(RASCONNSTATE s) {
  return static_cast<Dword>(s);
}
static_assert(State(RASCS_Connected) == kConnected && State(RASCS_Disconnected) == kDisconnected);
static_assert(State(RASCS_Projected) == kProjected);
static_assert(State(RASCS_SubEntryDisconnected) == kSubEntryDisconnected);
static_assert(State(RASCS_InvokeEapUI) == kInvokeEapUi);
static_assert(WM_RASDIALEVENT == kWmRasDialEvent);

#undef DW_SAME_FIELD

}  // namespace
}  // namespace dw::ras
