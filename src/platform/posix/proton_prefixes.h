// The Proton prefixes Steam makes for games added to it from outside its store: each library's
// steamapps/compatdata/<id>/pfx. A player may have hundreds, each with a registry of a megabyte
// or more, and only the few that hold one of the games matter. Wine writes a registry's keys in
// order (each key after its parent, siblings by lower-cased name), so the place where the
// games' keys would be is found by bisection, a few small reads per file, instead of reading
// the file whole; the file's last keys are searched too (where a key added by hand would be),
// and a file whose keys turn out not to be in that order is searched whole. Of a prefix that
// holds the games' keys only those keys are read.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace pakscour::posix {

// The lines of a registry file (a Wine registry file of HKEY_LOCAL_MACHINE) that hold the
// games' keys: the lines before its first key, then the block of each key of Call of Duty,
// United Offensive and Call of Duty 2 and of the keys below them (Software\Activision\Call of
// Duty..., also below Wow6432Node), names in any case. Nothing when it has none, and for a
// missing or unreadable file, a folder, a FIFO or a link loop.
std::optional<std::string> games_registry_text(const std::filesystem::path& registry_file);

struct ProtonPrefix {
    std::filesystem::path root;  // its real path
    std::string games;           // games_registry_text of its system.reg
};

// The libraries' compatdata/*/pfx prefixes whose system.reg holds one of the games' keys, each
// once, libraries in order and prefixes by name within one.
std::vector<ProtonPrefix> proton_prefixes_with_games(const std::vector<std::string>& libraries);

}  // namespace pakscour::posix
