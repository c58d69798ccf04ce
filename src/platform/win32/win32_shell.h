// The desktop shell over shell32 (ShellExecuteW) and the internet state over wininet
// (InternetGetConnectedState).
#pragma once

#include "platform/shell.h"

namespace pakscour::win32 {

class Win32Shell : public Shell {
  public:
    std::int32_t execute(std::uintptr_t owner, const std::optional<std::string>& verb,
                         const std::string& file, const std::optional<std::string>& parameters,
                         const std::optional<std::string>& directory,
                         std::int32_t show_command) override;
    bool internet_connected() override;
};

}  // namespace pakscour::win32
