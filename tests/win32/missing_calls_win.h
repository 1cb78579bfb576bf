// On Windows 98 and ME every test fails that calls a RAS entry point those
// systems lack (see missing_calls_win.cpp); a test that makes such calls on
// purpose names how many.
#pragma once

namespace dw::test {

void ExpectMissingCalls(unsigned long calls);

}  // namespace dw::test
