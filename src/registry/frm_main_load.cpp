#include "registry/frm_main_load.h"

#include <optional>
#include <string>

#include "engine/catalogue.h"
#include "engine/scan.h"
#include "registry/named_folders.h"
#include "services/error_report.h"
#include "services/version.h"

namespace pakscour::frmMain {
namespace {

// Where one game's install folder came from: a folder the player named, the registry in use
// (its version is read there when needed), or the platform's other places, which give the
// version with the folder.
struct Source {
    const char* key;
    const char* steam_app;
    std::optional<std::string> found_version;

    std::string install_path(Context& ctx, WR& wr) {
        std::string folder = wr.get_reg_string(key, "InstallPath");
        if (auto named = ctx.p.games.named(GameQuery{key, steam_app})) {
            // Where the game's registry key names this same folder, its version is the
            // folder's too.
            if (!ctx.p.games.same_folder(folder, named->folder))
                found_version = std::move(named->version);
            return std::move(named->folder);
        }
        if (!folder.empty()) return folder;
        auto found = ctx.p.games.find(GameQuery{key, steam_app});
        if (!found || found->folder.empty()) return {};
        found_version = std::move(found->version);
        return std::move(found->folder);
    }
    std::string version(WR& wr) const {
        return found_version ? *found_version : wr.get_reg_string(key, "Version");
    }
};

}  // namespace

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

        // A folder the player named that cannot be used is reported, not passed over.
        for (const RejectedFolder& rejected : ctx.p.games.rejected_folders())
            ctx.p.app.message_box(rejected_folder_text(rejected), app_title);

        forms::Control& cod = f.ctl("lblCodPath");
        forms::Control& uo = f.ctl("lblUOPath");
        forms::Control& cod2 = f.ctl("lblCod2Path");
        Source cod_source{key_cod, steam_app_cod, {}};
        Source uo_source{key_uo, steam_app_uo, {}};
        Source cod2_source{key_cod2, steam_app_cod2, {}};
        cod.set_caption(cod_source.install_path(ctx, wr));
        uo.set_caption(uo_source.install_path(ctx, wr));
        cod2.set_caption(cod2_source.install_path(ctx, wr));

        if (cod.caption().empty() && cod2.caption().empty()) {
            ctx.p.app.message_box(not_found_text, app_title);
            ctx.p.app.end_program(2);
        }
        if (!cod.caption().empty()) {
            f.ctl("lblInstalled", 0).set_caption("Installed");
            f.ctl("lblVer", 0).set_caption(cod_source.version(wr));
            f.ctl("chkCleanCod").set_enabled(true);
            if (!uo.caption().empty()) {
                f.ctl("lblInstalled", 1).set_caption("Installed");
                f.ctl("lblVer", 1).set_caption(uo_source.version(wr));
                f.ctl("chkCleanUo").set_enabled(true);
                check_uo_map_packs(ctx);
            }
        }
        if (!cod2.caption().empty()) {
            f.ctl("lblInstalled", 2).set_caption("Installed");
            f.ctl("lblVer", 2).set_caption(cod2_source.version(wr));
            f.ctl("chkCleanCod2").set_enabled(true);
        }
        if (f.ctl("chkCleanCod").enabled())
            f.ctl("chkCleanCod").set_value(1);
        else
            f.ctl("chkCleanCod2").set_value(1);
    });
}

}  // namespace pakscour::frmMain
