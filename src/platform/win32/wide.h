// UTF-8 <-> UTF-16 conversion at the boundary between the core (UTF-8) and the Win32 W calls.
#pragma once

#include <string>
#include <string_view>

namespace pakscour::win32 {

// Invalid UTF-8 sequences become U+FFFD; embedded NULs are kept.
std::wstring widen(std::string_view utf8);
// Unpaired surrogates become U+FFFD; embedded NULs are kept.
std::string narrow(std::wstring_view utf16);

}  // namespace pakscour::win32
