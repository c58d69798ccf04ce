// How a label's caption fits its rectangle in the Win32 renderer. A label with room for one line
// shows its caption on that line, shortened with an ellipsis where it is too long (in the middle
// of a path, so that the file or folder at its end stays in view). A label with room for more
// lines wraps the caption at word boundaries; where the model's font would run it past the
// bottom (fonts differ between Windows versions and Wine), it takes the largest smaller size of
// the same face at which the caption fits, down to three quarters of the model's size.
#pragma once

#include <windows.h>

#include <string>

#include "platform/forms/control.h"
#include "platform/win32/win32_fonts.h"

namespace pakscour::win32 {

struct LabelLook {
    HFONT font = nullptr;
    // 0, SS_ENDELLIPSIS or SS_PATHELLIPSIS: the ellipsis style of a one-line label.
    DWORD ellipsis = 0;
};

// The font and ellipsis style for a label of `width` x `height` pixels showing `text` with the
// model's font `f`, aligned by `align` (SS_LEFT, SS_CENTER or SS_RIGHT).
LabelLook fit_label(FontCache& fonts, const forms::Font& f, const std::wstring& text, DWORD align,
                    int width, int height);

}  // namespace pakscour::win32
