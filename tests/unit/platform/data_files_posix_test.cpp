// The POSIX data files against the real file system, as the native tools
// and tests use them; the Windows build's are tried under Wine.
#ifndef _WIN32
#include "platform/data_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "unit/log/log_test_support.h"
#include "usage/ledger_store.h"

namespace dw {
namespace {

std::string Contents(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(PosixDataFiles, WritesInPlaceReadsWhatIsThereAndRenamesWithoutReplacing) {
  testing::LogFolder folder;  // a private folder
  const auto dir = folder.LogPath().parent_path();
  const std::string path = (dir / "usage.dat").string();
  const auto files = MakePosixDataFiles();
  std::string bytes = "left alone";
  EXPECT_EQ(files->Read(path, 100, bytes), ReadResult::kMissing);
  EXPECT_EQ(bytes, "");
  EXPECT_EQ(files->Read((dir / "no-such" / "usage.dat").string(), 100, bytes),
            ReadResult::kMissing);
  EXPECT_EQ(files->Read(dir.string(), 100, bytes), ReadResult::kFailed);  // a folder
  EXPECT_FALSE(files->Exists(path));

  ASSERT_TRUE(files->WriteAt(path, 4, "4567"));
  EXPECT_EQ(Contents(path), std::string(4, '\0') + "4567");  // the gap reads as zeros
  ASSERT_TRUE(files->WriteAt(path, 0, "ab"));
  ASSERT_TRUE(files->WriteAt(path, 6, "XYZ"));
  const std::string expected = std::string("ab\0\0", 4) + "45XYZ";
  EXPECT_EQ(Contents(path), expected);
  ASSERT_EQ(files->Read(path, 100, bytes), ReadResult::kRead);
  EXPECT_EQ(bytes, expected);
  ASSERT_EQ(files->Read(path, 3, bytes), ReadResult::kRead);
  EXPECT_EQ(bytes, expected.substr(0, 3));
  EXPECT_TRUE(files->Exists(path));

  const std::string other = (dir / "other.bad").string();
  ASSERT_TRUE(files->WriteAt(other, 0, "other"));
  EXPECT_FALSE(files->Rename(path, other));
  EXPECT_EQ(Contents(other), "other");
  EXPECT_EQ(Contents(path), expected);
  const std::string aside = (dir / "usage-aside.bad").string();
  EXPECT_TRUE(files->Rename(path, aside));
  EXPECT_FALSE(files->Exists(path));
  EXPECT_EQ(Contents(aside), expected);
  EXPECT_FALSE(files->WriteAt((dir / "no-such" / "usage.dat").string(), 0, "x"));

  // The ledger's store on top: two slots from the first write, read back.
  usage::LedgerStore store(std::shared_ptr<DataFiles>(MakePosixDataFiles()), path);
  usage::Ledger ledger = store.Open({2026, 12, 7, 12, 0, 0, 0});
  ledger.Add(usage::DayOf(2026, 12, 7), {10, 20, 30});
  ASSERT_TRUE(store.Write(ledger, {2026, 12, 7, 12, 0, 0, 0}));
  EXPECT_EQ(std::filesystem::file_size(path), usage::kFileBytes);
  ledger.Add(usage::DayOf(2026, 12, 7), {1, 1, 1});
  ASSERT_TRUE(store.Write(ledger, {2026, 12, 7, 12, 1, 0, 0}));
  EXPECT_EQ(std::filesystem::file_size(path), usage::kFileBytes);
  EXPECT_EQ(usage::LedgerStore(std::shared_ptr<DataFiles>(MakePosixDataFiles()), path)
                .Open({2026, 12, 7, 12, 2, 0, 0}),
            ledger);
}

}  // namespace
}  // namespace dw
#endif  // _WIN32
