// Prepares the main window of a Program for tests that start from given install folders
// instead of the registry: the design state and procedures, the stock catalogue, the path
// labels and the check boxes of the installed games, as the load step leaves them before it
// ticks a box.
#pragma once

#include <string>

#include "engine/catalogue.h"
#include "platform/registry_store.h"
#include "ui/program.h"

namespace pakscour::test {

// A registry in which no key exists.
class EmptyRegistry : public RegistryStore {
  public:
    std::int32_t open_key(RegHandle, const std::string&, std::uint32_t, RegHandle&) override {
        return reg::file_not_found;
    }
    std::int32_t query_value(RegHandle, const std::string&, std::uint32_t&,
                             std::vector<std::uint8_t>&, std::uint32_t&) override {
        return reg::invalid_handle;
    }
    std::int32_t close_key(RegHandle) override { return reg::invalid_handle; }
};

inline void prepare_main_window(Program& program, const std::string& cod_path,
                                const std::string& uo_path, const std::string& cod2_path) {
    Context& ctx = program.context();
    forms::Form& f = ctx.frmMain;
    auto design = f.build;
    f.build = [design](forms::Form& form) {
        design(form);
        form.on_load = nullptr;
    };
    ctx.p.forms.load(f);
    f.build = design;
    init(ctx);
    f.set_height(5685);
    f.menu("mnuHelpAlien").set_checked(false);
    f.ctl("lblCodPath").set_caption(cod_path);
    f.ctl("lblUOPath").set_caption(uo_path);
    f.ctl("lblCod2Path").set_caption(cod2_path);
    f.ctl("chkCleanCod").set_enabled(!cod_path.empty());
    f.ctl("chkCleanUo").set_enabled(!cod_path.empty() && !uo_path.empty());
    f.ctl("chkCleanCod2").set_enabled(!cod2_path.empty());
}

}  // namespace pakscour::test
