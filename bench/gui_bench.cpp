// Times selecting Call of Duty in the real main window until its list widget shows every alien
// name, and reports the process's peak memory: `pakscour_gui_bench PREFIX COD_FOLDER`. Prints
// seconds and KiB. `pakscour_gui_bench --startup` instead times the program from its start to
// its main window on the screen, wired as the program is (the prefix, its registry and the game
// search from HOME and WINEPREFIX), the splash window left out; prints seconds. Meant to run
// with QT_QPA_PLATFORM=offscreen.
#include <sys/resource.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QListWidget>
#include <chrono>
#include <cstdio>
#include <string_view>

#include "main_window.h"
#include "platform/posix/posix_clock.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_game_finder.h"
#include "platform/posix/posix_registry_store.h"
#include "platform/posix/wine_prefix.h"
#include "platform/qt/qt_app_services.h"
#include "platform/qt/qt_renderer.h"
#include "test_platform.h"

using namespace pakscour;

namespace {

int rows_shown(QWidget* w) {
    if (auto* list = qobject_cast<QListWidget*>(w)) return list->count();
    if (auto* view = qobject_cast<QAbstractItemView*>(w))
        return view->model() ? view->model()->rowCount() : 0;
    return -1;
}

// The main window of the program as it starts, shown once its load step has found the games.
int startup(int argc, char** argv, std::chrono::steady_clock::time_point start) {
    QApplication qapp(argc, argv);
    const posix::WinePrefix prefix = posix::WinePrefix::from_environment();
    posix::PosixFileSystem fs(prefix);
    posix::PosixRegistryStore registry(prefix.root());
    const auto games = posix::PosixGameFinder::from_environment(prefix);
    posix::PosixClock clock;
    test::RecordingShell shell;
    qt::QtAppServices services;
    forms::Application forms;
    qt::QtRenderer renderer(forms, services);
    Program program(Platform{fs, registry, shell, clock, services, forms, *games});
    Context& ctx = program.context();
    forms.show(ctx.frmMain);
    QWidget* window = renderer.window(ctx.frmMain);
    while (window == nullptr || !window->isVisible()) {
        QApplication::processEvents();
        window = renderer.window(ctx.frmMain);
    }
    QApplication::processEvents();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    std::printf("%.6f\n", took.count());
    return ctx.frmMain.ctl("lblCodPath").caption().empty() ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    const auto started = std::chrono::steady_clock::now();
    if (argc == 2 && std::string_view(argv[1]) == "--startup") return startup(argc, argv, started);
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s PREFIX COD_FOLDER\n", argv[0]);
        return 2;
    }
    QApplication qapp(argc, argv);
    posix::WinePrefix prefix{std::filesystem::path(argv[1])};
    posix::PosixFileSystem fs(prefix);
    posix::PosixClock clock;
    test::EmptyRegistry registry;
    test::RecordingShell shell;
    qt::QtAppServices services;
    forms::Application forms;
    qt::QtRenderer renderer(forms, services);
    Program program(Platform{fs, registry, shell, clock, services, forms});
    Context& ctx = program.context();
    test::prepare_main_window(program, argv[2], "", "");
    forms.show(ctx.frmMain);
    QApplication::processEvents();

    QWidget* list = renderer.window(ctx.frmMain)->widget_of(ctx.frmMain.ctl("List1"));
    const auto start = std::chrono::steady_clock::now();
    ctx.frmMain.ctl("chkCleanCod").user_click();
    const int expected = ctx.frmMain.ctl("List1").list_count();
    while (rows_shown(list) < expected) QApplication::processEvents();
    QApplication::processEvents();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%.6f %ld\n", took.count(), usage.ru_maxrss);
    return rows_shown(list) == expected ? 0 : 1;
}
