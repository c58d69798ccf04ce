// The Wine prefix the Linux build works in, and the mapping of Windows path texts
// ("C:\Games\CoD\Main") to host paths: drive X: is the link <prefix>/dosdevices/x:, and each
// component is matched exactly, then ignoring case, as Wine does. Z: is the host's root when
// the prefix has no z: of its own.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

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

  private:
    std::filesystem::path root_;
};

}  // namespace pakscour::posix
