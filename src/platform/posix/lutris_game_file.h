// The Wine prefix of a Lutris game, from the "prefix:" entry of its game file (YAML). A line
// reader is enough for the files Lutris writes: the first "prefix:" key, its value plain or
// quoted, "~/" standing for the home folder.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pakscour::posix {

// The prefix's absolute path; nothing when the text has no "prefix:" entry with an absolute
// path (after "~/" is expanded with `home`).
std::optional<std::string> lutris_prefix(std::string_view yaml, const std::string& home);

}  // namespace pakscour::posix
