// The four windows as they look on the Win32 renderer: every label's text fits its rectangle,
// measured with the label's own font as a static control draws it; the splash's credit lines
// show whole where their labels overlap; its typewriter lines keep a fixed-pitch face where
// Courier New is missing; the disclaimer and About windows carry no icon.
#include <windows.h>

#include <doctest/doctest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <utility>

#include "gui_rig.h"

namespace pakscour {

namespace {

using forms::ControlKind;
using test::Rig;
using test::window_text;
using win32::narrow;

struct Measured {
    std::wstring text;
    RECT client{};
    LONG_PTR style = 0;
    int line = 0;   // the height of one line of the label's font
    RECT needed{};  // the text wrapped at word boundaries within the label's width
    TEXTMETRICW tm{};
    // The columns that the wrapped text really inks, drawn unclipped as the label lays it out;
    // Wine may draw a line wider than it measured it.
    int ink_left = 0;
    int ink_right = 0;
};

// Draws `text` as a static control with `style` lays it out in `width` pixels, without clipping,
// and returns the first and last inked columns relative to the layout's left edge.
std::pair<int, int> inked_columns(HDC screen, HFONT font, const std::wstring& text, LONG_PTR style,
                                  int width, int height) {
    constexpr int spare = 48;
    const int w = width + 2 * spare;
    const int h = height + 64;
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old_bitmap = SelectObject(dc, bitmap);
    HGDIOBJ old_font = SelectObject(dc, font);
    RECT all{0, 0, w, h};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkMode(dc, TRANSPARENT);
    const LONG_PTR align = style & SS_TYPEMASK;
    UINT format = DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX | DT_NOCLIP;
    format |= align == SS_CENTER ? DT_CENTER : align == SS_RIGHT ? DT_RIGHT : DT_LEFT;
    RECT layout{spare, 0, spare + width, h};
    DrawTextW(dc, text.c_str(), -1, &layout, format);
    int left = w, right = -1;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (GetPixel(dc, x, y) != RGB(255, 255, 255)) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
    SelectObject(dc, old_font);
    SelectObject(dc, old_bitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return {left - spare, right - spare};
}

Measured measure_label(HWND h) {
    Measured m;
    wchar_t buffer[4096] = {};
    GetWindowTextW(h, buffer, 4096);
    m.text = buffer;
    GetClientRect(h, &m.client);
    m.style = GetWindowLongPtrW(h, GWL_STYLE);
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0));
    HDC dc = GetDC(h);
    HGDIOBJ old = SelectObject(dc, font);
    GetTextMetricsW(dc, &m.tm);
    m.line = m.tm.tmHeight;
    m.needed = {0, 0, m.client.right, 0};
    DrawTextW(dc, m.text.c_str(), -1, &m.needed,
              DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
    std::tie(m.ink_left, m.ink_right) =
        inked_columns(dc, font, m.text, m.style, m.client.right, m.needed.bottom);
    SelectObject(dc, old);
    ReleaseDC(h, dc);
    return m;
}

// Checks every label of the window that shows a text; returns how many it checked.
int check_labels_fit(Rig& rig, forms::Form& f) {
    int checked = 0;
    for (const auto& c : f.controls()) {
        if (c->kind() != ControlKind::Label || !c->visible() || c->caption().empty()) continue;
        HWND h = rig.renderer.control_hwnd(f, *c);
        REQUIRE(h != nullptr);
        const Measured m = measure_label(h);
        CAPTURE(f.name());
        CAPTURE(c->name());
        CAPTURE(c->index());
        CAPTURE(narrow(m.text));
        CAPTURE(m.needed.right);
        CAPTURE(m.needed.bottom);
        CAPTURE(m.client.right);
        CAPTURE(m.client.bottom);
        if ((m.style & SS_ELLIPSISMASK) == 0) {
            // Wrapped at word boundaries, the whole text lies within the label.
            CHECK(m.needed.bottom <= m.client.bottom);
            CHECK(m.needed.right <= m.client.right);
            // ... and every glyph as drawn, not only as measured.
            CAPTURE(m.ink_left);
            CAPTURE(m.ink_right);
            CHECK(m.ink_left >= 0);
            CHECK(m.ink_right < m.client.right);
        } else {
            // A label with room for one line: the line fits its height, and only a path may be
            // too long for it, to be shortened in its middle.
            CHECK(m.line <= m.client.bottom);
            if (m.needed.bottom > m.line) {
                CHECK(m.text.find(L'\\') != std::wstring::npos);
                CHECK((m.style & SS_ELLIPSISMASK) == SS_PATHELLIPSIS);
                MESSAGE("a path shortened to fit: " << narrow(m.text));
            }
        }
        ++checked;
    }
    return checked;
}

// Opens a window of the Help menu (by its position there) and returns it.
HWND open_from_help(Rig& rig, int position, forms::Form& f) {
    HMENU help = GetSubMenu(GetMenu(rig.window(rig.main())), 2);
    const int id = static_cast<int>(GetMenuItemID(help, position));
    PostMessageW(rig.window(rig.main()), WM_COMMAND, MAKEWPARAM(id, 0), 0);
    rig.pump();
    return rig.window(f);
}

bool reddish(COLORREF c) {
    return GetRValue(c) > 200 && GetGValue(c) < 90 && GetBValue(c) < 90;
}

}  // namespace

TEST_CASE("every label's text fits its rectangle in all four windows") {
    Rig rig;
    rig.program->start();
    rig.pump();
    REQUIRE(rig.window(rig.ctx().frmSplash) != nullptr);
    CHECK(check_labels_fit(rig, rig.ctx().frmSplash) == 3);

    REQUIRE(rig.pump_until([&] { return rig.window(rig.main()) != nullptr; }, 30000));
    rig.pump();
    // Six captions, three states, three versions, the list's heading and path, the status line
    // and the three help texts (laid out below the window's lower edge until F1).
    CHECK(check_labels_fit(rig, rig.main()) == 18);
    SendMessageW(rig.control("cmdClean"), BM_CLICK, 0, 0);
    rig.pump();
    REQUIRE(window_text(rig.control("lblStatusBar")).rfind("Alien files moved to: ", 0) == 0);
    CHECK(check_labels_fit(rig, rig.main()) == 18);

    REQUIRE(open_from_help(rig, 1, rig.ctx().frmDisclaim) != nullptr);
    CHECK(check_labels_fit(rig, rig.ctx().frmDisclaim) == 1);
    REQUIRE(open_from_help(rig, 3, rig.ctx().frmAbout) != nullptr);
    CHECK(check_labels_fit(rig, rig.ctx().frmAbout) == 4);
}

TEST_CASE("the splash shows its red credit line whole where the line above overlaps it") {
    Rig rig;
    rig.program->start();
    rig.pump();
    forms::Form& splash_form = rig.ctx().frmSplash;
    HWND splash = rig.window(splash_form);
    REQUIRE(splash != nullptr);
    HWND above = rig.renderer.control_hwnd(splash_form, splash_form.ctl("lblName", 1));
    HWND red = rig.renderer.control_hwnd(splash_form, splash_form.ctl("lblName", 2));
    RECT a{}, b{}, band{};
    GetWindowRect(above, &a);
    GetWindowRect(red, &b);
    // The layout has the two labels overlap; the top of the red line lies in that band.
    REQUIRE(IntersectRect(&band, &a, &b));
    MapWindowPoints(nullptr, splash, reinterpret_cast<POINT*>(&band), 2);
    RedrawWindow(splash, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    rig.pump();

    // Read the window's pixels in the band back.
    const int w = band.right - band.left;
    const int h = band.bottom - band.top;
    HDC window_dc = GetDC(splash);
    HDC copy = CreateCompatibleDC(window_dc);
    HBITMAP bitmap = CreateCompatibleBitmap(window_dc, w, h);
    HGDIOBJ old = SelectObject(copy, bitmap);
    BitBlt(copy, 0, 0, w, h, window_dc, band.left, band.top, SRCCOPY);
    int red_pixels = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) red_pixels += reddish(GetPixel(copy, x, y)) ? 1 : 0;
    SelectObject(copy, old);
    DeleteObject(bitmap);
    DeleteDC(copy);
    ReleaseDC(splash, window_dc);
    CAPTURE(w);
    CAPTURE(h);
    CHECK(red_pixels > 0);
}

TEST_CASE("the splash's typewriter lines keep a fixed-pitch bold face") {
    Rig rig;
    rig.program->start();
    rig.pump();
    forms::Form& splash = rig.ctx().frmSplash;
    REQUIRE(rig.window(splash) != nullptr);
    for (int i = 0; i < 3; ++i) {
        CAPTURE(i);
        const Measured m =
            measure_label(rig.renderer.control_hwnd(splash, splash.ctl("lblName", i)));
        // The bit means variable pitch, despite its name.
        CHECK((m.tm.tmPitchAndFamily & TMPF_FIXED_PITCH) == 0);
        CHECK(m.tm.tmWeight >= FW_BOLD);
    }
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(
        rig.renderer.control_hwnd(splash, splash.ctl("lblName", 2)), WM_GETFONT, 0, 0));
    MESSAGE("the splash's Courier New is drawn with " << narrow(win32::chosen_face(font)));
}

TEST_CASE("the disclaimer and About windows have no icon; the main window has its own") {
    Rig rig;
    rig.show_main();
    HWND main = rig.window(rig.main());
    REQUIRE(main != nullptr);
    CHECK(SendMessageW(main, WM_GETICON, ICON_SMALL, 0) != 0);

    struct Case {
        int menu_position;
        forms::Form* form;
    };
    for (const Case& c : {Case{1, &rig.ctx().frmDisclaim}, Case{3, &rig.ctx().frmAbout}}) {
        HWND w = open_from_help(rig, c.menu_position, *c.form);
        REQUIRE(w != nullptr);
        CAPTURE(window_text(w));
        CHECK(SendMessageW(w, WM_GETICON, ICON_BIG, 0) == 0);
        CHECK(SendMessageW(w, WM_GETICON, ICON_SMALL, 0) == 0);
        CHECK(GetClassLongPtrW(w, GCLP_HICON) == 0);
        CHECK(GetClassLongPtrW(w, GCLP_HICONSM) == 0);
        // It keeps its close box; with the dialog frame, the system draws no stand-in icon.
        CHECK((GetWindowLongPtrW(w, GWL_STYLE) & WS_SYSMENU) != 0);
        CHECK((GetWindowLongPtrW(w, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME) != 0);
    }
}

}  // namespace pakscour
