// Images stored as resources of the executable, by the names the form model uses ("icon",
// "splash") with the prefix PAK_ (PAK_ICON, PAK_SPLASH): icons as ICON resources, pictures
// (JPEG, GIF, BMP) as RCDATA.
#pragma once

#include <windows.h>

#include <string>

namespace pakscour::win32 {

// The icon resource of that name at the given size, or nullptr.
HICON load_icon(const std::string& name, int size);

// The picture resource of that name decoded to a bitmap, or nullptr. The caller owns it.
HBITMAP load_picture(const std::string& name);

}  // namespace pakscour::win32
