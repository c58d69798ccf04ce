#include "ui/program.h"

#include "registry/frm_main_load.h"
#include "ui/dialogs/frm_about.h"
#include "ui/dialogs/frm_disclaim.h"
#include "ui/dialogs/frm_restore.h"
#include "ui/dialogs/frm_splash.h"
#include "ui/main/frm_main_events.h"
#include "ui/main/frm_main_layout.h"

namespace pakscour {

Program::Program(Platform platform) : ctx_(platform), wr_(platform.registry, platform.app) {
    ctx_.frmMain.build = [this](forms::Form& f) {
        build_frm_main_layout(f);
        frmMain::wire_events(ctx_);
        f.on_load = [this] { frmMain::Form_Load(ctx_, wr_); };
    };
    ctx_.frmSplash.build = [this](forms::Form& f) { frmSplash::build(ctx_, f); };
    ctx_.frmDisclaim.build = [this](forms::Form& f) { frmDisclaim::build(ctx_, f); };
    ctx_.frmAbout.build = [this](forms::Form& f) { frmAbout::build(ctx_, f); };
    ctx_.frmRestore.build = [this](forms::Form& f) { frmRestore::build(ctx_, f); };
}

void Program::start() {
    ctx_.p.forms.show(ctx_.frmSplash);
}

}  // namespace pakscour
