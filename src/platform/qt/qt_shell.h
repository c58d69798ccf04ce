// The desktop shell on Linux: Windows paths are mapped into the Wine prefix and handed to the
// desktop's file browser, web addresses to the default browser; the internet state comes from
// the network interfaces.
#pragma once

#include <optional>
#include <string>

#include "platform/posix/wine_prefix.h"
#include "platform/shell.h"

namespace pakscour::qt {

// ShellExecute-style results that this shell gives.
namespace shell_result {
constexpr std::int32_t accepted = 42;
constexpr std::int32_t file_not_found = 2;
constexpr std::int32_t no_association = 31;
}  // namespace shell_result

// A bare web host name such as "www.example.test": letters, digits, hyphens and at least one
// dot between non-empty labels; no scheme, path, drive or blank.
bool is_bare_host_name(const std::string& text);

class QtShell : public Shell {
  public:
    explicit QtShell(posix::WinePrefix prefix);

    // Verbs: none or "open" (the desktop's default action), "explore" (folders only). A web
    // address (http://, https:// or a bare host name) needs no verb or "open".
    std::int32_t execute(std::uintptr_t owner, const std::optional<std::string>& verb,
                         const std::string& file, const std::optional<std::string>& parameters,
                         const std::optional<std::string>& directory,
                         std::int32_t show_command) override;
    // True when an interface is up, running, not the loopback and has an address.
    bool internet_connected() override;

  private:
    posix::WinePrefix prefix_;
};

}  // namespace pakscour::qt
