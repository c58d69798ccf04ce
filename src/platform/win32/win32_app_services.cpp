#include "platform/win32/win32_app_services.h"

#include <windows.h>

#include "platform/win32/wide.h"

namespace pakscour::win32 {

namespace {
bool busy = false;
}

bool busy_pointer() {
    return busy;
}

std::string crlf_lines(const std::string& text) {
    std::string out;
    out.reserve(text.size() + 8);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
            out += "\r\n";
        } else if (text[i] == '\n') {
            out += "\r\n";
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string bare_name(const std::string& path) {
    const auto slash = path.find_last_of("\\/");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const auto dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    return name;
}

void Win32AppServices::message_box(const std::string& text, const std::string& title) {
    // Modal to the window in use, so the user cannot act on it until the box is closed.
    MessageBoxW(GetActiveWindow(), widen(crlf_lines(text)).c_str(), widen(title).c_str(), MB_OK);
}

void Win32AppServices::set_busy_pointer(bool on) {
    busy = on;
    SetCursor(LoadCursorW(nullptr, on ? IDC_WAIT : IDC_ARROW));
}

void Win32AppServices::end_program(int exit_code) {
    ExitProcess(static_cast<UINT>(exit_code));
}

std::string Win32AppServices::exe_name() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return "pakscour";
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    return bare_name(narrow(path));
}

}  // namespace pakscour::win32
