#include "platform/win32/win32_renderer.h"

#include <commctrl.h>

#include "platform/win32/wide.h"
#include "platform/win32/win32_window.h"

namespace pakscour::win32 {

const wchar_t* const form_class_name = L"PakscourForm";

namespace {

const wchar_t* const message_class_name = L"PakscourMessages";
constexpr UINT wm_reap = WM_APP + 10;
constexpr UINT wm_check_quit = WM_APP + 11;

void register_classes() {
    static bool done = false;
    if (done) return;
    done = true;
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = Win32Window::window_proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = form_class_name;
    RegisterClassExW(&wc);

    WNDCLASSEXW mc{};
    mc.cbSize = sizeof mc;
    mc.lpfnWndProc = DefWindowProcW;
    mc.hInstance = GetModuleHandleW(nullptr);
    mc.lpszClassName = message_class_name;
    RegisterClassExW(&mc);
}

}  // namespace

Win32Renderer::Win32Renderer(AppServices& app, forms::Application& application)
    : app_(app), application_(application), dpi_(screen_dpi()), fonts_(dpi_.y) {
    register_classes();
    messages_ = CreateWindowExW(0, message_class_name, nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(messages_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(messages_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&message_proc));
}

Win32Renderer::~Win32Renderer() {
    windows_.clear();
    retired_.clear();
    if (messages_) DestroyWindow(messages_);
}

void Win32Renderer::create(forms::Form& f) {
    auto& slot = windows_[&f];
    if (slot) {
        // A window still standing for this form (it was unloaded within the same event).
        slot->retire();
        retired_.push_back(std::move(slot));
        PostMessageW(messages_, wm_reap, 0, 0);
    }
    slot = std::make_unique<Win32Window>(*this, f);
}

void Win32Renderer::show(forms::Form& f) {
    if (auto it = windows_.find(&f); it != windows_.end()) it->second->show();
}

void Win32Renderer::destroy(forms::Form& f) {
    const auto it = windows_.find(&f);
    if (it == windows_.end()) return;
    // The window's own handler may be running: hide it now, destroy it once the event is over.
    it->second->retire();
    retired_.push_back(std::move(it->second));
    windows_.erase(it);
    PostMessageW(messages_, wm_reap, 0, 0);
}

void Win32Renderer::last_window_closed() {
    PostMessageW(messages_, wm_check_quit, 0, 0);
}

std::uintptr_t Win32Renderer::native_handle(const forms::Form& f) const {
    const auto it = windows_.find(&f);
    return it == windows_.end() ? 0 : reinterpret_cast<std::uintptr_t>(it->second->hwnd());
}

HWND Win32Renderer::control_hwnd(const forms::Form& f, const forms::Control& c) const {
    const auto it = windows_.find(&f);
    return it == windows_.end() ? nullptr : it->second->control_hwnd(c);
}

void Win32Renderer::reap() {
    retired_.clear();
}

LRESULT CALLBACK Win32Renderer::message_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<Win32Renderer*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self && msg == wm_reap) {
        self->reap();
        return 0;
    }
    if (self && msg == wm_check_quit) {
        // A window loaded by the same event (the splash handing over) keeps the program going.
        if (self->windows_.empty()) PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

void Win32Renderer::dispatch(MSG& msg) {
    HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (root) {
        for (const auto& [form, window] : windows_) {
            if (window->hwnd() != root) continue;
            if (window->accelerators() && TranslateAcceleratorW(root, window->accelerators(), &msg))
                return;
            if (IsDialogMessageW(root, &msg)) return;
            break;
        }
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

int Win32Renderer::run() {
    MSG msg;
    while (!quit_) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            quit_ = true;
            exit_code_ = got == 0 ? static_cast<int>(msg.wParam) : 1;
            break;
        }
        dispatch(msg);
    }
    return exit_code_;
}

bool Win32Renderer::pump() {
    MSG msg;
    while (!quit_ && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            quit_ = true;
            exit_code_ = static_cast<int>(msg.wParam);
            break;
        }
        dispatch(msg);
    }
    return !quit_;
}

}  // namespace pakscour::win32
