#include "platform/win32/win32_menus.h"

#include "platform/win32/wide.h"

namespace pakscour::win32 {

Shortcut parse_shortcut(const std::string& text) {
    std::string rest = text;
    Shortcut s;
    if (rest.rfind("Ctrl+", 0) == 0) {
        s.ctrl = true;
        rest.erase(0, 5);
    }
    if (rest.size() >= 2 && rest[0] == 'F' &&
        rest.find_first_not_of("0123456789", 1) == rest.npos && rest.size() <= 3) {
        const int n = std::stoi(rest.substr(1));
        if (n >= 1 && n <= 24) s.key = static_cast<WORD>(VK_F1 + n - 1);
    } else if (rest.size() == 1 &&
               ((rest[0] >= 'A' && rest[0] <= 'Z') || (rest[0] >= '0' && rest[0] <= '9'))) {
        s.key = static_cast<WORD>(rest[0]);
    }
    if (s.key == 0) s.ctrl = false;
    return s;
}

Win32Menus::Win32Menus(forms::Form& f) {
    const auto& menus = f.menus();
    if (menus.empty()) return;
    bar_ = CreateMenu();
    std::map<std::string, HMENU> popups;
    // An item holding other items opens a drop-down of its own.
    for (const auto& m : menus)
        if (!m->parent().empty() && !popups.count(m->parent())) popups[m->parent()] = nullptr;
    for (auto& [name, handle] : popups) handle = CreatePopupMenu();

    std::map<HMENU, UINT> counts;
    std::vector<ACCEL> accels;
    for (const auto& m : menus) {
        HMENU parent = bar_;
        if (!m->parent().empty()) parent = popups.at(m->parent());
        const int id = first_menu_id + static_cast<int>(by_id_.size());
        by_id_.push_back(m.get());
        if (m->separator()) {
            AppendMenuW(parent, MF_SEPARATOR, 0, nullptr);
        } else {
            std::string text = m->caption();
            const Shortcut key = parse_shortcut(m->shortcut);
            if (key.key) {
                text += "\t" + m->shortcut;
                accels.push_back(ACCEL{static_cast<BYTE>(FVIRTKEY | (key.ctrl ? FCONTROL : 0)),
                                       key.key, static_cast<WORD>(id)});
            }
            const auto sub = popups.find(m->name());
            const std::wstring wide = widen(text);
            if (sub != popups.end()) {
                AppendMenuW(parent, MF_POPUP, reinterpret_cast<UINT_PTR>(sub->second),
                            wide.c_str());
            } else {
                AppendMenuW(parent, MF_STRING, static_cast<UINT_PTR>(id), wide.c_str());
            }
        }
        places_[m.get()] = Place{parent, counts[parent]++, id};
        update(nullptr, *m);
    }
    if (!accels.empty())
        accel_ = CreateAcceleratorTableW(accels.data(), static_cast<int>(accels.size()));
}

Win32Menus::~Win32Menus() {
    if (accel_) DestroyAcceleratorTable(accel_);
    if (bar_ && !attached_) DestroyMenu(bar_);
}

forms::MenuItem* Win32Menus::item(int id) const {
    const int i = id - first_menu_id;
    if (i < 0 || i >= static_cast<int>(by_id_.size())) return nullptr;
    return by_id_[static_cast<std::size_t>(i)];
}

void Win32Menus::update(HWND window, const forms::MenuItem& m) {
    const auto it = places_.find(&m);
    if (it == places_.end() || m.separator()) return;
    const Place& p = it->second;
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STATE;
    info.fState =
        (m.checked() ? MFS_CHECKED : MFS_UNCHECKED) | (m.enabled() ? MFS_ENABLED : MFS_DISABLED);
    SetMenuItemInfoW(p.parent, p.position, TRUE, &info);
    if (window && p.parent == bar_) DrawMenuBar(window);
}

}  // namespace pakscour::win32
