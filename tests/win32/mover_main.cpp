// The child program of the Windows kill test: `win32_mover INSTALL_FOLDER` cleans the Call of
// Duty folder INSTALL_FOLDER\Main with the real Win32 file system, writing one byte to its
// standard output just before the clean starts and, when it completes, the seconds it took to
// its standard error. Exit status 0 when the clean completed. With PAKSCOUR_MOVER_MODE set to
// "restore" it puts the backup folder Main\061226140509 back instead. With PAKSCOUR_MOVER_PATH set
// to "copy" every file takes the copy path, as where the two folders are on different file
// systems.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "clean_rig.h"
#include "copying_file_system.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_file_system.h"

int wmain(int argc, wchar_t** argv) {
    using namespace pakscour;
    if (argc != 2) {
        std::fprintf(stderr, "usage: win32_mover INSTALL_FOLDER\n");
        return 2;
    }
    const char* path = std::getenv("PAKSCOUR_MOVER_PATH");
    win32::Win32FileSystem renaming;
    test::CopyingFileSystem copying;
    FileSystem& fs =
        path && std::string(path) == "copy" ? static_cast<FileSystem&>(copying) : renaming;
    test::CleanRig rig(fs, win32::narrow(argv[1]));
    DWORD written = 0;
    if (!WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), "s", 1, &written, nullptr) || written != 1)
        return 3;
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    // PAKSCOUR_MOVER_MODE=restore puts the backup folder back instead, as the restore
    // window does.
    const char* mode = std::getenv("PAKSCOUR_MOVER_MODE");
    const bool restore = mode && std::string(mode) == "restore";
    const bool cleaned = (restore ? rig.restore() : rig.clean()) && rig.app.boxes.empty();
    QueryPerformanceCounter(&end);
    if (!cleaned) {
        for (const auto& box : rig.app.boxes) std::fprintf(stderr, "%s\n", box.text.c_str());
        return 1;
    }
    std::fprintf(stderr, "clean took %.3f s\n",
                 static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart);
    return 0;
}
