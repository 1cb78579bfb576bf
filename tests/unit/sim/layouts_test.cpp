// The simulator's own layout table against the program's records.h: every
// difference is named, so a disagreement says which side to look at.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <optional>
#include <string>

#include "core/layouts.h"
#include "platform/for_each.h"
#include "ras/records.h"

namespace dw::sim {
namespace {

using ras::Generation;
using ras::Dword;
using ras::Record;

constexpr Generation kGenerations[] = {Generation::kWin98, Generation::kWinMe,
                                       Generation::kWin2000, Generation::kWinXp,
                                       Generation::kVista};
constexpr unsigned kBlocks[] = {0x400, 0x401, 0x500, 0x501};

std::string Name(Record r) {
  switch (r) {
    case Record::kEntryName: return "RASENTRYNAME";
    case Record::kEntry: return "RASENTRY";
    case Record::kDialParams: return "RASDIALPARAMS";
    case Record::kDevInfo: return "RASDEVINFO";
    case Record::kConn: return "RASCONN";
    case Record::kConnStatus: return "RASCONNSTATUS";
    case Record::kStats: return "RAS_STATS";
  }
  return "?";
}

std::string Name(Generation g) {
  switch (g) {
    case Generation::kWin98: return "win98";
    case Generation::kWinMe: return "winme";
    case Generation::kWin2000: return "win2k";
    case Generation::kWinXp: return "winxp";
    case Generation::kVista: return "vista";
  }
  return "?";
}

// Where the program's newest structs put a field the simulator lists.
struct ProgramField {
  Record record;
  const char* name;
  std::size_t offset;
};
#define DW_PROGRAM_FIELDS(type, rec, ...) DW_FOR_EACH(DW_PROGRAM_AT, (type, rec), __VA_ARGS__)
#define DW_PROGRAM_AT(pair, field) \
  {Record::DW_PAIR_SECOND pair, #field, offsetof(DW_PAIR_FIRST pair, field)},
// clang-format off
const ProgramField kProgramFields[] = {
    DW_PROGRAM_FIELDS(ras::v500::RasEntryNameA, kEntryName, szEntryName, dwFlags, szPhonebookPath)
    DW_PROGRAM_FIELDS(ras::v501::RasEntryA, kEntry, dwfOptions, dwCountryCode, ipaddr, ipaddrDns,
                      szLocalPhoneNumber, dwfNetProtocols, dwFramingProtocol, szDeviceType,
                      szDeviceName, dwDialMode, dwType, dwEncryptionType, guidId,
                      szPrerequisiteEntry)
    DW_PROGRAM_FIELDS(ras::v501::RasDialParamsA, kDialParams, szEntryName, szPhoneNumber,
                      szUserName, szPassword, szDomain, dwSubEntry, dwCallbackId)
    DW_PROGRAM_FIELDS(ras::RasDevInfoA, kDevInfo, szDeviceType, szDeviceName)
    DW_PROGRAM_FIELDS(ras::v501::RasConnA, kConn, hrasconn, szEntryName, szDeviceType, szDeviceName,
                      szPhonebook, dwSubEntry, guidEntry)
    DW_PROGRAM_FIELDS(ras::v501::RasConnStatusA, kConnStatus, rasconnstate, dwError, szDeviceType,
                      szDeviceName, szPhoneNumber)
    DW_PROGRAM_FIELDS(ras::RasStats, kStats, dwBytesXmited, dwBytesRcved, dwFramesXmited,
                      dwFramesRcved, dwBps, dwConnectDuration)
};
// clang-format on
#undef DW_PROGRAM_FIELDS
#undef DW_PROGRAM_AT

std::optional<std::size_t> ProgramOffset(Record r, const char* name) {
  for (const ProgramField& f : kProgramFields) {
    if (f.record == r && std::strcmp(f.name, name) == 0) return f.offset;
  }
  return std::nullopt;
}

TEST(SimLayouts, RequiredSizeOfEveryRecordMatchesTheProgramsOnEveryGeneration) {
  for (Generation g : kGenerations) {
    for (Record r : ras::kAllRecords) {
      EXPECT_EQ(layout::RequiredSize(g, r), ras::RecordSize(g, r))
          << Name(r) << " on " << Name(g) << ": simulator vs program";
      EXPECT_EQ(layout::RequiredBlock(g, r), ras::LayoutOf(g, r))
          << Name(r) << " on " << Name(g) << ": header block, simulator 0x" << std::hex
          << layout::RequiredBlock(g, r) << " vs program 0x" << ras::LayoutOf(g, r);
    }
  }
}

TEST(SimLayouts, SizeOfEveryRecordMatchesTheProgramsInEveryHeaderBlock) {
  for (unsigned block : kBlocks) {
    for (Record r : ras::kAllRecords) {
      EXPECT_EQ(layout::SizeInBlock(r, block), ras::SizeOfLayout(r, block))
          << Name(r) << " in block 0x" << std::hex << block << ": simulator vs program";
    }
  }
}

TEST(SimLayouts, EveryFieldTheSimulatorUsesSitsWhereTheProgramPutsIt) {
  for (const layout::Field& f : layout::kFields) {
    const auto program = ProgramOffset(f.record, f.name);
    if (!program) {
      ADD_FAILURE() << Name(f.record) << "." << f.name << " has no counterpart in the program";
      continue;
    }
    EXPECT_EQ(f.offset, *program) << Name(f.record) << "." << f.name << ": simulator vs program";
  }
  for (const ProgramField& f : kProgramFields) {
    bool listed = false;
    for (const layout::Field& s : layout::kFields) {
      listed = listed || (s.record == f.record && std::strcmp(s.name, f.name) == 0);
    }
    EXPECT_TRUE(listed) << Name(f.record) << "." << f.name << " missing from the simulator";
  }
}

TEST(SimLayouts, GenerationsAndTheirNewestBlocksMatchTheProgram) {
  for (std::uint32_t winVer : {0u, 400u, 410u, 490u, 500u, 501u, 502u, 599u, 600u, 602u, 1000u}) {
    EXPECT_EQ(layout::GenerationOfWinVer(winVer), ras::GenerationOf(winVer)) << winVer;
  }
  for (Generation g : kGenerations) {
    EXPECT_EQ(layout::Is9x(g), ras::IsWin9x(g)) << Name(g);
    if (g == Generation::kVista) continue;  // below
    EXPECT_EQ(layout::NewestBlock(g), ras::NewestLayout(g)) << Name(g);
    EXPECT_EQ(layout::OwnSize(g, Record::kEntry), layout::RequiredSize(g, Record::kEntry));
  }
  // From Vista on the system has newer records than the program.
  EXPECT_EQ(ras::NewestLayout(Generation::kVista), 0x501u);
  EXPECT_EQ(layout::NewestBlock(Generation::kVista), 0x601u);
}

// The 0x600 and 0x601 blocks of ras.h, field by field (pack 4): RASENTRY
// gains two IPv6 addresses and two metrics, then an address, a prefix length
// and an outage time; RASCONN a GUID; RASDIALPARAMS a DWORD; RASCONNSTATUS
// two end points (a DWORD and a 16-byte union) and a DWORD.
TEST(SimLayouts, VistasAndSevensBlocksAddWhatTheHeaderAdds) {
  constexpr Dword kIpv6 = 16, kGuid = 16, kDword = 4, kEndPoint = kDword + kIpv6;
  EXPECT_EQ(layout::SizeInBlock(Record::kEntry, 0x600),
            layout::SizeInBlock(Record::kEntry, 0x501) + 2 * kIpv6 + 2 * kDword);
  EXPECT_EQ(layout::SizeInBlock(Record::kEntry, 0x601),
            layout::SizeInBlock(Record::kEntry, 0x600) + kIpv6 + 2 * kDword);
  EXPECT_EQ(layout::SizeInBlock(Record::kConn, 0x600),
            layout::SizeInBlock(Record::kConn, 0x501) + kGuid);
  EXPECT_EQ(layout::SizeInBlock(Record::kDialParams, 0x601),
            layout::SizeInBlock(Record::kDialParams, 0x501) + kDword);
  EXPECT_EQ(layout::SizeInBlock(Record::kConnStatus, 0x601),
            layout::SizeInBlock(Record::kConnStatus, 0x501) + 2 * kEndPoint + kDword);
  for (Record r : {Record::kEntryName, Record::kDevInfo, Record::kStats}) {
    EXPECT_EQ(layout::SizeInBlock(r, 0x601), layout::SizeInBlock(r, 0x501)) << Name(r);
  }
  // What a Vista-or-later service reports is its own 0x601 record; what
  // it holds the program to, in strict mode, is XP's.
  for (Record r : ras::kAllRecords) {
    EXPECT_EQ(layout::OwnSize(Generation::kVista, r), layout::SizeInBlock(r, 0x601)) << Name(r);
    EXPECT_EQ(layout::RequiredSize(Generation::kVista, r),
              layout::RequiredSize(Generation::kWinXp, r))
        << Name(r);
  }
}

// A record no older than its predecessor in each step: a typo in the
// simulator's own numbers that both sides could share would break this.
TEST(SimLayouts, EachHeaderBlockOnlyAddsToTheOneBefore) {
  for (Record r : ras::kAllRecords) {
    for (std::size_t i = 1; i < std::size(layout::kBlocks); ++i) {
      EXPECT_LE(layout::SizeInBlock(r, layout::kBlocks[i - 1]),
                layout::SizeInBlock(r, layout::kBlocks[i]))
          << Name(r) << " shrinks at 0x" << std::hex << layout::kBlocks[i];
    }
  }
  for (const layout::Field& f : layout::kFields) {
    EXPECT_LT(f.offset, layout::SizeInBlock(f.record, 0x501)) << Name(f.record) << "." << f.name;
  }
}

}  // namespace
}  // namespace dw::sim
