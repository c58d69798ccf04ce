#include "registry/frm_main_load.h"

#include "engine/catalogue.h"
#include "engine/scan.h"
#include "services/error_report.h"
#include "services/version.h"

namespace pakscour::frmMain {

void Form_Load(Context& ctx, WR& wr) {
    trapped(ctx, "frmMain (Form_Load)", [&] {
        forms::Form& f = ctx.frmMain;
        init(ctx);
        f.set_caption(std::string(app_title) + " v" + version_text());
        f.ctl("lblCodPath").set_visible(false);
        f.ctl("lblUOPath").set_visible(false);
        f.ctl("lblCod2Path").set_visible(false);
        f.menu("mnuHelpAlien").set_checked(false);
        const forms::Control& status = f.ctl("lblStatusBar");
        f.set_height(status.rect().top + status.rect().height + 750);
        f.set_width(f.ctl("frmAlien").rect().width + 350);

        forms::Control& cod = f.ctl("lblCodPath");
        forms::Control& uo = f.ctl("lblUOPath");
        forms::Control& cod2 = f.ctl("lblCod2Path");
        cod.set_caption(wr.get_reg_string(key_cod, "InstallPath"));
        uo.set_caption(wr.get_reg_string(key_uo, "InstallPath"));
        cod2.set_caption(wr.get_reg_string(key_cod2, "InstallPath"));

        if (cod.caption().empty() && cod2.caption().empty()) {
            ctx.p.app.message_box(not_found_text, app_title);
            ctx.p.app.end_program(2);
        }
        if (!cod.caption().empty()) {
            f.ctl("lblInstalled", 0).set_caption("Installed");
            f.ctl("lblVer", 0).set_caption(wr.get_reg_string(key_cod, "Version"));
            f.ctl("chkCleanCod").set_enabled(true);
            if (!uo.caption().empty()) {
                f.ctl("lblInstalled", 1).set_caption("Installed");
                f.ctl("lblVer", 1).set_caption(wr.get_reg_string(key_uo, "Version"));
                f.ctl("chkCleanUo").set_enabled(true);
                check_uo_map_packs(ctx);
            }
        }
        if (!cod2.caption().empty()) {
            f.ctl("lblInstalled", 2).set_caption("Installed");
            f.ctl("lblVer", 2).set_caption(wr.get_reg_string(key_cod2, "Version"));
            f.ctl("chkCleanCod2").set_enabled(true);
        }
        if (f.ctl("chkCleanCod").enabled())
            f.ctl("chkCleanCod").set_value(1);
        else
            f.ctl("chkCleanCod2").set_value(1);
    });
}

}  // namespace pakscour::frmMain
