// rasapi32.dll of the simulator: the published RAS entry points (their
// prototypes come from <ras.h>, so a wrong signature does not compile), each
// serving the process's one simulator over the prefix's shared state folder.
#include "platform/win32/win.h"

#include <ras.h>

#include "core/clock.h"
#include "core/entry_points.h"
#include "core/simulator.h"
#include "core/store.h"
#include "core/windows_host.h"
#include "platform/registry.h"

namespace {

using dw::sim::Simulator;

// Made on the first call and never destroyed: its notification threads may
// still run when the process ends, and DllMain must not wait for threads.
Simulator& Sim() {
  static Simulator* const sim = [] {
    dw::sim::Host host;
    host.generation = dw::sim::SystemGeneration();
    host.store = new dw::sim::FileStore(dw::sim::SystemStoreFolder());
    host.clock = dw::sim::MakeSystemSimClock().release();
    host.registry = dw::MakeWin32Registry().release();
    host.publishCounters = &dw::sim::PublishDialUpCounters;
    auto* s = new Simulator(std::move(host));
    dw::sim::SetCurrentSimulator(s);
    return s;
  }();
  return *sim;
}

dw::ras::Handle H(HRASCONN h) {
  return reinterpret_cast<dw::ras::Handle>(h);
}

// DWORD is unsigned long here, the core's Dword a 32-bit unsigned int: the
// same four bytes.
static_assert(sizeof(DWORD) == sizeof(dw::ras::Dword));
dw::ras::Dword* D(LPDWORD p) {
  return reinterpret_cast<dw::ras::Dword*>(p);
}

}  // namespace

namespace e = dw::sim::entry;

extern "C" {

DWORD WINAPI RasGetErrorStringA(UINT code, LPSTR text, DWORD size) {
  return e::RasGetErrorStringA(code, text, size);
}

DWORD WINAPI RasEnumConnectionsA(LPRASCONNA conns, LPDWORD bytes, LPDWORD count) {
  Sim();
  return e::RasEnumConnectionsA(conns, D(bytes), D(count));
}

DWORD WINAPI RasHangUpA(HRASCONN conn) {
  Sim();
  return e::RasHangUpA(H(conn));
}

DWORD WINAPI RasEnumEntriesA(LPCSTR reserved, LPCSTR phonebook, LPRASENTRYNAMEA names,
                             LPDWORD bytes, LPDWORD count) {
  Sim();
  return e::RasEnumEntriesA(reserved, phonebook, names, D(bytes), D(count));
}

DWORD WINAPI RasGetEntryPropertiesA(LPCSTR phonebook, LPCSTR entry, LPRASENTRYA record,
                                    LPDWORD recordSize, LPBYTE deviceInfo, LPDWORD deviceInfoSize) {
  Sim();
  return e::RasGetEntryPropertiesA(phonebook, entry, record, D(recordSize), deviceInfo,
                                   D(deviceInfoSize));
}

DWORD WINAPI RasGetEntryDialParamsA(LPCSTR phonebook, LPRASDIALPARAMSA params, LPBOOL saved) {
  Sim();
  static_assert(sizeof(BOOL) == sizeof(std::int32_t));
  return e::RasGetEntryDialParamsA(phonebook, params, reinterpret_cast<std::int32_t*>(saved));
}

DWORD WINAPI RasSetEntryPropertiesA(LPCSTR phonebook, LPCSTR entry, LPRASENTRYA record,
                                    DWORD recordSize, LPBYTE deviceInfo, DWORD deviceInfoSize) {
  Sim();
  return e::RasSetEntryPropertiesA(phonebook, entry, record, recordSize, deviceInfo,
                                   deviceInfoSize);
}

DWORD WINAPI RasValidateEntryNameA(LPCSTR phonebook, LPCSTR entry) {
  Sim();
  return e::RasValidateEntryNameA(phonebook, entry);
}

DWORD WINAPI RasEnumDevicesA(LPRASDEVINFOA devices, LPDWORD bytes, LPDWORD count) {
  Sim();
  return e::RasEnumDevicesA(devices, D(bytes), D(count));
}

DWORD WINAPI RasGetConnectStatusA(HRASCONN conn, LPRASCONNSTATUSA status) {
  Sim();
  return e::RasGetConnectStatusA(H(conn), status);
}

DWORD WINAPI RasDialA(LPRASDIALEXTENSIONS extensions, LPCSTR phonebook, LPRASDIALPARAMSA params,
                      DWORD notifierType, LPVOID notifier, LPHRASCONN conn) {
  Sim();
  static_assert(sizeof(HRASCONN) == sizeof(dw::ras::Handle));
  return e::RasDialA(extensions, phonebook, params, notifierType, notifier,
                     reinterpret_cast<dw::ras::Handle*>(conn));
}

DWORD WINAPI RasGetConnectionStatistics(HRASCONN conn, RAS_STATS* stats) {
  Sim();
  return e::RasGetConnectionStatistics(H(conn), stats);
}

// Not a RAS function: answers dw::sim::kMarker, so a test can tell this DLL
// from Wine's own.
DWORD WINAPI RasSimMarker(void) {
  return e::RasSimMarker();
}

}  // extern "C"
