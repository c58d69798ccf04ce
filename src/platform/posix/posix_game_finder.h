// Where a Linux player keeps the games when the prefix in use has no registry entry for them.
// Without WINEPREFIX, in this order: the native Steam libraries (~/.steam/steam,
// ~/.local/share/Steam and the Flatpak Steam's), the Lutris games' prefixes, the Bottles
// bottles (native, then Flatpak). A Steam game's folder is the library's
// steamapps/common/<installdir> and its version comes from the Proton prefix
// steamapps/compatdata/<appid>/pfx, if any; in a Wine prefix the game's own registry key is read
// (32-bit view first). Folders are written as Wine writes host paths (Z:\home\...). With
// WINEPREFIX set, that prefix is the user's choice and nothing else is looked at.
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/game_finder.h"
#include "platform/posix/host_files.h"
#include "platform/posix/posix_registry_store.h"

namespace pakscour::posix {

class PosixGameFinder : public GameFinder {
  public:
    // Looks below `home`; `in_use` is the prefix the program works in, which the registry
    // reader has already read, so it is not read again.
    PosixGameFinder(std::filesystem::path home, std::filesystem::path in_use);
    // Finds nothing: the prefix the user named is the only place.
    PosixGameFinder();
    // From the environment: nothing when WINEPREFIX is set (and not empty), else $HOME's places.
    static std::unique_ptr<PosixGameFinder> from_environment(const std::filesystem::path& in_use);

    std::optional<FoundGame> find(const GameQuery& game) override;

  private:
    std::optional<FoundGame> in_steam(const GameQuery& game);
    std::optional<FoundGame> in_prefix(const std::filesystem::path& prefix, const GameQuery& game,
                                       std::set<std::filesystem::path>& seen);
    std::vector<std::filesystem::path> lutris_prefixes();
    std::vector<std::filesystem::path> bottles();
    const std::vector<std::string>& steam_libraries();
    // InstallPath and Version of a game key in a prefix's registry.
    FoundGame game_key(const std::filesystem::path& prefix, const std::string& key_path);

    std::optional<std::filesystem::path> home_;
    std::optional<std::filesystem::path> in_use_;
    HostTextFiles files_;
    std::optional<std::vector<std::string>> libraries_;
    std::map<std::filesystem::path, std::unique_ptr<PosixRegistryStore>> registries_;
};

}  // namespace pakscour::posix
