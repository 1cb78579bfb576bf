// The registry as the core sees it: keys under the three roots the program
// uses, text values in the system's ANSI code page (1251 on the systems we
// are made for), binary values, and subkey names.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dw {

enum class RegistryRoot {
  kLocalMachine,  // HKEY_LOCAL_MACHINE
  kDynData,       // HKEY_DYN_DATA: the 9x performance counters
  kCurrentUser,   // HKEY_CURRENT_USER: what every user may write
};

// Why a write or an open for writing failed: kDenied when the system
// refused the user access (a limited user, a standard user from Vista on).
enum class RegistryWrite { kDone, kDenied, kFailed };

// An open key. Closed when destroyed. Value names compare without regard to
// case, as in the system's registry.
class RegistryKey {
 public:
  virtual ~RegistryKey() = default;

  virtual bool ValueExists(std::string_view name) const = 0;

  // The text up to its first zero character. nullopt when the value is
  // missing, cannot be read or is not a text value (a value of another type
  // counts as missing rather than as garbage text).
  virtual std::optional<std::string> ReadText(std::string_view name) const = 0;

  // The value's bytes, whatever its type. nullopt when it is missing or
  // cannot be read; an empty vector for an empty value.
  virtual std::optional<std::vector<std::uint8_t>> ReadBinary(std::string_view name) const = 0;

  // Writes a text value, replacing any value of that name. False when the
  // key was opened read-only or the system refuses; the old value then stays.
  virtual bool WriteText(std::string_view name, std::string_view text) = 0;
  // The same write, telling a refusal from other failures.
  virtual RegistryWrite PutText(std::string_view name, std::string_view text) {
    return WriteText(name, text) ? RegistryWrite::kDone : RegistryWrite::kFailed;
  }

  // Names of the direct subkeys, in the system's order; empty on failure.
  virtual std::vector<std::string> SubkeyNames() const = 0;
  // Names of the values, in the system's order; empty on failure.
  virtual std::vector<std::string> ValueNames() const = 0;
};

// Paths are relative to the root; a leading backslash is allowed
// ("\Software\Korvana\Dialwave"). Every open returns null on failure and
// never creates a key unless its name says so.
class Registry {
 public:
  virtual ~Registry() = default;

  virtual bool KeyExists(RegistryRoot root, std::string_view path) const = 0;
  // Read and write access to an existing key.
  virtual std::unique_ptr<RegistryKey> Open(RegistryRoot root, std::string_view path) = 0;
  // Read and write access; the key and any missing parents are created.
  virtual std::unique_ptr<RegistryKey> Create(RegistryRoot root, std::string_view path) = 0;
  // The same, with `why` set when it fails.
  virtual std::unique_ptr<RegistryKey> CreateForWrite(RegistryRoot root, std::string_view path,
                                                      RegistryWrite& why) {
    auto key = Create(root, path);
    why = key ? RegistryWrite::kDone : RegistryWrite::kFailed;
    return key;
  }
  // Read access only: works for users who may not write under the root.
  virtual std::unique_ptr<RegistryKey> OpenReadOnly(RegistryRoot root,
                                                    std::string_view path) const = 0;
};

// The system's registry (advapi32, ANSI functions). Windows build only.
std::unique_ptr<Registry> MakeWin32Registry();

}  // namespace dw
