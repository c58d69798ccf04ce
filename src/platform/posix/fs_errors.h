// Raises the classic run-time error that matches a failed host file-system call.
#pragma once

#include <cstdint>
#include <string>

#include "platform/runtime_error.h"

namespace pakscour::posix {

// The classic number for an errno value: ENOSPC/EDQUOT 61, EACCES/EPERM/EROFS 70, EIO 57,
// EEXIST 58, ENOENT `not_found` (53 for a file, 76 for a folder), ENOTDIR 76, anything
// else 75.
std::int32_t error_number(int errno_value, std::int32_t not_found);

// That error as a value, for failures reported rather than raised. The description is the
// number's usual one alone; `windows_path` names, at the call, the item concerned.
RuntimeError errno_error(int errno_value, const std::string& windows_path, std::int32_t not_found);

// Raises that error.
[[noreturn]] void raise_errno(int errno_value, const std::string& windows_path,
                              std::int32_t not_found);

}  // namespace pakscour::posix
