#include "platform/win32/win.h"  // first: the SDK headers below need it

#include <vector>

#include "platform/registry.h"
#include "platform/win32/unique_handle.h"

namespace dw {
namespace {

HKEY RootKey(RegistryRoot root) {
  switch (root) {
    case RegistryRoot::kDynData:
      return HKEY_DYN_DATA;
    case RegistryRoot::kCurrentUser:
      return HKEY_CURRENT_USER;
    default:
      return HKEY_LOCAL_MACHINE;
  }
}

// The API takes paths relative to the root; a leading separator would name
// an empty first component, which NT refuses.
std::string Relative(std::string_view path) {
  while (!path.empty() && path.front() == '\\') path.remove_prefix(1);
  return std::string(path);
}

RegistryWrite Outcome(LONG rc) {
  if (rc == ERROR_SUCCESS) return RegistryWrite::kDone;
  return rc == ERROR_ACCESS_DENIED ? RegistryWrite::kDenied : RegistryWrite::kFailed;
}

class Win32Key final : public RegistryKey {
 public:
  Win32Key(UniqueKey key, bool writable) : key_(std::move(key)), writable_(writable) {}

  bool ValueExists(std::string_view name) const override {
    const std::string n(name);
    return RegQueryValueExA(key_.get(), n.c_str(), nullptr, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS;
  }

  std::optional<std::string> ReadText(std::string_view name) const override {
    DWORD type = 0;
    auto data = Query(name, type);
    if (!data || (type != REG_SZ && type != REG_EXPAND_SZ)) return std::nullopt;
    std::string text(data->begin(), data->end());
    text.resize(text.find('\0') == std::string::npos ? text.size() : text.find('\0'));
    return text;
  }

  std::optional<std::vector<std::uint8_t>> ReadBinary(std::string_view name) const override {
    DWORD type = 0;
    return Query(name, type);
  }

  bool WriteText(std::string_view name, std::string_view text) override {
    return PutText(name, text) == RegistryWrite::kDone;
  }

  RegistryWrite PutText(std::string_view name, std::string_view text) override {
    // 9x grants every write whatever the open asked for; the port promises
    // that a read-only key refuses, on every generation.
    if (!writable_) return RegistryWrite::kDenied;
    const std::string n(name);
    const std::string t(text);
    return Outcome(RegSetValueExA(key_.get(), n.c_str(), 0, REG_SZ,
                                  reinterpret_cast<const BYTE*>(t.c_str()),
                                  static_cast<DWORD>(t.size() + 1)));
  }

  std::vector<std::string> SubkeyNames() const override {
    std::vector<std::string> names;
    for (DWORD i = 0;; ++i) {
      char name[256] = {};  // the longest key name the system allows, and its zero
      DWORD length = sizeof name;
      const LONG rc =
          RegEnumKeyExA(key_.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr);
      if (rc == ERROR_NO_MORE_ITEMS) break;
      if (rc != ERROR_SUCCESS) return {};
      names.emplace_back(name, length);
    }
    return names;
  }

  std::vector<std::string> ValueNames() const override {
    DWORD longest = 0;
    if (RegQueryInfoKeyA(key_.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         &longest, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
      return {};
    }
    std::vector<std::string> names;
    std::vector<char> name(longest + 1);
    for (DWORD i = 0;; ++i) {
      DWORD length = static_cast<DWORD>(name.size());
      const LONG rc =
          RegEnumValueA(key_.get(), i, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
      if (rc == ERROR_NO_MORE_ITEMS) break;
      if (rc != ERROR_SUCCESS) return {};
      names.emplace_back(name.data(), length);
    }
    return names;
  }

 private:
  // The value's bytes and type; asks again when the value grew in between.
  std::optional<std::vector<std::uint8_t>> Query(std::string_view name, DWORD& type) const {
    const std::string n(name);
    DWORD size = 0;
    LONG rc = RegQueryValueExA(key_.get(), n.c_str(), nullptr, &type, nullptr, &size);
    for (int attempt = 0; attempt < 4 && rc == ERROR_SUCCESS; ++attempt) {
      std::vector<std::uint8_t> data(size);
      DWORD got = size;
      rc = RegQueryValueExA(key_.get(), n.c_str(), nullptr, &type,
                            data.empty() ? nullptr : data.data(), &got);
      // With no buffer the call only measures, so a size that grew from 0
      // also means "ask again".
      if (rc == ERROR_SUCCESS && got <= size) {
        data.resize(got);
        return data;
      }
      if (rc == ERROR_MORE_DATA || rc == ERROR_SUCCESS) {
        size = got;
        rc = ERROR_SUCCESS;
      }
    }
    return std::nullopt;
  }

  UniqueKey key_;
  bool writable_;
};

class Win32Registry final : public Registry {
 public:
  bool KeyExists(RegistryRoot root, std::string_view path) const override {
    HKEY key = nullptr;
    const LONG rc = RegOpenKeyExA(RootKey(root), Relative(path).c_str(), 0, KEY_QUERY_VALUE, &key);
    UniqueKey owner(rc == ERROR_SUCCESS ? key : nullptr);
    // A key we may not read still exists.
    return rc == ERROR_SUCCESS || rc == ERROR_ACCESS_DENIED;
  }

  std::unique_ptr<RegistryKey> Open(RegistryRoot root, std::string_view path) override {
    return OpenWith(root, path, KEY_READ | KEY_WRITE);
  }

  std::unique_ptr<RegistryKey> Create(RegistryRoot root, std::string_view path) override {
    RegistryWrite ignored;
    return CreateForWrite(root, path, ignored);
  }

  std::unique_ptr<RegistryKey> CreateForWrite(RegistryRoot root, std::string_view path,
                                              RegistryWrite& why) override {
    HKEY key = nullptr;
    why = Outcome(RegCreateKeyExA(RootKey(root), Relative(path).c_str(), 0, nullptr,
                                  REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE, nullptr, &key,
                                  nullptr));
    if (why != RegistryWrite::kDone) return nullptr;
    return std::make_unique<Win32Key>(UniqueKey(key), true);
  }

  std::unique_ptr<RegistryKey> OpenReadOnly(RegistryRoot root,
                                            std::string_view path) const override {
    return OpenWith(root, path, KEY_READ);
  }

 private:
  static std::unique_ptr<RegistryKey> OpenWith(RegistryRoot root, std::string_view path,
                                               REGSAM access) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(RootKey(root), Relative(path).c_str(), 0, access, &key) != ERROR_SUCCESS) {
      return nullptr;
    }
    return std::make_unique<Win32Key>(UniqueKey(key), (access & KEY_SET_VALUE) != 0);
  }
};

}  // namespace

std::unique_ptr<Registry> MakeWin32Registry() {
  return std::make_unique<Win32Registry>();
}

}  // namespace dw
