// Where a Linux player keeps the games when the prefix in use has no registry entry for them.
// Folders named on the command line come first, ahead of the registry: host folders, written as
// Wine writes host paths. Without WINEPREFIX, after the registry, in this order: the native
// Steam libraries (~/.steam/steam, ~/.local/share/Steam and the Flatpak Steam's), the Lutris
// games' prefixes, the Bottles bottles (native, then Flatpak; each in its default folder, then
// in the folder its data.yml names), the libraries of Ubuntu's Steam snap, the prefixes of the
// Flatpak Lutris's games, the Proton prefixes of games added to Steam from outside its store
// (steamapps/compatdata/*/pfx of every library above), and the prefixes Heroic's game settings
// name (native, then Flatpak). A Steam game's folder is the library's
// steamapps/common/<installdir> and its version comes from the Proton prefix
// steamapps/compatdata/<appid>/pfx, if any; in a Wine prefix the game's own registry key is read
// (32-bit view first) and gives folder and version. Folders are written as Wine writes host
// paths (Z:\home\...) and are read through their host paths from then on. With WINEPREFIX set,
// that prefix is the user's choice and nothing else is looked at.
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
#include "platform/posix/wine_prefix.h"
#include "registry/named_folders.h"

namespace pakscour::posix {

class PosixGameFinder : public GameFinder {
  public:
    // `in_use` is the prefix the program works in, which the registry reader has already read,
    // so it is not read again; folders found elsewhere are added to it as host folders. Looks
    // below `home` when there is one; `named` are the folders given on the command line, as
    // given (relative ones below the current folder).
    PosixGameFinder(WinePrefix in_use, std::optional<std::filesystem::path> home,
                    const std::vector<std::string>& named = {});
    // From the environment: $HOME's places unless WINEPREFIX is set (and not empty).
    static std::unique_ptr<PosixGameFinder> from_environment(
        const WinePrefix& in_use, const std::vector<std::string>& named = {});

    std::optional<FoundGame> find(const GameQuery& game) override;
    std::optional<FoundGame> named(const GameQuery& game) override;
    std::vector<RejectedFolder> rejected_folders() override { return named_.rejected(); }
    // Two texts name the same folder when both lead, through the prefix, to one real folder.
    bool same_folder(const std::string& a, const std::string& b) override;

  private:
    std::optional<FoundGame> in_steam(const GameQuery& game,
                                      const std::vector<std::string>& libraries);
    std::optional<FoundGame> in_prefix(const std::filesystem::path& prefix, const GameQuery& game,
                                       std::set<std::filesystem::path>& seen);
    std::optional<FoundGame> in_prefixes(const std::vector<std::filesystem::path>& prefixes,
                                         const GameQuery& game,
                                         std::set<std::filesystem::path>& seen);
    // The Lutris game files' prefixes, from the files in `folders`.
    std::vector<std::filesystem::path> lutris_prefixes(
        const std::vector<std::filesystem::path>& folders);
    std::vector<std::filesystem::path> bottles();
    std::vector<std::filesystem::path> heroic_prefixes();
    // The libraries of the given Steam folders that no earlier call gave.
    std::vector<std::string> libraries_of(const std::vector<std::filesystem::path>& steam);
    const std::vector<std::string>& steam_libraries();
    const std::vector<std::string>& snap_libraries();
    // The Proton prefixes whose registry mentions the games; searched once, for all three.
    std::vector<std::filesystem::path> proton_prefixes();
    // InstallPath and Version of a game key in a prefix's registry.
    FoundGame game_key(const std::filesystem::path& prefix, const std::string& key_path);
    // The folder in Wine's form, read through `host` from now on; nothing when no Windows path
    // can name it.
    std::optional<std::string> host_folder(const std::filesystem::path& host);

    WinePrefix prefix_;
    std::optional<std::filesystem::path> home_;
    std::optional<std::filesystem::path> in_use_;
    NamedFolders named_;
    HostTextFiles files_;
    std::set<std::filesystem::path> known_libraries_;
    std::optional<std::vector<std::string>> libraries_;
    std::optional<std::vector<std::string>> snap_libraries_;
    std::optional<std::vector<std::filesystem::path>> proton_;
    std::map<std::filesystem::path, std::unique_ptr<PosixRegistryStore>> registries_;
};

}  // namespace pakscour::posix
