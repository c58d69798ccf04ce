// The "Restore a Backup" window: lists the ticked game's backup folders, newest first, and
// moves the chosen one's files back into the game's content folder. Modal, owned by the main
// window, worked by keyboard alone (Enter or a double click restores the selected backup, Alt+B
// goes to the list, Esc cancels). A backup folder that cannot be read is listed as such; when
// the content folder itself cannot be read, a message says so and the window does not open.
#pragma once

#include <string>

#include "engine/context.h"

namespace pakscour::frmRestore {

inline constexpr const char* none_text = "There are no backup folders for this game.";
inline constexpr const char* about_text =
    "Restore moves the backup's files back into the game folder, where they are listed as alien "
    "again. A name the game folder already has stays in the backup.";

// The message for a backup folder that cannot be read, chosen for a restore.
std::string unreadable_text(const std::string& path);
// The message for a content folder that cannot be read, so that its backups cannot be listed.
std::string unreadable_content_text(const std::string& path);

void build(Context& ctx, forms::Form& f);
void Form_Load(Context& ctx);
void cmdRestore_Click(Context& ctx);
void cmdCancel_Click(Context& ctx);

}  // namespace pakscour::frmRestore
