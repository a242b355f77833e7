#include "core/system/WallClock.h"

#include <cstdio>
#include <ctime>

namespace kestrine {

std::string localTimeStamp(std::chrono::system_clock::time_point when) {
    using namespace std::chrono;
    // floor, not truncation, so that times before 1970 keep a millisecond part in 0...999.
    auto millis = floor<milliseconds>(when.time_since_epoch()).count();
    auto seconds = static_cast<std::time_t>(millis >= 0 ? millis / 1000 : -((-millis + 999) / 1000));
    auto fraction = static_cast<int>(millis - static_cast<long long>(seconds) * 1000);
    std::tm local{};
    if (!localtime_r(&seconds, &local)) gmtime_r(&seconds, &local);
    char text[40];
    std::snprintf(text, sizeof text, "%04d%02d%02d-%02d%02d%02d-%03d", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, fraction);
    return text;
}

} // namespace kestrine
