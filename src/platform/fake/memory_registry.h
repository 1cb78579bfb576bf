// A registry in memory, for tests and the native simulator. Behaves like the
// system's where the program can tell: names compare without regard to
// (ASCII) case, a read-only open refuses writes, and a key can be made to
// refuse writes or every access, as an unprivileged user meets it.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"

namespace dw {

class MemoryRegistry final : public Registry {
 public:
  enum class ValueType { kText, kBinary, kDword };

  MemoryRegistry();
  ~MemoryRegistry() override;

  bool KeyExists(RegistryRoot root, std::string_view path) const override;
  std::unique_ptr<RegistryKey> Open(RegistryRoot root, std::string_view path) override;
  std::unique_ptr<RegistryKey> Create(RegistryRoot root, std::string_view path) override;
  std::unique_ptr<RegistryKey> CreateForWrite(RegistryRoot root, std::string_view path,
                                              RegistryWrite& why) override;
  std::unique_ptr<RegistryKey> OpenReadOnly(RegistryRoot root,
                                            std::string_view path) const override;

  // Test controls. Set* create the key when missing.
  void SetValue(RegistryRoot root, std::string_view path, std::string_view name, ValueType type,
                std::vector<std::uint8_t> data);
  void SetText(RegistryRoot root, std::string_view path, std::string_view name,
               std::string_view text);
  // The raw value as stored; nullopt when the key or the value is missing.
  std::optional<std::vector<std::uint8_t>> RawValue(RegistryRoot root, std::string_view path,
                                                    std::string_view name) const;
  // A key (and everything below it) that may be read but not written, and
  // under which no key may be created.
  void DenyWrite(RegistryRoot root, std::string_view path);
  // A key (and everything below it) that opens for writing but refuses
  // every value written into it as access denied.
  void RefuseValueWrites(RegistryRoot root, std::string_view path);
  // A key that cannot be opened at all, not even to read.
  void DenyAccess(RegistryRoot root, std::string_view path);
  // Successful writes of values so far, across all keys.
  int WriteCount() const;

 private:
  struct State;
  class Key;
  std::shared_ptr<State> state_;
};

}  // namespace dw
