#include "registry/game_key.h"

#include <exception>

#include "registry/wr.h"

namespace pakscour {
namespace {

// The value reader shows a message only for a malformed key path, and the game keys are
// well formed; a reader of a registry nobody chose shows nothing in any case.
class Silent : public AppServices {
  public:
    void message_box(const std::string&, const std::string&) override {}
    void set_busy_pointer(bool) override {}
    [[noreturn]] void end_program(int) override { std::terminate(); }
    std::string exe_name() override { return {}; }
};

}  // namespace

FoundGame read_game_key(RegistryStore& store, const std::string& key_path) {
    Silent silent;
    WR wr(store, silent);
    std::string folder = wr.get_reg_string(key_path, "InstallPath");
    return FoundGame{std::move(folder), wr.get_reg_string(key_path, "Version")};
}

}  // namespace pakscour
