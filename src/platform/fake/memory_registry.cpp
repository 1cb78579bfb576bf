#include "platform/fake/memory_registry.h"

#include <algorithm>
#include <mutex>
#include "platform/threads.h"

namespace dw {
namespace {

bool SameName(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return lower(x) == lower(y);
  });
}

std::vector<std::string_view> SplitPath(std::string_view path) {
  std::vector<std::string_view> parts;
  while (!path.empty()) {
    const auto slash = path.find('\\');
    const auto part = path.substr(0, slash);
    if (!part.empty()) parts.push_back(part);
    if (slash == std::string_view::npos) break;
    path.remove_prefix(slash + 1);
  }
  return parts;
}

}  // namespace

struct MemoryRegistry::State {
  struct Value {
    std::string name;
    ValueType type;
    std::vector<std::uint8_t> data;
  };
  struct Node {
    std::string name;
    std::vector<Value> values;
    std::vector<std::shared_ptr<Node>> children;
    bool denyWrite = false;
    bool denyAccess = false;
    bool refuseValues = false;

    Value* FindValue(std::string_view n) {
      for (auto& v : values) {
        if (SameName(v.name, n)) return &v;
      }
      return nullptr;
    }
    std::shared_ptr<Node> FindChild(std::string_view n) const {
      for (const auto& c : children) {
        if (SameName(c->name, n)) return c;
      }
      return nullptr;
    }
  };

  struct Found {
    std::shared_ptr<Node> node;
    bool denyWrite = false;
    bool denyAccess = false;
    bool refuseValues = false;
  };

  // Walks the path; with `create` missing keys are added unless a key on the
  // way refuses writes. Returns no node when the key is not there.
  Found Walk(RegistryRoot root, std::string_view path, bool create) {
    Found f;
    f.node = root == RegistryRoot::kLocalMachine ? localMachine
             : root == RegistryRoot::kCurrentUser ? currentUser
                                                   : dynData;
    for (const auto part : SplitPath(path)) {
      f.denyWrite = f.denyWrite || f.node->denyWrite;
      f.denyAccess = f.denyAccess || f.node->denyAccess;
      f.refuseValues = f.refuseValues || f.node->refuseValues;
      auto child = f.node->FindChild(part);
      if (!child) {
        if (!create || f.denyWrite || f.denyAccess) return {};
        child = std::make_shared<Node>();
        child->name = std::string(part);
        f.node->children.push_back(child);
      }
      f.node = child;
    }
    f.denyWrite = f.denyWrite || f.node->denyWrite;
    f.denyAccess = f.denyAccess || f.node->denyAccess;
    f.refuseValues = f.refuseValues || f.node->refuseValues;
    return f;
  }

  dw::Mutex mutex;
  std::shared_ptr<Node> localMachine = std::make_shared<Node>();
  std::shared_ptr<Node> dynData = std::make_shared<Node>();
  std::shared_ptr<Node> currentUser = std::make_shared<Node>();
  int writes = 0;
};

class MemoryRegistry::Key final : public RegistryKey {
 public:
  Key(std::shared_ptr<State> state, std::shared_ptr<State::Node> node, bool writable,
      bool refuseValues = false)
      : state_(std::move(state)),
        node_(std::move(node)),
        writable_(writable),
        refuseValues_(refuseValues) {}

  bool ValueExists(std::string_view name) const override {
    std::lock_guard lock(state_->mutex);
    return node_->FindValue(name) != nullptr;
  }

  std::optional<std::string> ReadText(std::string_view name) const override {
    std::lock_guard lock(state_->mutex);
    const auto* v = node_->FindValue(name);
    if (v == nullptr || v->type != ValueType::kText) return std::nullopt;
    const auto end = std::find(v->data.begin(), v->data.end(), 0);
    return std::string(v->data.begin(), end);
  }

  std::optional<std::vector<std::uint8_t>> ReadBinary(std::string_view name) const override {
    std::lock_guard lock(state_->mutex);
    const auto* v = node_->FindValue(name);
    if (v == nullptr) return std::nullopt;
    return v->data;
  }

  bool WriteText(std::string_view name, std::string_view text) override {
    return PutText(name, text) == RegistryWrite::kDone;
  }

  RegistryWrite PutText(std::string_view name, std::string_view text) override {
    if (!writable_ || refuseValues_) return RegistryWrite::kDenied;
    std::vector<std::uint8_t> data(text.begin(), text.end());
    data.push_back(0);  // stored with its terminator, as RegSetValueExA does
    std::lock_guard lock(state_->mutex);
    if (auto* v = node_->FindValue(name)) {
      v->type = ValueType::kText;
      v->data = std::move(data);
    } else {
      node_->values.push_back({std::string(name), ValueType::kText, std::move(data)});
    }
    ++state_->writes;
    return RegistryWrite::kDone;
  }

  std::vector<std::string> SubkeyNames() const override {
    std::lock_guard lock(state_->mutex);
    std::vector<std::string> names;
    for (const auto& c : node_->children) names.push_back(c->name);
    return names;
  }

  std::vector<std::string> ValueNames() const override {
    std::lock_guard lock(state_->mutex);
    std::vector<std::string> names;
    for (const auto& v : node_->values) names.push_back(v.name);
    return names;
  }

 private:
  std::shared_ptr<State> state_;
  std::shared_ptr<State::Node> node_;
  bool writable_;
  bool refuseValues_;
};

MemoryRegistry::MemoryRegistry() : state_(std::make_shared<State>()) {}
MemoryRegistry::~MemoryRegistry() = default;

bool MemoryRegistry::KeyExists(RegistryRoot root, std::string_view path) const {
  std::lock_guard lock(state_->mutex);
  return state_->Walk(root, path, false).node != nullptr;
}

std::unique_ptr<RegistryKey> MemoryRegistry::Open(RegistryRoot root, std::string_view path) {
  std::lock_guard lock(state_->mutex);
  const auto f = state_->Walk(root, path, false);
  if (!f.node || f.denyAccess || f.denyWrite) return nullptr;
  return std::make_unique<Key>(state_, f.node, true, f.refuseValues);
}

std::unique_ptr<RegistryKey> MemoryRegistry::Create(RegistryRoot root, std::string_view path) {
  RegistryWrite ignored;
  return CreateForWrite(root, path, ignored);
}

std::unique_ptr<RegistryKey> MemoryRegistry::CreateForWrite(RegistryRoot root,
                                                            std::string_view path,
                                                            RegistryWrite& why) {
  std::lock_guard lock(state_->mutex);
  const auto f = state_->Walk(root, path, true);
  if (!f.node || f.denyAccess || f.denyWrite) {
    // The only failure here: a refusing key on the way, or the key itself.
    why = RegistryWrite::kDenied;
    return nullptr;
  }
  why = RegistryWrite::kDone;
  return std::make_unique<Key>(state_, f.node, true, f.refuseValues);
}

std::unique_ptr<RegistryKey> MemoryRegistry::OpenReadOnly(RegistryRoot root,
                                                          std::string_view path) const {
  std::lock_guard lock(state_->mutex);
  const auto f = state_->Walk(root, path, false);
  if (!f.node || f.denyAccess) return nullptr;
  return std::make_unique<Key>(state_, f.node, false);
}

void MemoryRegistry::SetValue(RegistryRoot root, std::string_view path, std::string_view name,
                              ValueType type, std::vector<std::uint8_t> data) {
  std::lock_guard lock(state_->mutex);
  const auto node = state_->Walk(root, path, true).node;
  if (!node) return;  // below a key that refuses: set the value before refusing
  if (auto* v = node->FindValue(name)) {
    v->type = type;
    v->data = std::move(data);
  } else {
    node->values.push_back({std::string(name), type, std::move(data)});
  }
}

void MemoryRegistry::SetText(RegistryRoot root, std::string_view path, std::string_view name,
                             std::string_view text) {
  std::vector<std::uint8_t> data(text.begin(), text.end());
  data.push_back(0);
  SetValue(root, path, name, ValueType::kText, std::move(data));
}

std::optional<std::vector<std::uint8_t>> MemoryRegistry::RawValue(RegistryRoot root,
                                                                  std::string_view path,
                                                                  std::string_view name) const {
  std::lock_guard lock(state_->mutex);
  const auto node = state_->Walk(root, path, false).node;
  if (!node) return std::nullopt;
  const auto* v = node->FindValue(name);
  if (v == nullptr) return std::nullopt;
  return v->data;
}

void MemoryRegistry::DenyWrite(RegistryRoot root, std::string_view path) {
  std::lock_guard lock(state_->mutex);
  if (const auto node = state_->Walk(root, path, true).node) node->denyWrite = true;
}

void MemoryRegistry::RefuseValueWrites(RegistryRoot root, std::string_view path) {
  std::lock_guard lock(state_->mutex);
  if (const auto node = state_->Walk(root, path, true).node) node->refuseValues = true;
}

void MemoryRegistry::DenyAccess(RegistryRoot root, std::string_view path) {
  std::lock_guard lock(state_->mutex);
  if (const auto node = state_->Walk(root, path, true).node) node->denyAccess = true;
}

int MemoryRegistry::WriteCount() const {
  std::lock_guard lock(state_->mutex);
  return state_->writes;
}

}  // namespace dw
