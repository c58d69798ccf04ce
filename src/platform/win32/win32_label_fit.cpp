#include "platform/win32/win32_label_fit.h"

#include <algorithm>

namespace pakscour::win32 {

namespace {

struct Extent {
    int line = 0;    // the height of one line
    int width = 0;   // of the wrapped text
    int height = 0;  // of the wrapped text
};

// The text as a static control of that alignment draws it: wrapped at word boundaries within
// `width`, tabs expanded, ampersands shown as they are.
Extent measure(HFONT font, const std::wstring& text, DWORD align, int width) {
    UINT format = DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX | DT_CALCRECT;
    format |= align == SS_CENTER ? DT_CENTER : align == SS_RIGHT ? DT_RIGHT : DT_LEFT;
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    RECT r{0, 0, width, 0};
    if (!text.empty()) DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, format);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return {tm.tmHeight, static_cast<int>(r.right - r.left), static_cast<int>(r.bottom - r.top)};
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
    if (e.height <= height && e.width <= width) return {font, 0};
    const int nominal = fonts.pixels(f);
    const int smallest = std::max(8, nominal * 3 / 4);
    for (int px = nominal - 1; px >= smallest; --px) {
        font = fonts.get(f, px);
        e = measure(font, text, align, width);
        if (e.height <= height && e.width <= width) break;
    }
    return {font, 0};
}

}  // namespace pakscour::win32
