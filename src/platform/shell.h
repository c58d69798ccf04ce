// Hands a file, folder or web address to the desktop shell, and reports the internet state.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace pakscour {

class Shell {
  public:
    virtual ~Shell() = default;
    // ShellExecute-style: a missing verb means the shell's default action; missing or empty
    // parameters and directory mean none. Returns > 32 (or negative) when the shell accepted
    // the request, otherwise a failure code 0..32 (2 file not found, 31 no association, ...).
    virtual std::int32_t execute(std::uintptr_t owner, const std::optional<std::string>& verb,
                                 const std::string& file,
                                 const std::optional<std::string>& parameters,
                                 const std::optional<std::string>& directory,
                                 std::int32_t show_command) = 0;
    // True when the machine reports an internet connection.
    virtual bool internet_connected() = 0;
};

}  // namespace pakscour
