// Application-wide services of the windowing toolkit: modal message boxes, the mouse pointer,
// ending the program, the executable's name.
#pragma once

#include <string>

namespace pakscour {

class AppServices {
  public:
    virtual ~AppServices() = default;
    // A modal message box with one OK button and no icon; returns when it is closed. CR, LF
    // and CR LF in the text all break lines.
    virtual void message_box(const std::string& text, const std::string& title) = 0;
    // The application-wide busy (hourglass) pointer, or the default one.
    virtual void set_busy_pointer(bool busy) = 0;
    // Ends the program at once, whatever windows are open: no unload procedure runs and
    // control never returns to the caller.
    [[noreturn]] virtual void end_program(int exit_code) = 0;
    // The executable's file name without folder and extension ("pakscour").
    virtual std::string exe_name() = 0;
};

}  // namespace pakscour
