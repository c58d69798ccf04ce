#include "engine/scan.h"

#include <algorithm>

#include "engine/paths.h"
#include "services/error_report.h"

namespace pakscour {
namespace {

bool contains(const std::string& text, const char* word) {
    return text.find(word) != std::string::npos;
}

template <std::size_t N>
bool is_stock(const std::array<std::string, N>& stock, const std::string& name) {
    const std::string lower = ascii_lower(name);
    return std::find(stock.begin(), stock.end(), lower) != stock.end() ||
           contains(name, "localized");
}

void record(Context& ctx, forms::Control& list, const std::string& name) {
    RunState& s = ctx.state;
    list.add_item(name);
    const auto at = static_cast<std::size_t>(s.alien_count);
    if (at < s.alien_files.size())
        s.alien_files[at] = name;
    else
        s.alien_files.push_back(name);
    ++s.alien_count;
}

}  // namespace

void get_alien_files(Context& ctx) {
    trapped(ctx, "modPublic (get_alien_files)", [&] {
        forms::Form& f = ctx.frmMain;
        RunState& s = ctx.state;
        forms::Control& list = f.ctl("List1");
        list.clear_list();
        s.alien_count = 0;

        std::string pattern;
        std::string heading;
        if (f.ctl("chkCleanCod").value() == 1) {
            s.selected_game = game_cod;
            pattern = join_path(f.ctl("lblCodPath").caption(), "Main\\*.pk3");
            heading = f.ctl("Label2", 0).caption() + " Alien PK3 Files";
        } else if (f.ctl("chkCleanUo").value() == 1) {
            s.selected_game = game_uo;
            pattern = join_path(f.ctl("lblUOPath").caption(), "uo\\*.pk3");
            heading = f.ctl("Label2", 1).caption() + " Alien PK3 Files";
        } else {
            s.selected_game = game_cod2;
            pattern = join_path(f.ctl("lblCod2Path").caption(), "main\\*.iwd");
            heading = f.ctl("Label2", 2).caption() + " Alien IWD Files";
        }
        f.ctl("lblAlienGame").set_caption(heading);
        f.ctl("lblPath").set_caption(pattern);

        s.current_file = ctx.p.fs.find_first(pattern);
        check_file(ctx, s.current_file);
        if (s.is_alien && !s.current_file.empty()) record(ctx, list, s.current_file);
        while (!s.current_file.empty()) {
            s.current_file = ctx.p.fs.find_next();
            check_file(ctx, s.current_file);
            if (s.is_alien && !s.current_file.empty()) record(ctx, list, s.current_file);
        }

        f.ctl("cmdClean").set_enabled(list.list_count() != 0);
    });
}

void check_file(Context& ctx, const std::string& name) {
    trapped(ctx, "modPublic (check_file)", [&] {
        RunState& s = ctx.state;
        s.is_alien = true;
        if (s.selected_game == game_cod) {
            if (is_stock(s.stock_cod, name)) s.is_alien = false;
        } else if (s.selected_game == game_uo) {
            if (contains(name, "uomappack") && s.keep_uo_map_pack)
                s.is_alien = false;
            else if (is_stock(s.stock_uo, name))
                s.is_alien = false;
        } else if (s.selected_game == game_cod2) {
            if (is_stock(s.stock_cod2, name)) s.is_alien = false;
        }
    });
}

void check_uo_map_packs(Context& ctx) {
    trapped(ctx, "modPublic (check_uo_map_packs)", [&] {
        forms::Form& f = ctx.frmMain;
        const std::string pattern = join_path(f.ctl("lblUOPath").caption(), "uo\\uomappack*.pk3");
        ctx.state.map_pack_file = ctx.p.fs.find_first(pattern);
        f.menu("mnuOptionsUOMapPack").set_enabled(!ctx.state.map_pack_file.empty());
    });
}

}  // namespace pakscour
