// The JSON files Heroic Games Launcher keeps on Linux, read with nlohmann-json: the Wine prefix
// each game runs in, from its GamesConfig/<appName>.json ({"<appName>": {"winePrefix": ...},
// "version": ..., "explicit": ...}, written for store games and for games added with "Add
// game" alike), and the prefix a game without a file of its own runs in, from config.json's
// "defaultSettings". A leading "~" stands for the home folder, as Heroic reads it. A text that
// is no valid JSON, or lacks the entry, gives nothing.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pakscour::posix {

// "winePrefix" of the `app_name` object of a game's file (else of the first other top-level
// object that has one), as an absolute path.
std::optional<std::string> heroic_game_prefix(std::string_view json, const std::string& app_name,
                                              const std::string& home);

// "winePrefix" of the "defaultSettings" object of Heroic's config.json, as an absolute path.
std::optional<std::string> heroic_default_prefix(std::string_view json, const std::string& home);

}  // namespace pakscour::posix
