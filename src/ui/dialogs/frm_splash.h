// The splash window that starts the program: picture, product name with version and the
// makers' credit; two seconds after loading it closes itself and shows the main window.
#pragma once

#include "engine/context.h"

namespace pakscour::frmSplash {

void build(Context& ctx, forms::Form& f);
void Form_Load(Context& ctx);
void tmrSplash_Timer(Context& ctx);

}  // namespace pakscour::frmSplash
