// How a Win32 window runs an event procedure of its form: never once the window is retired, and
// with any run-time error it raises reported at the toolkit boundary. Shared by the window's
// source files.
#pragma once

#include <utility>

#include "platform/uncaught.h"
#include "platform/win32/win32_renderer.h"
#include "platform/win32/win32_window.h"

namespace pakscour::win32 {

template <class Fn>
void Win32Window::event(Fn&& fn) {
    if (retired_) return;
    run_event(renderer_.app(), std::forward<Fn>(fn));
}

}  // namespace pakscour::win32
