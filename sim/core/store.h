// Where the scenario and the state live: shared by every process that uses
// the simulator, changed only under the store's lock.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "scenario.h"
#include "state.h"
#include "platform/threads.h"

namespace dw::sim {

class Store {
 public:
  virtual ~Store() = default;
  // Runs `f` under the lock with the current scenario and state; what `f`
  // leaves in `state` is kept. A state that cannot be read counts as empty.
  void Update(const std::function<void(const Scenario&, State&)>& f);
  // Replaces the scenario; the state is kept.
  void SetScenario(const Scenario& scenario);
  // The default scenario, an empty phone book and no connections.
  void Reset();
  Scenario ReadScenario();

 protected:
  struct Texts {
    std::string scenario;  // empty: the default scenario
    std::string state;
  };
  // Runs `f` under the lock with the stored texts; writes back what changed.
  virtual void Locked(const std::function<void(Texts&)>& f) = 0;
};

// In one process: several simulators sharing one MemoryStore behave like
// several processes sharing a folder.
class MemoryStore final : public Store {
 protected:
  void Locked(const std::function<void(Texts&)>& f) override;

 private:
  dw::Mutex mutex_;
  Texts texts_;
};

// Files "scenario.txt" and "state.txt" in a folder, locked through the file
// "lock" in the same folder (system-wide, so across processes).
class FileStore final : public Store {
 public:
  explicit FileStore(std::string folder);

 protected:
  void Locked(const std::function<void(Texts&)>& f) override;

 private:
  std::string folder_;
  dw::Mutex mutex_;  // threads of one process; the file lock orders processes
};

// Holds an exclusive lock on a file until destroyed (blocks until it gets
// it); false from Held() when the file could not be opened or locked.
class FileLock {
 public:
  explicit FileLock(const std::string& path);
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  bool Held() const { return held_; }

 private:
  std::intptr_t handle_ = -1;
  bool held_ = false;
};

}  // namespace dw::sim
