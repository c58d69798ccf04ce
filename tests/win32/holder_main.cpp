// The Windows half of the adversary test: `win32_holder` holds files open the way a game holds
// the archives it loaded, sharing reads but not deletes, so that deleting them is refused. It
// reads commands from its standard input, one a line, and answers each with one line:
//   hold PATH   opens PATH ("ok", or "fail N" with the Win32 error)
//   release     closes every file it holds ("ok")
// It ends at the end of its input.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/win32/long_path.h"
#include "platform/win32/wide.h"

int wmain() {
    std::vector<HANDLE> held;
    char line[4096];
    while (std::fgets(line, sizeof line, stdin) != nullptr) {
        std::string command(line);
        while (!command.empty() && (command.back() == '\n' || command.back() == '\r'))
            command.pop_back();
        if (command.rfind("hold ", 0) == 0) {
            const std::wstring path =
                pakscour::win32::extended_path(pakscour::win32::widen(command.substr(5)));
            HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                   OPEN_EXISTING, 0, nullptr);
            if (h == INVALID_HANDLE_VALUE) {
                std::printf("fail %lu\n", GetLastError());
            } else {
                held.push_back(h);
                std::printf("ok\n");
            }
        } else if (command == "release") {
            for (HANDLE h : held) CloseHandle(h);
            held.clear();
            std::printf("ok\n");
        } else {
            std::printf("fail unknown command\n");
        }
        std::fflush(stdout);
    }
    for (HANDLE h : held) CloseHandle(h);
    return 0;
}
