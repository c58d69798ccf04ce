// The main window's design state: every control in stored order with its kind, container,
// geometry in twips, caption, font and initial state, the menus and the tab order.
#pragma once

#include "platform/forms/form.h"

namespace pakscour {

inline constexpr const char* help_text_1 =
    "An alien file is a mod that has been installed into your Call of Duty folder that is not "
    "classed as a stock file, IE The file is not part of the Call of Duty installation. These "
    "files are added to your \"Main\" and \"UO\" folders when you connect to servers. This "
    "utility will clean these files out for you. Some example error messages you get when "
    "trying to connect to a game server is \"Unpure client. Invalid PK3 / IWD file detected\".";
inline constexpr const char* help_text_2 =
    "Pakscour will already know what games you have installed and will list it above, you need "
    "to select the checkbox for the game you wish to look at, if there are any alien files for "
    "the selected game then it will display them in the above list box. Simply click Clean and "
    "it will remove the files from your game folder.";
inline constexpr const char* help_text_3 =
    "IMPORTANT: The alien files are not deleted from your game folder but moved to a backup "
    "folder. A message will appear once you run the cleanser which will give you details of "
    "where your alien files have been moved to. Normally this will be a directory within the "
    "main Call of Duty folder.";

void build_frm_main_layout(forms::Form& f);

}  // namespace pakscour
