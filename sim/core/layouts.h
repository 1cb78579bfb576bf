// The simulator's own record layouts, written from the published headers
// (ras.h blocks 0x400, 0x401, 0x500, 0x501, 0x600, 0x601, pack 4) and the
// published per-system requirements. It deliberately does not derive anything from
// the program's ras/records.h: a size the program gets wrong must fail here.
#pragma once

#include <cstdint>

#include "ras/records.h"  // the Generation and Record names only

namespace dw::sim::layout {

using ras::Generation;
using ras::Record;
using Dword = std::uint32_t;

// HRASCONN and ULONG_PTR grow by 4 bytes on x86_64; pack 4 keeps the rest.
inline constexpr Dword kWide = sizeof(void*) == 8 ? 4 : 0;

// The system generation by GetVersionEx's major*100+minor: 410, 490 and 501
// exactly, NT 6 and later from 600 on.
constexpr Generation GenerationOfWinVer(std::uint32_t winVer) {
  return winVer == 410   ? Generation::kWin98
         : winVer == 490 ? Generation::kWinMe
         : winVer == 501 ? Generation::kWinXp
         : winVer >= 600 ? Generation::kVista
                         : Generation::kWin2000;
}

constexpr bool Is9x(Generation g) { return g == Generation::kWin98 || g == Generation::kWinMe; }

// sizeof `r` in header block `block`; 0 where that block has no such record.
// 0x600 adds to RASENTRY two IPv6 name servers and two interface metrics
// (40 bytes) and to RASCONN a correlation GUID; 0x601 adds to RASENTRY an
// IPv6 address, its prefix length and the outage time (24 bytes), to
// RASDIALPARAMS the interface index and to RASCONNSTATUS two tunnel end
// points (a DWORD and a 16-byte address each) and the sub-state.
constexpr Dword SizeInBlock(Record r, unsigned block) {
  switch (r) {
    case Record::kEntryName:
      return block >= 0x500 ? 532 : 264;
    case Record::kEntry:
      return block >= 0x601   ? 2948
             : block >= 0x600 ? 2924
             : block >= 0x501 ? 2884
             : block >= 0x500 ? 2088
             : block >= 0x401 ? 1796
                              : 1768;
    case Record::kDialParams:
      return block >= 0x601 ? 1064 + kWide : block >= 0x401 ? 1060 + kWide : 1052;
    case Record::kDevInfo:
      return 152;
    case Record::kConn:
      return (block >= 0x600   ? 720
              : block >= 0x501 ? 704
              : block >= 0x500 ? 692
              : block >= 0x401 ? 676
                               : 412) +
             kWide;
    case Record::kConnStatus:
      return block >= 0x601 ? 332 : block >= 0x401 ? 288 : 160;
    case Record::kStats:
      return block >= 0x500 ? 60 : 0;
  }
  return 0;
}

// Every header block, oldest first.
inline constexpr unsigned kBlocks[] = {0x400, 0x401, 0x500, 0x501, 0x600, 0x601};

// The block whose size each system requires in `dwSize`. Not simply the
// system's newest block: ME keeps the 0x400 RASENTRY and XP the 0x500
// RASCONN; 9x has no RAS_STATS (0). From Vista on, the records the program
// writes on XP (ras/records.h says why): what strict mode holds it to.
constexpr unsigned RequiredBlock(Generation g, Record r) {
  if (g == Generation::kVista) g = Generation::kWinXp;
  const bool is98 = g == Generation::kWin98;
  switch (r) {
    case Record::kEntryName:
      return Is9x(g) ? 0x400 : 0x500;
    case Record::kEntry:
      return Is9x(g) ? 0x400 : g == Generation::kWin2000 ? 0x500 : 0x501;
    case Record::kDialParams:
    case Record::kConnStatus:
      return is98 ? 0x400 : 0x401;
    case Record::kDevInfo:
      return 0x400;
    case Record::kConn:
      return is98 ? 0x400 : g == Generation::kWinMe ? 0x401 : 0x500;
    case Record::kStats:
      return Is9x(g) ? 0 : 0x500;
  }
  return 0;
}

constexpr Dword RequiredSize(Generation g, Record r) {
  const unsigned block = RequiredBlock(g, r);
  return block == 0 ? 0 : SizeInBlock(r, block);
}

// The newest block a system accepts when strict checking is off.
constexpr unsigned NewestBlock(Generation g) {
  return g == Generation::kWin98    ? 0x400
         : g == Generation::kWinMe  ? 0x401
         : g == Generation::kWin2000 ? 0x500
         : g == Generation::kWinXp  ? 0x501
                                    : 0x601;
}

// The size of the system's own records, which it reports to a size query
// and takes besides the required one. Before Vista the same as required;
// from Vista on the 0x601 records (Windows 7's), larger than any the
// program has.
constexpr Dword OwnSize(Generation g, Record r) {
  if (g != Generation::kVista) return RequiredSize(g, r);
  return SizeInBlock(r, NewestBlock(g));
}

// Offsets (in the newest block) of every field the simulator reads or writes.
struct Field {
  Record record;
  const char* name;
  Dword offset;
};

inline constexpr Field kFields[] = {
    {Record::kEntryName, "szEntryName", 4},
    {Record::kEntryName, "dwFlags", 264},
    {Record::kEntryName, "szPhonebookPath", 268},
    {Record::kEntry, "dwfOptions", 4},
    {Record::kEntry, "dwCountryCode", 12},
    {Record::kEntry, "szLocalPhoneNumber", 27},
    {Record::kEntry, "ipaddr", 160},
    {Record::kEntry, "ipaddrDns", 164},
    {Record::kEntry, "dwfNetProtocols", 184},
    {Record::kEntry, "dwFramingProtocol", 188},
    {Record::kEntry, "szDeviceType", 972},
    {Record::kEntry, "szDeviceName", 989},
    {Record::kEntry, "dwDialMode", 1772},
    {Record::kEntry, "dwType", 1796},
    {Record::kEntry, "dwEncryptionType", 1800},
    {Record::kEntry, "guidId", 1808},
    {Record::kEntry, "szPrerequisiteEntry", 2616},
    {Record::kDialParams, "szEntryName", 4},
    {Record::kDialParams, "szPhoneNumber", 261},
    {Record::kDialParams, "szUserName", 519},
    {Record::kDialParams, "szPassword", 776},
    {Record::kDialParams, "szDomain", 1033},
    {Record::kDialParams, "dwSubEntry", 1052},
    {Record::kDialParams, "dwCallbackId", 1056},
    {Record::kDevInfo, "szDeviceType", 4},
    {Record::kDevInfo, "szDeviceName", 21},
    {Record::kConn, "hrasconn", 4},
    {Record::kConn, "szEntryName", 8 + kWide},
    {Record::kConn, "szDeviceType", 265 + kWide},
    {Record::kConn, "szDeviceName", 282 + kWide},
    {Record::kConn, "szPhonebook", 411 + kWide},
    {Record::kConn, "dwSubEntry", 672 + kWide},
    {Record::kConn, "guidEntry", 676 + kWide},
    {Record::kConnStatus, "rasconnstate", 4},
    {Record::kConnStatus, "dwError", 8},
    {Record::kConnStatus, "szDeviceType", 12},
    {Record::kConnStatus, "szDeviceName", 29},
    {Record::kConnStatus, "szPhoneNumber", 158},
    {Record::kStats, "dwBytesXmited", 4},
    {Record::kStats, "dwBytesRcved", 8},
    {Record::kStats, "dwFramesXmited", 12},
    {Record::kStats, "dwFramesRcved", 16},
    {Record::kStats, "dwBps", 52},
    {Record::kStats, "dwConnectDuration", 56},
};

constexpr bool SameText(const char* a, const char* b) {
  while (*a != '\0' && *a == *b) ++a, ++b;
  return *a == *b;
}

// The offset of a listed field; a field not listed fails to compile.
constexpr Dword OffsetOf(Record r, const char* name) {
  for (const Field& f : kFields) {
    if (f.record == r && SameText(f.name, name)) return f.offset;
  }
  throw "field not in the simulator's table";
}

}  // namespace dw::sim::layout
