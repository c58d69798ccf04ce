// The quarantine move behind the main window's Clean button: rescans the selected game's
// content folder, then moves every alien file into a new backup folder named after the current
// date and time, each by one rename (a copy made durable before the original goes only where
// the two folders are on different file systems). A listed file that a cut-short move left
// under two names, here and in an earlier backup folder, loses its name here and counts as
// moved.
#pragma once

#include <string>

#include "engine/context.h"

namespace pakscour {

// The status line after a clean into `backup`: where the files went and, when some of them
// stayed in the game folder too (another program changed them while they were copied), how
// many, or that none moved at all.
std::string clean_status_text(const std::string& backup, const MoveResult& moved);

// Twelve characters cut by position from the date text (1-2, 4-5, 9-10) and the time text
// (1-2, 4-5, 7-8): "06/12/2026" and "14:05:09" give "061226140509". Short texts give
// shorter pieces.
std::string backup_stamp(const std::string& date_text, const std::string& time_text);

// The content folder the last scan listed, with its final backslash.
std::string content_folder(Context& ctx);

namespace frmMain {
void cmdClean_Click(Context& ctx);
}

}  // namespace pakscour
