// The clock's texts: fixed formats of the local date and time, whatever the locale.
#include <doctest/doctest.h>

#include <clocale>
#include <ctime>
#include <regex>

#include "platform/posix/posix_clock.h"

namespace pakscour::test {
namespace {

TEST_CASE("the clock gives DD/MM/YYYY and HH:MM:SS of the local time") {
    posix::PosixClock clock;
    for (const char* locale : {"C", "en_US.UTF-8", "de_DE.UTF-8", "fr_FR.UTF-8"}) {
        CAPTURE(locale);
        std::setlocale(LC_ALL, locale);
        const std::time_t before = std::time(nullptr);
        const std::string date = clock.date_text();
        const std::string time = clock.time_text();
        const std::time_t after = std::time(nullptr);
        REQUIRE(std::regex_match(date, std::regex(R"(\d\d/\d\d/\d\d\d\d)")));
        REQUIRE(std::regex_match(time, std::regex(R"(\d\d:\d\d:\d\d)")));

        // The texts read back as a moment between the two readings of the clock (allowing for
        // the date and the time being read a second apart).
        std::tm tm{};
        tm.tm_mday = std::stoi(date.substr(0, 2));
        tm.tm_mon = std::stoi(date.substr(3, 2)) - 1;
        tm.tm_year = std::stoi(date.substr(6, 4)) - 1900;
        tm.tm_hour = std::stoi(time.substr(0, 2));
        tm.tm_min = std::stoi(time.substr(3, 2));
        tm.tm_sec = std::stoi(time.substr(6, 2));
        tm.tm_isdst = -1;
        const std::time_t read = std::mktime(&tm);
        CHECK(read >= before - 86400);
        CHECK(read <= after + 1);
        CHECK(tm.tm_hour < 24);
        if (date == clock.date_text()) {
            CHECK(read >= before);
        }
    }
    std::setlocale(LC_ALL, "C");
}

}  // namespace
}  // namespace pakscour::test
