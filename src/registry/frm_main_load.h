// The main window's load step: prepares the engine, sizes the window, finds which games are
// installed from their registry keys (and, where a key has no install folder, in the other
// places the platform knows), fills the "Games Found" panel and ticks the first installed
// game, which runs the first scan. Ends the program when no game is found.
#pragma once

#include "engine/context.h"
#include "registry/wr.h"

namespace pakscour {

inline constexpr const char* key_cod = "HKEY_LOCAL_MACHINE\\Software\\Activision\\Call of Duty";
inline constexpr const char* key_uo =
    "HKEY_LOCAL_MACHINE\\Software\\Activision\\Call of Duty United Offensive";
inline constexpr const char* key_cod2 = "HKEY_LOCAL_MACHINE\\Software\\Activision\\Call of Duty 2";

// The games' Steam app ids.
inline constexpr const char* steam_app_cod = "2620";
inline constexpr const char* steam_app_uo = "2640";
inline constexpr const char* steam_app_cod2 = "2630";

inline constexpr const char* not_found_text =
    "Call of Duty was not found on your PC\r     This program will now terminate";

namespace frmMain {
void Form_Load(Context& ctx, WR& wr);
}

}  // namespace pakscour
