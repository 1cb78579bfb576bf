// The published RAS records, one struct per header generation (WINVER 0x400,
// 0x401, 0x500, 0x501), written with portable types so that sizeof and
// offsetof give the SDK's numbers on i686 and its natural transposition on
// x86_64. No <windows.h>: the simulator and the portable core share it.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(_WIN32)
#define DW_RASAPI __stdcall
#else
#define DW_RASAPI
#endif

namespace dw::ras {

using Dword = std::uint32_t;
// HRASCONN and ULONG_PTR: pointer-sized, so records keep the SDK's layout on
// every architecture.
using Handle = std::uintptr_t;
using UlongPtr = std::uintptr_t;

inline constexpr std::size_t kMaxEntryName = 256;
inline constexpr std::size_t kMaxDeviceType = 16;
inline constexpr std::size_t kMaxDeviceName = 128;
inline constexpr std::size_t kMaxPhoneNumber = 128;
inline constexpr std::size_t kMaxAreaCode = 10;
inline constexpr std::size_t kMaxPadType = 32;
inline constexpr std::size_t kMaxX25Address = 200;
inline constexpr std::size_t kMaxFacilities = 200;
inline constexpr std::size_t kMaxUserData = 200;
inline constexpr std::size_t kMaxDnsSuffix = 256;
inline constexpr std::size_t kMaxPath = 260;
inline constexpr std::size_t kUnLen = 256;
inline constexpr std::size_t kPwLen = 256;
inline constexpr std::size_t kDnLen = 15;

// Result codes the program and the simulator name.
inline constexpr Dword kSuccess = 0;
inline constexpr Dword kErrorAccessDenied = 5;  // e.g. a phone-book write a user may not make
inline constexpr Dword kErrorInvalidHandle = 6;
inline constexpr Dword kErrorInvalidParameter = 87;
inline constexpr Dword kErrorCallNotImplemented = 120;
inline constexpr Dword kErrorInsufficientBuffer = 122;
inline constexpr Dword kErrorInvalidName = 123;
inline constexpr Dword kErrorAlreadyExists = 183;
inline constexpr Dword kErrorBufferTooSmall = 603;
inline constexpr Dword kErrorBufferInvalid = 610;
inline constexpr Dword kErrorCannotOpenPhonebook = 621;
inline constexpr Dword kErrorCannotFindPhonebookEntry = 623;
inline constexpr Dword kErrorInvalidSize = 632;
inline constexpr Dword kErrorPortNotAvailable = 633;
inline constexpr Dword kErrorUnknown = 635;
inline constexpr Dword kErrorRasmanCannotInitialize = 711;
inline constexpr Dword kErrorDialAlreadyInProgress = 756;

// RASCONNSTATE values.
enum ConnState : Dword {
  kOpenPort = 0,
  kPortOpened = 1,
  kConnectDevice = 2,
  kDeviceConnected = 3,
  kAllDevicesConnected = 4,
  kAuthenticate = 5,
  kAuthNotify = 6,
  kAuthRetry = 7,
  kAuthCallback = 8,
  kAuthChangePassword = 9,
  kAuthProject = 10,
  kAuthLinkSpeed = 11,
  kAuthAck = 12,
  kReAuthenticate = 13,
  kAuthenticated = 14,
  kPrepareForCallback = 15,
  kWaitForModemReset = 16,
  kWaitForCallback = 17,
  kProjected = 18,
  kStartAuthentication = 19,
  kCallbackComplete = 20,
  kLogonNetwork = 21,
  kSubEntryConnected = 22,
  kSubEntryDisconnected = 23,
  kInteractive = 0x1000,
  kRetryAuthentication = 0x1001,
  kCallbackSetByCaller = 0x1002,
  kPasswordExpired = 0x1003,
  kInvokeEapUi = 0x1004,
  kConnected = 0x2000,
  kDisconnected = 0x2001,
};

inline constexpr Dword kWmRasDialEvent = 0xCCCD;

#pragma pack(push, 4)

struct Guid {
  std::uint32_t data1;
  std::uint16_t data2;
  std::uint16_t data3;
  std::uint8_t data4[8];
};

struct Luid {
  Dword lowPart;
  std::int32_t highPart;
};

struct IpAddr {
  std::uint8_t a, b, c, d;
};

// The field lists, as the SDK adds them generation by generation. Every later
// record starts with every field of the earlier one, at the same offset.
#define DW_RASENTRYNAME_400 \
  Dword dwSize;             \
  char szEntryName[kMaxEntryName + 1];
#define DW_RASENTRYNAME_500 \
  Dword dwFlags;            \
  char szPhonebookPath[kMaxPath + 1];

#define DW_RASENTRY_400                         \
  Dword dwSize;                                 \
  Dword dwfOptions;                             \
  Dword dwCountryID;                            \
  Dword dwCountryCode;                          \
  char szAreaCode[kMaxAreaCode + 1];            \
  char szLocalPhoneNumber[kMaxPhoneNumber + 1]; \
  Dword dwAlternateOffset;                      \
  IpAddr ipaddr;                                \
  IpAddr ipaddrDns;                             \
  IpAddr ipaddrDnsAlt;                          \
  IpAddr ipaddrWins;                            \
  IpAddr ipaddrWinsAlt;                         \
  Dword dwFrameSize;                            \
  Dword dwfNetProtocols;                        \
  Dword dwFramingProtocol;                      \
  char szScript[kMaxPath];                      \
  char szAutodialDll[kMaxPath];                 \
  char szAutodialFunc[kMaxPath];                \
  char szDeviceType[kMaxDeviceType + 1];        \
  char szDeviceName[kMaxDeviceName + 1];        \
  char szX25PadType[kMaxPadType + 1];           \
  char szX25Address[kMaxX25Address + 1];        \
  char szX25Facilities[kMaxFacilities + 1];     \
  char szX25UserData[kMaxUserData + 1];         \
  Dword dwChannels;                             \
  Dword dwReserved1;                            \
  Dword dwReserved2;
#define DW_RASENTRY_401             \
  Dword dwSubEntries;               \
  Dword dwDialMode;                 \
  Dword dwDialExtraPercent;         \
  Dword dwDialExtraSampleSeconds;   \
  Dword dwHangUpExtraPercent;       \
  Dword dwHangUpExtraSampleSeconds; \
  Dword dwIdleDisconnectSeconds;
#define DW_RASENTRY_500           \
  Dword dwType;                   \
  Dword dwEncryptionType;         \
  Dword dwCustomAuthKey;          \
  Guid guidId;                    \
  char szCustomDialDll[kMaxPath]; \
  Dword dwVpnStrategy;
#define DW_RASENTRY_501                        \
  Dword dwfOptions2;                           \
  Dword dwfOptions3;                           \
  char szDnsSuffix[kMaxDnsSuffix];             \
  Dword dwTcpWindowSize;                       \
  char szPrerequisitePbk[kMaxPath];            \
  char szPrerequisiteEntry[kMaxEntryName + 1]; \
  Dword dwRedialCount;                         \
  Dword dwRedialPause;

#define DW_RASDIALPARAMS_400                  \
  Dword dwSize;                               \
  char szEntryName[kMaxEntryName + 1];        \
  char szPhoneNumber[kMaxPhoneNumber + 1];    \
  char szCallbackNumber[kMaxPhoneNumber + 1]; \
  char szUserName[kUnLen + 1];                \
  char szPassword[kPwLen + 1];                \
  char szDomain[kDnLen + 1];
#define DW_RASDIALPARAMS_401 \
  Dword dwSubEntry;          \
  UlongPtr dwCallbackId;

#define DW_RASCONN_400                   \
  Dword dwSize;                          \
  Handle hrasconn;                       \
  char szEntryName[kMaxEntryName + 1];   \
  char szDeviceType[kMaxDeviceType + 1]; \
  char szDeviceName[kMaxDeviceName + 1];
#define DW_RASCONN_401        \
  char szPhonebook[kMaxPath]; \
  Dword dwSubEntry;
#define DW_RASCONN_500 Guid guidEntry;
#define DW_RASCONN_501 \
  Dword dwFlags;       \
  Luid luid;

#define DW_RASCONNSTATUS_400             \
  Dword dwSize;                          \
  Dword rasconnstate;                    \
  Dword dwError;                         \
  char szDeviceType[kMaxDeviceType + 1]; \
  char szDeviceName[kMaxDeviceName + 1];
#define DW_RASCONNSTATUS_401 char szPhoneNumber[kMaxPhoneNumber + 1];

struct RasDevInfoA {
  Dword dwSize;
  char szDeviceType[kMaxDeviceType + 1];
  char szDeviceName[kMaxDeviceName + 1];
};

struct RasStats {
  Dword dwSize;
  Dword dwBytesXmited;
  Dword dwBytesRcved;
  Dword dwFramesXmited;
  Dword dwFramesRcved;
  Dword dwCrcErr;
  Dword dwTimeoutErr;
  Dword dwAlignmentErr;
  Dword dwHardwareOverrunErr;
  Dword dwFramingErr;
  Dword dwBufferOverrunErr;
  Dword dwCompressionRatioIn;
  Dword dwCompressionRatioOut;
  Dword dwBps;
  Dword dwConnectDuration;
};

// Windows 95/98 and NT 4 headers.
namespace v400 {
struct RasEntryNameA {
  DW_RASENTRYNAME_400
};
struct RasEntryA {
  DW_RASENTRY_400
};
struct RasDialParamsA {
  DW_RASDIALPARAMS_400
};
struct RasConnA {
  DW_RASCONN_400
};
struct RasConnStatusA {
  DW_RASCONNSTATUS_400
};
using RasDevInfoA = ras::RasDevInfoA;
}  // namespace v400

// The multilink step (Windows ME, NT 4 service packs).
namespace v401 {
struct RasEntryNameA {
  DW_RASENTRYNAME_400
};
struct RasEntryA {
  DW_RASENTRY_400 DW_RASENTRY_401
};
struct RasDialParamsA {
  DW_RASDIALPARAMS_400 DW_RASDIALPARAMS_401
};
struct RasConnA {
  DW_RASCONN_400 DW_RASCONN_401
};
struct RasConnStatusA {
  DW_RASCONNSTATUS_400 DW_RASCONNSTATUS_401
};
using RasDevInfoA = ras::RasDevInfoA;
}  // namespace v401

// Windows 2000.
namespace v500 {
struct RasEntryNameA {
  DW_RASENTRYNAME_400 DW_RASENTRYNAME_500
};
struct RasEntryA {
  DW_RASENTRY_400 DW_RASENTRY_401 DW_RASENTRY_500
};
struct RasDialParamsA {
  DW_RASDIALPARAMS_400 DW_RASDIALPARAMS_401
};
struct RasConnA {
  DW_RASCONN_400 DW_RASCONN_401 DW_RASCONN_500
};
struct RasConnStatusA {
  DW_RASCONNSTATUS_400 DW_RASCONNSTATUS_401
};
using RasDevInfoA = ras::RasDevInfoA;
}  // namespace v500

// Windows XP.
namespace v501 {
struct RasEntryNameA {
  DW_RASENTRYNAME_400 DW_RASENTRYNAME_500
};
struct RasEntryA {
  DW_RASENTRY_400 DW_RASENTRY_401 DW_RASENTRY_500 DW_RASENTRY_501
};
struct RasDialParamsA {
  DW_RASDIALPARAMS_400 DW_RASDIALPARAMS_401
};
struct RasConnA {
  DW_RASCONN_400 DW_RASCONN_401 DW_RASCONN_500 DW_RASCONN_501
};
struct RasConnStatusA {
  DW_RASCONNSTATUS_400 DW_RASCONNSTATUS_401
};
using RasDevInfoA = ras::RasDevInfoA;
}  // namespace v501

#pragma pack(pop)

#undef DW_RASENTRYNAME_400
#undef DW_RASENTRYNAME_500
#undef DW_RASENTRY_400
#undef DW_RASENTRY_401
#undef DW_RASENTRY_500
#undef DW_RASENTRY_501
#undef DW_RASDIALPARAMS_400
#undef DW_RASDIALPARAMS_401
#undef DW_RASCONN_400
#undef DW_RASCONN_401
#undef DW_RASCONN_500
#undef DW_RASCONN_501
#undef DW_RASCONNSTATUS_400
#undef DW_RASCONNSTATUS_401

// The generations the program tells apart, and the record each uses.
// kVista is every NT from 6.0 on (Vista, 7, 8, 8.1, 10, 11; without a
// manifest 8.1 and later report 6.2). Their RAS takes every record an
// earlier header defined: a record's dwSize says which header block the
// caller was built with ("set dwSize to sizeof(...) to identify the version
// of the structure", the RasDial, RasEnumConnections and
// RasGetEntryProperties pages of the Windows documentation), and the SDK's
// ras.h only appends fields in its 0x600, 0x601 and 0x602 blocks, so an
// older record is a prefix of the newer one. From Vista on the program
// therefore writes what it writes on XP, the newest records it knows: the
// XP RASENTRY (whose prerequisite entry it must clear there too) and the
// Windows 2000 records of every other call.
enum class Generation { kWin98, kWinMe, kWin2000, kWinXp, kVista };

// By WinVer: 410, 490 and 501 exactly, 600 and above; every other value
// (95, NT 4, 2000, and 502, the 64-bit XP and Server 2003) is Win2000.
constexpr Generation GenerationOf(std::uint32_t winVer) {
  switch (winVer) {
    case 410:
      return Generation::kWin98;
    case 490:
      return Generation::kWinMe;
    case 501:
      return Generation::kWinXp;
    default:
      return winVer >= 600 ? Generation::kVista : Generation::kWin2000;
  }
}

constexpr bool IsWin9x(Generation g) {
  return g == Generation::kWin98 || g == Generation::kWinMe;
}

enum class Record { kEntryName, kEntry, kDialParams, kDevInfo, kConn, kConnStatus, kStats };
inline constexpr Record kAllRecords[] = {Record::kEntryName, Record::kEntry, Record::kDialParams,
                                         Record::kDevInfo,   Record::kConn,  Record::kConnStatus,
                                         Record::kStats};

// The header generation (0x400, 0x401, 0x500, 0x501) whose layout `g` writes
// into `dwSize` for `r`; 0 when the generation has no such record.
constexpr unsigned LayoutOf(Generation g, Record r) {
  if (g == Generation::kVista) g = Generation::kWinXp;
  switch (r) {
    case Record::kEntryName:
      return IsWin9x(g) ? 0x400 : 0x500;
    case Record::kEntry:
      return IsWin9x(g) ? 0x400 : g == Generation::kWin2000 ? 0x500 : 0x501;
    case Record::kDialParams:
      return g == Generation::kWin98 ? 0x400 : 0x401;
    case Record::kDevInfo:
      return 0x400;
    case Record::kConn:
      return g == Generation::kWin98 ? 0x400 : g == Generation::kWinMe ? 0x401 : 0x500;
    case Record::kConnStatus:
      return g == Generation::kWin98 ? 0x400 : 0x401;
    case Record::kStats:
      return IsWin9x(g) ? 0 : 0x500;
  }
  return 0;
}

// sizeof the record `r` in the header generation `layout` on this
// architecture; 0 when that generation has no such record.
constexpr Dword SizeOfLayout(Record r, unsigned layout) {
  switch (r) {
    case Record::kEntryName:
      return layout >= 0x500 ? sizeof(v500::RasEntryNameA) : sizeof(v400::RasEntryNameA);
    case Record::kEntry:
      return layout >= 0x501   ? sizeof(v501::RasEntryA)
             : layout >= 0x500 ? sizeof(v500::RasEntryA)
             : layout >= 0x401 ? sizeof(v401::RasEntryA)
                               : sizeof(v400::RasEntryA);
    case Record::kDialParams:
      return layout >= 0x401 ? sizeof(v401::RasDialParamsA) : sizeof(v400::RasDialParamsA);
    case Record::kDevInfo:
      return sizeof(RasDevInfoA);
    case Record::kConn:
      return layout >= 0x501   ? sizeof(v501::RasConnA)
             : layout >= 0x500 ? sizeof(v500::RasConnA)
             : layout >= 0x401 ? sizeof(v401::RasConnA)
                               : sizeof(v400::RasConnA);
    case Record::kConnStatus:
      return layout >= 0x401 ? sizeof(v401::RasConnStatusA) : sizeof(v400::RasConnStatusA);
    case Record::kStats:
      return layout >= 0x500 ? sizeof(RasStats) : 0;
  }
  return 0;
}

// The `dwSize` the program writes for `r` on generation `g`.
constexpr Dword RecordSize(Generation g, Record r) {
  const unsigned layout = LayoutOf(g, r);
  return layout == 0 ? 0 : SizeOfLayout(r, layout);
}

// The newest header generation of a system of generation `g` that the
// program has records for.
constexpr unsigned NewestLayout(Generation g) {
  switch (g) {
    case Generation::kWin98:
      return 0x400;
    case Generation::kWinMe:
      return 0x401;
    case Generation::kWin2000:
      return 0x500;
    case Generation::kWinXp:
    case Generation::kVista:  // the newest the program knows; the system knows more
      return 0x501;
  }
  return 0x400;
}

// The entry points the program binds, with the published signatures.
using RasDialFunc = void(DW_RASAPI*)(unsigned msg, Dword state, Dword error);
using RasDialFunc1 = void(DW_RASAPI*)(Handle conn, unsigned msg, Dword state, Dword error,
                                      Dword extendedError);
using RasDialFunc2 = Dword(DW_RASAPI*)(UlongPtr callbackId, Dword subEntry, Handle conn,
                                       unsigned msg, Dword state, Dword error, Dword extendedError);

using RasGetErrorStringAFn = Dword(DW_RASAPI*)(unsigned code, char* text, Dword size);
using RasEnumConnectionsAFn = Dword(DW_RASAPI*)(void* conns, Dword* bytes, Dword* count);
using RasHangUpAFn = Dword(DW_RASAPI*)(Handle conn);
using RasEnumEntriesAFn = Dword(DW_RASAPI*)(const char* reserved, const char* phonebook,
                                            void* names, Dword* bytes, Dword* count);
using RasGetEntryPropertiesAFn = Dword(DW_RASAPI*)(const char* phonebook, const char* entry,
                                                   void* record, Dword* recordSize,
                                                   std::uint8_t* deviceInfo, Dword* deviceInfoSize);
using RasGetEntryDialParamsAFn = Dword(DW_RASAPI*)(const char* phonebook, void* params,
                                                   std::int32_t* passwordSaved);
using RasSetEntryPropertiesAFn = Dword(DW_RASAPI*)(const char* phonebook, const char* entry,
                                                   void* record, Dword recordSize,
                                                   std::uint8_t* deviceInfo, Dword deviceInfoSize);
using RasValidateEntryNameAFn = Dword(DW_RASAPI*)(const char* phonebook, const char* entry);
using RasEnumDevicesAFn = Dword(DW_RASAPI*)(void* devices, Dword* bytes, Dword* count);
using RasGetConnectStatusAFn = Dword(DW_RASAPI*)(Handle conn, void* status);
using RasDialAFn = Dword(DW_RASAPI*)(void* extensions, const char* phonebook, void* params,
                                     Dword notifierType, void* notifier, Handle* conn);
using RasGetConnectionStatisticsFn = Dword(DW_RASAPI*)(Handle conn, void* stats);

// The sizes and offsets of the published i686 headers. On x86_64 the same
// structs give the 64-bit layout (pointer-sized handles), which the 64-bit
// build and its simulator use.
#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(v400::RasEntryNameA) == 264);
static_assert(sizeof(v500::RasEntryNameA) == 532);
static_assert(offsetof(v500::RasEntryNameA, dwFlags) == 264);
static_assert(offsetof(v500::RasEntryNameA, szPhonebookPath) == 268);

static_assert(sizeof(v400::RasEntryA) == 1768);
static_assert(sizeof(v401::RasEntryA) == 1796);
static_assert(sizeof(v500::RasEntryA) == 2088);
static_assert(sizeof(v501::RasEntryA) == 2884);
static_assert(offsetof(v501::RasEntryA, dwfOptions) == 4);
static_assert(offsetof(v501::RasEntryA, szAreaCode) == 16);
static_assert(offsetof(v501::RasEntryA, szLocalPhoneNumber) == 27);
static_assert(offsetof(v501::RasEntryA, dwAlternateOffset) == 156);
static_assert(offsetof(v501::RasEntryA, dwfNetProtocols) == 184);
static_assert(offsetof(v501::RasEntryA, dwFramingProtocol) == 188);
static_assert(offsetof(v501::RasEntryA, szScript) == 192);
static_assert(offsetof(v501::RasEntryA, szDeviceType) == 972);
static_assert(offsetof(v501::RasEntryA, szDeviceName) == 989);
static_assert(offsetof(v501::RasEntryA, dwChannels) == 1756);
static_assert(offsetof(v501::RasEntryA, dwSubEntries) == 1768);
static_assert(offsetof(v501::RasEntryA, dwDialMode) == 1772);
static_assert(offsetof(v501::RasEntryA, dwIdleDisconnectSeconds) == 1792);
static_assert(offsetof(v501::RasEntryA, dwType) == 1796);
static_assert(offsetof(v501::RasEntryA, dwEncryptionType) == 1800);
static_assert(offsetof(v501::RasEntryA, dwCustomAuthKey) == 1804);
static_assert(offsetof(v501::RasEntryA, guidId) == 1808);
static_assert(offsetof(v501::RasEntryA, szCustomDialDll) == 1824);
static_assert(offsetof(v501::RasEntryA, dwVpnStrategy) == 2084);
static_assert(offsetof(v501::RasEntryA, dwfOptions2) == 2088);
static_assert(offsetof(v501::RasEntryA, dwfOptions3) == 2092);
static_assert(offsetof(v501::RasEntryA, szDnsSuffix) == 2096);
static_assert(offsetof(v501::RasEntryA, dwTcpWindowSize) == 2352);
static_assert(offsetof(v501::RasEntryA, szPrerequisitePbk) == 2356);
static_assert(offsetof(v501::RasEntryA, szPrerequisiteEntry) == 2616);
static_assert(offsetof(v501::RasEntryA, dwRedialCount) == 2876);
static_assert(offsetof(v501::RasEntryA, dwRedialPause) == 2880);

static_assert(sizeof(v400::RasDialParamsA) == 1052);
static_assert(sizeof(v401::RasDialParamsA) == 1060);
static_assert(offsetof(v401::RasDialParamsA, szEntryName) == 4);
static_assert(offsetof(v401::RasDialParamsA, szPhoneNumber) == 261);
static_assert(offsetof(v401::RasDialParamsA, szCallbackNumber) == 390);
static_assert(offsetof(v401::RasDialParamsA, szUserName) == 519);
static_assert(offsetof(v401::RasDialParamsA, szPassword) == 776);
static_assert(offsetof(v401::RasDialParamsA, szDomain) == 1033);
static_assert(offsetof(v401::RasDialParamsA, dwSubEntry) == 1052);
static_assert(offsetof(v401::RasDialParamsA, dwCallbackId) == 1056);

static_assert(sizeof(RasDevInfoA) == 152);
static_assert(offsetof(RasDevInfoA, szDeviceType) == 4);
static_assert(offsetof(RasDevInfoA, szDeviceName) == 21);

static_assert(sizeof(v400::RasConnA) == 412);
static_assert(sizeof(v401::RasConnA) == 676);
static_assert(sizeof(v500::RasConnA) == 692);
static_assert(sizeof(v501::RasConnA) == 704);
static_assert(offsetof(v501::RasConnA, hrasconn) == 4);
static_assert(offsetof(v501::RasConnA, szEntryName) == 8);
static_assert(offsetof(v501::RasConnA, szDeviceType) == 265);
static_assert(offsetof(v501::RasConnA, szDeviceName) == 282);
static_assert(offsetof(v501::RasConnA, szPhonebook) == 411);
static_assert(offsetof(v501::RasConnA, dwSubEntry) == 672);
static_assert(offsetof(v501::RasConnA, guidEntry) == 676);
static_assert(offsetof(v501::RasConnA, dwFlags) == 692);
static_assert(offsetof(v501::RasConnA, luid) == 696);

static_assert(sizeof(v400::RasConnStatusA) == 160);
static_assert(sizeof(v401::RasConnStatusA) == 288);
static_assert(offsetof(v401::RasConnStatusA, szDeviceType) == 12);
static_assert(offsetof(v401::RasConnStatusA, szDeviceName) == 29);
static_assert(offsetof(v401::RasConnStatusA, szPhoneNumber) == 158);

static_assert(sizeof(RasStats) == 60);
static_assert(offsetof(RasStats, dwBytesXmited) == 4);
static_assert(offsetof(RasStats, dwBytesRcved) == 8);
static_assert(offsetof(RasStats, dwBps) == 52);
static_assert(offsetof(RasStats, dwConnectDuration) == 56);

// The table of record sizes per generation.
static_assert(RecordSize(Generation::kWin98, Record::kEntryName) == 264);
static_assert(RecordSize(Generation::kWinMe, Record::kEntryName) == 264);
static_assert(RecordSize(Generation::kWin2000, Record::kEntryName) == 532);
static_assert(RecordSize(Generation::kWinXp, Record::kEntryName) == 532);
static_assert(RecordSize(Generation::kWin98, Record::kEntry) == 1768);
static_assert(RecordSize(Generation::kWinMe, Record::kEntry) == 1768);
static_assert(RecordSize(Generation::kWin2000, Record::kEntry) == 2088);
static_assert(RecordSize(Generation::kWinXp, Record::kEntry) == 2884);
static_assert(RecordSize(Generation::kWin98, Record::kDialParams) == 1052);
static_assert(RecordSize(Generation::kWinMe, Record::kDialParams) == 1060);
static_assert(RecordSize(Generation::kWin2000, Record::kDialParams) == 1060);
static_assert(RecordSize(Generation::kWinXp, Record::kDialParams) == 1060);
static_assert(RecordSize(Generation::kWin98, Record::kConn) == 412);
static_assert(RecordSize(Generation::kWinMe, Record::kConn) == 676);
static_assert(RecordSize(Generation::kWin2000, Record::kConn) == 692);
static_assert(RecordSize(Generation::kWinXp, Record::kConn) == 692);
static_assert(RecordSize(Generation::kWin98, Record::kConnStatus) == 160);
static_assert(RecordSize(Generation::kWinMe, Record::kConnStatus) == 288);
static_assert(RecordSize(Generation::kWin2000, Record::kConnStatus) == 288);
static_assert(RecordSize(Generation::kWinXp, Record::kConnStatus) == 288);
static_assert(RecordSize(Generation::kWin98, Record::kDevInfo) == 152);
static_assert(RecordSize(Generation::kWinXp, Record::kDevInfo) == 152);
static_assert(RecordSize(Generation::kWin98, Record::kStats) == 0);
static_assert(RecordSize(Generation::kWinMe, Record::kStats) == 0);
static_assert(RecordSize(Generation::kWin2000, Record::kStats) == 60);
static_assert(RecordSize(Generation::kWinXp, Record::kStats) == 60);
#endif

// From Vista on, XP's records, on every architecture.
static_assert([] {
  for (Record r : kAllRecords) {
    if (RecordSize(Generation::kVista, r) != RecordSize(Generation::kWinXp, r)) return false;
  }
  return true;
}());

// Every later layout begins with the earlier one: a record of an older size
// is the prefix of the newest.
static_assert(offsetof(v400::RasConnA, szDeviceName) == offsetof(v501::RasConnA, szDeviceName));
static_assert(offsetof(v401::RasConnA, dwSubEntry) == offsetof(v501::RasConnA, dwSubEntry));
static_assert(offsetof(v500::RasConnA, guidEntry) == offsetof(v501::RasConnA, guidEntry));
static_assert(offsetof(v400::RasConnStatusA, szDeviceName) ==
              offsetof(v401::RasConnStatusA, szDeviceName));
static_assert(offsetof(v400::RasDialParamsA, szDomain) == offsetof(v401::RasDialParamsA, szDomain));
static_assert(offsetof(v400::RasEntryA, dwReserved2) == offsetof(v501::RasEntryA, dwReserved2));
static_assert(offsetof(v401::RasEntryA, dwIdleDisconnectSeconds) ==
              offsetof(v501::RasEntryA, dwIdleDisconnectSeconds));
static_assert(offsetof(v500::RasEntryA, dwVpnStrategy) == offsetof(v501::RasEntryA, dwVpnStrategy));
static_assert(offsetof(v400::RasEntryNameA, szEntryName) ==
              offsetof(v500::RasEntryNameA, szEntryName));

}  // namespace dw::ras
