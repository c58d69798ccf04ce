#include "platform/win32/win32_label_fit.h"

#include <algorithm>
#include <cstdint>

namespace pakscour::win32 {

namespace {

struct Extent {
    int line = 0;    // the height of one line
    int width = 0;   // of the wrapped text
    int height = 0;  // of the wrapped text
};

UINT text_format(DWORD align) {
    return DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX |
           (align == SS_CENTER  ? DT_CENTER
            : align == SS_RIGHT ? DT_RIGHT
                                : DT_LEFT);
}

// The text as a static control of that alignment lays it out: wrapped at word boundaries within
// `width`, tabs expanded, ampersands shown as they are.
Extent measure(HFONT font, const std::wstring& text, DWORD align, int width) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    RECT r{0, 0, width, 0};
    if (!text.empty())
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
                  text_format(align) | DT_CALCRECT);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return {tm.tmHeight, static_cast<int>(r.right - r.left), static_cast<int>(r.bottom - r.top)};
}

// Whether the text, laid out as above and drawn, inks nothing outside `width`. Wine draws some
// sizes of a face a little wider than it measures them (a line measured at 325 pixels inks up to
// 333), and a static control clips what runs past its edge: the last letters of such a line
// would be lost.
bool draws_within(HFONT font, const std::wstring& text, DWORD align, int width, int height) {
    constexpr int spare = 48;
    const int w = width + 2 * spare;
    const int h = height + 16;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap == nullptr) return true;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old_bitmap = SelectObject(dc, bitmap);
    HGDIOBJ old_font = SelectObject(dc, font);
    RECT all{0, 0, w, h};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkMode(dc, TRANSPARENT);
    RECT layout{spare, 0, spare + width, h};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &layout,
              text_format(align) | DT_NOCLIP);
    GdiFlush();
    const auto* pixels = static_cast<const std::uint32_t*>(bits);
    bool within = true;
    for (int y = 0; y < h && within; ++y)
        for (int x = 0; x < w; ++x)
            if ((x < spare || x >= spare + width) && (pixels[y * w + x] & 0xFFFFFF) != 0xFFFFFF) {
                within = false;
                break;
            }
    SelectObject(dc, old_font);
    SelectObject(dc, old_bitmap);
    DeleteDC(dc);
    DeleteObject(bitmap);
    return within;
}

}  // namespace

LabelLook fit_label(FontCache& fonts, const forms::Font& f, const std::wstring& text, DWORD align,
                    int width, int height) {
    HFONT font = fonts.get(f);
    Extent e = measure(font, text, align, width);
    if (height < 2 * e.line) {
        const bool path = text.find(L'\\') != std::wstring::npos;
        return {font, static_cast<DWORD>(path ? SS_PATHELLIPSIS : SS_ENDELLIPSIS)};
    }
    auto fits = [&] {
        return e.height <= height && e.width <= width &&
               draws_within(font, text, align, width, e.height);
    };
    if (fits()) return {font, 0};
    const int nominal = fonts.pixels(f);
    const int smallest = std::max(8, nominal * 3 / 4);
    for (int px = nominal - 1; px >= smallest; --px) {
        font = fonts.get(f, px);
        e = measure(font, text, align, width);
        if (fits()) break;
    }
    return {font, 0};
}

}  // namespace pakscour::win32
