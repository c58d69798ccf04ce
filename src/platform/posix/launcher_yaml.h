// The YAML files launchers keep on Linux, read with yaml-cpp as YAML defines their values
// (plain scalars folded over several lines, single and double quotes with their escapes,
// comments, "~" as null): the Wine prefix of a Lutris game, from its game file, and the folder
// Bottles keeps its bottles in when the player chose one, from Bottles' data.yml. A text that is
// no valid YAML, or lacks the entry, gives nothing.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pakscour::posix {

// The prefix of a Lutris game file: "prefix" of its "game" section (else of the first other
// top-level section that has one), as an absolute path; a leading "~/" stands for `home`.
std::optional<std::string> lutris_prefix(std::string_view yaml, const std::string& home);

// "custom_bottles_path" of Bottles' data.yml, when it is an absolute path.
std::optional<std::string> bottles_custom_path(std::string_view yaml);

}  // namespace pakscour::posix
