// The Linux program: the POSIX platform over the Wine prefix ($WINEPREFIX or ~/.wine), the
// other places games are kept (without WINEPREFIX), the Qt renderer and services, and the
// program's windows, started with the splash window.
#include <QApplication>
#include <QIcon>

#include "platform/forms/application.h"
#include "platform/posix/posix_clock.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_game_finder.h"
#include "platform/posix/posix_registry_store.h"
#include "platform/posix/wine_prefix.h"
#include "platform/qt/pictures.h"
#include "platform/qt/qt_app_services.h"
#include "platform/qt/qt_renderer.h"
#include "platform/qt/qt_shell.h"
#include "ui/program.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("pakscour"));
    QApplication::setDesktopFileName(QStringLiteral("pakscour"));
    QApplication::setWindowIcon(pakscour::qt::load_icon("icon"));

    using namespace pakscour;
    const posix::WinePrefix prefix = posix::WinePrefix::from_environment();
    posix::PosixFileSystem fs(prefix);
    posix::PosixRegistryStore registry(prefix.root());
    const auto games = posix::PosixGameFinder::from_environment(prefix.root());
    qt::QtShell shell(prefix);
    posix::PosixClock clock;
    qt::QtAppServices services;
    forms::Application forms;
    qt::QtRenderer renderer(forms, services);

    Program program(Platform{fs, registry, shell, clock, services, forms, *games});
    program.start();
    return app.exec();
}
