// The program's icon on the Win32 renderer: the icon resource holds its own drawing at every
// size Windows picks from at 100 to 200 % display scaling, and the main window and the About
// window's picture take the size that fits the screen's DPI, so none is an enlarged smaller one.
#include <windows.h>

#include <doctest/doctest.h>

#include <cstdint>
#include <cstring>

#include "gui_rig.h"
#include "platform/win32/win32_metrics.h"

namespace pakscour {

namespace {

using test::Rig;

// The width of the RT_ICON image that Windows picks from the PAK_ICON group for `size`, read
// from the image itself: a PNG's IHDR or a bitmap's header. 0 when there is none.
int stored_icon_width(int size) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC group = FindResourceW(module, L"PAK_ICON", MAKEINTRESOURCEW(14));  // RT_GROUP_ICON
    if (!group) return 0;
    auto* dir = static_cast<BYTE*>(LockResource(LoadResource(module, group)));
    const int id = LookupIconIdFromDirectoryEx(dir, TRUE, size, size, LR_DEFAULTCOLOR);
    HRSRC image = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(3));  // RT_ICON
    if (!image || SizeofResource(module, image) < 40) return 0;
    const auto* bytes =
        static_cast<const unsigned char*>(LockResource(LoadResource(module, image)));
    if (std::memcmp(bytes, "\x89PNG", 4) == 0)
        return (bytes[16] << 24) | (bytes[17] << 16) | (bytes[18] << 8) | bytes[19];
    BITMAPINFOHEADER header;
    std::memcpy(&header, bytes, sizeof header);
    return static_cast<int>(header.biWidth);
}

int icon_width(HICON icon) {
    ICONINFO info{};
    if (!icon || !GetIconInfo(icon, &info)) return 0;
    BITMAP bm{};
    GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bm, &bm);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    return bm.bmWidth;
}

}  // namespace

TEST_CASE("the icon resource holds a drawing of its own at each size from 16 to 256 px") {
    for (int size : {16, 20, 24, 32, 40, 48, 64, 256}) {
        CAPTURE(size);
        CHECK(stored_icon_width(size) == size);
    }
}

TEST_CASE("the main window's icons and the About picture fit the screen's DPI") {
    Rig rig;
    rig.show_main();
    const int dpi = rig.renderer.dpi().y;
    CAPTURE(dpi);
    HWND main = rig.window(rig.main());
    REQUIRE(main != nullptr);
    CHECK(icon_width(reinterpret_cast<HICON>(SendMessageW(main, WM_GETICON, ICON_BIG, 0))) ==
          win32::icon_px(32, dpi));
    CHECK(icon_width(reinterpret_cast<HICON>(SendMessageW(main, WM_GETICON, ICON_SMALL, 0))) ==
          win32::icon_px(16, dpi));

    HMENU help = GetSubMenu(GetMenu(main), 2);
    PostMessageW(main, WM_COMMAND, MAKEWPARAM(GetMenuItemID(help, 3), 0), 0);
    rig.pump();
    forms::Form& about = rig.ctx().frmAbout;
    REQUIRE(rig.window(about) != nullptr);
    HWND picture = rig.renderer.control_hwnd(about, about.ctl("picIcon"));
    REQUIRE(picture != nullptr);
    CHECK(icon_width(reinterpret_cast<HICON>(SendMessageW(picture, STM_GETICON, 0, 0))) ==
          win32::icon_px(32, dpi));
}

}  // namespace pakscour
