// Plain timing loops for the benchmarks run under Wine (Google Benchmark is
// not built for mingw here); they print key=value lines.
#pragma once

#include <chrono>

namespace dw::bench {

template <typename F>
double MicrosecondsPerCall(int calls, F call) {
  call();  // warm-up
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < calls; ++i) call();
  const std::chrono::duration<double, std::micro> spent = std::chrono::steady_clock::now() - start;
  return spent.count() / calls;
}

}  // namespace dw::bench
