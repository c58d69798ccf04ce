// The Wine prefix the Linux build works in, and the mapping of Windows path texts
// ("C:\Games\CoD\Main") to host paths: drive X: is the link <prefix>/dosdevices/x:, and each
// component is matched exactly, then ignoring case, as Wine does. Z: is the host's root when
// the prefix has no z: of its own. Folders found outside the prefix are read through their own
// host paths: a path below one of them never goes through the prefix's drives.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pakscour::posix {

class WinePrefix {
  public:
    // $WINEPREFIX (made absolute, trailing slashes dropped), else $HOME/.wine.
    static WinePrefix from_environment();
    explicit WinePrefix(std::filesystem::path root);
    const std::filesystem::path& root() const { return root_; }

    // Host path of an existing Windows path ("C:\Games\CoD\Main"), looked up component by
    // component (exact, then ignoring case; "." and ".." resolved; trailing dots/spaces of a
    // component dropped); nullopt when it names nothing that exists.
    std::optional<std::filesystem::path> existing(const std::string& windows_path) const;
    // Host path for a Windows path whose last component may not exist yet (its parent must);
    // an existing item that matches ignoring case keeps its own name. nullopt when the parent
    // does not exist or the last component is no valid Windows name.
    std::optional<std::filesystem::path> for_new(const std::string& windows_path) const;

    // From now on, the Windows path text `folder` ("Z:\home\p\Games\CoD") and the paths below
    // it stand for `host` and the items below it, whatever the prefix's drive of that letter
    // points at. The folder's text is matched as written (ignoring ASCII case), so it may hold
    // names no Windows path could (a colon, a trailing dot); the components below it follow
    // the usual rules and cannot lead above it. Every copy of this WinePrefix sees the folders
    // added to any of them.
    void add_host_folder(std::string folder, std::filesystem::path host) const;

    struct HostFolder {
        std::string text;
        std::filesystem::path host;
    };

  private:
    std::filesystem::path root_;
    std::shared_ptr<std::vector<HostFolder>> host_folders_ =
        std::make_shared<std::vector<HostFolder>>();
};

// The host path of `relative` ("Main\pak0.pk3") below the host folder `folder`, each component
// matched exactly, then ignoring case; nothing when it names nothing that exists.
std::optional<std::filesystem::path> existing_below(const std::filesystem::path& folder,
                                                    const std::string& relative);

}  // namespace pakscour::posix
