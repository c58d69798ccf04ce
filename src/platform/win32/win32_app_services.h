// Application services over user32 and kernel32: modal message boxes (MessageBoxW, one OK
// button, no icon), the busy pointer, ending the process and the executable's name.
#pragma once

#include <string>

#include "platform/app_services.h"

namespace pakscour::win32 {

class Win32AppServices : public AppServices {
  public:
    void message_box(const std::string& text, const std::string& title) override;
    void set_busy_pointer(bool busy) override;
    [[noreturn]] void end_program(int exit_code) override;
    std::string exe_name() override;
};

// True while the busy pointer is on; windows answer WM_SETCURSOR with the wait cursor then.
bool busy_pointer();

// CR, LF and CR LF all become CR LF, the line break MessageBoxW draws.
std::string crlf_lines(const std::string& text);

// The file name of a path without folder and extension.
std::string bare_name(const std::string& path);

}  // namespace pakscour::win32
