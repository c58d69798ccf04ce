#include "engine/clean.h"

#include <algorithm>
#include <set>
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

// Finishes the moves a kill interrupted between their two names: a listed file that is also
// an entry of one of the content folder's backup folders loses its name in the content folder,
// exactly, and counts as moved. Returns the listed names still to be moved.
std::vector<std::string> finish_interrupted_moves(FileSystem& fs, const std::string& content,
                                                  std::span<const std::string> listed,
                                                  MoveResult& result) {
    std::vector<std::string> rest(listed.begin(), listed.end());
    const std::string folder = content.substr(0, content.size() - 1);
    const std::vector<FileSystem::FolderEntry> entries = fs.list_folder(folder);
    // Only where a listed file has two names (never on Windows) are the backup folders read.
    const std::set<std::string> names(listed.begin(), listed.end());
    std::vector<const FileSystem::FolderEntry*> twice;
    for (const FileSystem::FolderEntry& e : entries)
        if (e.plain && e.links > 1 && names.count(e.name) != 0) twice.push_back(&e);
    if (twice.empty()) return rest;
    std::vector<FileIdentity> backed_up;
    for (const FileSystem::FolderEntry& e : entries)
        if (e.folder && backup_time(e.name))
            for (const FileSystem::FolderEntry& f : fs.list_folder(e.path))
                if (f.plain && f.links > 1) backed_up.push_back(f.identity);
    for (const FileSystem::FolderEntry* e : twice)
        if (std::find(backed_up.begin(), backed_up.end(), e->identity) != backed_up.end() &&
            fs.remove_second_name(content + e->name, e->identity)) {
            ++result.renamed;
            rest.erase(std::find(rest.begin(), rest.end(), e->name));
        }
    if (result.renamed != 0) fs.flush_moves();
    return rest;
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
        MoveResult finished;
        const std::vector<std::string> names = finish_interrupted_moves(
            ctx.p.fs, content, std::span(s.alien_files).first(n), finished);
        MoveResult moved = move_files(ctx.p.fs, content, backup, names);
        moved.renamed += finished.renamed;

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
