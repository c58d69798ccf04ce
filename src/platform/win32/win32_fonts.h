// The fonts of the Win32 renderer: one GDI font per face, size and style, made once and kept
// until the renderer goes. A fixed-pitch face that the system lacks (Courier New under Wine)
// falls back to a fixed-pitch face it has, never to the proportional default.
#pragma once

#include <windows.h>

#include <map>
#include <string>

#include "platform/forms/control.h"

namespace pakscour::win32 {

// The windows' default font: the system's dialog font at 8 points. It is a scalable face on
// Windows and under Wine, so that a label can take it a little smaller when its text needs
// it.
inline constexpr const char* default_face = "MS Shell Dlg";
inline constexpr double default_points = 8;

// True for the faces of typewriter-style fonts (Courier New, Courier, Lucida Console, ...).
bool is_fixed_pitch_face(const std::string& face);

// The name of the face a font really draws with.
std::wstring chosen_face(HFONT font);

class FontCache {
  public:
    explicit FontCache(int dpi_y) : dpi_y_(dpi_y) {}
    FontCache(const FontCache&) = delete;
    FontCache& operator=(const FontCache&) = delete;
    ~FontCache();

    // The model's font (an empty name or size means the default's) at the character height in
    // pixels of `pixels`, or at its own point size when `pixels` is 0. Never nullptr.
    HFONT get(const forms::Font& f, int pixels = 0);
    // The character height in pixels of the model's font at its own point size.
    int pixels(const forms::Font& f) const;

  private:
    HFONT make(const std::string& face, int pixels, bool bold, bool underline);
    std::wstring fixed_pitch_fallback();

    int dpi_y_;
    std::map<std::string, HFONT> fonts_;
    std::wstring fallback_;
    bool fallback_known_ = false;
};

}  // namespace pakscour::win32
