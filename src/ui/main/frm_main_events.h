// What the main window's controls do: the three game check boxes (at most one ticked; every
// selection rescans and reports in the status line), the status line that opens the last
// backup folder, the help panel toggle, the map-pack option and closing the window.
#pragma once

#include "engine/context.h"

namespace pakscour::frmMain {

void chkCleanCod_Click(Context& ctx);
void chkCleanUo_Click(Context& ctx);
void chkCleanCod2_Click(Context& ctx);
void lblStatusBar_Click(Context& ctx);
void mnuHelpAlien_Click(Context& ctx);
void mnuOptionsUOMapPack_Click(Context& ctx);
void mnuDisclaimer_Click(Context& ctx);
void mnuHelpAbout_Click(Context& ctx);
void mnuFileRestore_Click(Context& ctx);
void mnuFileExit_Click(Context& ctx);
void cmdExit_Click(Context& ctx);

// Connects the procedures above (and Clean) to the window's controls and menus.
void wire_events(Context& ctx);

}  // namespace pakscour::frmMain
