// A window's menu bar built from the form model's menu items: drop-downs, sub-menus, check
// marks, separators, disabled items, and an accelerator table for their shortcuts ("F1").
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "platform/forms/form.h"

namespace pakscour::win32 {

// Command identifiers of menu items start here, clear of the controls' identifiers.
constexpr int first_menu_id = 40000;

class Win32Menus {
  public:
    explicit Win32Menus(forms::Form& f);
    Win32Menus(const Win32Menus&) = delete;
    Win32Menus& operator=(const Win32Menus&) = delete;
    ~Win32Menus();

    // The menu bar, or nullptr for a window without menus. The window owns it once attached.
    HMENU bar() const { return bar_; }
    HACCEL accelerators() const { return accel_; }
    // The item of a WM_COMMAND identifier, or nullptr.
    forms::MenuItem* item(int id) const;
    // Reflects the item's check mark and enabled state.
    void update(HWND window, const forms::MenuItem& m);

  private:
    struct Place {
        HMENU parent;
        UINT position;
        int id;
    };
    std::map<const forms::MenuItem*, Place> places_;
    std::vector<forms::MenuItem*> by_id_;
    HMENU bar_ = nullptr;
    HACCEL accel_ = nullptr;
    bool attached_ = false;
    friend class Win32Window;
};

// The virtual key of a shortcut text ("F1".."F24", "Ctrl+A"), 0 when it is not understood.
struct Shortcut {
    WORD key = 0;
    bool ctrl = false;
};
Shortcut parse_shortcut(const std::string& text);

}  // namespace pakscour::win32
