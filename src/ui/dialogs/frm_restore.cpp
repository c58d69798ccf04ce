#include "ui/dialogs/frm_restore.h"

#include "engine/clean.h"
#include "engine/restore.h"
#include "platform/runtime_error.h"
#include "services/error_report.h"
#include "services/shell_services.h"
#include "services/version.h"
#include "ui/main/frm_main_events.h"

namespace pakscour::frmRestore {

using forms::ControlKind;

namespace {

std::string without_final_backslash(std::string path) {
    while (!path.empty() && path.back() == '\\') path.pop_back();
    return path;
}

const char* game_name(const std::string& code) {
    if (code == game_cod) return "Call of Duty";
    if (code == game_uo) return "Call of Duty United Offensive";
    return "Call of Duty 2";
}

}  // namespace

std::string unreadable_text(const std::string& path) {
    return "This backup folder cannot be read, so nothing in it can be restored:\r\r" + path;
}

std::string unreadable_content_text(const std::string& path) {
    return "This game folder cannot be read, so its backup folders cannot be listed:\r\r" + path;
}

void build(Context& ctx, forms::Form& f) {
    f.border = forms::BorderStyle::FixedDialog;
    f.start_position = forms::StartPosition::CenterOwner;
    f.set_caption("Restore a Backup");
    f.set_client_size(6015, 4095);

    // One line: a path too long for it is shortened in its middle.
    f.add(ControlKind::Label, "lblGame", "", {120, 120, 5775, 255});
    forms::Control& about = f.add(ControlKind::Label, "lblAbout", "", {120, 480, 5775, 615});
    about.word_wrap = true;
    about.set_caption(about_text);
    forms::Control& heading = f.add(ControlKind::Label, "lblBackups", "", {120, 1200, 5775, 255});
    heading.set_caption("&Backup folders, newest first:");
    heading.access_key_target = "lstBackups";
    forms::Control& list = f.add(ControlKind::ListBox, "lstBackups", "", {120, 1440, 5775, 1815});
    list.on_double_click = [&ctx] { cmdRestore_Click(ctx); };
    forms::Control& none = f.add(ControlKind::Label, "lblNone", "", {120, 3315, 5775, 255});
    none.set_caption(none_text);
    none.set_visible(false);
    forms::Control& restore =
        f.add(ControlKind::CommandButton, "cmdRestore", "", {3360, 3720, 1215, 255});
    restore.set_caption("&Restore");
    restore.is_default = true;
    restore.on_click = [&ctx] { cmdRestore_Click(ctx); };
    forms::Control& cancel =
        f.add(ControlKind::CommandButton, "cmdCancel", "", {4680, 3720, 1215, 255});
    cancel.set_caption("Cancel");
    cancel.is_cancel = true;
    cancel.on_click = [&ctx] { cmdCancel_Click(ctx); };
    f.tab_order = {"lstBackups", "cmdRestore", "cmdCancel"};
    f.on_load = [&ctx] { Form_Load(ctx); };
    f.on_unload = [](bool&) {};
}

void Form_Load(Context& ctx) {
    trapped(ctx, "frmRestore (Form_Load)", [&] {
        forms::Form& f = ctx.frmRestore;
        const std::string content = without_final_backslash(content_folder(ctx));
        f.ctl("lblGame").set_caption(std::string(game_name(ctx.state.selected_game)) + ": " +
                                     content);
        try {
            ctx.backups = find_backups(ctx.p.fs, content);
        } catch (const RuntimeError&) {
            // Nothing can be offered, but the main window and its work stay.
            ctx.backups.clear();
            ctx.p.forms.unload(f);
            ctx.p.app.message_box(unreadable_content_text(content), app_title);
            return;
        }
        forms::Control& list = f.ctl("lstBackups");
        list.clear_list();
        for (const BackupFolder& b : ctx.backups) list.add_item(backup_entry_text(b));
        const bool any = !ctx.backups.empty();
        if (any) list.set_list_index(0);
        f.ctl("lblNone").set_visible(!any);
        f.ctl("cmdRestore").set_enabled(any);
    });
}

void cmdRestore_Click(Context& ctx) {
    trapped(ctx, "frmRestore (cmdRestore_Click)", [&] {
        forms::Form& f = ctx.frmRestore;
        const int i = f.ctl("lstBackups").list_index();
        if (i < 0 || i >= static_cast<int>(ctx.backups.size())) return;
        const BackupFolder backup = ctx.backups[static_cast<std::size_t>(i)];
        if (!backup.readable) {
            // Nothing of it can be read, so nothing can be moved: the window stays for another
            // choice.
            ctx.p.app.message_box(unreadable_text(backup.path), app_title);
            return;
        }
        const std::string content = without_final_backslash(content_folder(ctx));

        ctx.p.app.set_busy_pointer(true);
        const RestoreResult r = restore_backup(ctx.p.fs, backup, content);
        ctx.p.app.set_busy_pointer(false);
        ctx.p.forms.unload(f);

        // The ticked game's list again, with the files that came back.
        forms::Form& main = ctx.frmMain;
        if (main.ctl("chkCleanCod").value() == 1)
            frmMain::chkCleanCod_Click(ctx);
        else if (main.ctl("chkCleanUo").value() == 1)
            frmMain::chkCleanUo_Click(ctx);
        else if (main.ctl("chkCleanCod2").value() == 1)
            frmMain::chkCleanCod2_Click(ctx);
        main.ctl("lblStatusBar").set_caption(restore_status_text(backup, r));
        // While the backup folder is still there, the status line opens it.
        ctx.state.backup_made = !r.removed;
        ctx.state.backup_path = backup.path;
        set_statusbar(ctx);
    });
}

void cmdCancel_Click(Context& ctx) {
    ctx.p.forms.unload(ctx.frmRestore);
}

}  // namespace pakscour::frmRestore
