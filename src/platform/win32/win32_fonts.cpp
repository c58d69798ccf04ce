#include "platform/win32/win32_fonts.h"

#include <algorithm>
#include <vector>

#include "platform/win32/wide.h"
#include "platform/win32/win32_metrics.h"

namespace pakscour::win32 {

namespace {

// Fixed-pitch faces to stand in for a missing one, metric twins of Courier New first.
const wchar_t* const preferred_fixed[] = {L"Courier New",    L"Liberation Mono",  L"Cousine",
                                          L"Nimbus Mono PS", L"Nimbus Mono L",    L"Lucida Console",
                                          L"Consolas",       L"DejaVu Sans Mono", L"Noto Mono"};

HFONT create(const std::wstring& face, int pixels, bool bold, bool underline, BYTE pitch) {
    return CreateFontW(-pixels, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, underline, FALSE,
                       DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       pitch, face.c_str());
}

bool draws_fixed_pitch(HFONT font) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    // The bit means variable pitch, despite its name.
    return (tm.tmPitchAndFamily & TMPF_FIXED_PITCH) == 0;
}

int CALLBACK collect_fixed(const LOGFONTW* lf, const TEXTMETRICW*, DWORD type, LPARAM lp) {
    auto* faces = reinterpret_cast<std::vector<std::wstring>*>(lp);
    // Scalable faces only ('@' marks the vertical variants of East Asian fonts).
    if ((lf->lfPitchAndFamily & 3) == FIXED_PITCH && (type & TRUETYPE_FONTTYPE) &&
        lf->lfFaceName[0] != L'@')
        faces->push_back(lf->lfFaceName);
    return 1;
}

bool same_face(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

}  // namespace

bool is_fixed_pitch_face(const std::string& face) {
    const std::wstring w = widen(face);
    for (const wchar_t* f :
         {L"Courier New", L"Courier", L"Lucida Console", L"Consolas", L"Fixedsys", L"Terminal"})
        if (same_face(w, f)) return true;
    return false;
}

std::wstring chosen_face(HFONT font) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    wchar_t face[LF_FACESIZE] = {};
    GetTextFaceW(dc, LF_FACESIZE, face);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return face;
}

FontCache::~FontCache() {
    for (auto& [key, f] : fonts_) DeleteObject(f);
}

int FontCache::pixels(const forms::Font& f) const {
    return -font_height(f.size > 0 ? f.size : default_points, dpi_y_);
}

HFONT FontCache::get(const forms::Font& f, int pixels) {
    const std::string face = f.name.empty() ? default_face : f.name;
    const int px = pixels > 0 ? pixels : this->pixels(f);
    const std::string key =
        face + "|" + std::to_string(px) + "|" + (f.bold ? "b" : "") + (f.underline ? "u" : "");
    if (auto it = fonts_.find(key); it != fonts_.end()) return it->second;
    HFONT h = make(face, px, f.bold, f.underline);
    if (!h) h = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    fonts_[key] = h;
    return h;
}

HFONT FontCache::make(const std::string& face, int pixels, bool bold, bool underline) {
    const bool fixed = is_fixed_pitch_face(face);
    // Asking for a fixed pitch already steers the font mapper to a fixed-pitch stand-in.
    HFONT h = create(widen(face), pixels, bold, underline,
                     fixed ? FIXED_PITCH | FF_MODERN : DEFAULT_PITCH | FF_DONTCARE);
    if (h && fixed && !draws_fixed_pitch(h)) {
        const std::wstring other = fixed_pitch_fallback();
        if (!other.empty()) {
            DeleteObject(h);
            h = create(other, pixels, bold, underline, FIXED_PITCH | FF_MODERN);
        }
    }
    return h;
}

std::wstring FontCache::fixed_pitch_fallback() {
    if (fallback_known_) return fallback_;
    fallback_known_ = true;
    std::vector<std::wstring> faces;
    LOGFONTW lf{};
    lf.lfCharSet = DEFAULT_CHARSET;
    HDC dc = GetDC(nullptr);
    EnumFontFamiliesExW(dc, &lf, collect_fixed, reinterpret_cast<LPARAM>(&faces), 0);
    ReleaseDC(nullptr, dc);
    for (const wchar_t* wanted : preferred_fixed) {
        for (const std::wstring& f : faces) {
            if (same_face(f, wanted)) return fallback_ = f;
        }
    }
    if (!faces.empty()) fallback_ = *std::min_element(faces.begin(), faces.end());
    return fallback_;
}

}  // namespace pakscour::win32
