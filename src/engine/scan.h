// The alien file scan: lists the archives of the selected game's content folder that are not
// stock archives into the main window's list and the run state, and the probe that enables the
// official map-pack option when those packs are present.
#pragma once

#include <string>

#include "engine/context.h"

namespace pakscour {

// Scans the game whose check box is ticked (CoD, else UO, else CoD2).
void get_alien_files(Context& ctx);
// Classifies one name for `selected_game`; the answer is left in `is_alien`.
void check_file(Context& ctx, const std::string& name);
// Enables the map-pack menu option exactly when a map-pack archive is present.
void check_uo_map_packs(Context& ctx);

}  // namespace pakscour
