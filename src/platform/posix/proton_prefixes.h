// The Proton prefixes Steam makes for games added to it from outside its store: each library's
// steamapps/compatdata/<id>/pfx. A player may have hundreds, each with a registry of a megabyte
// or more, and only the few that hold one of the games matter, so each system.reg is searched
// as it streams in for the text every one of the games' keys holds ("Activision\\Call of Duty",
// in any case), stopping at the first hit, instead of being parsed; only the prefixes it finds
// it in are read in full afterwards.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace pakscour::posix {

// Whether the registry file holds the text the games' key paths share, in any case. A missing
// or unreadable file, a folder, a FIFO or a link loop holds nothing.
bool registry_mentions_games(const std::filesystem::path& registry_file);

// The real paths of the libraries' compatdata/*/pfx folders whose system.reg mentions the games,
// each once, libraries in order and prefixes by name within one.
std::vector<std::filesystem::path> proton_prefixes_with_games(
    const std::vector<std::string>& libraries);

}  // namespace pakscour::posix
