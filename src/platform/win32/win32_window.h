// One real window for one form of the model: creates its controls, menu bar, tooltips and
// timers, reflects every property change into them, and turns user input into model events.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <vector>

#include "platform/forms/form.h"
#include "platform/win32/win32_menus.h"
#include "platform/win32/win32_metrics.h"

namespace pakscour::win32 {

class Win32Renderer;

// Messages the window posts to itself.
constexpr UINT wm_restore_redraw = WM_APP + 1;

class Win32Window : public forms::FormObserver {
  public:
    Win32Window(Win32Renderer& renderer, forms::Form& form);
    Win32Window(const Win32Window&) = delete;
    Win32Window& operator=(const Win32Window&) = delete;
    ~Win32Window() override;

    HWND hwnd() const { return hwnd_; }
    HACCEL accelerators() const { return menus_.accelerators(); }
    forms::Form& form() const { return *form_; }
    // The real control of a model control, nullptr for those without one (lines, timers).
    HWND control_hwnd(const forms::Control& c) const;

    void show();
    // Hides the window and cuts it off from the model; the renderer destroys it later.
    void retire();
    bool retired() const { return retired_; }

    void control_changed(forms::Control& c, forms::Property p) override;
    void menu_changed(forms::MenuItem& m, forms::Property p) override;
    void form_changed(forms::Form& f, forms::Property p) override;

    static LRESULT CALLBACK window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

  private:
    struct Native {
        forms::Control* control;
        HWND hwnd;
        int id;
    };

    LRESULT handle(UINT msg, WPARAM wp, LPARAM lp);
    void create_controls();
    void create_control(forms::Control& c);
    void arrange_z_order();
    void apply_size();
    void place(const Native& n);
    void update_timer(const forms::Control& c);
    void update_tooltip(const Native& n);
    void set_font(const Native& n);
    void on_command(int id, int code, HWND from);
    void paint_lines(HDC dc);
    Native* native(const forms::Control& c);
    Native* native_by_id(int id);
    forms::Control* button_with_role(bool cancel);
    HWND first_tab_stop() const;
    template <class Fn>
    void event(Fn&& fn);

    Win32Renderer& renderer_;
    forms::Form* form_;
    HWND hwnd_ = nullptr;
    HWND tooltip_ = nullptr;
    HWND saved_focus_ = nullptr;
    Win32Menus menus_;
    std::vector<Native> natives_;
    std::vector<HWND> frozen_lists_;
    HICON big_icon_ = nullptr;
    HICON small_icon_ = nullptr;
    std::vector<HGDIOBJ> images_;
    DWORD style_ = 0;
    DWORD ex_style_ = 0;
    bool shown_once_ = false;
    bool retired_ = false;
};

}  // namespace pakscour::win32
