// Application-wide services on Qt: modal message boxes, the busy pointer, ending the process
// and the executable's name.
#pragma once

#include "platform/app_services.h"

namespace pakscour::qt {

class QtAppServices : public AppServices {
  public:
    void message_box(const std::string& text, const std::string& title) override;
    void set_busy_pointer(bool busy) override;
    [[noreturn]] void end_program(int exit_code) override;
    std::string exe_name() override;

  private:
    bool busy_ = false;
};

}  // namespace pakscour::qt
