#include "platform/win32/win32_window.h"

#include <commctrl.h>

#include <algorithm>

#include "platform/uncaught.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_app_services.h"
#include "platform/win32/win32_label_fit.h"
#include "platform/win32/win32_renderer.h"
#include "platform/win32/win32_resources.h"
#include "platform/win32/win32_window_event.h"

namespace pakscour::win32 {

using forms::ControlKind;
using forms::Property;

namespace {

constexpr int first_control_id = 100;

bool has_hwnd(ControlKind k) {
    return k != ControlKind::Line && k != ControlKind::Timer;
}

COLORREF colour(const forms::Color& c) {
    return RGB(c.red, c.green, c.blue);
}

DWORD window_style(const forms::Form& f) {
    DWORD s = 0;
    const bool framed = f.border != forms::BorderStyle::None;
    if (f.has_caption && framed) {
        s = (f.border == forms::BorderStyle::FixedDialog ? WS_POPUP : WS_OVERLAPPED) | WS_CAPTION;
        if (f.control_box) s |= WS_SYSMENU;
        if (f.min_button && f.control_box) s |= WS_MINIMIZEBOX;
        if (f.max_button && f.control_box) s |= WS_MAXIMIZEBOX;
    } else if (f.border == forms::BorderStyle::FixedDialog) {
        s = WS_POPUP | WS_DLGFRAME;
    } else if (framed) {
        s = WS_POPUP | WS_BORDER;
    } else {
        s = WS_POPUP;
    }
    return s;
}

DWORD window_ex_style(const forms::Form& f) {
    // A title bar without an icon of the window's own: with the dialog frame, neither Windows
    // nor Wine puts a stand-in icon there.
    const bool titled = f.has_caption && f.border != forms::BorderStyle::None;
    return f.border == forms::BorderStyle::FixedDialog || (titled && f.icon.empty())
               ? WS_EX_DLGMODALFRAME
               : 0;
}

DWORD label_align(const forms::Control& c) {
    return c.alignment == forms::Alignment::Center  ? SS_CENTER
           : c.alignment == forms::Alignment::Right ? SS_RIGHT
                                                    : SS_LEFT;
}

}  // namespace

Win32Window::Win32Window(Win32Renderer& renderer, forms::Form& form)
    : renderer_(renderer), form_(&form), menus_(form) {
    style_ = window_style(form);
    ex_style_ = window_ex_style(form);
    HWND owner = form.owner ? reinterpret_cast<HWND>(renderer.native_handle(*form.owner)) : nullptr;
    hwnd_ = CreateWindowExW(ex_style_, form_class_name, widen(form.caption()).c_str(), style_,
                            CW_USEDEFAULT, CW_USEDEFAULT, 100, 100, owner, menus_.bar(),
                            GetModuleHandleW(nullptr), this);
    if (!hwnd_) return;
    if (menus_.bar()) menus_.attached_ = true;
    if (!form.icon.empty()) {
        big_icon_ = load_icon(form.icon, icon_px(32, renderer_.dpi().y));
        small_icon_ = load_icon(form.icon, icon_px(16, renderer_.dpi().y));
        if (big_icon_)
            SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big_icon_));
        if (small_icon_)
            SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small_icon_));
    }
    apply_size();
    create_controls();
    if (form.topmost()) form_changed(form, Property::Topmost);
    form.set_observer(this);
}

Win32Window::~Win32Window() {
    if (hwnd_) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
    for (HGDIOBJ o : images_) DeleteObject(o);
    if (big_icon_) DestroyIcon(big_icon_);
    if (small_icon_) DestroyIcon(small_icon_);
}

HWND Win32Window::control_hwnd(const forms::Control& c) const {
    for (const Native& n : natives_)
        if (n.control == &c) return n.hwnd;
    return nullptr;
}

Win32Window::Native* Win32Window::native(const forms::Control& c) {
    for (Native& n : natives_)
        if (n.control == &c) return &n;
    return nullptr;
}

Win32Window::Native* Win32Window::native_by_id(int id) {
    const int i = id - first_control_id;
    if (i < 0 || i >= static_cast<int>(natives_.size())) return nullptr;
    return &natives_[static_cast<std::size_t>(i)];
}

void Win32Window::apply_size() {
    const Dpi dpi = renderer_.dpi();
    // The client area gets the model's client size, so the layout fits whatever the theme's
    // border and title bar measure; the outer size follows from it.
    RECT r{0, 0, twips_to_px(form_->client_width(), dpi.x),
           twips_to_px(form_->client_height(), dpi.y)};
    AdjustWindowRectEx(&r, style_, menus_.bar() != nullptr, ex_style_);
    SetWindowPos(hwnd_, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Window::create_controls() {
    natives_.reserve(form_->controls().size());
    for (const auto& c : form_->controls()) create_control(*c);
    arrange_z_order();
}

void Win32Window::create_control(forms::Control& c) {
    const int id = first_control_id + static_cast<int>(natives_.size());
    Native n{&c, nullptr, id};
    if (!has_hwnd(c.kind())) {
        natives_.push_back(n);
        if (c.kind() == ControlKind::Timer) update_timer(c);
        return;
    }
    const wchar_t* cls = L"STATIC";
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
    DWORD ex = 0;
    std::wstring text = widen(c.caption());
    switch (c.kind()) {
        case ControlKind::Label:
            // Labels are transparent and may overlap (the splash's credit lines do): each draws
            // its whole text over what lies below, clipped by no sibling.
            // A label with an access key shows its "&" as the underlined letter; any other
            // shows it as it is.
            style = WS_CHILD | SS_NOTIFY | label_align(c) |
                    (c.access_key_target.empty() ? SS_NOPREFIX : 0);
            break;
        case ControlKind::CheckBox:
            cls = L"BUTTON";
            style |= BS_CHECKBOX;
            break;
        case ControlKind::CommandButton:
            cls = L"BUTTON";
            style |= c.is_default ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
            break;
        case ControlKind::ListBox:
            cls = L"LISTBOX";
            style |= LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL;
            ex |= WS_EX_CLIENTEDGE;
            break;
        case ControlKind::Frame:
            cls = L"BUTTON";
            style |= BS_GROUPBOX;
            break;
        case ControlKind::PictureBox:
            text.clear();
            style |= SS_NOTIFY;
            break;
        default:
            break;
    }
    if (c.visible()) style |= WS_VISIBLE;
    if (!c.enabled()) style |= WS_DISABLED;
    const PixelRect r = client_rect(*form_, c, renderer_.dpi());
    n.hwnd = CreateWindowExW(ex, cls, text.c_str(), style, r.left, r.top, r.width, r.height, hwnd_,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                             GetModuleHandleW(nullptr), nullptr);
    natives_.push_back(n);
    if (!n.hwnd) return;
    set_font(n);
    if (c.kind() == ControlKind::CheckBox)
        SendMessageW(n.hwnd, BM_SETCHECK, c.value() ? BST_CHECKED : BST_UNCHECKED, 0);
    if (c.kind() == ControlKind::ListBox) {
        for (const auto& item : c.items())
            SendMessageW(n.hwnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(widen(item).c_str()));
        SendMessageW(n.hwnd, LB_SETCURSEL, static_cast<WPARAM>(c.list_index()), 0);
    }
    if (c.kind() == ControlKind::PictureBox) {
        if (HICON icon = load_icon(c.picture, icon_px(32, renderer_.dpi().y))) {
            SetWindowLongPtrW(n.hwnd, GWL_STYLE, GetWindowLongPtrW(n.hwnd, GWL_STYLE) | SS_ICON);
            SendMessageW(n.hwnd, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
            images_.push_back(icon);
        } else if (HBITMAP bmp = load_picture(c.picture)) {
            SetWindowLongPtrW(n.hwnd, GWL_STYLE, GetWindowLongPtrW(n.hwnd, GWL_STYLE) | SS_BITMAP);
            SendMessageW(n.hwnd, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bmp));
            images_.push_back(bmp);
        }
    }
    if (!c.tooltip().empty()) update_tooltip(n);
}

void Win32Window::place(const Native& n) {
    if (!n.hwnd) {
        InvalidateRect(hwnd_, nullptr, TRUE);
        return;
    }
    const PixelRect r = client_rect(*form_, *n.control, renderer_.dpi());
    SetWindowPos(n.hwnd, nullptr, r.left, r.top, r.width, r.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Window::set_font(const Native& n) {
    const forms::Control& c = *n.control;
    if (c.kind() != ControlKind::Label) {
        SendMessageW(n.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(renderer_.fonts().get(c.font())),
                     TRUE);
        return;
    }
    RECT r{};
    GetClientRect(n.hwnd, &r);
    const LabelLook look = fit_label(renderer_.fonts(), c.font(), widen(c.caption()),
                                     label_align(c), r.right, r.bottom);
    const LONG_PTR style = GetWindowLongPtrW(n.hwnd, GWL_STYLE);
    SetWindowLongPtrW(n.hwnd, GWL_STYLE, (style & ~SS_ELLIPSISMASK) | look.ellipsis);
    SendMessageW(n.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(look.font), FALSE);
    // A transparent label cannot wipe its old text itself: the window repaints what lies below.
    GetWindowRect(n.hwnd, &r);
    MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
    RedrawWindow(hwnd_, &r, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void Win32Window::update_timer(const forms::Control& c) {
    const Native* n = native(c);
    if (!n) return;
    if (c.timer_enabled() && c.interval() > 0) {
        SetTimer(hwnd_, static_cast<UINT_PTR>(n->id), static_cast<UINT>(c.interval()), nullptr);
    } else {
        KillTimer(hwnd_, static_cast<UINT_PTR>(n->id));
    }
}

void Win32Window::update_tooltip(const Native& n) {
    if (!n.hwnd) return;
    if (!tooltip_) {
        if (n.control->tooltip().empty()) return;
        tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                   WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
        if (!tooltip_) return;
    }
    std::wstring text = widen(n.control->tooltip());
    TOOLINFOW info{};
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = hwnd_;
    info.uId = reinterpret_cast<UINT_PTR>(n.hwnd);
    SendMessageW(tooltip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    if (text.empty()) return;
    info.lpszText = text.data();
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

void Win32Window::show() {
    if (!hwnd_) return;
    if (!shown_once_) {
        shown_once_ = true;
        HWND owner = GetWindow(hwnd_, GW_OWNER);
        if (form_->start_position == forms::StartPosition::CenterScreen ||
            (form_->start_position == forms::StartPosition::CenterOwner && owner)) {
            RECT work{};
            if (form_->start_position == forms::StartPosition::CenterOwner)
                GetWindowRect(owner, &work);
            else
                SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
            RECT w{};
            GetWindowRect(hwnd_, &w);
            const int x = work.left + ((work.right - work.left) - (w.right - w.left)) / 2;
            const int y = work.top + ((work.bottom - work.top) - (w.bottom - w.top)) / 2;
            SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        // A modal window takes all input from its owner while it stands.
        if (form_->modal && owner) EnableWindow(owner, FALSE);
        ShowWindow(hwnd_, SW_SHOW);
        // Some window managers drop the topmost state of a window that was never shown.
        if (form_->topmost())
            SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        UpdateWindow(hwnd_);
    } else if (IsIconic(hwnd_)) {
        ShowWindow(hwnd_, SW_RESTORE);
    }
    SetForegroundWindow(hwnd_);
    SetActiveWindow(hwnd_);
    if (!saved_focus_) saved_focus_ = first_tab_stop();
    if (saved_focus_) SetFocus(saved_focus_);
}

void Win32Window::retire() {
    retired_ = true;
    for (const Native& n : natives_)
        if (!n.hwnd) KillTimer(hwnd_, static_cast<UINT_PTR>(n.id));
    natives_.clear();
    if (!hwnd_) return;
    // The owner of a modal window takes input again before the window goes, so that it is
    // the one activated.
    HWND owner = GetWindow(hwnd_, GW_OWNER);
    if (form_->modal && owner) EnableWindow(owner, TRUE);
    ShowWindow(hwnd_, SW_HIDE);
    if (form_->modal && owner) SetActiveWindow(owner);
}

void Win32Window::paint_lines(HDC dc) {
    // Later lines lie below earlier ones, which gives the etched pair its look: a dark line
    // with a light one just beneath it.
    const auto& all = form_->controls();
    for (auto it = all.rbegin(); it != all.rend(); ++it) {
        const forms::Control& c = **it;
        if (c.kind() != ControlKind::Line || !c.visible()) continue;
        const Dpi dpi = renderer_.dpi();
        const int x1 = twips_to_px(c.rect().left, dpi.x);
        const int y1 = twips_to_px(c.rect().top, dpi.y);
        const int x2 = twips_to_px(c.rect().width, dpi.x);
        const int y2 = twips_to_px(c.rect().height, dpi.y);
        const int w = std::max(1, c.line_width);
        HBRUSH brush = CreateSolidBrush(colour(c.fore_color().value_or(forms::Color{})));
        RECT r;
        if (y1 == y2) {
            r = {std::min(x1, x2), y1, std::max(x1, x2) + 1, y1 + w};
        } else if (x1 == x2) {
            r = {x1, std::min(y1, y2), x1 + w, std::max(y1, y2) + 1};
        } else {
            HPEN pen = CreatePen(PS_SOLID, w, colour(c.fore_color().value_or(forms::Color{})));
            HGDIOBJ old = SelectObject(dc, pen);
            MoveToEx(dc, x1, y1, nullptr);
            LineTo(dc, x2, y2);
            SelectObject(dc, old);
            DeleteObject(pen);
            DeleteObject(brush);
            continue;
        }
        FillRect(dc, &r, brush);
        DeleteObject(brush);
    }
}

LRESULT CALLBACK Win32Window::window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
        auto* self = static_cast<Win32Window*>(cs->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<Win32Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
    return self->handle(msg, wp, lp);
}

LRESULT Win32Window::handle(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_COMMAND:
            if (!retired_) on_command(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp));
            return 0;
        case WM_CLOSE:
            if (!retired_) {
                forms::Form* f = form_;
                Win32Renderer& r = renderer_;
                event([f, &r] { r.application().unload(*f); });
            }
            return 0;
        case WM_TIMER:
            if (Native* n = native_by_id(static_cast<int>(wp)); n && !retired_) {
                forms::Control* c = n->control;
                event([c] { c->fire_timer(); });
            }
            return 0;
        case WM_CTLCOLORSTATIC: {
            HDC dc = reinterpret_cast<HDC>(wp);
            COLORREF text = GetSysColor(COLOR_WINDOWTEXT);
            bool label = false;
            for (const Native& n : natives_) {
                if (n.hwnd != reinterpret_cast<HWND>(lp)) continue;
                if (n.control->fore_color()) text = colour(*n.control->fore_color());
                label = n.control->kind() == ControlKind::Label;
            }
            SetTextColor(dc, text);
            SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
            if (label) {
                SetBkMode(dc, TRANSPARENT);
                return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
            }
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        }
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd_, &ps);
            if (!retired_) paint_lines(dc);
            EndPaint(hwnd_, &ps);
            return 0;
        }
        case WM_NEXTDLGCTL: {
            // Sent by the dialog keyboard interface for a label's access key: the focus goes
            // to the control given, or to the next (previous) tab stop after the focused one.
            HWND to = LOWORD(lp) != 0 ? reinterpret_cast<HWND>(wp)
                                      : GetNextDlgTabItem(hwnd_, GetFocus(), wp != 0);
            if (to && IsChild(hwnd_, to)) SetFocus(to);
            return 0;
        }
        case WM_SETCURSOR:
            if (busy_pointer()) {
                SetCursor(LoadCursorW(nullptr, IDC_WAIT));
                return TRUE;
            }
            break;
        case DM_GETDEFID:
            // A push button that has the focus is the one Enter presses, as in any dialog.
            if (!retired_)
                for (const Native& n : natives_)
                    if (n.hwnd && n.hwnd == GetFocus() &&
                        n.control->kind() == ControlKind::CommandButton)
                        return MAKELRESULT(n.id, DC_HASDEFID);
            if (!retired_)
                for (const Native& n : natives_)
                    if (n.control->kind() == ControlKind::CommandButton && n.control->is_default)
                        return MAKELRESULT(n.id, DC_HASDEFID);
            return 0;
        case WM_ACTIVATE:
            if (LOWORD(wp) == WA_INACTIVE) {
                HWND focus = GetFocus();
                if (focus && IsChild(hwnd_, focus)) saved_focus_ = focus;
            } else if (!retired_) {
                if (!saved_focus_ || !IsWindow(saved_focus_)) saved_focus_ = first_tab_stop();
                if (saved_focus_) SetFocus(saved_focus_);
            }
            return 0;
        case wm_restore_redraw:
            for (HWND h : frozen_lists_) {
                SendMessageW(h, WM_SETREDRAW, TRUE, 0);
                InvalidateRect(h, nullptr, TRUE);
            }
            frozen_lists_.clear();
            return 0;
        default:
            break;
    }
    return DefWindowProcW(hwnd_, msg, wp, lp);
}

}  // namespace pakscour::win32
