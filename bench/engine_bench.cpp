// Times the bare scan, the clean of a Call of Duty folder in a Wine prefix and the restore of
// its newest backup folder, without any window toolkit:
// `pakscour_bench scan|clean|restore PREFIX COD_FOLDER [REPEATS]`. Prints seconds.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/clean.h"
#include "engine/restore.h"
#include "engine/scan.h"
#include "main_window.h"
#include "platform/posix/posix_clock.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/wine_prefix.h"
#include "test_platform.h"

using namespace pakscour;

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s scan|clean|restore PREFIX COD_FOLDER [REPEATS]\n", argv[0]);
        return 2;
    }
    const std::string mode = argv[1];
    const int repeats = argc > 4 ? std::atoi(argv[4]) : 1;
    posix::WinePrefix prefix{std::filesystem::path(argv[2])};
    posix::PosixFileSystem fs(prefix);
    posix::PosixClock clock;
    test::EmptyRegistry registry;
    test::RecordingShell shell;
    test::RecordingApp app;
    forms::Application forms;
    Program program(Platform{fs, registry, shell, clock, app, forms});
    Context& ctx = program.context();
    test::prepare_main_window(program, argv[3], "", "");
    ctx.frmMain.ctl("chkCleanCod").set_value(1);

    double best = 1e9;
    std::string content = content_folder(ctx);
    content.pop_back();
    for (int i = 0; i < repeats; ++i) {
        // The restore window lists the backup folders before its button is clicked.
        const std::vector<BackupFolder> backups =
            mode == "restore" ? find_backups(fs, content) : std::vector<BackupFolder>{};
        if (mode == "restore" && backups.empty()) return 1;
        const auto start = std::chrono::steady_clock::now();
        if (mode == "scan") {
            get_alien_files(ctx);
        } else if (mode == "restore") {
            ctx.state.alien_count = restore_backup(fs, backups.front(), content).moved;
        } else {
            frmMain::cmdClean_Click(ctx);
        }
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        if (took.count() < best) best = took.count();
    }
    std::printf("%.6f %d\n", best, ctx.state.alien_count);
    return app.boxes.empty() ? 0 : 1;
}
