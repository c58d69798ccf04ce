// The real program's windows on the Win32 renderer, worked through their real controls by
// messages (BM_CLICK, WM_KEYDOWN, WM_COMMAND) and read back from them.
#include <windows.h>

#include <commctrl.h>

#include <doctest/doctest.h>

#include <chrono>
#include <string>

#include "dialog_keys.h"
#include "gui_rig.h"
#include "platform/win32/win32_metrics.h"

namespace pakscour {

using win32::narrow;
using win32::widen;

namespace {

using test::outer_height;
using test::Rig;
using test::window_text;

struct TooltipSearch {
    HWND owner;
    HWND tip = nullptr;
};

BOOL CALLBACK find_tooltip(HWND h, LPARAM lp) {
    auto* f = reinterpret_cast<TooltipSearch*>(lp);
    wchar_t cls[64] = {};
    GetClassNameW(h, cls, 64);
    if (std::wstring(cls) == TOOLTIPS_CLASSW && GetWindow(h, GW_OWNER) == f->owner) {
        f->tip = h;
        return FALSE;
    }
    return TRUE;
}

// The tooltip text the window's tooltip control holds for `tool`, "" when it has none.
std::string tooltip_text(HWND window, HWND tool) {
    TooltipSearch find{window};
    EnumThreadWindows(GetCurrentThreadId(), find_tooltip, reinterpret_cast<LPARAM>(&find));
    if (!find.tip) return {};
    wchar_t text[256] = {};
    TOOLINFOW info{};
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    info.hwnd = window;
    info.uId = reinterpret_cast<UINT_PTR>(tool);
    info.lpszText = text;
    SendMessageW(find.tip, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&info));
    return narrow(text);
}

}  // namespace

TEST_CASE("the splash window hands over to the main window without ending the loop") {
    {
        // The first main window of a process costs more than the timer's interval where the
        // program runs under emulation: have one before the handover is timed.
        Rig warm_up;
        warm_up.show_main();
    }
    Rig rig;
    rig.program->start();
    // The splash window's timer starts while it loads.
    const DWORD start = GetTickCount();
    HWND splash = rig.window(rig.ctx().frmSplash);
    REQUIRE(splash != nullptr);
    CHECK(IsWindowVisible(splash));
    CHECK(window_text(rig.renderer.control_hwnd(
              rig.ctx().frmSplash, rig.ctx().frmSplash.ctl("lblName", 0))) == "Pakscour v2.1");

    REQUIRE(rig.pump_until([&] { return rig.window(rig.main()) != nullptr; }, 6000));
    const DWORD elapsed = GetTickCount() - start;
    CHECK(elapsed >= 1900);
    CHECK(elapsed < 10000);
    CHECK_FALSE(rig.ctx().frmSplash.loaded());
    CHECK(rig.renderer.pump());
    CHECK_FALSE(IsWindow(splash));
    CHECK(IsWindowVisible(rig.window(rig.main())));
    CHECK(rig.app.boxes.empty());
}

TEST_CASE("the main window lists the selected game's alien files and cleans them") {
    Rig rig;
    rig.show_main();
    HWND main = rig.window(rig.main());
    REQUIRE(main != nullptr);
    CHECK(window_text(main) == "Pakscour v2.1");
    CHECK(window_text(rig.control("lblInstalled", 0)) == "Installed");
    CHECK(window_text(rig.control("lblVer", 2)) == "1.3");
    CHECK(IsWindowVisible(rig.control("lblCodPath")) == FALSE);
    const LONG_PTR style = GetWindowLongPtrW(main, GWL_STYLE);
    CHECK((style & WS_MINIMIZEBOX) != 0);
    CHECK((style & (WS_MAXIMIZEBOX | WS_THICKFRAME)) == 0);

    // Options > UO > Keep Official UO Map Pack: a sub-menu item, checked, and disabled while
    // the map packs are absent.
    HMENU uo = GetSubMenu(GetSubMenu(GetMenu(main), 1), 0);
    REQUIRE(uo != nullptr);
    const UINT keep = GetMenuState(uo, 0, MF_BYPOSITION);
    CHECK((keep & MF_CHECKED) != 0);
    CHECK((keep & MF_GRAYED) != 0);
    // Help: a separator before About.
    CHECK((GetMenuState(GetSubMenu(GetMenu(main), 2), 2, MF_BYPOSITION) & MF_SEPARATOR) != 0);

    CHECK(rig.ticked("chkCleanCod"));
    CHECK(rig.list_count() == 2);

    SUBCASE("a click on another game's box moves the tick and rescans") {
        SendMessageW(rig.control("chkCleanCod2"), BM_CLICK, 0, 0);
        rig.pump();
        CHECK(rig.ticked("chkCleanCod2"));
        CHECK_FALSE(rig.ticked("chkCleanCod"));
        CHECK(rig.main().ctl("chkCleanCod").value() == 0);
        CHECK(rig.list_count() == 1);
        char first[64] = {};
        SendMessageA(rig.control("List1"), LB_GETTEXT, 0, reinterpret_cast<LPARAM>(first));
        CHECK(std::string(first) == "extra.iwd");

        // A click on the ticked box leaves the game selected: the handler ticks it again, and
        // the real box shows it.
        SendMessageW(rig.control("chkCleanCod2"), BM_CLICK, 0, 0);
        rig.pump();
        CHECK(rig.ticked("chkCleanCod2"));
        CHECK(rig.list_count() == 1);
    }

    SUBCASE("Clean moves the listed files into the stamped folder") {
        REQUIRE(IsWindowEnabled(rig.control("cmdClean")));
        SendMessageW(rig.control("cmdClean"), BM_CLICK, 0, 0);
        rig.pump();
        CHECK(rig.list_count() == 0);
        CHECK_FALSE(IsWindowEnabled(rig.control("cmdClean")));
        const std::string status = window_text(rig.control("lblStatusBar"));
        const std::string prefix = "Alien files moved to: ";
        REQUIRE(status.rfind(prefix, 0) == 0);
        const std::string backup = status.substr(prefix.size());
        CHECK(backup.rfind(rig.games / "CoD\\Main\\", 0) == 0);
        CHECK(backup.size() == (rig.games / "CoD\\Main\\").size() + 12);
        CHECK(test::read_file(backup + "\\zz_alien.pk3") == "alien one");
        CHECK(test::read_file(backup + "\\mod.pk3") == "alien two");
        CHECK_FALSE(test::exists(rig.games / "CoD\\Main\\zz_alien.pk3"));
        CHECK_FALSE(test::exists(rig.games / "CoD\\Main\\mod.pk3"));
        CHECK(test::exists(rig.games / "CoD\\Main\\pak0.pk3"));
        CHECK_FALSE(rig.app.busy);
        CHECK(rig.app.boxes.empty());
        CHECK(tooltip_text(main, rig.control("lblStatusBar")) ==
              "Click here to open Windows Explorer and view the files");

        // A new selection takes the status line's tooltip away again.
        SendMessageW(rig.control("chkCleanCod2"), BM_CLICK, 0, 0);
        rig.pump();
        CHECK(tooltip_text(main, rig.control("lblStatusBar")).empty());
    }
}

TEST_CASE("the keyboard moves through the main window in its tab order") {
    Rig rig;
    rig.show_main();
    HWND main = rig.window(rig.main());
    REQUIRE(main != nullptr);
    const char* order[] = {"List1",      "cmdClean",    "cmdExit",
                           "chkCleanUo", "chkCleanCod", "chkCleanCod2"};
    for (int i = 0; i < 6; ++i) {
        CAPTURE(order[i]);
        HWND next = GetNextDlgTabItem(main, rig.control(order[i]), FALSE);
        CHECK(next == rig.control(order[(i + 1) % 6]));
    }
    // Labels and group boxes take no focus.
    CHECK((GetWindowLongPtrW(rig.control("lblStatusBar"), GWL_STYLE) & WS_TABSTOP) == 0);
    CHECK((GetWindowLongPtrW(rig.control("frmAlien"), GWL_STYLE) & WS_TABSTOP) == 0);
}

TEST_CASE("F1 shows and hides the help panel") {
    Rig rig;
    rig.show_main();
    HWND main = rig.window(rig.main());
    REQUIRE(main != nullptr);
    const int before = outer_height(main);
    const win32::Dpi dpi = win32::screen_dpi();
    const int client = rig.main().client_height();
    const int grow = win32::twips_to_px(client + 3545, dpi.y) - win32::twips_to_px(client, dpi.y);

    HMENU help = GetSubMenu(GetMenu(main), 2);
    REQUIRE(help != nullptr);
    CHECK((GetMenuState(help, 0, MF_BYPOSITION) & MF_CHECKED) == 0);

    PostMessageW(main, WM_KEYDOWN, VK_F1, 0);
    rig.pump();
    CHECK(outer_height(main) == before + grow);
    CHECK((GetMenuState(help, 0, MF_BYPOSITION) & MF_CHECKED) != 0);
    CHECK(IsWindowVisible(rig.control("Label4")));

    PostMessageW(main, WM_KEYDOWN, VK_F1, 0);
    rig.pump();
    CHECK(outer_height(main) == before);
    CHECK((GetMenuState(help, 0, MF_BYPOSITION) & MF_CHECKED) == 0);
}

TEST_CASE("the About window opens from the menu, stays on top and closes with Enter or Esc") {
    Rig rig;
    rig.show_main();
    HWND main = rig.window(rig.main());
    REQUIRE(main != nullptr);
    HMENU help = GetSubMenu(GetMenu(main), 2);
    const int about = static_cast<int>(GetMenuItemID(help, 3));
    for (UINT key : {VK_RETURN, VK_ESCAPE}) {
        CAPTURE(key);
        PostMessageW(main, WM_COMMAND, MAKEWPARAM(about, 0), 0);
        rig.pump();
        HWND box = rig.window(rig.ctx().frmAbout);
        REQUIRE(box != nullptr);
        CHECK(window_text(box) == "About Pakscour");
        CHECK((GetWindowLongPtrW(box, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0);
        HWND ok = rig.renderer.control_hwnd(rig.ctx().frmAbout, rig.ctx().frmAbout.ctl("cmdOK"));
        PostMessageW(ok, WM_KEYDOWN, key, 0);
        PostMessageW(ok, WM_KEYUP, key, 0);
        rig.pump();
        CHECK_FALSE(rig.ctx().frmAbout.loaded());
        CHECK(rig.window(rig.ctx().frmAbout) == nullptr);
    }
}

TEST_CASE("a list takes 10 000 entries at once") {
    Rig rig;
    rig.show_main();
    forms::Control& list = rig.main().ctl("List1");
    const auto start = std::chrono::steady_clock::now();
    list.clear_list();
    for (int i = 0; i < 10000; ++i) list.add_item("alien_" + std::to_string(i) + ".pk3");
    rig.pump();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - start)
                        .count();
    MESSAGE("10 000 entries added and drawn in " << ms << " ms");
    CHECK(rig.list_count() == 10000);
    CHECK(ms < 5000);
}

TEST_CASE("Enter presses the focused push button of a window without a default button") {
    Rig rig;
    rig.show_main();
    HWND main = rig.window(rig.main());
    REQUIRE(main != nullptr);
    // On the list, Enter does nothing.
    SetFocus(rig.control("List1"));
    PostMessageW(rig.control("List1"), WM_KEYDOWN, VK_RETURN, 0);
    rig.pump();
    CHECK(rig.main().loaded());
    // On "E&xit", Enter presses it, which closes the window.
    SetFocus(rig.control("cmdExit"));
    REQUIRE(GetFocus() == rig.control("cmdExit"));
    PostMessageW(rig.control("cmdExit"), WM_KEYDOWN, VK_RETURN, 0);
    rig.pump();
    CHECK_FALSE(rig.main().loaded());
}

TEST_CASE("Enter, Space and Esc press the buttons of every window by the dialog keyboard") {
    for (const test::DialogKeyCase& c : test::dialog_key_cases) {
        CAPTURE(test::describe(c));
        Rig rig;
        rig.show_main();
        std::vector<std::string> pressed;
        forms::Form& f = test::open_for_keys(rig.ctx(), c, pressed);
        rig.pump();
        HWND focus = rig.renderer.control_hwnd(f, f.ctl(c.focus));
        REQUIRE(focus != nullptr);
        SetFocus(focus);
        REQUIRE(GetFocus() == focus);
        const UINT vk = c.key == test::DialogKey::Enter   ? VK_RETURN
                        : c.key == test::DialogKey::Space ? VK_SPACE
                                                          : VK_ESCAPE;
        PostMessageW(focus, WM_KEYDOWN, vk, 1);
        PostMessageW(focus, WM_KEYUP, vk, static_cast<LPARAM>(0xC0000001u));
        rig.pump();
        CHECK(pressed ==
              (*c.pressed ? std::vector<std::string>{c.pressed} : std::vector<std::string>{}));
        rig.forms.unload(rig.ctx().frmRestore);
    }
}

TEST_CASE("closing the last window ends the message loop") {
    Rig rig;
    rig.show_main();
    HWND main = rig.window(rig.main());
    REQUIRE(main != nullptr);
    PostMessageW(main, WM_CLOSE, 0, 0);
    CHECK(rig.pump_until([&] { return !rig.renderer.pump(); }, 3000));
    CHECK_FALSE(rig.main().loaded());
    CHECK_FALSE(IsWindow(main));
}

TEST_CASE("Restore a Backup: a modal window of the main window, its newest backup selected") {
    Rig rig;
    rig.show_main();
    HWND main = rig.window(rig.main());
    REQUIRE(main != nullptr);
    // File: Restore a Backup..., a separator, Exit.
    HMENU file = GetSubMenu(GetMenu(main), 0);
    REQUIRE(GetMenuItemCount(file) == 3);
    CHECK((GetMenuState(file, 0, MF_BYPOSITION) & MF_GRAYED) == 0);
    CHECK((GetMenuState(file, 1, MF_BYPOSITION) & MF_SEPARATOR) != 0);
    const int restore = static_cast<int>(GetMenuItemID(file, 0));

    test::make_folder(rig.games / "CoD\\Main\\010125000000");
    test::write_file(rig.games / "CoD\\Main\\010125000000\\old.pk3", "older");
    SendMessageW(rig.control("cmdClean"), BM_CLICK, 0, 0);
    rig.pump();
    REQUIRE(rig.list_count() == 0);

    forms::Form& form = rig.ctx().frmRestore;
    auto open = [&] {
        PostMessageW(main, WM_COMMAND, MAKEWPARAM(restore, 0), 0);
        rig.pump();
        REQUIRE(rig.window(form) != nullptr);
    };
    auto key = [&](UINT vk) {
        HWND focus = GetFocus();
        REQUIRE(focus != nullptr);
        PostMessageW(focus, WM_KEYDOWN, vk, 0);
        PostMessageW(focus, WM_KEYUP, vk, 0);
        rig.pump();
    };
    open();
    HWND box = rig.window(form);
    CHECK(window_text(box) == "Restore a Backup");
    CHECK(GetWindow(box, GW_OWNER) == main);
    CHECK_FALSE(IsWindowEnabled(main));
    HWND list = rig.renderer.control_hwnd(form, form.ctl("lstBackups"));
    CHECK(GetFocus() == list);
    CHECK(SendMessageW(list, LB_GETCOUNT, 0, 0) == 2);
    CHECK(SendMessageW(list, LB_GETCURSEL, 0, 0) == 0);

    // The user's choice reaches the model; Esc closes and gives the main window its input back.
    SendMessageW(list, LB_SETCURSEL, 1, 0);
    SendMessageW(box, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
    CHECK(form.ctl("lstBackups").list_index() == 1);
    key(VK_ESCAPE);
    CHECK_FALSE(form.loaded());
    CHECK(IsWindowEnabled(main));
    CHECK(test::exists(rig.games / "CoD\\Main\\010125000000\\old.pk3"));

    // Enter on the focused Cancel button cancels.
    open();
    SetFocus(rig.renderer.control_hwnd(form, form.ctl("cmdCancel")));
    key(VK_RETURN);
    CHECK_FALSE(form.loaded());
    CHECK_FALSE(test::exists(rig.games / "CoD\\Main\\zz_alien.pk3"));

    // Enter restores the newest: the clean's files come back and are listed again.
    open();
    key(VK_RETURN);
    CHECK_FALSE(form.loaded());
    CHECK(IsWindowEnabled(main));
    CHECK(test::read_file(rig.games / "CoD\\Main\\zz_alien.pk3") == "alien one");
    CHECK(test::read_file(rig.games / "CoD\\Main\\mod.pk3") == "alien two");
    CHECK(rig.list_count() == 2);
    CHECK(test::exists(rig.games / "CoD\\Main\\010125000000\\old.pk3"));
    CHECK(window_text(rig.control("lblStatusBar")).rfind("2 files moved back from: ", 0) == 0);

    // Alt+B, the list label's access key, goes to the list; a double click on an entry
    // restores it.
    open();
    list = rig.renderer.control_hwnd(form, form.ctl("lstBackups"));
    SetFocus(rig.renderer.control_hwnd(form, form.ctl("cmdCancel")));
    PostMessageW(GetFocus(), WM_SYSCHAR, 'b', LPARAM{1} << 29);
    rig.pump();
    CHECK(GetFocus() == list);
    SendMessageW(rig.window(form), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), LBN_DBLCLK),
                 reinterpret_cast<LPARAM>(list));
    rig.pump();
    CHECK_FALSE(form.loaded());
    CHECK(test::read_file(rig.games / "CoD\\Main\\old.pk3") == "older");
    CHECK(rig.app.boxes.empty());
}

}  // namespace pakscour
