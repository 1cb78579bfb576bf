// The form in which settings values sit in the registry: EncryptString's
// upper-case hex by default, the text itself with "/r".
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"

namespace dw {

std::string ToStoredForm(std::string_view text, bool plain);
// Never fails: a value stored in the other form comes back as garbage (plain
// read as encrypted) or as its hex text (encrypted read as plain).
std::string FromStoredForm(std::string_view stored, bool plain);

// Whether a text has the shape of EncryptString's output: whole 8-byte
// blocks of hex digits (either case). Plain settings and plain log lines
// practically never have it.
bool LooksEncrypted(std::string_view text);

// One value under the settings key as support staff want to see it.
struct StoredValue {
  std::string name;
  std::optional<std::string> text;  // code page 1251; nullopt: not a text value
  bool storedPlain = false;         // the text did not look encrypted and is shown as stored
};

// Every value of the key, decrypted where it looks encrypted, in the
// registry's order.
std::vector<StoredValue> InspectStoredValues(const RegistryKey& key);

}  // namespace dw
