// Steam's libraries and installed apps, read from its text files: libraryfolders.vdf lists the
// library folders, steamapps/appmanifest_<appid>.acf marks an installed app and names its folder
// under steamapps/common. The readers take text and give structure; the search reads the files
// through TextFiles, so one search serves host paths ('/') and Windows paths ('\').
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pakscour {

// Reads small text files for the search. Nothing when the file is missing, no regular file,
// too large or unreadable; such a file is skipped.
class TextFiles {
  public:
    virtual ~TextFiles() = default;
    virtual std::optional<std::string> read(const std::string& path) = 0;
};

// The library folders a libraryfolders.vdf lists, in file order: the numbered keys of its
// "libraryfolders" block, whose values are paths (old layout) or blocks with a "path" entry
// (new layout). Empty for a malformed text.
std::vector<std::string> library_folders(std::string_view vdf_text);

// The "installdir" of an app manifest's "AppState" block. Nothing when it is missing, empty, or
// not one plain folder name (a separator, a drive colon, "." or "..").
std::optional<std::string> manifest_install_dir(std::string_view acf_text);

struct SteamApp {
    std::string library;  // the library folder that holds the app's manifest
    std::string folder;   // <library>/steamapps/common/<installdir>
};

// The libraries of the given Steam folders: each Steam folder itself, then those its
// steamapps/libraryfolders.vdf lists. Paths are joined with `separator` ('/' host paths, '\'
// Windows paths; on Windows '/' becomes '\'); trailing separators are dropped, and relative
// paths and repeats are left out (Windows paths compare ignoring ASCII case).
std::vector<std::string> steam_libraries(TextFiles& files, const std::vector<std::string>& steam,
                                         char separator);

// The first library, in order, holding steamapps/appmanifest_<app_id>.acf with a usable
// installdir. `app_id` must be decimal digits.
std::optional<SteamApp> find_steam_app(TextFiles& files, const std::vector<std::string>& libraries,
                                       std::string_view app_id, char separator);

}  // namespace pakscour
