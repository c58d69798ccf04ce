// Windows file-name rules applied to host names: which host names a Windows path could name,
// case-insensitive comparison the way Wine folds case, and wildcard matching with * and ?.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace pakscour::posix {

// True when `name` is valid UTF-8 and holds none of \ / : * ? " < > | nor a control character,
// so that a Windows program could name it by its long name.
bool windows_nameable(std::string_view name);

// Compares two UTF-8 names ignoring case (ASCII, Latin-1, Latin Extended-A, Greek, Cyrillic).
bool equal_ignoring_case(std::string_view a, std::string_view b);

// The key under which `name` is kept in a set where names differing only in case must clash:
// two valid UTF-8 names have equal keys exactly when equal_ignoring_case holds for them.
std::u32string case_key(std::string_view name);

// A 64-bit hash of case_key(name), for sets of many names: equal for names that differ only in
// case, and for others only by a rare collision, which equal_ignoring_case then tells apart.
std::uint64_t case_hash(std::string_view name);

// Matches a UTF-8 name against a Windows wildcard pattern, ignoring case: * stands for any run
// of characters, ? for exactly one; "*.*" matches every name.
bool wildcard_match(std::string_view name, std::string_view pattern);

}  // namespace pakscour::posix
