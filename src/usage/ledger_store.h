// The ledger's one file: where it lives, reading it at start (a damaged or
// newer file is renamed out of the way, never deleted) and writing a new
// copy into the slot that does not hold the newest one.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/clock.h"
#include "platform/data_files.h"
#include "platform/file_system.h"
#include "platform/shell.h"
#include "usage/ledger.h"
#include "usage/ledger_file.h"

namespace dw::usage {

inline constexpr int kCsidlAppData = 0x1A;  // CSIDL_APPDATA
inline constexpr const char* kVendorFolder = "Korvana";
inline constexpr const char* kProgramFolder = "Dialwave";
inline constexpr const char* kLedgerFileName = "usage.dat";

// The folder for the ledger, with a trailing separator: the user's
// application-data folder + Korvana\Dialwave\, created when missing; the
// program's own folder where the system has no application-data folder (98
// without the desktop update) or it cannot be used. A reader (the support
// report) only looks: where no ledger folder exists, the program's own.
enum class LedgerFolderUse { kCreate, kLookOnly };
std::string LedgerFolder(Shell& shell, FileSystem& files, const std::string& executablePath,
                         LedgerFolderUse use = LedgerFolderUse::kCreate);

class LedgerStore {
 public:
  LedgerStore(std::shared_ptr<DataFiles> files, std::string path);

  // Reads the file. A damaged or newer one is set aside (logged) and the
  // ledger starts empty; one that cannot be read at all is left alone, and
  // the next Write tries again first. `now` names a set-aside file.
  Ledger Open(const LocalDateTime& now);

  // Writes `ledger` as the next copy. A file that could not be read at Open
  // is read again first, and what it holds is merged into `ledger` (that
  // is why the ledger is passed by reference). False when nothing could
  // be written: the caller keeps its ledger and tries again later.
  bool Write(Ledger& ledger, const LocalDateTime& now);

  const std::string& Path() const { return path_; }
  // The name the last damaged or newer file was given, empty if none.
  const std::string& SetAsidePath() const { return setAside_; }

 private:
  enum class State {
    kUnread,  // Open has not read it, or could not: no write before a read
    kNew,     // no usable file: the next write makes a whole new one
    kOpen,    // slot newest_ holds sequence_
  };

  // Reads and decodes; sets state_, and the ledger read into `ledger`.
  bool Load(Ledger& ledger, const LocalDateTime& now);
  bool SetAside(const LocalDateTime& now, const char* why);
  void Problem(const std::string& what);

  std::shared_ptr<DataFiles> files_;
  std::string path_;
  State state_ = State::kUnread;
  int newest_ = 0;
  std::uint64_t sequence_ = 0;
  std::string setAside_;
  std::string lastProblem_;  // the last problem logged, until a write works
};

}  // namespace dw::usage
