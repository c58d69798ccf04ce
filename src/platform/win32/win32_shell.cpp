#include "platform/win32/win32_shell.h"

#include <windows.h>

#include <shellapi.h>
#include <wininet.h>

#include "platform/win32/wide.h"

namespace pakscour::win32 {

namespace {

// A null pointer for a missing or empty text, as ShellExecuteW wants for "none".
const wchar_t* optional_text(const std::optional<std::wstring>& w) {
    return w && !w->empty() ? w->c_str() : nullptr;
}

std::optional<std::wstring> widen_optional(const std::optional<std::string>& s) {
    if (!s) return std::nullopt;
    return widen(*s);
}

}  // namespace

std::int32_t Win32Shell::execute(std::uintptr_t owner, const std::optional<std::string>& verb,
                                 const std::string& file,
                                 const std::optional<std::string>& parameters,
                                 const std::optional<std::string>& directory,
                                 std::int32_t show_command) {
    const auto wverb = widen_optional(verb);
    const std::wstring wfile = widen(file);
    const auto wparams = widen_optional(parameters);
    const auto wdir = widen_optional(directory);
    const HINSTANCE r =
        ShellExecuteW(reinterpret_cast<HWND>(owner), wverb ? wverb->c_str() : nullptr,
                      wfile.c_str(), optional_text(wparams), optional_text(wdir), show_command);
    return static_cast<std::int32_t>(reinterpret_cast<INT_PTR>(r));
}

bool Win32Shell::internet_connected() {
    DWORD flags = 0;
    return InternetGetConnectedState(&flags, 0) != FALSE;
}

}  // namespace pakscour::win32
