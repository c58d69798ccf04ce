// Everything one run shares: the platform services, the run state, the current run-time error
// and the program's four windows. Procedures take it by reference instead of using globals.
#pragma once

#include <vector>

#include "engine/move_files.h"
#include "engine/restore.h"
#include "engine/run_state.h"
#include "platform/forms/form.h"
#include "platform/platform.h"
#include "platform/runtime_error.h"

namespace pakscour {

struct Context {
    explicit Context(Platform platform) : p(platform) {}
    Context(const Context&) = delete;
    Context& operator=(const Context&) = delete;

    Platform p;
    RunState state;
    // The one current run-time error; number 0 when there is none.
    RuntimeError err;

    forms::Form frmMain{"frmMain"};
    forms::Form frmSplash{"frmSplash"};
    forms::Form frmDisclaim{"frmDisclaim"};
    forms::Form frmAbout{"frmAbout"};
    forms::Form frmRestore{"frmRestore"};
    // The backup folders the restore window lists, in its order.
    std::vector<BackupFolder> backups;
};

}  // namespace pakscour
