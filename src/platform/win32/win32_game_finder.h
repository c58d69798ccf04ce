// Where a Windows player keeps the games when the registry has no install folder for them: the
// Steam libraries. Steam's folder is "SteamPath" under HKEY_CURRENT_USER\Software\Valve\Steam
// (Steam writes it with forward slashes, often in lower case, so it is normalised); the
// libraries come from its steamapps\libraryfolders.vdf, and a game counts as installed where
// its app manifest is. Steam keeps no version text for these games: the version is "".
#pragma once

#include <optional>
#include <string>

#include "platform/game_finder.h"
#include "registry/steam_library.h"

namespace pakscour::win32 {

inline constexpr std::size_t max_text_file = std::size_t{4} << 20;

// Reads regular files of at most max_text_file bytes with Win32 calls; a folder, a device, a
// larger or unreadable file reads as nothing.
class Win32TextFiles : public TextFiles {
  public:
    std::optional<std::string> read(const std::string& path) override;
};

// A folder text as Steam writes it ("c:/program files (x86)/steam") with backslashes, an
// upper-case drive letter and each existing component spelt as on disk.
std::string normalise_steam_path(const std::string& path);

class Win32GameFinder : public GameFinder {
  public:
    std::optional<FoundGame> find(const GameQuery& game) override;

  private:
    Win32TextFiles files_;
};

}  // namespace pakscour::win32
