// The Win32 renderer of the form model: one real window per loaded form, the message loop with
// dialog-style keyboard navigation and menu shortcuts, and the end of the loop once the last
// window has closed.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/app_services.h"
#include "platform/forms/application.h"
#include "platform/win32/win32_fonts.h"
#include "platform/win32/win32_metrics.h"

namespace pakscour::win32 {

class Win32Window;

class Win32Renderer : public forms::Renderer {
  public:
    Win32Renderer(AppServices& app, forms::Application& application);
    Win32Renderer(const Win32Renderer&) = delete;
    Win32Renderer& operator=(const Win32Renderer&) = delete;
    ~Win32Renderer() override;

    void create(forms::Form& f) override;
    void show(forms::Form& f) override;
    void destroy(forms::Form& f) override;
    void last_window_closed() override;
    std::uintptr_t native_handle(const forms::Form& f) const override;

    // Runs the message loop until the program's last window has closed; returns the exit code.
    int run();
    // Handles the messages waiting now; false once the loop has been told to quit.
    bool pump();

    // The real control of a model control (for tests and tools), nullptr when there is none.
    HWND control_hwnd(const forms::Form& f, const forms::Control& c) const;

    AppServices& app() const { return app_; }
    forms::Application& application() const { return application_; }
    Dpi dpi() const { return dpi_; }
    // The fonts of the model, made once.
    FontCache& fonts() { return fonts_; }

  private:
    static LRESULT CALLBACK message_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    void dispatch(MSG& msg);
    void reap();

    AppServices& app_;
    forms::Application& application_;
    Dpi dpi_;
    HWND messages_ = nullptr;
    FontCache fonts_;
    std::map<const forms::Form*, std::unique_ptr<Win32Window>> windows_;
    std::vector<std::unique_ptr<Win32Window>> retired_;
    bool quit_ = false;
    int exit_code_ = 0;
};

// The window class of the model's windows.
extern const wchar_t* const form_class_name;

}  // namespace pakscour::win32
