#pragma once

#include <chrono>
#include <functional>
#include <string>

namespace kestrine {

/// The source of "now" for code that names files after the moment they are written.
/// Injected so that tests control the time.
using WallClock = std::function<std::chrono::system_clock::time_point()>;

/// The real clock.
inline std::chrono::system_clock::time_point systemNow() {
    return std::chrono::system_clock::now();
}

/// `when` in the local time zone as "yyyyMMdd-HHmmss-SSS": Gregorian date, 24-hour clock,
/// ASCII digits, milliseconds last. Stamps of one time zone sort in time order as plain
/// strings.
std::string localTimeStamp(std::chrono::system_clock::time_point when);

} // namespace kestrine
