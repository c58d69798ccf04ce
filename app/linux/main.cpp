// The Linux program: the command line (game folders; --help, --version and errors answer
// without a window), the POSIX platform over the Wine prefix ($WINEPREFIX or ~/.wine), the other
// places games are kept, the Qt renderer and services, and the program's windows, started with the
// splash window.
#include <QApplication>
#include <QIcon>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/forms/application.h"
#include "platform/posix/command_line.h"
#include "platform/posix/posix_clock.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_game_finder.h"
#include "platform/posix/posix_registry_store.h"
#include "platform/posix/wine_prefix.h"
#include "platform/qt/pictures.h"
#include "platform/qt/qt_app_services.h"
#include "platform/qt/qt_renderer.h"
#include "platform/qt/qt_shell.h"
#include "registry/named_folders.h"
#include "ui/program.h"

int main(int argc, char** argv) {
    using namespace pakscour;
    // Read before the toolkit starts, so that --help, --version and errors need no display.
    const posix::CommandLine line =
        posix::parse_command_line(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc));
    if (const auto answer = posix::answer(line)) {
        std::fputs(answer->out.c_str(), stdout);
        std::fputs(answer->err.c_str(), stderr);
        return answer->status;
    }
    // The toolkit sees only its own options.
    std::vector<std::string> toolkit_args{argc > 0 ? argv[0] : "pakscour"};
    toolkit_args.insert(toolkit_args.end(), line.toolkit_options.begin(),
                        line.toolkit_options.end());
    std::vector<char*> toolkit_argv;
    for (std::string& arg : toolkit_args) toolkit_argv.push_back(arg.data());
    toolkit_argv.push_back(nullptr);
    int toolkit_argc = static_cast<int>(toolkit_args.size());

    QApplication app(toolkit_argc, toolkit_argv.data());
    QApplication::setApplicationName(QStringLiteral("pakscour"));
    QApplication::setDesktopFileName(QStringLiteral("pakscour"));
    QApplication::setWindowIcon(pakscour::qt::load_icon("icon"));

    const posix::WinePrefix prefix = posix::WinePrefix::from_environment();
    posix::PosixFileSystem fs(prefix);
    posix::PosixRegistryStore registry(prefix.root());
    const auto games = posix::PosixGameFinder::from_environment(prefix, line.folders);
    // A folder named on the command line that cannot be used gets a message box from the main
    // window, and a line in the terminal it was typed in.
    for (const RejectedFolder& rejected : games->rejected_folders())
        std::fprintf(stderr, "%s\n", rejected_folder_line(rejected).c_str());
    qt::QtShell shell(prefix);
    posix::PosixClock clock;
    qt::QtAppServices services;
    forms::Application forms;
    qt::QtRenderer renderer(forms, services);

    Program program(Platform{fs, registry, shell, clock, services, forms, *games});
    program.start();
    return app.exec();
}
