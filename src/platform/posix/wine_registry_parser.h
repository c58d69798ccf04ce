// Reads the text of a Wine registry file (system.reg, user.reg) into a key tree. A text whose
// first line is not the registry header reads as an empty tree; a malformed line is skipped
// and the rest of the file still reads. Any input is safe: the work and memory are bounded by
// the input's size.
#pragma once

#include <string_view>

#include "platform/posix/wine_registry_tree.h"

namespace pakscour::posix {

WineRegistryTree parse_wine_registry(std::string_view text);

}  // namespace pakscour::posix
