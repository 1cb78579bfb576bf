// The ledger file: its bytes, a power cut at every byte of a write, a
// flipped byte anywhere, a newer format, and what the store does with a file
// it cannot use.
#include "usage/ledger_file.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/fake/fake_shell.h"
#include "unit/log/log_test_support.h"
#include "unit/usage/usage_test_support.h"
#include "usage/ledger_store.h"

namespace dw::usage {
namespace {

using namespace std::chrono_literals;
using testing::kLedgerPath;

const LocalDateTime kNow{2026, 12, 7, 12, 30, 0, 0};

// `days` days of use up to 2026-12-07, with budget marks.
Ledger History(int days, std::uint64_t extra = 0) {
  Ledger ledger;
  const Day last = DayOf(2026, 12, 7);
  for (int i = 0; i < days; ++i) {
    const auto n = static_cast<std::uint64_t>(i + 1);
    ledger.Add(last - days + 1 + i, {n * 1'000'003 + extra, n * 77, n * 60'000});
  }
  ledger.marks = {DayOf(2026, 12, 1), 4096, true, false, true};
  return ledger;
}

std::string WholeFile(const Ledger& first, std::uint64_t firstSequence, const Ledger& second,
                      std::uint64_t secondSequence) {
  return EncodeSlot(first, firstSequence) + EncodeSlot(second, secondSequence);
}

TEST(LedgerFile, ASlotHoldsEveryDayAndMarkExactly) {
  Ledger ledger = History(400);
  ledger.Add(DayOf(2031, 1, 1),
             {~std::uint64_t{0}, std::uint64_t{1} << 40, 7});  // a clock set ahead
  ledger.Add(DayOf(1999, 12, 31), {1, 2, 3});                  // and back
  const std::string slot = EncodeSlot(ledger, 0x1122334455667788u, {DayOf(kNow), 45'000'000});
  ASSERT_EQ(slot.size(), kSlotBytes);
  EXPECT_EQ(slot.substr(0, 4), "DWUL");
  EXPECT_EQ(slot[4], 1);  // format 1, little-endian
  EXPECT_EQ(slot[5], 0);
  const Slot read = DecodeSlot(slot);
  ASSERT_EQ(read.state, SlotState::kIntact);
  EXPECT_EQ(read.sequence, 0x1122334455667788u);
  EXPECT_EQ(read.ledger, ledger);
  EXPECT_EQ(read.written.day, DayOf(kNow));
  EXPECT_EQ(read.written.msOfDay, 45'000'000u);

  // More days than a slot holds: the newest are written.
  Ledger full;
  for (Day d = 0; d < static_cast<Day>(kMaxDays) + 5; ++d) full.Add(d, {1, 1, 1});
  const Slot fullRead = DecodeSlot(EncodeSlot(full, 1));
  ASSERT_EQ(fullRead.state, SlotState::kIntact);
  ASSERT_EQ(fullRead.ledger.Days().size(), kMaxDays);
  EXPECT_EQ(fullRead.ledger.Days().front().day, 5);

  EXPECT_EQ(Crc32("123456789"), 0xCBF43926u);  // the standard check value
}

TEST(LedgerFile, TheNewestIntactSlotIsRead) {
  const Ledger older = History(10);
  const Ledger newer = History(11);
  LedgerImage image = DecodeFile(WholeFile(older, 7, newer, 8));
  EXPECT_EQ(image.state, FileState::kIntact);
  EXPECT_EQ(image.slot, 1);
  EXPECT_EQ(image.ledger, newer);
  image = DecodeFile(WholeFile(newer, 9, older, 8));
  EXPECT_EQ(image.slot, 0);
  EXPECT_EQ(image.ledger, newer);
  EXPECT_FALSE(image.otherDamaged);

  EXPECT_EQ(DecodeFile("").state, FileState::kEmpty);
  EXPECT_EQ(DecodeFile(std::string(kFileBytes, '\0')).state, FileState::kEmpty);
  // The second slot cut short: the first is used.
  image = DecodeFile(WholeFile(newer, 9, older, 8).substr(0, kSlotBytes + 100));
  EXPECT_EQ(image.ledger, newer);
  EXPECT_TRUE(image.otherDamaged);
}

TEST(LedgerFile, APowerCutAtEveryByteOfASlotWriteLeavesTheNewerCopy) {
  // Slot 0 holds the older copy, slot 1 the newer; the next write goes to
  // slot 0 and is cut after k bytes, for every k.
  const Ledger older = History(30);
  const Ledger newer = History(30, 500);  // a minute later
  const Ledger next = History(31, 900);   // the copy being written
  const std::string before = WholeFile(older, 41, newer, 42);
  const std::string slot = EncodeSlot(next, 43);
  std::string file = before;
  for (std::size_t k = 0; k <= kSlotBytes; ++k) {
    if (k > 0) file[k - 1] = slot[k - 1];
    const LedgerImage image = DecodeFile(file);
    ASSERT_EQ(image.state, FileState::kIntact) << "cut after " << k;
    if (k < kSlotBytes) {
      ASSERT_EQ(image.sequence, 42u) << "cut after " << k;
      ASSERT_TRUE(image.ledger == newer) << "cut after " << k;
    } else {
      ASSERT_TRUE(image.ledger == next);
    }
  }
}

TEST(LedgerFile, APowerCutAtEveryByteOfTheFirstWriteLosesNothingOlder) {
  // A new file is written whole: the first copy, then the empty slot.
  const std::string whole = EncodeSlot(History(1), 1) + std::string(kSlotBytes, '\0');
  for (std::size_t k = 0; k <= kFileBytes; ++k) {
    const LedgerImage image = DecodeFile(std::string_view(whole).substr(0, k));
    const FileState expected = k == 0           ? FileState::kEmpty
                               : k < kSlotBytes ? FileState::kDamaged
                                                : FileState::kIntact;
    ASSERT_EQ(image.state, expected) << "cut after " << k;
  }
}

TEST(LedgerFile, AFlippedByteInEitherSlotLeavesTheOtherInUse) {
  const Ledger older = History(40);
  const Ledger newer = History(40, 1);
  const std::string good = WholeFile(newer, 6, older, 5);
  const std::size_t used = kSlotHeaderBytes + 40 * kDayRecordBytes;
  for (int damaged = 0; damaged < 2; ++damaged) {
    for (std::size_t i = 0; i < kSlotBytes; i += i < used || i >= kSlotBytes - 8 ? 1 : 53) {
      std::string file = good;
      file[damaged * kSlotBytes + i] ^= 0x20;
      const LedgerImage image = DecodeFile(file);
      ASSERT_EQ(image.state, FileState::kIntact) << "slot " << damaged << " byte " << i;
      ASSERT_TRUE(image.ledger == (damaged == 0 ? older : newer))
          << "slot " << damaged << " byte " << i;
      ASSERT_TRUE(image.otherDamaged);
    }
  }
  // Both: nothing is read.
  std::string file = good;
  file[100] ^= 1;
  file[kSlotBytes + 100] ^= 1;
  EXPECT_EQ(DecodeFile(file).state, FileState::kDamaged);
}

// A slot whose CRC is right but whose content breaks a rule of the format.
std::string Resealed(std::string slot) {
  const std::uint32_t crc = Crc32(std::string_view(slot).substr(0, kSlotBytes - 4));
  for (int i = 0; i < 4; ++i) slot[kSlotBytes - 4 + i] = static_cast<char>(crc >> (8 * i));
  return slot;
}

TEST(LedgerFile, NewerFormatsAreRecognisedAndBrokenRulesAreDamage) {
  std::string v2 = EncodeSlot(History(3), 10);
  v2[4] = 2;
  const std::string newer = Resealed(v2);
  EXPECT_EQ(DecodeSlot(newer).state, SlotState::kNewerVersion);
  // Even beside an intact copy of ours: never read around a newer program.
  LedgerImage image = DecodeFile(EncodeSlot(History(3), 9) + newer);
  EXPECT_EQ(image.state, FileState::kNewerVersion);
  EXPECT_EQ(image.version, 2);
  // A version byte flipped by damage breaks the CRC: just a damaged copy.
  EXPECT_EQ(DecodeFile(EncodeSlot(History(3), 9) + v2).state, FileState::kIntact);

  const std::string base = EncodeSlot(History(3), 10);
  struct Rule {
    const char* what;
    std::size_t at;
    char value;
  } rules[] = {
      {"format 0", 4, 0},
      {"more days than room", 18, 1},
      {"an unknown mark", 31, 1},
      {"days out of order", kSlotHeaderBytes, 0x7F},
      {"room after the days not zero", kSlotHeaderBytes + 3 * kDayRecordBytes + 5, 1},
      {"not our magic", 0, 'X'},
  };
  for (const Rule& rule : rules) {
    std::string slot = base;
    slot[rule.at] = rule.value;
    EXPECT_EQ(DecodeSlot(Resealed(slot)).state, SlotState::kDamaged) << rule.what;
  }
}

class Store : public ::testing::Test {
 protected:
  std::shared_ptr<MemoryDataFiles> files_ = std::make_shared<MemoryDataFiles>();
  dw::testing::LogFolder log_;

  void SetUp() override { log_.Configure({"/l", "/n"}); }

  std::string Logged() {
    std::string all;
    for (const auto& line : log_.Lines()) all += line + "\n";
    return all;
  }
};

TEST_F(Store, WritesAlternateAndNeverTouchTheNewerSlot) {
  LedgerStore store(files_, kLedgerPath);
  Ledger ledger = store.Open(kNow);
  EXPECT_EQ(ledger, Ledger());
  EXPECT_FALSE(files_->Exists(kLedgerPath));  // nothing written until there is something

  ledger = History(2);
  ASSERT_TRUE(store.Write(ledger, kNow));
  ASSERT_EQ(files_->Content(kLedgerPath)->size(), kFileBytes);  // both slots from the start
  EXPECT_EQ(DecodeFile(*files_->Content(kLedgerPath)).slot, 0);
  for (int i = 0; i < 4; ++i) {
    const std::string before = *files_->Content(kLedgerPath);
    const int newest = DecodeFile(before).slot;
    ledger.Add(DayOf(kNow), {1, 1, 1});
    ASSERT_TRUE(store.Write(ledger, kNow));
    const std::string after = *files_->Content(kLedgerPath);
    ASSERT_EQ(after.size(), kFileBytes);  // the file never grows
    // The slot that was newest is byte for byte as it was.
    EXPECT_EQ(after.substr(newest * kSlotBytes, kSlotBytes),
              before.substr(newest * kSlotBytes, kSlotBytes));
    const LedgerImage image = DecodeFile(after);
    EXPECT_EQ(image.slot, 1 - newest);
    EXPECT_EQ(image.sequence, static_cast<std::uint64_t>(i + 2));
    EXPECT_EQ(image.ledger, ledger);
  }
  EXPECT_EQ(LedgerStore(files_, kLedgerPath).Open(kNow), ledger);
}

TEST_F(Store, APowerCutDuringAnyWriteOfASessionLosesAtMostTheLastMinute) {
  // A day of use already on disk, then a session whose once-a-minute
  // writes are cut at offsets spread over the whole slot.
  testing::Timeline time({2026, 12, 7, 10, 0, 0, 0});
  {
    auto recorder = testing::MakeRecorder(files_, time);
    recorder->ConnectionStarted({0, 0}, time.Now(), time.Mono());
    time.Advance(2s);
    recorder->Sample({5000, 500}, time.Now(), time.Mono());
    recorder->ConnectionEnded(time.Now(), time.Mono());
  }
  const std::string yesterday = *files_->Content(kLedgerPath);
  for (std::size_t cut = 0; cut <= kSlotBytes; cut += cut < 64 || cut > kSlotBytes - 64 ? 1 : 97) {
    time.SetWall({2026, 12, 8, 10, 0, 0, 0});
    files_->SetContent(kLedgerPath, yesterday);
    files_->Restart();
    auto recorder = testing::MakeRecorder(files_, time);
    Counters c{};
    recorder->ConnectionStarted(c, time.Now(), time.Mono());
    Totals written;  // the day as of the last complete write
    for (int minute = 0; minute < 3 && !files_->PowerCut(); ++minute) {
      for (int i = 0; i < 30; ++i) {
        time.Advance(2s);
        c.received += 1000;
        recorder->Sample(c, time.Now(), time.Mono());
      }
      if (minute == 2) files_->CutNextWriteAfter(cut);
      const Totals now = testing::On(*recorder, 2026, 12, 8);
      if (recorder->FlushIfDue(time.Now(), time.Mono())) written = now;
    }
    ASSERT_TRUE(files_->PowerCut());
    files_->Restart();
    const auto after = testing::MakeRecorder(files_, time);
    ASSERT_EQ(testing::On(*after, 2026, 12, 7), (Totals{5000, 500, 2000})) << "cut " << cut;
    const Totals today = testing::On(*after, 2026, 12, 8);
    if (cut == kSlotBytes) {
      ASSERT_EQ(today.received, 90'000u);
    } else {
      ASSERT_EQ(today, written) << "cut " << cut;
      ASSERT_EQ(today.received, 60'000u) << "cut " << cut;  // one minute lost, no more
    }
  }
}

TEST_F(Store, ADamagedFileIsSetAsideLoggedAndCountingGoesOnInANewFile) {
  std::string damaged = WholeFile(History(5), 1, History(6), 2);
  damaged[50] ^= 1;
  damaged[kSlotBytes + 50] ^= 1;
  files_->SetContent(kLedgerPath, damaged);
  LedgerStore store(files_, kLedgerPath);
  Ledger ledger = store.Open(kNow);
  EXPECT_EQ(ledger, Ledger());
  const std::string aside =
      "C:\\Users\\me\\Application Data\\Korvana\\Dialwave\\usage-20261207-123000.bad";
  EXPECT_EQ(store.SetAsidePath(), aside);
  EXPECT_EQ(files_->Content(aside), damaged);  // kept byte for byte
  EXPECT_FALSE(files_->Exists(kLedgerPath));
  EXPECT_NE(Logged().find("usage.dat damaged: set aside as " + aside), std::string::npos)
      << Logged();

  ledger.Add(DayOf(kNow), {10, 20, 30});
  ASSERT_TRUE(store.Write(ledger, kNow));
  EXPECT_EQ(LedgerStore(files_, kLedgerPath).Open(kNow), ledger);

  // Damaged again within the same second: another name, nothing replaced.
  files_->SetContent(kLedgerPath, "not a ledger at all");
  LedgerStore second(files_, kLedgerPath);
  EXPECT_EQ(second.Open(kNow), Ledger());
  EXPECT_EQ(second.SetAsidePath(),
            "C:\\Users\\me\\Application Data\\Korvana\\Dialwave\\usage-20261207-123000-2.bad");
  EXPECT_EQ(files_->Content(aside), damaged);
}

TEST_F(Store, ANewerFormatsFileIsSetAsideNotOverwritten) {
  std::string v2 = EncodeSlot(History(3), 10);
  v2[4] = 2;
  const std::string file = Resealed(v2) + std::string(kSlotBytes, '\0');
  files_->SetContent(kLedgerPath, file);
  LedgerStore store(files_, kLedgerPath);
  EXPECT_EQ(store.Open(kNow), Ledger());
  EXPECT_EQ(files_->Content(store.SetAsidePath()), file);
  EXPECT_NE(Logged().find("written by a newer Dialwave (format 2): set aside"), std::string::npos)
      << Logged();
}

TEST_F(Store, AFileThatCannotBeSetAsideOrReadIsNeverWrittenOver) {
  const std::string damaged = "garbage";
  files_->SetContent(kLedgerPath, damaged);
  files_->FailRenames(true);
  LedgerStore store(files_, kLedgerPath);
  Ledger ledger = store.Open(kNow);
  ledger.Add(DayOf(kNow), {1, 2, 3});
  EXPECT_FALSE(store.Write(ledger, kNow));
  EXPECT_FALSE(store.Write(ledger, kNow));
  EXPECT_EQ(files_->Content(kLedgerPath), damaged);
  // Tried at every write, said once.
  const std::string logged = Logged();
  const auto first = logged.find("damaged and cannot be renamed");
  EXPECT_NE(first, std::string::npos) << logged;
  EXPECT_EQ(logged.find("damaged and cannot be renamed", first + 1), std::string::npos) << logged;
  files_->FailRenames(false);
  EXPECT_TRUE(store.Write(ledger, kNow));
  EXPECT_EQ(LedgerStore(files_, kLedgerPath).Open(kNow), ledger);

  // A file that could not be read at the start (another program holds it):
  // what it holds is merged in once it can be read.
  const Ledger onDisk = History(3);
  files_->SetContent(kLedgerPath, EncodeSlot(onDisk, 4) + std::string(kSlotBytes, '\0'));
  files_->FailReads(true);
  LedgerStore locked(files_, kLedgerPath);
  Ledger session = locked.Open(kNow);
  EXPECT_EQ(session, Ledger());
  session.Add(DayOf(kNow), {100, 0, 0});
  EXPECT_FALSE(locked.Write(session, kNow));
  files_->FailReads(false);
  EXPECT_TRUE(locked.Write(session, kNow));
  Ledger expected = onDisk;
  expected.Add(DayOf(kNow), {100, 0, 0});
  EXPECT_EQ(session, expected);
  EXPECT_EQ(LedgerStore(files_, kLedgerPath).Open(kNow), expected);
}

TEST(LedgerFolder, TheApplicationDataFolderOrElseTheProgramsOwn) {
  FakeShell shell;
  FakeFileSystem files;
  shell.folders[kCsidlAppData] = "C:\\Documents and Settings\\me\\Application Data";
  files.directories.insert(FakeFileSystem::Normalise(shell.folders[kCsidlAppData]));
  EXPECT_EQ(LedgerFolder(shell, files, "C:\\Korvana\\dialwave.exe"),
            "C:\\Documents and Settings\\me\\Application Data\\Korvana\\Dialwave\\");
  EXPECT_TRUE(
      files.DirectoryExists("C:\\Documents and Settings\\me\\Application Data\\Korvana\\Dialwave"));
  // Made once: the second call finds them.
  const std::size_t made = files.madeDirectories.size();
  EXPECT_EQ(made, 2u);
  LedgerFolder(shell, files, "C:\\Korvana\\dialwave.exe");
  EXPECT_EQ(files.madeDirectories.size(), made);

  // 98 without the desktop update has no such folder.
  FakeShell old;
  EXPECT_EQ(LedgerFolder(old, files, "C:\\Korvana\\dialwave.exe"), "C:\\Korvana\\");
  // One the system names but that is not there, or where no folder can be made.
  old.folders[kCsidlAppData] = "C:\\WINDOWS\\Application Data";
  EXPECT_EQ(LedgerFolder(old, files, "D:\\Tools\\dialwave.exe"), "D:\\Tools\\");
  FakeFileSystem readOnly;
  readOnly.directories.insert(FakeFileSystem::Normalise("C:\\WINDOWS\\Application Data"));
  readOnly.makeDirectoryFails = true;
  EXPECT_EQ(LedgerFolder(old, readOnly, "C:\\Korvana\\dialwave.exe"), "C:\\Korvana\\");
}

TEST(LedgerFolder, AReaderLooksWithoutMakingAFolder) {
  FakeShell shell;
  FakeFileSystem files;
  shell.folders[kCsidlAppData] = "C:\\Documents and Settings\\me\\Application Data";
  files.directories.insert(FakeFileSystem::Normalise(shell.folders[kCsidlAppData]));
  EXPECT_EQ(LedgerFolder(shell, files, "C:\\Korvana\\dialwave.exe", LedgerFolderUse::kLookOnly),
            "C:\\Korvana\\");
  EXPECT_TRUE(files.madeDirectories.empty());
  LedgerFolder(shell, files, "C:\\Korvana\\dialwave.exe");  // the program's first start
  EXPECT_EQ(LedgerFolder(shell, files, "C:\\Korvana\\dialwave.exe", LedgerFolderUse::kLookOnly),
            "C:\\Documents and Settings\\me\\Application Data\\Korvana\\Dialwave\\");
}

}  // namespace
}  // namespace dw::usage
