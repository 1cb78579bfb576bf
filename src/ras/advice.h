// What a subscriber can do about a RAS error: one table, shared by the
// connect error's details, the support report and the support tool.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "ras/records.h"

namespace dw::ras {

// The cause in a few words and what to do, code page 1251. Codes without
// their own advice get the general one.
const std::string& AdviceCause(Dword code);
const std::string& Advice(Dword code);
bool HasOwnAdvice(Dword code);

// The codes with advice of their own, ascending.
std::span<const Dword> AdvisedCodes();

// The error dialog's details: the system's text, then the advice under it.
std::string ErrorDetailsWithAdvice(std::string_view systemText, Dword code);

}  // namespace dw::ras
