// The program over a real PosixFileSystem (or a wrapper of it) in a fake prefix, its main
// window prepared for a Call of Duty install folder C:\Games\CoD, as the load step leaves it.
#pragma once

#include "engine/clean.h"
#include "main_window.h"
#include "platform/platform.h"
#include "test_platform.h"
#include "ui/program.h"

namespace pakscour::test {

struct CleanRig {
    CleanRig(FileSystem& fs, Clock& clock)
        : program(Platform{fs, registry, shell, clock, app, forms}) {
        prepare_main_window(program, "C:\\Games\\CoD", "", "");
    }
    // Ticks the Call of Duty box (which scans), then clicks Clean. False when the program
    // ended through its error report.
    bool clean() {
        try {
            program.context().frmMain.ctl("chkCleanCod").set_value(1);
            frmMain::cmdClean_Click(program.context());
        } catch (const ProgramEnded&) {
            return false;
        }
        return true;
    }

    EmptyRegistry registry;
    RecordingShell shell;
    RecordingApp app;
    forms::Application forms;
    Program program;
};

}  // namespace pakscour::test
