// The texts of the connection status display: speeds, byte counts and the
// connection time, as the main panel, the graph read-outs and the log show
// them. Code page 1251.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace dw::ui {

// Nearest integer to value / divisor, halves to the even neighbour.
std::uint64_t DivideRoundingToEven(std::uint64_t value, std::uint64_t divisor);
// value / divisor rounded up.
std::uint64_t DivideRoundingUp(std::uint64_t value, std::uint64_t divisor);

// The maximum speed: above 9 000 000 in Mбайт/сек, above 9 000 in Kбайт/сек
// (rounded to nearest, Latin K and M), otherwise in байт/сек.
std::string MaxSpeedText(std::uint32_t bytesPerSecond);

// The graph's hover and click read-out: above 10 000 000 in Мбайт/сек
// (Cyrillic М), above 100 000 in Kбайт/сек, both rounded up; otherwise
// байт/сек.
std::string SpeedReadoutText(std::uint64_t bytesPerSecond);

// A byte count: above 10 000 in Kбайт (rounded to nearest), otherwise байт.
std::string TrafficText(std::uint64_t bytes);

// "h часов mm минут"; the hours start again at 0 after each 24.
std::string ConnectionTimeText(std::chrono::milliseconds connected);

}  // namespace dw::ui
