// The Win32 window's keyboard order: the tab order as the controls' z order, the first tab stop,
// and where a label's access key sends the focus.
#include <algorithm>

#include "platform/win32/win32_window.h"

namespace pakscour::win32 {

using forms::ControlKind;

namespace {

bool focusable(ControlKind k) {
    return k == ControlKind::CheckBox || k == ControlKind::CommandButton ||
           k == ControlKind::ListBox;
}

}  // namespace

void Win32Window::arrange_z_order() {
    // Tab order follows the z order of the controls: the tab-order list first, then the other
    // controls, group boxes at the bottom so they never cover what they hold.
    // A label with an access key lies just before the control it names: the dialog keyboard
    // interface gives the focus to the first tab stop after the label.
    std::vector<HWND> order;
    const bool listed = !form_->tab_order.empty();
    for (const std::string& name : form_->tab_order) {
        if (!form_->has(name)) continue;
        for (const Native& n : natives_)
            if (n.hwnd && n.control->kind() == ControlKind::Label &&
                n.control->access_key_target == name)
                order.push_back(n.hwnd);
        if (HWND h = control_hwnd(form_->ctl(name))) order.push_back(h);
    }
    for (const Native& n : natives_) {
        if (!n.hwnd || n.control->kind() == ControlKind::Frame) continue;
        if (std::find(order.begin(), order.end(), n.hwnd) == order.end()) order.push_back(n.hwnd);
        const bool stop = listed ? std::find(form_->tab_order.begin(), form_->tab_order.end(),
                                             n.control->name()) != form_->tab_order.end()
                                 : focusable(n.control->kind());
        if (stop)
            SetWindowLongPtrW(n.hwnd, GWL_STYLE, GetWindowLongPtrW(n.hwnd, GWL_STYLE) | WS_TABSTOP);
    }
    for (const Native& n : natives_)
        if (n.hwnd && n.control->kind() == ControlKind::Frame) order.push_back(n.hwnd);
    HWND after = HWND_TOP;
    for (HWND h : order) {
        SetWindowPos(h, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        after = h;
    }
}

HWND Win32Window::first_tab_stop() const {
    for (const std::string& name : form_->tab_order) {
        if (!form_->has(name)) continue;
        HWND h = control_hwnd(form_->ctl(name));
        if (h && IsWindowVisible(h) && IsWindowEnabled(h)) return h;
    }
    return GetNextDlgTabItem(hwnd_, nullptr, FALSE);
}

}  // namespace pakscour::win32
