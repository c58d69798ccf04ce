#include "platform/win32/win32_clock.h"

#include <windows.h>

#include <cstdio>

namespace pakscour::win32 {

std::string format_date(int day, int month, int year) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d/%02d/%04d", day % 100, month % 100, year % 10000);
    return text;
}

std::string format_time(int hour, int minute, int second) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", hour % 100, minute % 100, second % 100);
    return text;
}

std::string Win32Clock::date_text() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return format_date(t.wDay, t.wMonth, t.wYear);
}

std::string Win32Clock::time_text() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return format_time(t.wHour, t.wMinute, t.wSecond);
}

}  // namespace pakscour::win32
