#include "settings/stored_form.h"

#include <algorithm>

#include "crypto/encrypt.h"

namespace dw {

std::string ToStoredForm(std::string_view text, bool plain) {
  return plain ? std::string(text) : EncryptString(text);
}

std::string FromStoredForm(std::string_view stored, bool plain) {
  return plain ? std::string(stored) : DecryptString(stored);
}

bool LooksEncrypted(std::string_view text) {
  constexpr std::size_t kBlockDigits = 16;
  return !text.empty() && text.size() % kBlockDigits == 0 &&
         std::all_of(text.begin(), text.end(), [](char c) {
           return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
         });
}

std::vector<StoredValue> InspectStoredValues(const RegistryKey& key) {
  std::vector<StoredValue> values;
  for (auto& name : key.ValueNames()) {
    StoredValue v;
    v.text = key.ReadText(name);
    if (v.text) {
      v.storedPlain = !LooksEncrypted(*v.text);
      if (!v.storedPlain) v.text = DecryptString(*v.text);
    }
    v.name = std::move(name);
    values.push_back(std::move(v));
  }
  return values;
}

}  // namespace dw
