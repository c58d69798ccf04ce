// Maps Win32 error codes (GetLastError) to the program's classic run-time error numbers, so a
// failing file operation reads the same in reports on every platform.
#pragma once

#include <cstdint>
#include <string>

namespace pakscour::win32 {

std::int32_t classic_error_number(std::uint32_t win32_error);

// Raises the classic error for `win32_error`, with its usual description alone; `path` names,
// at the call, the item concerned.
[[noreturn]] void raise_win32_error(std::uint32_t win32_error, const std::string& path);

}  // namespace pakscour::win32
