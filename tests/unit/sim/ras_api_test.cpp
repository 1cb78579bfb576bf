// The simulator's entry points as the published RAS API defines them:
// record sizes per generation, two-call sizing, phone-book rules, texts.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "sim_fixture.h"

namespace dw::sim::test {
namespace {

class RasApi : public SimTest, public ::testing::WithParamInterface<Generation> {
 protected:
  void SetUp() override { Start(GetParam()); }
};

// Every record size another generation (or another layout) would write;
// not the system's own, which it takes too.
std::vector<Dword> ForeignSizes(Generation g, Record r) {
  std::vector<Dword> sizes;
  for (unsigned layout : {0x400u, 0x401u, 0x500u, 0x501u}) {
    const Dword s = ras::SizeOfLayout(r, layout);
    if (s != 0 && s != ras::RecordSize(g, r)) sizes.push_back(s);
  }
  sizes.push_back(ras::RecordSize(g, r) + 4);
  sizes.push_back(0);
  std::erase(sizes, layout::OwnSize(g, r));
  return sizes;
}

TEST_P(RasApi, StrictModeAcceptsOnlyTheGenerationsOwnSizes) {
  ASSERT_EQ(SaveEntry("Korvana", "Korvana GPRS Modem", "*99***1#"), 0u);
  Handle conn = 0;
  ASSERT_EQ(Dial("Korvana", conn), 0u);

  const auto devices = Fn<ras::RasEnumDevicesAFn>("RasEnumDevicesA");
  const auto entries = Fn<ras::RasEnumEntriesAFn>("RasEnumEntriesA");
  const auto conns = Fn<ras::RasEnumConnectionsAFn>("RasEnumConnectionsA");
  const auto getEntry = Fn<ras::RasGetEntryPropertiesAFn>("RasGetEntryPropertiesA");
  const auto setEntry = Fn<ras::RasSetEntryPropertiesAFn>("RasSetEntryPropertiesA");
  const auto dialParams = Fn<ras::RasGetEntryDialParamsAFn>("RasGetEntryDialParamsA");
  const auto status = Fn<ras::RasGetConnectStatusAFn>("RasGetConnectStatusA");

  // One call per record kind with a given dwSize; the buffer is always ample.
  const auto call = [&](Record r, Dword size) -> Dword {
    auto buffer = Blank(size == 0 ? 4 : size, 4);
    std::memcpy(buffer.data(), &size, sizeof size);
    Dword bytes = static_cast<Dword>(buffer.size());
    Dword count = 0;
    std::int32_t saved = 0;
    switch (r) {
      case Record::kDevInfo:
        return devices(buffer.data(), &bytes, &count);
      case Record::kEntryName:
        return entries(nullptr, nullptr, buffer.data(), &bytes, &count);
      case Record::kConn:
        return conns(buffer.data(), &bytes, &count);
      case Record::kEntry: {
        const Dword got = getEntry(nullptr, "Korvana", buffer.data(), &bytes, nullptr, nullptr);
        std::memcpy(buffer.data(), &size, sizeof size);
        const Dword set = setEntry(nullptr, "Korvana", buffer.data(), size, nullptr, 0);
        EXPECT_EQ(got, set) << "get and set disagree about size " << size;
        return got;
      }
      case Record::kDialParams:
        std::strcpy(reinterpret_cast<char*>(buffer.data()) + 4, "Korvana");
        return dialParams(nullptr, buffer.data(), &saved);
      case Record::kConnStatus:
        return status(conn, buffer.data());
      case Record::kStats:
        return 0;
    }
    return 0;
  };
  for (Record r : {Record::kDevInfo, Record::kEntryName, Record::kConn, Record::kEntry,
                   Record::kDialParams, Record::kConnStatus}) {
    EXPECT_EQ(call(r, Size(r)), 0u) << "record " << static_cast<int>(r);
    // The system's own record too (Vista's and later are larger).
    EXPECT_EQ(call(r, Own(r)), 0u) << "own record " << static_cast<int>(r);
    for (Dword wrong : ForeignSizes(GetParam(), r)) {
      EXPECT_EQ(call(r, wrong), 632u) << "record " << static_cast<int>(r) << " size " << wrong;
    }
  }
}

TEST_P(RasApi, WithoutStrictModeEveryPublishedSizeOfTheGenerationIsAccepted) {
  Scenario s = DefaultScenario();
  s.strict = false;
  Start(GetParam(), s);
  const auto conns = Fn<ras::RasEnumConnectionsAFn>("RasEnumConnectionsA");
  const unsigned newest = ras::NewestLayout(GetParam());
  for (unsigned layout : {0x400u, 0x401u, 0x500u, 0x501u}) {
    const Dword size = ras::SizeOfLayout(Record::kConn, layout);
    auto buffer = Blank(size, 2);
    Dword bytes = static_cast<Dword>(buffer.size());
    Dword count = 0;
    EXPECT_EQ(conns(buffer.data(), &bytes, &count), layout <= newest ? 0u : 632u)
        << "RASCONN of layout " << std::hex << layout;
  }
}

TEST_P(RasApi, ShortOrMissingBuffersReportTheBytesAndCountNeeded) {
  ASSERT_EQ(SaveEntry("Korvana", "Korvana GPRS Modem", "*99***1#"), 0u);
  ASSERT_EQ(SaveEntry("Other", "Korvana ISDN Adapter", "123", "isdn"), 0u);

  // The readiness probe's call: no buffer at all.
  Dword bytes = 0;
  Dword count = 0;
  const auto devices = Fn<ras::RasEnumDevicesAFn>("RasEnumDevicesA");
  EXPECT_EQ(devices(nullptr, &bytes, &count), 603u);
  EXPECT_EQ(bytes, 2 * Size(Record::kDevInfo));
  EXPECT_EQ(count, 2u);
  auto array = Blank(Size(Record::kDevInfo), 2);
  bytes = Size(Record::kDevInfo);
  EXPECT_EQ(devices(array.data(), &bytes, &count), 603u);
  EXPECT_EQ(bytes, 2 * Size(Record::kDevInfo));
  EXPECT_EQ(devices(array.data(), &bytes, &count), 0u);
  ras::RasDevInfoA second{};
  std::memcpy(&second, array.data() + Size(Record::kDevInfo), sizeof second);
  EXPECT_EQ(second.dwSize, Size(Record::kDevInfo));
  EXPECT_STREQ(second.szDeviceType, "isdn");
  EXPECT_STREQ(second.szDeviceName, "Korvana ISDN Adapter");

  // The phone book, the way the program walks it: one element first.
  const auto entries = Fn<ras::RasEnumEntriesAFn>("RasEnumEntriesA");
  auto names = Blank(Size(Record::kEntryName), 2);
  bytes = 0;
  EXPECT_EQ(entries(nullptr, nullptr, names.data(), &bytes, &count), 603u);
  EXPECT_EQ(bytes, 2 * Size(Record::kEntryName));
  EXPECT_EQ(count, 2u);
  EXPECT_EQ(entries(nullptr, nullptr, names.data(), &bytes, &count), 0u);
  EXPECT_STREQ(reinterpret_cast<const char*>(names.data()) + 4, "Korvana");
  EXPECT_STREQ(reinterpret_cast<const char*>(names.data()) + Size(Record::kEntryName) + 4, "Other");
  EXPECT_EQ(entries("reserved", nullptr, names.data(), &bytes, &count), 87u);

  // The default entry ("") reports the system's own entry size: the
  // generation's, and from Vista on Windows 7's, larger than XP's.
  Dword entrySize = 0;
  const auto getEntry = Fn<ras::RasGetEntryPropertiesAFn>("RasGetEntryPropertiesA");
  EXPECT_EQ(getEntry(nullptr, "", nullptr, &entrySize, nullptr, nullptr), 603u);
  EXPECT_EQ(entrySize, Own(Record::kEntry));
  auto entry = Blank(Size(Record::kEntry));
  entrySize = Size(Record::kEntry) - 1;
  EXPECT_EQ(getEntry(nullptr, "Korvana", entry.data(), &entrySize, nullptr, nullptr), 603u);
  EXPECT_EQ(entrySize, Size(Record::kEntry));
  EXPECT_EQ(getEntry(nullptr, "Nobody", entry.data(), &entrySize, nullptr, nullptr), 623u);
  EXPECT_EQ(getEntry(nullptr, "Korvana", entry.data(), nullptr, nullptr, nullptr), 87u);
}

TEST_P(RasApi, AnEmptyPhoneBookAndNoConnectionsAnswerZeroWithNothing) {
  Dword bytes = 99;
  Dword count = 99;
  auto names = Blank(Size(Record::kEntryName));
  EXPECT_EQ(
      Fn<ras::RasEnumEntriesAFn>("RasEnumEntriesA")(nullptr, nullptr, names.data(), &bytes, &count),
      0u);
  EXPECT_EQ(count, 0u);
  auto conns = Blank(Size(Record::kConn));
  bytes = Size(Record::kConn);
  EXPECT_EQ(Fn<ras::RasEnumConnectionsAFn>("RasEnumConnectionsA")(conns.data(), &bytes, &count),
            0u);
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(bytes, 0u);
}

TEST_P(RasApi, EntriesRoundTripAndNamesAreValidated) {
  const auto validate = Fn<ras::RasValidateEntryNameAFn>("RasValidateEntryNameA");
  EXPECT_EQ(validate(nullptr, "Korvana"), 0u);
  ASSERT_EQ(SaveEntry("Korvana", "Korvana GPRS Modem", "*99#"), 0u);
  EXPECT_EQ(validate(nullptr, "Korvana"), 183u);
  EXPECT_EQ(validate(nullptr, "KORVANA"), 183u) << "names compare without regard to case";
  EXPECT_EQ(validate(nullptr, "Korvana_1"), 0u);
  for (const char* bad : {"", "   ", ".hidden", "a\\b", "what?", "tab\there"}) {
    EXPECT_EQ(validate(nullptr, bad), 123u) << bad;
  }
  EXPECT_EQ(validate(nullptr, std::string(257, 'x').c_str()), 123u);
  EXPECT_EQ(SaveEntry("a:b", "Korvana GPRS Modem", "*99#"), 123u);

  auto record = Blank(Size(Record::kEntry));
  Dword size = Size(Record::kEntry);
  ASSERT_EQ(Fn<ras::RasGetEntryPropertiesAFn>("RasGetEntryPropertiesA")(
                nullptr, "korvana", record.data(), &size, nullptr, nullptr),
            0u);
  ras::v501::RasEntryA e{};
  std::memcpy(&e, record.data(), Size(Record::kEntry));
  EXPECT_EQ(e.dwSize, Size(Record::kEntry));
  EXPECT_STREQ(e.szLocalPhoneNumber, "*99#");
  EXPECT_STREQ(e.szDeviceType, "modem");
  EXPECT_STREQ(e.szDeviceName, "Korvana GPRS Modem");
  EXPECT_EQ(e.dwFramingProtocol, 1u);

  // A framing the system cannot dial is refused.
  e.dwFramingProtocol = 7;
  std::memcpy(record.data(), &e, Size(Record::kEntry));
  EXPECT_EQ(Fn<ras::RasSetEntryPropertiesAFn>("RasSetEntryPropertiesA")(
                nullptr, "Korvana", record.data(), Size(Record::kEntry), nullptr, 0),
            87u);
  EXPECT_EQ(Fn<ras::RasSetEntryPropertiesAFn>("RasSetEntryPropertiesA")(
                nullptr, "Korvana", nullptr, Size(Record::kEntry), nullptr, 0),
            610u);
}

TEST_P(RasApi, DialParametersGiveTheSavedLogin) {
  // An entry with a saved login, as `rassim scenario` brings one.
  store_.Update([](const Scenario&, State& state) {
    Entry e{"Old", std::vector<std::uint8_t>(sizeof(ras::v501::RasEntryA), 0), "someone", "secret"};
    state.entries.push_back(e);
  });
  ASSERT_EQ(SaveEntry("New", "Korvana GPRS Modem", "*99#"), 0u);

  const auto get = Fn<ras::RasGetEntryDialParamsAFn>("RasGetEntryDialParamsA");
  auto params = Blank(Size(Record::kDialParams));
  std::strcpy(reinterpret_cast<char*>(params.data()) + 4, "Old");
  std::int32_t saved = -1;
  ASSERT_EQ(get(nullptr, params.data(), &saved), 0u);
  ras::v401::RasDialParamsA p{};
  std::memcpy(&p, params.data(), Size(Record::kDialParams));
  EXPECT_STREQ(p.szEntryName, "Old");
  EXPECT_STREQ(p.szUserName, "someone");
  EXPECT_EQ(saved, 1);

  params = Blank(Size(Record::kDialParams));
  std::strcpy(reinterpret_cast<char*>(params.data()) + 4, "New");
  ASSERT_EQ(get(nullptr, params.data(), &saved), 0u);
  std::memcpy(&p, params.data(), Size(Record::kDialParams));
  EXPECT_STREQ(p.szUserName, "");
  EXPECT_EQ(saved, 0);

  std::strcpy(reinterpret_cast<char*>(params.data()) + 4, "Gone");
  EXPECT_EQ(get(nullptr, params.data(), &saved), 623u);
  EXPECT_EQ(get(nullptr, nullptr, &saved), 610u);
}

TEST_P(RasApi, OnlyTheDefaultPhoneBookExistsOnNt) {
  const Dword expected = ras::IsWin9x(GetParam()) ? 0u : 621u;
  EXPECT_EQ(Fn<ras::RasValidateEntryNameAFn>("RasValidateEntryNameA")("C:\\other.pbk", "x"),
            expected);
}

TEST_P(RasApi, HandlesThatAreGoneAnswerSix) {
  EXPECT_EQ(Fn<ras::RasHangUpAFn>("RasHangUpA")(0x4242), 6u);
  EXPECT_EQ(ConnectStatus(0x4242).result, 6u);
  if (!ras::IsWin9x(GetParam())) {
    auto stats = Blank(60);
    EXPECT_EQ(
        Fn<ras::RasGetConnectionStatisticsFn>("RasGetConnectionStatistics")(0x4242, stats.data()),
        6u);
  }
}

TEST_P(RasApi, StatisticsComeWithWindows2000) {
  EXPECT_EQ(library_->Lookup("RasGetConnectionStatistics") == nullptr, ras::IsWin9x(GetParam()));
  EXPECT_NE(library_->Lookup("RasSimMarker"), nullptr);
  EXPECT_EQ(library_->Lookup("RasDialW"), nullptr);
  EXPECT_EQ(Fn<ras::Dword(DW_RASAPI*)()>("RasSimMarker")(), kMarker);
}

// A program that reached the call anyway (the DLL keeps the export) is told
// 120 on 9x, and the call is on record for every process to see.
TEST_P(RasApi, CallsThatTheGenerationLacksAreRefusedAndRecorded) {
  ASSERT_EQ(SaveEntry("Korvana", "Korvana GPRS Modem", "*99***1#"), 0u);
  Handle conn = 0;
  ASSERT_EQ(Dial("Korvana", conn), 0u);
  std::vector<std::uint8_t> record(60, 0);
  record[0] = 60;
  const bool is9x = ras::IsWin9x(GetParam());
  const Dword result = sim_->GetConnectionStatistics(conn, record.data());
  EXPECT_EQ(result == ras::kErrorCallNotImplemented, is9x) << result;
  EXPECT_EQ(sim_->MissingCalls(), is9x ? 1u : 0u);
  State saved;
  saved.missingCalls = 7;
  const auto reread = ParseState(FormatState(saved));
  ASSERT_TRUE(reread.has_value());
  EXPECT_EQ(reread->missingCalls, 7u);
}

std::string GenerationTestName(const ::testing::TestParamInfo<Generation>& param) {
  switch (param.param) {
    case Generation::kWin98:
      return "Win98";
    case Generation::kWinMe:
      return "WinMe";
    case Generation::kWin2000:
      return "Win2000";
    case Generation::kWinXp:
      return "WinXp";
    case Generation::kVista:
      return "Vista";
  }
  return "Unknown";
}

// Rules of the real service the simulator keeps, for every generation.
class SimRules : public SimTest {};

TEST_F(SimRules, SavingRefusesAnUnknownDeviceAndATypeOrOptionsThatDoNotFit) {
  for (Generation g : kGenerations) {
    SCOPED_TRACE(static_cast<int>(g));
    Start(g);
    const bool nt = !ras::IsWin9x(g);
    const auto set = Fn<ras::RasSetEntryPropertiesAFn>("RasSetEntryPropertiesA");
    const auto save = [&](auto change) {
      ras::v501::RasEntryA e{};
      e.dwFramingProtocol = 1;
      e.dwfNetProtocols = 4;
      e.dwType = 1;
      std::strcpy(e.szLocalPhoneNumber, "*99#");
      std::strcpy(e.szDeviceType, "modem");
      std::strcpy(e.szDeviceName, "Korvana GPRS Modem");
      change(e);
      e.dwSize = Size(Record::kEntry);
      std::vector<std::uint8_t> bytes(e.dwSize);
      std::memcpy(bytes.data(), &e, e.dwSize);
      return set(nullptr, "Korvana", bytes.data(), e.dwSize, nullptr, 0);
    };
    using E = ras::v501::RasEntryA;
    EXPECT_EQ(save([](E&) {}), 0u);
    EXPECT_EQ(save([](E& e) { std::strcpy(e.szDeviceName, "Unplugged Modem"); }), 87u);
    EXPECT_EQ(save([](E& e) { std::strcpy(e.szDeviceType, "isdn"); }), 87u)
        << "the modem is no ISDN device";
    EXPECT_EQ(save([](E& e) {
                std::strcpy(e.szDeviceType, "isdn");
                std::strcpy(e.szDeviceName, "Korvana ISDN Adapter");
              }),
              0u);
    // dwType is there from 2000 on: a phone line for a modem.
    EXPECT_EQ(save([](E& e) { e.dwType = 2; }), nt ? 87u : 0u) << "a VPN entry on a modem";
    EXPECT_EQ(save([](E& e) { e.dwType = 0; }), nt ? 87u : 0u) << "no type";
    // Options that need a value.
    EXPECT_EQ(save([](E& e) { e.dwfOptions |= 0x1; }), 87u) << "area codes without a country";
    EXPECT_EQ(save([](E& e) {
                e.dwfOptions |= 0x1;
                e.dwCountryCode = 7;
              }),
              0u);
    EXPECT_EQ(save([](E& e) { e.dwfOptions |= 0x2; }), 87u) << "own IP address without one";
    EXPECT_EQ(save([](E& e) { e.dwfOptions |= 0x4; }), 87u) << "own name servers without one";
    // A refused save changes nothing: the last good one stands.
    ASSERT_EQ(sim_->Entries().size(), 1u);
    ras::v501::RasEntryA kept{};
    std::memcpy(&kept, sim_->Entries()[0].record.data(), sizeof kept);
    EXPECT_EQ(kept.dwCountryCode, 7u);
    EXPECT_STREQ(kept.szDeviceName, "Korvana GPRS Modem");
  }
}

TEST_F(SimRules, ALaterServicePacksLargerRecordsAreReportedTakenAndWrittenAtTheirSize) {
  for (Generation g : kGenerations) {
    SCOPED_TRACE(static_cast<int>(g));
    generation_ = g;
    Scenario s = DefaultScenario();
    const Dword names = Size(Record::kEntryName) + 8;
    const Dword devs = Size(Record::kDevInfo) + 12;
    const Dword entry = Size(Record::kEntry) + 16;
    s.reportedSizes[static_cast<std::size_t>(Record::kEntryName)] = names;
    s.reportedSizes[static_cast<std::size_t>(Record::kDevInfo)] = devs;
    s.reportedSizes[static_cast<std::size_t>(Record::kEntry)] = entry;
    Start(g, s);
    ASSERT_EQ(SaveEntry("Korvana", "Korvana GPRS Modem", "*99***1#"), 0u)
        << "the older size still saves";
    ASSERT_EQ(SaveEntry("Other", "Korvana ISDN Adapter", "123", "isdn"), 0u);

    // Devices: the size query reports the larger records, which are taken and
    // written at their own stride.
    Dword bytes = 0;
    Dword count = 0;
    const auto devices = Fn<ras::RasEnumDevicesAFn>("RasEnumDevicesA");
    ASSERT_EQ(devices(nullptr, &bytes, &count), 603u);
    EXPECT_EQ(bytes, 2 * devs);
    auto array = Blank(devs, 2);
    ASSERT_EQ(devices(array.data(), &bytes, &count), 0u);
    EXPECT_STREQ(reinterpret_cast<const char*>(array.data()) + devs + 4, "isdn");

    // The phone book: a short buffer of the older size learns the room the
    // service's own records need.
    const auto enumEntries = Fn<ras::RasEnumEntriesAFn>("RasEnumEntriesA");
    auto one = Blank(Size(Record::kEntryName));
    bytes = 0;
    ASSERT_EQ(enumEntries(nullptr, nullptr, one.data(), &bytes, &count), 603u);
    EXPECT_EQ(bytes, 2 * names);
    auto list = Blank(names, 2);
    ASSERT_EQ(enumEntries(nullptr, nullptr, list.data(), &bytes, &count), 0u);
    EXPECT_STREQ(reinterpret_cast<const char*>(list.data()) + names + 4, "Other");

    // An entry record of the reported size goes both ways.
    const auto getEntry = Fn<ras::RasGetEntryPropertiesAFn>("RasGetEntryPropertiesA");
    Dword size = 0;
    ASSERT_EQ(getEntry(nullptr, "", nullptr, &size, nullptr, nullptr), 603u);
    EXPECT_EQ(size, entry);
    auto record = Blank(entry);
    ASSERT_EQ(getEntry(nullptr, "Korvana", record.data(), &size, nullptr, nullptr), 0u);
    EXPECT_EQ(Fn<ras::RasSetEntryPropertiesAFn>("RasSetEntryPropertiesA")(
                  nullptr, "Korvana", record.data(), entry, nullptr, 0),
              0u);
    // Any other size is still refused.
    auto odd = Blank(entry + 4);
    size = entry + 4;
    EXPECT_EQ(getEntry(nullptr, "Korvana", odd.data(), &size, nullptr, nullptr), 632u);
  }
}

INSTANTIATE_TEST_SUITE_P(Generations, RasApi, ::testing::ValuesIn(kGenerations),
                         GenerationTestName);

TEST(RasErrorText, PublishedCodesHaveEnglishTextsAndOthersAnswer87) {
  char text[512];
  EXPECT_EQ(Simulator::GetErrorString(734, text, sizeof text), 0u);
  EXPECT_STREQ(text, "The PPP link control protocol was terminated.");
  EXPECT_EQ(Simulator::GetErrorString(603, text, sizeof text), 0u);
  EXPECT_NE(std::string(text).find("too small"), std::string::npos);
  for (unsigned code = 600; code <= 758; ++code) {
    EXPECT_EQ(Simulator::GetErrorString(code, text, sizeof text), 0u) << code;
    EXPECT_GT(std::strlen(text), 10u) << code;
    EXPECT_EQ(std::string(text).find("ERROR_"), std::string::npos) << code;
  }
  EXPECT_EQ(Simulator::GetErrorString(0, text, sizeof text), 87u);
  EXPECT_EQ(Simulator::GetErrorString(599, text, sizeof text), 87u);
  EXPECT_EQ(Simulator::GetErrorString(99999, text, sizeof text), 87u);
  EXPECT_EQ(Simulator::GetErrorString(734, nullptr, 512), 87u);
  EXPECT_EQ(Simulator::GetErrorString(734, text, 10), 122u);
}

TEST(RasGenerations, FollowWinVerByExactValueBeforeVista) {
  EXPECT_EQ(ras::GenerationOf(410), Generation::kWin98);
  EXPECT_EQ(ras::GenerationOf(490), Generation::kWinMe);
  EXPECT_EQ(ras::GenerationOf(501), Generation::kWinXp);
  for (std::uint32_t other : {0u, 400u, 500u, 502u, 599u, 411u}) {
    EXPECT_EQ(ras::GenerationOf(other), Generation::kWin2000) << other;
  }
  for (std::uint32_t nt6 : {600u, 601u, 602u, 603u, 1000u}) {
    EXPECT_EQ(ras::GenerationOf(nt6), Generation::kVista) << nt6;
  }
}

TEST(RasRecords, OlderLayoutsArePrefixesOfTheNewest) {
  // The simulator copies prefixes of the newest record; that is only right
  // while every size grows with the layout.
  for (Record r : ras::kAllRecords) {
    Dword previous = 0;
    for (unsigned layout : {0x400u, 0x401u, 0x500u, 0x501u}) {
      const Dword size = ras::SizeOfLayout(r, layout);
      if (size == 0) continue;
      EXPECT_GE(size, previous) << static_cast<int>(r);
      previous = size;
    }
  }
  // The 64-bit transposition keeps pointer-sized handles in place.
  EXPECT_EQ(offsetof(ras::v400::RasConnA, hrasconn), 4u);
  EXPECT_EQ(sizeof(ras::v400::RasConnA::hrasconn), sizeof(void*));
}

}  // namespace
}  // namespace dw::sim::test
