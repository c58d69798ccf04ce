#include "engine/clean.h"

#include <span>

#include "engine/move_files.h"
#include "engine/paths.h"
#include "engine/scan.h"
#include "services/error_report.h"
#include "services/shell_services.h"
#include "ui/main/frm_main_events.h"

namespace pakscour {
namespace {

// Characters `start` (from 1) to `start + length - 1` of `text`, shortened at its end.
std::string mid(const std::string& text, std::size_t start, std::size_t length) {
    if (start > text.size()) return {};
    return text.substr(start - 1, length);
}

}  // namespace

std::string clean_status_text(const std::string& backup, const MoveResult& moved) {
    if (moved.in_both == 0) return "Alien files moved to: " + backup;
    const std::string both = std::to_string(moved.in_both);
    const char* stayed = " stayed";
    if (moved.moved() == 0)
        return "No alien file moved: " + both + " copied to " + backup + stayed +
               " in the game folder too, changed by another program meanwhile";
    return "Alien files moved to: " + backup + "; " + both + stayed +
           " in the game folder too, changed by another program meanwhile";
}

std::string backup_stamp(const std::string& date_text, const std::string& time_text) {
    return mid(date_text, 1, 2) + mid(date_text, 4, 2) + mid(date_text, 9, 2) +
           mid(time_text, 1, 2) + mid(time_text, 4, 2) + mid(time_text, 7, 2);
}

std::string content_folder(Context& ctx) {
    forms::Form& f = ctx.frmMain;
    const std::string& game = ctx.state.selected_game;
    // United Offensive has an install folder of its own (a standalone Steam install); the scan
    // lists and the move empties its uo folder.
    if (game == game_cod) return join_path(f.ctl("lblCodPath").caption(), "Main\\");
    if (game == game_uo) return join_path(f.ctl("lblUOPath").caption(), "uo\\");
    return join_path(f.ctl("lblCod2Path").caption(), "main\\");
}

namespace frmMain {

void cmdClean_Click(Context& ctx) {
    trapped(ctx, "frmMain (cmdClean_Click)", [&] {
        forms::Form& f = ctx.frmMain;
        RunState& s = ctx.state;
        get_alien_files(ctx);
        forms::Control& list = f.ctl("List1");
        if (list.list_count() == 0) {
            if (s.selected_game == game_cod)
                chkCleanCod_Click(ctx);
            else if (s.selected_game == game_uo)
                chkCleanUo_Click(ctx);
            else if (s.selected_game == game_cod2)
                chkCleanCod2_Click(ctx);
            return;
        }
        ctx.p.app.set_busy_pointer(true);
        const std::string stamp = backup_stamp(ctx.p.clock.date_text(), ctx.p.clock.time_text());
        const std::string content = content_folder(ctx);
        // The platform may have had to make the folder elsewhere; the files go where it is.
        const std::string backup = ctx.p.fs.create_folder(content + stamp);

        const auto n = static_cast<std::size_t>(list.list_count());
        const MoveResult moved =
            move_files(ctx.p.fs, content, backup, std::span(s.alien_files).first(n));

        list.clear_list();
        f.ctl("cmdClean").set_enabled(false);
        ctx.p.app.set_busy_pointer(false);
        f.ctl("lblStatusBar").set_caption(clean_status_text(backup, moved));
        s.backup_made = true;
        s.backup_path = backup;
        set_statusbar(ctx);
    });
}

}  // namespace frmMain
}  // namespace pakscour
