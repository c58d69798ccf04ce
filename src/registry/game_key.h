// Reads a game's key in a registry other than the one in use (another Wine prefix), the way
// the load step reads its own: "InstallPath" through the value reader, and "Version" from the
// same key.
#pragma once

#include <string>

#include "platform/game_finder.h"
#include "platform/registry_store.h"

namespace pakscour {

// The key's "InstallPath" and "Version" texts; each "" when it does not read.
FoundGame read_game_key(RegistryStore& store, const std::string& key_path);

}  // namespace pakscour
