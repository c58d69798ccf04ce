// The VirtualStore: Windows redirects the writes that a program without a manifest makes below
// a protected folder (Program Files, the Windows folder, ProgramData) to the same path, without
// its drive, below %LOCALAPPDATA%\VirtualStore, and shows such a program both folders as one.
// The games are such programs, so what they downloaded below Program Files lies there. This
// module tells the VirtualStore copy of a path.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pakscour::win32 {

class VirtualStore {
  public:
    // The protected folders and the VirtualStore of the current user, as the known folders and
    // the environment give them.
    static VirtualStore of_current_user();

    // `protected_folders` are full paths ("C:\Program Files"); `store` is the VirtualStore
    // folder. An empty `store` means there is none.
    VirtualStore(std::vector<std::wstring> protected_folders, std::wstring store);

    // The VirtualStore copy of `path` ("C:\Program Files\Game\Main" gives
    // "<store>\Program Files\Game\Main") when `path` is a protected folder or lies below one;
    // otherwise the empty text. Letter case is ignored; / counts as \.
    std::wstring copy_of(std::wstring_view path) const;

  private:
    std::vector<std::wstring> protected_;
    std::wstring store_;
};

}  // namespace pakscour::win32
