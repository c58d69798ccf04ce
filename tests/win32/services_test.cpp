#include <windows.h>

#include <doctest/doctest.h>

#include "platform/win32/win32_app_services.h"
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_menus.h"

namespace pakscour {

TEST_CASE("the clock's texts have fixed forms") {
    CHECK(win32::format_date(6, 12, 2026) == "06/12/2026");
    CHECK(win32::format_date(31, 1, 999) == "31/01/0999");
    CHECK(win32::format_time(14, 5, 9) == "14:05:09");
    CHECK(win32::format_time(0, 0, 0) == "00:00:00");
    CHECK(win32::format_time(23, 59, 59) == "23:59:59");
}

TEST_CASE("the clock reads the local date and time") {
    win32::Win32Clock clock;
    // Retry across a second boundary between the two readings.
    for (int attempt = 0; attempt < 3; ++attempt) {
        SYSTEMTIME before;
        GetLocalTime(&before);
        const std::string date = clock.date_text();
        const std::string time = clock.time_text();
        SYSTEMTIME after;
        GetLocalTime(&after);
        if (before.wSecond != after.wSecond) continue;
        CHECK(date == win32::format_date(before.wDay, before.wMonth, before.wYear));
        CHECK(time == win32::format_time(before.wHour, before.wMinute, before.wSecond));
        return;
    }
    FAIL("the clock never held still for a second");
}

TEST_CASE("message box texts break lines at CR, LF and CR LF") {
    CHECK(win32::crlf_lines("a\nb") == "a\r\nb");
    CHECK(win32::crlf_lines("a\rb") == "a\r\nb");
    CHECK(win32::crlf_lines("a\r\nb") == "a\r\nb");
    CHECK(win32::crlf_lines("Incorrect Format:\n\nHKEY_X\\") ==
          "Incorrect Format:\r\n\r\nHKEY_X\\");
    CHECK(win32::crlf_lines("\r\n\r") == "\r\n\r\n");
}

TEST_CASE("the executable's name drops folder and extension") {
    CHECK(win32::bare_name("C:\\Program Files\\Pakscour\\pakscour.exe") == "pakscour");
    CHECK(win32::bare_name("Z:/x/My.Tool.exe") == "My.Tool");
    CHECK(win32::bare_name("plain") == "plain");
    CHECK(win32::bare_name("C:\\dir.d\\noext") == "noext");
}

TEST_CASE("the executable's name comes from the running module") {
    win32::Win32AppServices app;
    CHECK(app.exe_name() == "win32_tests");
}

TEST_CASE("menu shortcuts become virtual keys") {
    struct Row {
        const char* text;
        WORD key;
        bool ctrl;
    };
    const Row rows[] = {{"F1", VK_F1, false}, {"F12", VK_F12, false}, {"Ctrl+S", 'S', true},
                        {"F0", 0, false},     {"F25", 0, false},      {"", 0, false},
                        {"Ctrl+", 0, false},  {"Fx", 0, false}};
    for (const Row& r : rows) {
        CAPTURE(r.text);
        const win32::Shortcut s = win32::parse_shortcut(r.text);
        CHECK(s.key == r.key);
        CHECK(s.ctrl == r.ctrl);
    }
}

}  // namespace pakscour
