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

    // From now on, `windows_path` ("Z:\home\p\Games\CoD") and the paths below it stand for
    // `host` and the items below it, whatever the prefix's drive of that letter points at. Every
    // copy of this WinePrefix sees the folders added to any of them. False (nothing added) for
    // a text that is no absolute Windows path.
    bool add_host_folder(const std::string& windows_path, std::filesystem::path host) const;

    struct HostFolder {
        char drive;                      // lower-case letter
        std::vector<std::string> parts;  // components below the drive's root
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
