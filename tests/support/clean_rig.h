// The program over a real file system (or a wrapper of it), its main window prepared for a Call
// of Duty install folder as the load step leaves it, with recording doubles for the message
// boxes and the shell. The clock is the caller's, or a fixed one (06/12/2026 14:05:09, so the
// backup folder's stamp is 061226140509).
#pragma once

#include <string>

#include "engine/clean.h"
#include "main_window.h"
#include "platform/platform.h"
#include "test_platform.h"
#include "ui/program.h"

namespace pakscour::test {

// The program alone, no window loaded yet, so that a renderer added later sees every one.
struct ProgramRig {
    explicit ProgramRig(FileSystem& fs) : ProgramRig(fs, fixed_clock) {}
    ProgramRig(FileSystem& fs, Clock& clock)
        : program(Platform{fs, registry, shell, clock, app, forms}) {}

    FixedClock fixed_clock;
    EmptyRegistry registry;
    RecordingShell shell;
    RecordingApp app;
    forms::Application forms;
    Program program;
};

struct CleanRig : ProgramRig {
    CleanRig(FileSystem& fs, Clock& clock, const std::string& cod_path = "C:\\Games\\CoD")
        : ProgramRig(fs, clock) {
        prepare_main_window(program, cod_path, "", "");
    }
    CleanRig(FileSystem& fs, const std::string& cod_path) : CleanRig(fs, fixed_clock, cod_path) {}

    forms::Control& ctl(const char* name) { return program.context().frmMain.ctl(name); }
    // Ticks the Call of Duty box (which scans).
    void tick_cod() { ctl("chkCleanCod").set_value(1); }
    // Ticks the Call of Duty box, then clicks Clean. False when the program ended through its
    // error report.
    bool clean() {
        try {
            tick_cod();
            frmMain::cmdClean_Click(program.context());
        } catch (const ProgramEnded&) {
            return false;
        }
        return true;
    }

    // Ticks the Call of Duty box, opens the restore window from the File menu and clicks
    // Restore on the newest backup folder. False when the program ended through its error
    // report or the window stayed open.
    bool restore() {
        Context& ctx = program.context();
        try {
            tick_cod();
            ctx.frmMain.menu("mnuFileRestore").user_click();
            ctx.frmRestore.ctl("cmdRestore").user_click();
        } catch (const ProgramEnded&) {
            return false;
        }
        return !ctx.frmRestore.loaded();
    }
};

}  // namespace pakscour::test
