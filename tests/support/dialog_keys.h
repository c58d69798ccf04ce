// Enter, Space and Esc on the buttons of every window, as the 32-bit Windows program answers them
// (the dialog keyboard interface): one table that the Qt and the Win32 GUI tests both run.
#pragma once

#include <string>
#include <vector>

#include "ui/program.h"

namespace pakscour::test {

enum class DialogKey { Enter, Space, Escape };

struct DialogKeyCase {
    const char* window;  // the form, opened over the main window
    const char* focus;   // the control that has the focus
    DialogKey key;
    const char* disabled;  // a button disabled before the key, or ""
    const char* pressed;   // the button whose Click the key runs, or "" for none
};

// The main window and the Disclaimer have neither a default nor a cancel button; About's OK is
// both; Restore has Restore as its default button and Cancel as its cancel button.
inline constexpr DialogKeyCase dialog_key_cases[] = {
    {"frmMain", "cmdClean", DialogKey::Enter, "", "cmdClean"},
    {"frmMain", "cmdExit", DialogKey::Enter, "", "cmdExit"},
    {"frmMain", "cmdClean", DialogKey::Space, "", "cmdClean"},
    {"frmMain", "cmdExit", DialogKey::Escape, "", ""},
    {"frmMain", "List1", DialogKey::Enter, "", ""},
    {"frmDisclaim", "cmdAccept", DialogKey::Enter, "", "cmdAccept"},
    {"frmDisclaim", "cmdAccept", DialogKey::Space, "", "cmdAccept"},
    {"frmDisclaim", "cmdAccept", DialogKey::Escape, "", ""},
    {"frmAbout", "cmdOK", DialogKey::Enter, "", "cmdOK"},
    {"frmAbout", "cmdOK", DialogKey::Space, "", "cmdOK"},
    {"frmAbout", "cmdOK", DialogKey::Escape, "", "cmdOK"},
    {"frmRestore", "lstBackups", DialogKey::Enter, "", "cmdRestore"},
    {"frmRestore", "lstBackups", DialogKey::Escape, "", "cmdCancel"},
    {"frmRestore", "lstBackups", DialogKey::Space, "", ""},
    {"frmRestore", "lstBackups", DialogKey::Enter, "cmdRestore", ""},
    {"frmRestore", "cmdRestore", DialogKey::Enter, "", "cmdRestore"},
    {"frmRestore", "cmdRestore", DialogKey::Escape, "", "cmdCancel"},
    {"frmRestore", "cmdRestore", DialogKey::Escape, "cmdCancel", ""},
    {"frmRestore", "cmdCancel", DialogKey::Enter, "", "cmdCancel"},
    {"frmRestore", "cmdCancel", DialogKey::Space, "", "cmdCancel"},
};

inline std::string describe(const DialogKeyCase& c) {
    const char* keys[] = {"Enter", "Space", "Esc"};
    return std::string(c.window) + ": " + keys[static_cast<int>(c.key)] + " on " + c.focus +
           (*c.disabled ? std::string(", ") + c.disabled + " disabled" : std::string());
}

// Opens the case's window over the shown main window (Restore once a game is ticked) through
// the model's menu items, and makes every button of it enabled, save the one the case disables,
// and recording its Click in `pressed` instead of running it.
inline forms::Form& open_for_keys(Context& ctx, const DialogKeyCase& c,
                                  std::vector<std::string>& pressed) {
    const std::string window = c.window;
    forms::Form* f = &ctx.frmMain;
    if (window == "frmAbout") {
        ctx.frmMain.menu("mnuHelpAbout").user_click();
        f = &ctx.frmAbout;
    } else if (window == "frmDisclaim") {
        ctx.frmMain.menu("mnuDisclaimer").user_click();
        f = &ctx.frmDisclaim;
    } else if (window == "frmRestore") {
        if (ctx.frmMain.ctl("chkCleanCod").value() == 0)
            ctx.frmMain.ctl("chkCleanCod").user_click();
        ctx.frmMain.menu("mnuFileRestore").user_click();
        f = &ctx.frmRestore;
    }
    for (const auto& control : f->controls()) {
        if (control->kind() != forms::ControlKind::CommandButton) continue;
        const std::string name = control->name();
        control->on_click = [&pressed, name] { pressed.push_back(name); };
        control->set_enabled(name != c.disabled);
    }
    return *f;
}

}  // namespace pakscour::test
