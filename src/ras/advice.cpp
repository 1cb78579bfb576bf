#include "ras/advice.h"

#include <algorithm>
#include <array>

#include "text/texts.h"

namespace dw::ras {
namespace {

struct Row {
  Dword code;
  TextId cause;
  TextId advice;
};

// Meanings as raserror.h gives them; the advice is what a subscriber with a
// phone on a cable can do about each.
constexpr std::array<Row, 15> kTable = {{
    {619, TextId::Cause619, TextId::Advice619},  // ERROR_PORT_DISCONNECTED
    {628, TextId::Cause628, TextId::Advice628},  // ERROR_DISCONNECTION
    {629, TextId::Cause629, TextId::Advice629},  // ERROR_REMOTE_DISCONNECTION
    {630, TextId::Cause630, TextId::Advice630},  // ERROR_HARDWARE_FAILURE
    {633, TextId::Cause633, TextId::Advice633},  // ERROR_PORT_NOT_AVAILABLE
    {678, TextId::Cause678, TextId::Advice678},  // ERROR_NO_ANSWER
    {680, TextId::Cause680, TextId::Advice680},  // ERROR_NO_DIALTONE
    {691, TextId::Cause691, TextId::Advice691},  // ERROR_AUTHENTICATION_FAILURE
    {692, TextId::Cause692, TextId::Advice692},  // ERROR_PORT_OR_DEVICE
    {711, TextId::Cause711, TextId::Advice711},  // ERROR_RASMAN_CANNOT_INITIALIZE
    {718, TextId::Cause718, TextId::Advice718},  // ERROR_PPP_TIMEOUT
    {720, TextId::Cause720, TextId::Advice720},  // ERROR_PPP_NO_PROTOCOLS_CONFIGURED
    {734, TextId::Cause734, TextId::Advice734},  // ERROR_PPP_LCP_TERMINATED
    {777, TextId::Cause777, TextId::Advice777},  // ERROR_OUTOFORDER
    {797, TextId::Cause797, TextId::Advice797},  // ERROR_CONNECTING_DEVICE_NOT_FOUND
}};

constexpr std::array<Dword, kTable.size()> kCodes = [] {
  std::array<Dword, kTable.size()> codes{};
  for (std::size_t i = 0; i < kTable.size(); ++i) codes[i] = kTable[i].code;
  return codes;
}();
static_assert(std::is_sorted(kCodes.begin(), kCodes.end()));

const Row* Find(Dword code) {
  const auto it = std::lower_bound(kTable.begin(), kTable.end(), code,
                                   [](const Row& r, Dword c) { return r.code < c; });
  return it != kTable.end() && it->code == code ? &*it : nullptr;
}

}  // namespace

const std::string& AdviceCause(Dword code) {
  const Row* row = Find(code);
  return Text(row ? row->cause : TextId::CauseOther);
}

const std::string& Advice(Dword code) {
  const Row* row = Find(code);
  return Text(row ? row->advice : TextId::AdviceOther);
}

bool HasOwnAdvice(Dword code) { return Find(code) != nullptr; }

std::span<const Dword> AdvisedCodes() { return kCodes; }

std::string ErrorDetailsWithAdvice(std::string_view systemText, Dword code) {
  std::string details(systemText);
  if (!details.empty()) details += "\r\n\r\n";
  details += Text(TextId::AdviceLabel);
  details += Advice(code);
  return details;
}

}  // namespace dw::ras
