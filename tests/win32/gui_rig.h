// The real program over the real Win32 platform and renderer for the GUI tests: three games
// installed in a temporary folder (with HKEY_LOCAL_MACHINE moved to a key the test owns), a
// few alien files, and helpers to pump messages and read the real windows back.
#pragma once

#include <windows.h>

#include <doctest/doctest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/win32/wide.h"
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_registry_store.h"
#include "platform/win32/win32_renderer.h"
#include "temp_folder.h"
#include "test_platform.h"
#include "ui/program.h"

namespace pakscour::test {

using win32::narrow;
using win32::widen;

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

inline void set_text(const std::string& key, const std::string& name, const std::string& value) {
    HKEY h = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, widen(key).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                    &h, nullptr);
    const std::wstring v = widen(value);
    RegSetValueExW(h, widen(name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(v.c_str()),
                   static_cast<DWORD>((v.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(h);
}

inline std::string window_text(HWND h) {
    wchar_t buffer[1024] = {};
    GetWindowTextW(h, buffer, 1024);
    return narrow(buffer);
}

inline int outer_height(HWND h) {
    RECT r{};
    GetWindowRect(h, &r);
    return r.bottom - r.top;
}

// Installed Call of Duty (with United Offensive) and Call of Duty 2 with a few alien files,
// and the program over the real Win32 platform.
struct Rig {
    TempFolder games;
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
        make_folder(games / "CoD");
        make_folder(games / "CoD\\Main");
        make_folder(games / "CoD\\uo");
        make_folder(games / "CoD2");
        make_folder(games / "CoD2\\main");
        write_file(games / "CoD\\Main\\pak0.pk3", "stock");
        write_file(games / "CoD\\Main\\zz_alien.pk3", "alien one");
        write_file(games / "CoD\\Main\\mod.pk3", "alien two");
        write_file(games / "CoD2\\main\\iw_00.iwd", "stock");
        write_file(games / "CoD2\\main\\extra.iwd", "alien three");
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

}  // namespace pakscour::test
