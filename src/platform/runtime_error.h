// The program's run-time error: a number, a description and a source. Failing platform
// operations raise it with the classic numbers below, so reports read the same everywhere.
#pragma once

#include <cstdint>
#include <string>

namespace pakscour {

struct RuntimeError {
    std::int32_t number = 0;
    std::string description;
    std::string source;
};

namespace err {
constexpr std::int32_t invalid_call = 5;
constexpr std::int32_t out_of_memory = 7;
constexpr std::int32_t subscript_out_of_range = 9;
constexpr std::int32_t file_not_found = 53;
constexpr std::int32_t device_io = 57;
constexpr std::int32_t file_exists = 58;
constexpr std::int32_t disk_full = 61;
constexpr std::int32_t permission_denied = 70;
constexpr std::int32_t path_file_access = 75;
constexpr std::int32_t path_not_found = 76;
}  // namespace err

// The usual description of a classic error number ("File not found" for 53); a generic text
// for numbers without one.
std::string error_description(std::int32_t number);

// Throws a RuntimeError with the number's usual description alone, as every run-time error
// reads ("File already exists"). `item` names, at the call, the file or folder concerned; it is
// not part of the description.
[[noreturn]] void raise_error(std::int32_t number, const std::string& item = {});

}  // namespace pakscour
