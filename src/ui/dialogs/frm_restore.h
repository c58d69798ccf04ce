// The "Restore a Backup" window: lists the ticked game's backup folders, newest first, and
// moves the chosen one's archives back into the game's content folder. Modal, owned by the
// main window, worked by keyboard alone (Enter restores the selected backup, Esc cancels).
#pragma once

#include "engine/context.h"

namespace pakscour::frmRestore {

inline constexpr const char* none_text = "There are no backup folders for this game.";

void build(Context& ctx, forms::Form& f);
void Form_Load(Context& ctx);
void cmdRestore_Click(Context& ctx);
void cmdCancel_Click(Context& ctx);

}  // namespace pakscour::frmRestore
