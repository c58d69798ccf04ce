#include "ui/main/frm_main_layout.h"

namespace pakscour {

using forms::ControlKind;
using forms::Rect;

namespace {

forms::Control& label(forms::Form& f, const char* name, int index, const char* container, Rect r,
                      const char* caption) {
    forms::Control& c = f.add(ControlKind::Label, name, index, container, r);
    c.set_caption(caption);
    return c;
}

forms::Control& control(forms::Form& f, ControlKind kind, const char* name, const char* container,
                        Rect r, const char* caption) {
    forms::Control& c = f.add(kind, name, container, r);
    c.set_caption(caption);
    return c;
}

void game_panel(forms::Form& f) {
    struct Row {
        int top;
        const char* game;
        int game_left;
        int game_width;
    };
    const Row rows[] = {{360, "Call of Duty : ", 1320, 1095},
                        {720, "Call of Duty United Offensive : ", 120, 2295},
                        {1080, "Call of Duty 2 : ", 1200, 1215}};
    const forms::Font bold{"MS Sans Serif", 8.25, true, false};
    for (int i = 0; i < 3; ++i) {
        const Row& r = rows[i];
        label(f, "Label2", i, "Frame1", {r.game_left, r.top, r.game_width, 255}, r.game);
        label(f, "lblInstalled", i, "Frame1", {2520, r.top, 1695, 255}, "Not Installed")
            .set_font(bold);
        label(f, "Label2", i + 6, "Frame1", {4560, r.top, 735, 255}, "Version : ");
        label(f, "lblVer", i, "Frame1", {5400, r.top, 735, 255}, "N/A").set_font(bold);
    }
}

void menus(forms::Form& f) {
    f.add_menu("mnuFile", "&File", "");
    f.add_menu("mnuFileRestore", "&Restore a Backup...", "mnuFile").set_enabled(false);
    f.add_menu("mnuFileSpacer1", "-", "mnuFile");
    f.add_menu("mnuFileExit", "E&xit", "mnuFile");
    f.add_menu("mnuOptions", "&Options", "");
    f.add_menu("mnuOptionsUo", "UO", "mnuOptions");
    forms::MenuItem& map_pack =
        f.add_menu("mnuOptionsUOMapPack", "&Keep Official UO Map Pack", "mnuOptionsUo");
    map_pack.set_checked(true);
    map_pack.set_enabled(false);
    f.add_menu("mnuHelp", "&Help", "");
    forms::MenuItem& alien = f.add_menu("mnuHelpAlien", "&What is an Alien File", "mnuHelp");
    alien.set_checked(true);
    alien.shortcut = "F1";
    f.add_menu("mnuDisclaimer", "&Disclaimer", "mnuHelp");
    f.add_menu("mnuHelpSpacer1", "-", "mnuHelp");
    f.add_menu("mnuHelpAbout", "&About", "mnuHelp");
}

}  // namespace

void build_frm_main_layout(forms::Form& f) {
    f.set_caption("Form1");
    f.border = forms::BorderStyle::FixedSingle;
    f.min_button = true;
    f.max_button = false;
    f.icon = "icon";

    control(f, ControlKind::Frame, "Frame2", "", {120, 5040, 6375, 3375}, "What is an Alien File");
    label(f, "Label5", forms::no_index, "Frame2", {120, 2400, 6135, 855}, help_text_3).word_wrap =
        true;
    label(f, "Label3", forms::no_index, "Frame2", {120, 1440, 6135, 855}, help_text_2).word_wrap =
        true;
    label(f, "Label4", forms::no_index, "Frame2", {120, 360, 6135, 975}, help_text_1).word_wrap =
        true;

    control(f, ControlKind::Frame, "frmAlien", "", {120, 1680, 6375, 2895}, "Alien Files");
    struct Box {
        const char* name;
        Rect rect;
        const char* caption;
    };
    const Box boxes[] = {{"chkCleanCod2", {5040, 1080, 735, 255}, "Co&D2"},
                         {"chkCleanCod", {5040, 360, 615, 255}, "&CoD"},
                         {"chkCleanUo", {5040, 720, 615, 255}, "&UO"}};
    for (const Box& b : boxes)
        control(f, ControlKind::CheckBox, b.name, "frmAlien", b.rect, b.caption).set_enabled(false);
    control(f, ControlKind::CommandButton, "cmdExit", "frmAlien", {5040, 2520, 1215, 255}, "E&xit");
    control(f, ControlKind::CommandButton, "cmdClean", "frmAlien", {5040, 2160, 1215, 255},
            "&Clean");
    control(f, ControlKind::ListBox, "List1", "frmAlien", {120, 720, 4815, 1815}, "");
    control(f, ControlKind::Label, "lblAlienGame", "frmAlien", {120, 360, 4815, 255}, "");
    control(f, ControlKind::Label, "lblPath", "frmAlien", {120, 2520, 4815, 255}, "");

    control(f, ControlKind::Frame, "Frame1", "", {120, 120, 6375, 1455}, "Games Found");
    game_panel(f);

    control(f, ControlKind::Label, "lblCod2Path", "", {12720, 1200, 1095, 255}, "")
        .set_visible(false);
    control(f, ControlKind::Label, "lblStatusBar", "", {120, 4680, 6375, 255}, "");
    control(f, ControlKind::Label, "lblUOPath", "", {12720, 840, 1095, 255}, "").set_visible(false);
    control(f, ControlKind::Label, "lblCodPath", "", {12720, 480, 1095, 255}, "")
        .set_visible(false);

    menus(f);
    f.tab_order = {"List1", "cmdClean", "cmdExit", "chkCleanUo", "chkCleanCod", "chkCleanCod2"};
    // The design size; the load step sets the start-up size.
    f.set_width(6725);
    f.set_height(9230);
}

}  // namespace pakscour
