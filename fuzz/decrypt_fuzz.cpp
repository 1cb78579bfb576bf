// libFuzzer target: DecryptString of any text, and the input taken as a text
// through EncryptString and back. DecryptString never fails: its result ends
// at the first zero byte, is no longer than its work area, reads lower-case
// digits as upper-case ones, and undoes EncryptString.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "crypto/encrypt.h"
#include "fuzz_check.h"
#include "settings/stored_form.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view hex(reinterpret_cast<const char*>(data), size);
  const std::string text = dw::DecryptString(hex);
  DW_FUZZ_CHECK(text.find('\0') == std::string::npos);
  DW_FUZZ_CHECK(text.size() <= (size / 8) * 8 + 16);

  std::string upper(hex);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
  }
  DW_FUZZ_CHECK(dw::DecryptString(upper) == text);

  const std::string_view plain = hex.substr(0, hex.find('\0'));
  const std::string encrypted = dw::EncryptString(plain);
  DW_FUZZ_CHECK(encrypted.size() == 2 * ((plain.size() / 8) * 8 + 16));
  DW_FUZZ_CHECK(dw::LooksEncrypted(encrypted));
  DW_FUZZ_CHECK(dw::DecryptString(encrypted) == plain);
  DW_FUZZ_CHECK(dw::FromStoredForm(dw::ToStoredForm(plain, false), false) == plain);
  return 0;
}
