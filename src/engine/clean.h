// The quarantine move behind the main window's Clean button: rescans the selected game's
// content folder, then moves every alien file into a new backup folder named after the current
// date and time, copying each file completely before deleting the original.
#pragma once

#include <string>

#include "engine/context.h"

namespace pakscour {

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
