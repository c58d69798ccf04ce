// Reads the quoted texts of a Wine registry file (key paths, value names, string data): the
// escapes \\ \" \[ \] \a \b \t \n \v \f \r \e, octal \0..\777 (1 to 3 digits), \x with 1 to 4
// hex digits for one UTF-16 unit, and any other escaped character as itself. The result is
// UTF-8; surrogate escapes pair up, and anything that cannot become a character is U+FFFD.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace pakscour::posix {

// The text from `pos` up to the first unescaped `terminator`; `pos` ends just after it.
// Nothing when the line ends first.
std::optional<std::string> read_registry_string(std::string_view line, std::size_t& pos,
                                                char terminator);

}  // namespace pakscour::posix
