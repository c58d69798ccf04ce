// An owned Win32 handle of a file or folder, closed when it goes out of scope.
#pragma once

#include <windows.h>

#include <utility>

namespace pakscour::win32 {

struct Handle {
    HANDLE h = INVALID_HANDLE_VALUE;
    Handle() = default;
    explicit Handle(HANDLE handle) : h(handle) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() {
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
    explicit operator bool() const { return h != INVALID_HANDLE_VALUE; }
    HANDLE release() { return std::exchange(h, INVALID_HANDLE_VALUE); }
};

}  // namespace pakscour::win32
