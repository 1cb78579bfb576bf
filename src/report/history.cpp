#include "report/history.h"

#include <algorithm>
#include <cstdint>

#include "crypto/encrypt.h"
#include "report/digits.h"

namespace dw::report {
namespace {

constexpr std::string_view kAttemptTag = "A1";
constexpr std::string_view kAnswerTag = "U1";
constexpr std::string_view kRestarted = "Restarted";
constexpr std::string_view kUpdateAnswer = "UpdateAnswer";
// More than any record of ours encrypts to: anything longer is not one, and
// is not decrypted at all.
constexpr std::size_t kMaxStored = 4096;

std::string SlotName(std::size_t slot) {
  std::string name = "Attempt";
  AppendDigits(name, slot, 2);
  return name;
}

std::string_view Cut(std::string_view text, std::size_t size) { return text.substr(0, size); }

// A tag, then each field as its decimal length, a colon and its bytes: no
// text a field holds can be taken for the next one.
std::string Encode(std::string_view tag, std::initializer_list<std::string_view> fields) {
  std::string out(tag);
  for (const std::string_view f : fields) {
    out += std::to_string(f.size());
    out += ':';
    out += f;
  }
  return out;
}

std::optional<std::uint64_t> ParseNumber(std::string_view text) {
  if (text.empty() || text.size() > 18) return std::nullopt;
  std::uint64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
  }
  return value;
}

std::optional<std::vector<std::string>> Decode(std::string_view text, std::string_view tag,
                                               std::size_t count) {
  if (text.substr(0, tag.size()) != tag) return std::nullopt;
  text.remove_prefix(tag.size());
  std::vector<std::string> fields;
  while (!text.empty()) {
    const auto colon = text.find(':');
    if (colon == std::string_view::npos) return std::nullopt;
    const auto size = ParseNumber(text.substr(0, colon));
    if (!size || *size > text.size() - colon - 1) return std::nullopt;
    fields.emplace_back(text.substr(colon + 1, static_cast<std::size_t>(*size)));
    text.remove_prefix(colon + 1 + static_cast<std::size_t>(*size));
  }
  if (fields.size() != count) return std::nullopt;
  return fields;
}

// A stored value as its record: nullopt when it is not an intact one.
std::optional<std::vector<std::string>> Unseal(std::string_view stored, std::string_view tag,
                                               std::size_t count) {
  if (stored.size() > kMaxStored) return std::nullopt;
  const auto text = DecryptIntact(stored);
  if (!text) return std::nullopt;
  return Decode(*text, tag, count);
}

struct NumberedAttempt {
  std::uint64_t number;
  ConnectAttempt attempt;
};

std::optional<NumberedAttempt> ParseAttempt(std::string_view stored) {
  const auto f = Unseal(stored, kAttemptTag, 6);
  if (!f) return std::nullopt;
  const auto number = ParseNumber((*f)[0]);
  const auto time = ParseStoredTime((*f)[1]);
  const auto code = ParseNumber((*f)[2]);
  if (!number || *number == 0 || !time || !code || *code > 0xFFFFFFFFu ||
      (*f)[3].size() > kMaxApn || (*f)[4].size() > kMaxNumber ||
      (*f)[5].size() > kMaxErrorText) {
    return std::nullopt;
  }
  return NumberedAttempt{*number,
                         {*time, std::move((*f)[3]), std::move((*f)[4]),
                          static_cast<ras::Dword>(*code), std::move((*f)[5])}};
}

struct Ring {
  std::vector<NumberedAttempt> attempts;
  bool damaged = false;
};

Ring ReadRing(const RegistryKey& key) {
  Ring ring;
  for (std::size_t slot = 0; slot < kAttemptsKept; ++slot) {
    const std::string name = SlotName(slot);
    const auto stored = key.ReadText(name);
    if (!stored) {
      ring.damaged = ring.damaged || key.ValueExists(name);  // a value of another type
      continue;
    }
    if (stored->empty()) continue;  // free
    auto parsed = ParseAttempt(*stored);
    const bool fits = parsed && parsed->number % kAttemptsKept == slot &&
                      std::none_of(ring.attempts.begin(), ring.attempts.end(),
                                   [&](const NumberedAttempt& a) { return a.number == parsed->number; });
    if (!fits) {
      ring.damaged = true;
      continue;
    }
    // In order of their numbers as they come: twenty at most.
    auto at = ring.attempts.begin();
    while (at != ring.attempts.end() && at->number < parsed->number) ++at;
    ring.attempts.insert(at, std::move(*parsed));
  }
  return ring;
}

bool InRange(int value, int low, int high) { return value >= low && value <= high; }

}  // namespace

std::string StoredTime(const LocalDateTime& t) {
  std::string text;
  // A clock beyond the year 9999 or a field out of range still gives a time
  // of the stored shape.
  const int fields[] = {std::clamp(t.year, 0, 9999), t.month, t.day, t.hour, t.minute, t.second};
  for (int i = 0; i < 6; ++i) {
    if (i > 0) text += "--- ::"[i];
    AppendDigits(text, static_cast<std::uint64_t>(std::clamp(fields[i], 0, 9999)), i == 0 ? 4 : 2);
  }
  return text;
}

std::optional<LocalDateTime> ParseStoredTime(std::string_view text) {
  constexpr std::string_view kShape = "0000-00-00 00:00:00";
  if (text.size() != kShape.size()) return std::nullopt;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool digit = text[i] >= '0' && text[i] <= '9';
    if (kShape[i] == '0' ? !digit : text[i] != kShape[i]) return std::nullopt;
  }
  auto at = [&](std::size_t i, std::size_t n) {
    int v = 0;
    for (std::size_t k = i; k < i + n; ++k) v = v * 10 + (text[k] - '0');
    return v;
  };
  LocalDateTime t;
  t.year = at(0, 4);
  t.month = at(5, 2);
  t.day = at(8, 2);
  t.hour = at(11, 2);
  t.minute = at(14, 2);
  t.second = at(17, 2);
  if (!InRange(t.month, 1, 12) || !InRange(t.day, 1, 31) || !InRange(t.hour, 0, 23) ||
      !InRange(t.minute, 0, 59) || !InRange(t.second, 0, 60)) {
    return std::nullopt;
  }
  return t;
}

AttemptHistory LoadAttempts(const Registry& registry) {
  AttemptHistory history;
  const auto key = registry.OpenReadOnly(kHistoryRoot, kHistoryKeyPath);
  if (!key) return history;
  Ring ring = ReadRing(*key);
  history.damaged = ring.damaged;
  for (auto& a : ring.attempts) history.attempts.push_back(std::move(a.attempt));
  if (const auto restarted = key->ReadText(kRestarted)) {
    if (const auto f = Unseal(*restarted, kAttemptTag, 1)) history.restartedAt = ParseStoredTime((*f)[0]);
  }
  return history;
}

bool RecordAttempt(Registry& registry, const ConnectAttempt& attempt) {
  const auto key = registry.Create(kHistoryRoot, kHistoryKeyPath);
  if (!key) return false;
  const Ring ring = ReadRing(*key);
  std::uint64_t number = 1;
  if (ring.damaged) {
    for (std::size_t slot = 0; slot < kAttemptsKept; ++slot) key->WriteText(SlotName(slot), "");
    key->WriteText(kRestarted, EncryptString(Encode(kAttemptTag, {StoredTime(attempt.time)})));
  } else if (!ring.attempts.empty()) {
    number = ring.attempts.back().number + 1;
  }
  const std::string code = std::to_string(attempt.code);
  const std::string record =
      Encode(kAttemptTag, {std::to_string(number), StoredTime(attempt.time), code,
                           Cut(attempt.apn, kMaxApn), Cut(attempt.number, kMaxNumber),
                           Cut(attempt.errorText, kMaxErrorText)});
  return key->WriteText(SlotName(number % kAttemptsKept), EncryptString(record));
}

bool StoreUpdateAnswer(Registry& registry, const UpdateAnswer& answer) {
  const auto key = registry.Create(kHistoryRoot, kHistoryKeyPath);
  if (!key) return false;
  return key->WriteText(kUpdateAnswer,
                        EncryptString(Encode(kAnswerTag, {StoredTime(answer.time),
                                                          Cut(answer.result, kMaxErrorText)})));
}

StoredUpdateAnswer LoadUpdateAnswer(const Registry& registry) {
  StoredUpdateAnswer stored;
  const auto key = registry.OpenReadOnly(kHistoryRoot, kHistoryKeyPath);
  if (!key || !key->ValueExists(kUpdateAnswer)) return stored;
  const auto text = key->ReadText(kUpdateAnswer);
  const auto f = text ? Unseal(*text, kAnswerTag, 2) : std::nullopt;
  const auto time = f ? ParseStoredTime((*f)[0]) : std::nullopt;
  if (!time || (*f)[1].size() > kMaxErrorText) {
    stored.damaged = true;
    return stored;
  }
  stored.answer = UpdateAnswer{*time, std::move((*f)[1])};
  return stored;
}

}  // namespace dw::report
