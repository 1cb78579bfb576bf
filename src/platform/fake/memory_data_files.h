// Data files in memory, with a power cut that can fall on any byte of a
// write: the bytes before it reach the "disk", the rest never does, and
// nothing is written after it until the machine "starts" again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "platform/data_files.h"

namespace dw {

class MemoryDataFiles final : public DataFiles {
 public:
  ReadResult Read(const std::string& path, std::size_t limit, std::string& bytes) override;
  bool WriteAt(const std::string& path, std::uint64_t offset, std::string_view bytes) override;
  bool Rename(const std::string& from, const std::string& to) override;
  bool Exists(const std::string& path) override;

  // Test controls.
  // The next write stops after this many of its bytes, as a power cut would
  // stop it, and reports failure; every later write fails until Restart.
  void CutNextWriteAfter(std::size_t bytes) { cutAfter_ = bytes; }
  bool PowerCut() const { return powerCut_; }
  // The machine is on again: writes work (a cut not yet reached stays set).
  void Restart() { powerCut_ = false; }

  void FailReads(bool fail) { fail_.reads = fail; }
  void FailWrites(bool fail) { fail_.writes = fail; }
  void FailRenames(bool fail) { fail_.renames = fail; }

  std::optional<std::string> Content(const std::string& path) const;
  void SetContent(const std::string& path, std::string bytes) { files_[path] = std::move(bytes); }
  const std::map<std::string, std::string>& Files() const { return files_; }
  // Writes that reached the "disk" (in whole or in part), and all asked for.
  int Writes() const { return writes_; }
  int WriteAttempts() const { return attempts_; }

 private:
  std::map<std::string, std::string> files_;
  std::optional<std::size_t> cutAfter_;
  bool powerCut_ = false;
  struct {
    bool reads = false, writes = false, renames = false;
  } fail_;
  int writes_ = 0;
  int attempts_ = 0;
};

}  // namespace dw
