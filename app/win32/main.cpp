// The Win32 program: wires the Win32 platform and renderer to the core, starts the splash
// window and runs the message loop until the last window has closed. Every argument on the
// command line is a game folder (a folder dropped onto pakscour.exe arrives this way).
#include <windows.h>

#include <objbase.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "platform/forms/application.h"
#include "platform/platform.h"
#include "platform/uncaught.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_app_services.h"
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_game_finder.h"
#include "platform/win32/win32_registry_store.h"
#include "platform/win32/win32_renderer.h"
#include "platform/win32/win32_shell.h"
#include "ui/program.h"

namespace {

// The arguments after the program's name, split as Windows programs split them.
std::vector<std::string> command_line_folders() {
    std::vector<std::string> out;
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
    if (args == nullptr) return out;
    for (int i = 1; i < count; ++i) out.push_back(pakscour::win32::narrow(args[i]));
    LocalFree(args);
    return out;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // A drive without its medium (a Steam library on a removable drive that is not there)
    // fails the call that touches it, with no "No disk" dialog.
    SetErrorMode(GetErrorMode() | SEM_FAILCRITICALERRORS);
    // The shell and the picture decoder want a single-threaded COM apartment.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);

    pakscour::win32::Win32FileSystem fs;
    pakscour::win32::Win32RegistryStore registry;
    pakscour::win32::Win32GameFinder games(command_line_folders(),
                                           pakscour::win32::program_folders());
    pakscour::win32::Win32Shell shell;
    pakscour::win32::Win32Clock clock;
    pakscour::win32::Win32AppServices app;
    pakscour::forms::Application forms;
    pakscour::win32::Win32Renderer renderer(app, forms);
    forms.set_renderer(&renderer);

    pakscour::Platform platform{fs, registry, shell, clock, app, forms, games};
    pakscour::Program program(platform);
    int code = 0;
    pakscour::run_event(app, [&] { program.start(); });
    code = renderer.run();

    forms.set_renderer(nullptr);
    if (SUCCEEDED(com)) CoUninitialize();
    return code;
}
