// The Win32 window's answers to the form model: a property of a control, a menu item or the
// form changed, and a command a control sent (clicks, list selections, default and cancel keys).
#include "platform/win32/win32_window.h"

#include <commctrl.h>

#include <algorithm>

#include "platform/win32/wide.h"
#include "platform/win32/win32_renderer.h"
#include "platform/win32/win32_resources.h"
#include "platform/win32/win32_window_event.h"

namespace pakscour::win32 {

using forms::ControlKind;
using forms::Property;

void Win32Window::control_changed(forms::Control& c, Property p) {
    Native* n = native(c);
    if (retired_ || !n) return;
    HWND h = n->hwnd;
    switch (p) {
        case Property::Caption:
            if (!h) break;
            SetWindowTextW(h, widen(c.caption()).c_str());
            if (c.kind() == ControlKind::Label) set_font(*n);
            break;
        case Property::Enabled:
            if (h) EnableWindow(h, c.enabled());
            break;
        case Property::Visible:
            if (h)
                ShowWindow(h, c.visible() ? SW_SHOWNA : SW_HIDE);
            else
                InvalidateRect(hwnd_, nullptr, TRUE);
            break;
        case Property::Value:
            if (h) SendMessageW(h, BM_SETCHECK, c.value() ? BST_CHECKED : BST_UNCHECKED, 0);
            break;
        case Property::ToolTip:
            update_tooltip(*n);
            break;
        case Property::ListAdd:
            if (!h || c.items().empty()) break;
            // Many entries arrive one by one within one event: draw the list once, afterwards.
            if (std::find(frozen_lists_.begin(), frozen_lists_.end(), h) == frozen_lists_.end()) {
                SendMessageW(h, WM_SETREDRAW, FALSE, 0);
                frozen_lists_.push_back(h);
                PostMessageW(hwnd_, wm_restore_redraw, 0, 0);
            }
            SendMessageW(h, LB_ADDSTRING, 0,
                         reinterpret_cast<LPARAM>(widen(c.items().back()).c_str()));
            break;
        case Property::ListClear:
            if (h) SendMessageW(h, LB_RESETCONTENT, 0, 0);
            break;
        case Property::Font:
            if (h) set_font(*n);
            break;
        case Property::ForeColor:
            InvalidateRect(h ? h : hwnd_, nullptr, TRUE);
            break;
        case Property::Geometry:
            place(*n);
            if (h && c.kind() == ControlKind::Label) set_font(*n);
            break;
        case Property::TimerEnabled:
        case Property::TimerInterval:
            update_timer(c);
            break;
        case Property::Focus:
            if (h) SetFocus(h);
            break;
        case Property::ListIndex:
            if (h) SendMessageW(h, LB_SETCURSEL, static_cast<WPARAM>(c.list_index()), 0);
            break;
        default:
            break;
    }
}

void Win32Window::menu_changed(forms::MenuItem& m, Property) {
    if (!retired_) menus_.update(hwnd_, m);
}

void Win32Window::form_changed(forms::Form& f, Property p) {
    if (retired_ || !hwnd_) return;
    switch (p) {
        case Property::Caption:
            SetWindowTextW(hwnd_, widen(f.caption()).c_str());
            break;
        case Property::Width:
        case Property::Height:
            apply_size();
            break;
        case Property::Topmost: {
            // Wine ignores a window's new topmost state while it owns a (topmost) tooltip
            // window, so the tooltips are made afresh around the change.
            if (tooltip_) DestroyWindow(tooltip_);
            tooltip_ = nullptr;
            SetWindowPos(hwnd_, f.topmost() ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            for (const Native& n : natives_)
                if (n.hwnd && !n.control->tooltip().empty()) update_tooltip(n);
            break;
        }
        default:
            break;
    }
}

forms::Control* Win32Window::button_with_role(bool cancel) {
    for (const Native& n : natives_) {
        const forms::Control& c = *n.control;
        if (c.kind() == ControlKind::CommandButton && (cancel ? c.is_cancel : c.is_default))
            return n.control;
    }
    return nullptr;
}

void Win32Window::on_command(int id, int code, HWND from) {
    if (!from && (code == 0 || code == 1)) {
        if (forms::MenuItem* m = menus_.item(id)) {
            event([m] { m->user_click(); });
            return;
        }
    }
    if (id == IDOK || id == IDCANCEL) {
        // Enter and Esc from the dialog keyboard interface press the default or cancel button;
        // without a default button, Enter presses the push button that has the focus.
        forms::Control* b = button_with_role(id == IDCANCEL);
        if (!b && id == IDOK) {
            for (const Native& n : natives_)
                if (n.hwnd && n.hwnd == GetFocus() &&
                    n.control->kind() == ControlKind::CommandButton)
                    b = n.control;
        }
        if (b) event([b] { b->user_click(); });
        return;
    }
    Native* n = native_by_id(id);
    if (!n || !n->control || n->hwnd != from) return;
    forms::Control* c = n->control;
    if (c->kind() == ControlKind::ListBox && code == LBN_SELCHANGE) {
        const auto i = static_cast<int>(SendMessageW(from, LB_GETCURSEL, 0, 0));
        event([c, i] { c->set_list_index(i < c->list_count() ? i : -1); });
        return;
    }
    if (c->kind() == ControlKind::ListBox && code == LBN_DBLCLK) {
        // The double click's first click already selected the entry (LBN_SELCHANGE).
        if (SendMessageW(from, LB_GETCURSEL, 0, 0) != LB_ERR)
            event([c] { c->user_double_click(); });
        return;
    }
    if ((code == BN_CLICKED || code == STN_CLICKED) && c->kind() != ControlKind::ListBox &&
        c->kind() != ControlKind::Frame)
        event([c] { c->user_click(); });
}

}  // namespace pakscour::win32
