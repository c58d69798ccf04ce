// A small tool for the end-to-end test: finds the program's windows by title and works their
// controls by messages, printing what it reads. Exit status 0 on success, 1 when a window or
// control is not found or a wait times out. It may be a 64-bit build working the windows of the
// 32-bit program: the messages it sends carry no pointers but those Wine and Windows marshal
// between processes (WM_GETTEXT, LB_GETTEXT).
//
//   pakscour_driver wait TITLE [MS]        wait until a window with that title is visible
//   pakscour_driver gone TITLE [MS]        wait until no such window is visible
//   pakscour_driver texts TITLE            print the texts of its controls, one a line
//   pakscour_driver texts-when TITLE [MS]  wait for the window, then print its texts at once
//   pakscour_driver items TITLE            print the entries of its list box
//   pakscour_driver checked TITLE CAPTION  print 1 when that check box is ticked, else 0
//   pakscour_driver enabled TITLE CAPTION  print 1 when that control is enabled, else 0
//   pakscour_driver click TITLE CAPTION    click the button or check box with that caption
//   pakscour_driver key TITLE F1           press a function key in the window
//   pakscour_driver menu TITLE CAPTION     choose the menu item with that caption
//   pakscour_driver height TITLE           print the window's outer height in pixels
//   pakscour_driver close TITLE            ask the window to close
//   pakscour_driver box TITLE [MS]         wait for a message box, print its texts
//   pakscour_driver box-ok TITLE           press OK in that message box
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/win32/wide.h"

namespace {

using pakscour::win32::narrow;
using pakscour::win32::widen;

std::wstring text_of(HWND h) {
    wchar_t buffer[2048] = {};
    DWORD_PTR got = 0;
    // A program under emulation may take seconds to answer.
    SendMessageTimeoutW(h, WM_GETTEXT, 2048, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG,
                        30000, &got);
    return buffer;
}

std::wstring class_of(HWND h) {
    wchar_t buffer[64] = {};
    GetClassNameW(h, buffer, 64);
    return buffer;
}

struct Search {
    std::wstring title;
    std::wstring cls;
    HWND found = nullptr;
};

BOOL CALLBACK match_top(HWND h, LPARAM lp) {
    auto* s = reinterpret_cast<Search*>(lp);
    if (class_of(h) == s->cls && IsWindowVisible(h) && text_of(h) == s->title) {
        s->found = h;
        return FALSE;
    }
    return TRUE;
}

// Top-level windows of the program have the class PakscourForm; message boxes #32770.
HWND find_window(const std::string& title, const wchar_t* cls = L"PakscourForm") {
    Search s{widen(title), cls};
    EnumWindows(match_top, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

std::vector<HWND> children(HWND parent) {
    std::vector<HWND> out;
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) out.push_back(c);
    return out;
}

HWND find_control(HWND parent, const std::string& caption) {
    const std::wstring wanted = widen(caption);
    for (HWND c : children(parent))
        if (text_of(c) == wanted) return c;
    return nullptr;
}

bool find_menu_item(HMENU menu, const std::wstring& caption, UINT& id) {
    const int n = GetMenuItemCount(menu);
    for (int i = 0; i < n; ++i) {
        wchar_t buffer[256] = {};
        GetMenuStringW(menu, static_cast<UINT>(i), buffer, 256, MF_BYPOSITION);
        std::wstring text = buffer;
        if (const auto tab = text.find(L'\t'); tab != std::wstring::npos) text.erase(tab);
        if (HMENU sub = GetSubMenu(menu, i)) {
            if (find_menu_item(sub, caption, id)) return true;
        } else if (text == caption) {
            id = GetMenuItemID(menu, i);
            return true;
        }
    }
    return false;
}

int fail(const std::string& what) {
    std::fprintf(stderr, "pakscour_driver: %s\n", what.c_str());
    return 1;
}

void print(const std::wstring& line) {
    std::printf("%s\n", narrow(line).c_str());
}

int run(const std::vector<std::string>& a) {
    if (a.size() < 2) return fail("usage: pakscour_driver COMMAND TITLE [ARGUMENT]");
    const std::string& cmd = a[0];
    const std::string& title = a[1];
    const std::string arg = a.size() > 2 ? a[2] : "";

    if (cmd == "wait" || cmd == "gone" || cmd == "texts-when") {
        const DWORD timeout = arg.empty() ? 10000 : static_cast<DWORD>(std::atoi(arg.c_str()));
        const DWORD start = GetTickCount();
        const bool present = cmd != "gone";
        HWND found = nullptr;
        while (((found = find_window(title)) != nullptr) != present) {
            if (GetTickCount() - start > timeout) return fail("timed out: " + cmd + " " + title);
            Sleep(50);
        }
        // Read in the same process: a short-lived window (the splash) may be gone by the time
        // another driver process has started.
        if (cmd == "texts-when")
            for (HWND c : children(found)) print(text_of(c));
        return 0;
    }
    if (cmd == "box" || cmd == "box-ok") {
        const DWORD timeout = arg.empty() ? 10000 : static_cast<DWORD>(std::atoi(arg.c_str()));
        const DWORD start = GetTickCount();
        HWND box = nullptr;
        while (!(box = find_window(title, L"#32770"))) {
            if (cmd == "box-ok" || GetTickCount() - start > timeout)
                return fail("no message box titled '" + title + "'");
            Sleep(50);
        }
        if (cmd == "box-ok") {
            PostMessageW(box, WM_COMMAND, IDOK, 0);
        } else {
            for (HWND c : children(box)) print(text_of(c));
        }
        return 0;
    }
    HWND w = find_window(title);
    if (!w) return fail("no window titled '" + title + "'");

    if (cmd == "texts") {
        for (HWND c : children(w)) print(text_of(c));
        return 0;
    }
    if (cmd == "items") {
        for (HWND c : children(w)) {
            if (class_of(c) != L"ListBox") continue;
            const auto n = SendMessageW(c, LB_GETCOUNT, 0, 0);
            for (LRESULT i = 0; i < n; ++i) {
                const auto len = SendMessageW(c, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
                std::wstring item(static_cast<std::size_t>(len) + 1, L'\0');
                SendMessageW(c, LB_GETTEXT, static_cast<WPARAM>(i),
                             reinterpret_cast<LPARAM>(item.data()));
                item.resize(static_cast<std::size_t>(len));
                print(item);
            }
            return 0;
        }
        return fail("no list box");
    }
    if (cmd == "height") {
        RECT r{};
        GetWindowRect(w, &r);
        std::printf("%ld\n", static_cast<long>(r.bottom - r.top));
        return 0;
    }
    if (cmd == "close") {
        PostMessageW(w, WM_CLOSE, 0, 0);
        return 0;
    }
    if (cmd == "key") {
        if (arg.size() < 2 || arg[0] != 'F') return fail("only function keys: " + arg);
        const WPARAM vk = static_cast<WPARAM>(VK_F1 + std::atoi(arg.c_str() + 1) - 1);
        PostMessageW(w, WM_KEYDOWN, vk, 0);
        PostMessageW(w, WM_KEYUP, vk, 0);
        return 0;
    }
    if (cmd == "menu") {
        UINT id = 0;
        if (!GetMenu(w) || !find_menu_item(GetMenu(w), widen(arg), id))
            return fail("no menu item '" + arg + "'");
        PostMessageW(w, WM_COMMAND, MAKEWPARAM(id, 0), 0);
        return 0;
    }
    HWND c = find_control(w, arg);
    if (!c) return fail("no control '" + arg + "' on '" + title + "'");
    if (cmd == "click") {
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(c, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 30000, &ignored);
        return 0;
    }
    if (cmd == "checked") {
        std::printf("%d\n", SendMessageW(c, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0);
        return 0;
    }
    if (cmd == "enabled") {
        std::printf("%d\n", IsWindowEnabled(c) ? 1 : 0);
        return 0;
    }
    return fail("unknown command " + cmd);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.push_back(narrow(argv[i]));
    const int code = run(args);
    std::fflush(stdout);
    return code;
}
