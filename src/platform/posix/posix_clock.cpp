#include "platform/posix/posix_clock.h"

#include <cstdio>
#include <ctime>

namespace pakscour::posix {
namespace {

std::tm local_now() {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    ::localtime_r(&now, &tm);
    return tm;
}

}  // namespace

std::string PosixClock::date_text() {
    const std::tm tm = local_now();
    char text[48];
    std::snprintf(text, sizeof text, "%02d/%02d/%04d", tm.tm_mday, tm.tm_mon + 1,
                  tm.tm_year + 1900);
    return text;
}

std::string PosixClock::time_text() {
    const std::tm tm = local_now();
    char text[48];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", tm.tm_hour, tm.tm_min, tm.tm_sec);
    return text;
}

}  // namespace pakscour::posix
