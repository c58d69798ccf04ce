// The stock catalogue: the archive names each game ships with. `init` fills it and sets the
// one non-empty default of the run state; the main window's load step calls it first.
#pragma once

#include "engine/context.h"

namespace pakscour {

void init(Context& ctx);

}  // namespace pakscour
