// The real program's windows on the Win32 renderer, worked through their real controls by
// messages (BM_CLICK, WM_KEYDOWN, WM_COMMAND) and read back from them.
#include <windows.h>

#include <commctrl.h>

#include <doctest/doctest.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

#include "platform/win32/wide.h"
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_metrics.h"
#include "platform/win32/win32_registry_store.h"
#include "platform/win32/win32_renderer.h"
#include "temp_folder.h"
#include "test_platform.h"
#include "ui/program.h"

namespace pakscour {

using win32::narrow;
using win32::widen;

namespace {

constexpr RegHandle hkcu = 0x80000001u;
constexpr RegHandle hklm = 0x80000002u;

// Message boxes are recorded; ending the program ends the test run with a failure.
class TestApp : public AppServices {
  public:
    void message_box(const std::string& text, const std::string& title) override {
        boxes.push_back(title + ": " + text);
    }
    void set_busy_pointer(bool on) override { busy = on; }
    [[noreturn]] void end_program(int code) override {
        std::fprintf(stderr, "the program ended itself (%d): %s\n", code,
                     boxes.empty() ? "" : boxes.back().c_str());
        std::fflush(stderr);
        ExitProcess(3);
    }
    std::string exe_name() override { return "pakscour"; }
    std::vector<std::string> boxes;
    bool busy = false;
};

// The real registry store, with HKEY_LOCAL_MACHINE moved to a key the test owns.
class MovedMachineRegistry : public RegistryStore {
  public:
    explicit MovedMachineRegistry(const std::string& machine) {
        store_.open_key(hkcu, machine, reg::key_read, machine_);
    }
    std::int32_t open_key(RegHandle root, const std::string& sub, std::uint32_t access,
                          RegHandle& key) override {
        return store_.open_key(root == hklm ? machine_ : root, sub, access, key);
    }
    std::int32_t query_value(RegHandle key, const std::string& name, std::uint32_t& type,
                             std::vector<std::uint8_t>& data, std::uint32_t& size) override {
        return store_.query_value(key, name, type, data, size);
    }
    std::int32_t close_key(RegHandle key) override { return store_.close_key(key); }

  private:
    win32::Win32RegistryStore store_;
    RegHandle machine_ = 0;
};

void set_text(const std::string& key, const std::string& name, const std::string& value) {
    HKEY h = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, widen(key).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                    &h, nullptr);
    const std::wstring v = widen(value);
    RegSetValueExW(h, widen(name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(v.c_str()),
                   static_cast<DWORD>((v.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(h);
}

std::string window_text(HWND h) {
    wchar_t buffer[1024] = {};
    GetWindowTextW(h, buffer, 1024);
    return narrow(buffer);
}

int outer_height(HWND h) {
    RECT r{};
    GetWindowRect(h, &r);
    return r.bottom - r.top;
}

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

// Installed Call of Duty (with United Offensive) and Call of Duty 2 with a few alien files,
// and the program over the real Win32 platform.
struct Rig {
    test::TempFolder games;
    std::string machine = "Software\\PakscourTest\\gui-" + std::to_string(GetCurrentProcessId());
    TestApp app;
    win32::Win32FileSystem fs;
    test::RecordingShell shell;
    win32::Win32Clock clock;
    forms::Application forms;
    win32::Win32Renderer renderer{app, forms};
    std::unique_ptr<MovedMachineRegistry> registry;
    std::unique_ptr<Program> program;

    Rig() {
        test::make_folder(games / "CoD");
        test::make_folder(games / "CoD\\Main");
        test::make_folder(games / "CoD\\uo");
        test::make_folder(games / "CoD2");
        test::make_folder(games / "CoD2\\main");
        test::write_file(games / "CoD\\Main\\pak0.pk3", "stock");
        test::write_file(games / "CoD\\Main\\zz_alien.pk3", "alien one");
        test::write_file(games / "CoD\\Main\\mod.pk3", "alien two");
        test::write_file(games / "CoD2\\main\\iw_00.iwd", "stock");
        test::write_file(games / "CoD2\\main\\extra.iwd", "alien three");
        const std::string activision = machine + "\\Software\\Activision\\";
        set_text(activision + "Call of Duty", "InstallPath", games / "CoD");
        set_text(activision + "Call of Duty", "Version", "1.5");
        set_text(activision + "Call of Duty United Offensive", "InstallPath", games / "CoD");
        set_text(activision + "Call of Duty United Offensive", "Version", "1.51");
        set_text(activision + "Call of Duty 2", "InstallPath", games / "CoD2\\");
        set_text(activision + "Call of Duty 2", "Version", "1.3");
        registry = std::make_unique<MovedMachineRegistry>(machine);
        forms.set_renderer(&renderer);
        program = std::make_unique<Program>(Platform{fs, *registry, shell, clock, app, forms});
    }
    ~Rig() {
        program.reset();
        forms.set_renderer(nullptr);
        registry.reset();
        RegDeleteTreeW(HKEY_CURRENT_USER, widen(machine).c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, widen(machine).c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\PakscourTest");
    }

    Context& ctx() { return program->context(); }
    forms::Form& main() { return ctx().frmMain; }
    HWND window(const forms::Form& f) { return reinterpret_cast<HWND>(renderer.native_handle(f)); }
    HWND control(const std::string& name, int index = forms::no_index) {
        return renderer.control_hwnd(main(), main().ctl(name, index));
    }
    int list_count() { return static_cast<int>(SendMessageW(control("List1"), LB_GETCOUNT, 0, 0)); }
    bool ticked(const std::string& name) {
        return SendMessageW(control(name), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
    // Runs the message loop until `done` holds or the time is up; false when it did not.
    bool pump_until(const std::function<bool()>& done, int timeout_ms = 5000) {
        const DWORD start = GetTickCount();
        while (!done()) {
            if (GetTickCount() - start > static_cast<DWORD>(timeout_ms)) return false;
            if (!renderer.pump()) return done();
            Sleep(5);
        }
        return true;
    }
    void pump() {
        pump_until([] { return false; }, 100);
    }
    void show_main() {
        forms.show(main());
        pump();
    }
};

}  // namespace

TEST_CASE("the splash window hands over to the main window without ending the loop") {
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

}  // namespace pakscour
