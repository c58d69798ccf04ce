#include "ui/main/frm_main_events.h"

#include <string>

#include "engine/clean.h"
#include "engine/scan.h"
#include "services/shell_services.h"

namespace pakscour::frmMain {
namespace {

struct Selection {
    const char* box;
    const char* code;
    const char* first_other;
    const char* second_other;
    bool probe_map_packs;
    const char* unit;
    const char* none_found;
};

constexpr Selection cod{"chkCleanCod",
                        "COD",
                        "chkCleanUo",
                        "chkCleanCod2",
                        false,
                        " Alien PK3 files",
                        "There are no alien PK3 files in your CoD folder"};
constexpr Selection uo{"chkCleanUo",
                       "UO",
                       "chkCleanCod",
                       "chkCleanCod2",
                       true,
                       " Alien PK3 files",
                       "There are no alien PK3 files in your UO folder"};
constexpr Selection cod2{"chkCleanCod2",
                         "COD2",
                         "chkCleanCod",
                         "chkCleanUo",
                         false,
                         " Alien IWD files",
                         "There are no alien IWD files in your Main folder"};

void select_game(Context& ctx, const Selection& sel) {
    forms::Form& f = ctx.frmMain;
    RunState& s = ctx.state;
    s.backup_made = false;
    set_statusbar(ctx);
    forms::Control& own = f.ctl(sel.box);
    if (own.value() == 1) {
        // The code changes first, so the nested handlers of the boxes unticked below leave
        // themselves unticked.
        s.last_checked_game = sel.code;
        f.ctl(sel.first_other).set_value(0);
        f.ctl(sel.second_other).set_value(0);
        if (sel.probe_map_packs) check_uo_map_packs(ctx);
    }
    if (s.last_checked_game == sel.code) own.set_value(1);
    if (own.value() == 1) {
        get_alien_files(ctx);
        const int n = f.ctl("List1").list_count();
        f.ctl("lblStatusBar")
            .set_caption(n != 0 ? "Found " + std::to_string(n) + sel.unit : sel.none_found);
    }
}

}  // namespace

void chkCleanCod_Click(Context& ctx) {
    select_game(ctx, cod);
}
void chkCleanUo_Click(Context& ctx) {
    select_game(ctx, uo);
}
void chkCleanCod2_Click(Context& ctx) {
    select_game(ctx, cod2);
}

void lblStatusBar_Click(Context& ctx) {
    if (!ctx.state.backup_made) return;
    shell_open(ctx, ctx.state.backup_path, 10, "", "", "explore",
               ctx.p.forms.native_handle(ctx.frmMain));
}

void mnuHelpAlien_Click(Context& ctx) {
    forms::Form& f = ctx.frmMain;
    forms::MenuItem& item = f.menu("mnuHelpAlien");
    // Heights are computed in single precision, as the window system stores them.
    const float frame = static_cast<float>(f.ctl("frmAlien").rect().height);
    const float height = static_cast<float>(f.height());
    if (item.checked()) {
        item.set_checked(false);
        f.set_height(static_cast<int>(height - frame - 650.0f));
    } else {
        item.set_checked(true);
        f.set_height(static_cast<int>(frame + height + 650.0f));
    }
}

void mnuOptionsUOMapPack_Click(Context& ctx) {
    forms::Form& f = ctx.frmMain;
    forms::MenuItem& item = f.menu("mnuOptionsUOMapPack");
    item.set_checked(!item.checked());
    ctx.state.keep_uo_map_pack = item.checked();
    if (f.ctl("chkCleanUo").value() == 1) chkCleanUo_Click(ctx);
}

void mnuDisclaimer_Click(Context& ctx) {
    ctx.p.forms.show(ctx.frmDisclaim);
}
void mnuHelpAbout_Click(Context& ctx) {
    ctx.p.forms.show(ctx.frmAbout);
}
void mnuFileRestore_Click(Context& ctx) {
    ctx.p.forms.show_modal(ctx.frmRestore, ctx.frmMain);
}
void mnuFileExit_Click(Context& ctx) {
    ctx.p.forms.unload(ctx.frmMain);
}
void cmdExit_Click(Context& ctx) {
    ctx.p.forms.unload(ctx.frmMain);
}

void wire_events(Context& ctx) {
    forms::Form& f = ctx.frmMain;
    auto bind = [&ctx](void (*proc)(Context&)) { return [&ctx, proc] { proc(ctx); }; };
    // Each tick or untick also decides whether a backup can be restored: only for a
    // ticked game.
    auto game_box = [&ctx](void (*proc)(Context&)) {
        return [&ctx, proc] {
            proc(ctx);
            forms::Form& main = ctx.frmMain;
            main.menu("mnuFileRestore")
                .set_enabled(main.ctl("chkCleanCod").value() + main.ctl("chkCleanUo").value() +
                                 main.ctl("chkCleanCod2").value() !=
                             0);
        };
    };
    f.ctl("chkCleanCod").on_click = game_box(chkCleanCod_Click);
    f.ctl("chkCleanUo").on_click = game_box(chkCleanUo_Click);
    f.ctl("chkCleanCod2").on_click = game_box(chkCleanCod2_Click);
    f.ctl("cmdClean").on_click = bind(cmdClean_Click);
    f.ctl("cmdExit").on_click = bind(cmdExit_Click);
    f.ctl("lblStatusBar").on_click = bind(lblStatusBar_Click);
    f.menu("mnuHelpAlien").on_click = bind(mnuHelpAlien_Click);
    f.menu("mnuOptionsUOMapPack").on_click = bind(mnuOptionsUOMapPack_Click);
    f.menu("mnuDisclaimer").on_click = bind(mnuDisclaimer_Click);
    f.menu("mnuHelpAbout").on_click = bind(mnuHelpAbout_Click);
    f.menu("mnuFileRestore").on_click = bind(mnuFileRestore_Click);
    f.menu("mnuFileExit").on_click = bind(mnuFileExit_Click);
    // Closing is never refused.
    f.on_unload = [](bool&) {};
}

}  // namespace pakscour::frmMain
