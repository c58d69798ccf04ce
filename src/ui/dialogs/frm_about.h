// The About window: name, version, description, the program's icon and a link to the makers'
// web site that works while the machine reports an internet connection.
#pragma once

#include "engine/context.h"

namespace pakscour::frmAbout {

// A bare host name in a domain reserved for examples, so it can belong to no one.
inline constexpr const char* web_address = "www.vantorix.test";
inline constexpr const char* link_tooltip = "Click here to visit the Vantorix's website";

void build(Context& ctx, forms::Form& f);
void Form_Load(Context& ctx);
void lblWebURL_Click(Context& ctx);
void cmdOK_Click(Context& ctx);

}  // namespace pakscour::frmAbout
