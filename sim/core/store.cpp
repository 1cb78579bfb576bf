#include "store.h"

#include <fstream>
#include <sstream>

namespace dw::sim {

namespace {

Scenario ScenarioOf(const std::string& text) {
  if (text.empty()) return DefaultScenario();
  auto scenario = ParseScenario(text);
  return scenario ? *scenario : DefaultScenario();
}

}  // namespace

void Store::Update(const std::function<void(const Scenario&, State&)>& f) {
  Locked([&](Texts& texts) {
    const Scenario scenario = ScenarioOf(texts.scenario);
    State state = ParseState(texts.state).value_or(State{});
    f(scenario, state);
    texts.state = FormatState(state);
  });
}

void Store::SetScenario(const Scenario& scenario) {
  Locked([&](Texts& texts) { texts.scenario = FormatScenario(scenario); });
}

void Store::Reset() {
  Locked([&](Texts& texts) {
    texts.scenario = FormatScenario(DefaultScenario());
    texts.state = FormatState(State{});
  });
}

Scenario Store::ReadScenario() {
  Scenario scenario;
  Locked([&](Texts& texts) { scenario = ScenarioOf(texts.scenario); });
  return scenario;
}

void MemoryStore::Locked(const std::function<void(Texts&)>& f) {
  std::lock_guard lock(mutex_);
  f(texts_);
}

FileStore::FileStore(std::string folder) : folder_(std::move(folder)) {
  if (!folder_.empty() && folder_.back() != '/' && folder_.back() != '\\') folder_ += '/';
}

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

}  // namespace

void FileStore::Locked(const std::function<void(Texts&)>& f) {
  std::lock_guard threads(mutex_);
  FileLock lock(folder_ + "lock");
  Texts texts{ReadFile(folder_ + "scenario.txt"), ReadFile(folder_ + "state.txt")};
  const Texts before = texts;
  f(texts);
  // Unchanged files are not rewritten: most calls only look.
  if (texts.scenario != before.scenario) WriteFile(folder_ + "scenario.txt", texts.scenario);
  if (texts.state != before.state) WriteFile(folder_ + "state.txt", texts.state);
}

}  // namespace dw::sim
