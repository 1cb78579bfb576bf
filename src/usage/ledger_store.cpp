#include "usage/ledger_store.h"

#include <utility>

#include "log/log.h"

namespace dw::usage {
namespace {

std::string WithoutTrailingSeparator(std::string path) {
  while (!path.empty() && (path.back() == '\\' || path.back() == '/')) path.pop_back();
  return path;
}

// Folder by folder, as CreateDirectory makes one at a time.
bool EnsureFolder(FileSystem& files, const std::string& path) {
  return files.DirectoryExists(path) ||
         (files.MakeDirectory(path) && files.DirectoryExists(path)) ||
         files.DirectoryExists(path);  // made meanwhile by another instance
}

// Of two sets of marks the later period's; in the same period and for the
// same allowance whatever either has given.
BudgetMarks MergedMarks(const BudgetMarks& a, const BudgetMarks& b) {
  if (a.period != b.period) return a.period > b.period ? a : b;
  if (a.allowanceMb != b.allowanceMb) return a;
  BudgetMarks m = a;
  m.warned80 = a.warned80 || b.warned80;
  m.warned100 = a.warned100 || b.warned100;
  m.connectAnyway = a.connectAnyway || b.connectAnyway;
  return m;
}

}  // namespace

std::string LedgerFolder(Shell& shell, FileSystem& files, const std::string& executablePath,
                         LedgerFolderUse use) {
  const std::string appData = WithoutTrailingSeparator(shell.SpecialFolderPath(kCsidlAppData));
  const std::string vendor = appData + "\\" + kVendorFolder;
  const std::string program = vendor + "\\" + kProgramFolder;
  if (use == LedgerFolderUse::kLookOnly) {
    if (!appData.empty() && files.DirectoryExists(program)) return program + "\\";
  } else if (!appData.empty() && files.DirectoryExists(appData)) {
    if (EnsureFolder(files, vendor) && EnsureFolder(files, program)) return program + "\\";
    WriteLog("USAGE-Folder", kCaughtErrorLogCode,
             "cannot create " + program + "; the usage ledger lives beside the program");
  }
  const auto slash = executablePath.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : executablePath.substr(0, slash + 1);
}

LedgerStore::LedgerStore(std::shared_ptr<DataFiles> files, std::string path)
    : files_(std::move(files)), path_(std::move(path)) {}

Ledger LedgerStore::Open(const LocalDateTime& now) {
  Ledger ledger;
  Load(ledger, now);
  return ledger;
}

bool LedgerStore::Load(Ledger& ledger, const LocalDateTime& now) {
  ledger = Ledger();
  std::string bytes;
  switch (files_->Read(path_, kFileBytes, bytes)) {
    case ReadResult::kMissing:
      state_ = State::kNew;
      return true;
    case ReadResult::kFailed:
      Problem("cannot read " + path_ + "; tried again later");
      state_ = State::kUnread;
      return false;
    case ReadResult::kRead:
      break;
  }
  LedgerImage image = DecodeFile(bytes);
  switch (image.state) {
    case FileState::kEmpty:
      state_ = State::kNew;
      return true;
    case FileState::kIntact:
      if (image.otherDamaged) {
        WriteLog("USAGE-File", 0, path_ + ": one copy damaged, the newest intact one is used");
      }
      state_ = State::kOpen;
      newest_ = image.slot;
      sequence_ = image.sequence;
      ledger = std::move(image.ledger);
      return true;
    case FileState::kDamaged:
      return SetAside(now, "damaged");
    case FileState::kNewerVersion:
      return SetAside(
          now,
          ("written by a newer Dialwave (format " + std::to_string(image.version) + ")").c_str());
  }
  return false;
}

void LedgerStore::Problem(const std::string& what) {
  // Tried again every minute: said once until something changes.
  if (what == lastProblem_) return;
  lastProblem_ = what;
  WriteLog("USAGE-File", kCaughtErrorLogCode, what);
}

bool LedgerStore::SetAside(const LocalDateTime& now, const char* why) {
  std::string stem = path_;
  const auto slash = stem.find_last_of("\\/");
  const auto dot = stem.find_last_of('.');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) stem.resize(dot);
  // Appended piece by piece: GCC 12 at -O2 takes a text put in front of a
  // string for an overlapping copy (-Wrestrict, a known false alarm).
  std::string stamp(1, '-');
  stamp += ZeroPadded(now.year, 4);
  stamp += ZeroPadded(now.month, 2);
  stamp += ZeroPadded(now.day, 2);
  stamp += '-';
  stamp += ZeroPadded(now.hour, 2);
  stamp += ZeroPadded(now.minute, 2);
  stamp += ZeroPadded(now.second, 2);
  for (int attempt = 1; attempt <= 100; ++attempt) {
    std::string name = stem;
    name += stamp;
    if (attempt > 1) {
      name += '-';
      name += std::to_string(attempt);
    }
    name += ".bad";
    if (files_->Exists(name)) continue;
    if (files_->Rename(path_, name)) {
      setAside_ = name;
      WriteLog("USAGE-File", kCaughtErrorLogCode,
               path_ + " " + why + ": set aside as " + name + "; counting goes on in a new file");
      state_ = State::kNew;
      return true;
    }
    break;
  }
  Problem(path_ + " " + why + " and cannot be renamed; tried again later");
  state_ = State::kUnread;
  return false;
}

bool LedgerStore::Write(Ledger& ledger, const LocalDateTime& now) {
  if (state_ == State::kUnread) {
    Ledger stored;
    if (!Load(stored, now)) return false;
    stored.Merge(ledger);
    stored.marks = MergedMarks(ledger.marks, stored.marks);
    ledger = std::move(stored);
  }
  const WrittenAt written{DayOf(now), static_cast<std::uint32_t>(MsOfDay(now))};
  bool ok = false;
  if (state_ == State::kNew) {
    // Both slots at once, the second empty: the file never grows later.
    ok = files_->WriteAt(path_, 0, EncodeSlot(ledger, 1, written) + std::string(kSlotBytes, '\0'));
    if (ok) {
      state_ = State::kOpen;
      newest_ = 0;
      sequence_ = 1;
    }
  } else {
    const int target = 1 - newest_;
    ok = files_->WriteAt(path_, static_cast<std::uint64_t>(target) * kSlotBytes,
                         EncodeSlot(ledger, sequence_ + 1, written));
    if (ok) {
      newest_ = target;
      ++sequence_;
    }
  }
  if (ok) {
    lastProblem_.clear();
  } else {
    Problem("cannot write " + path_ + "; tried again later");
  }
  return ok;
}

}  // namespace dw::usage
