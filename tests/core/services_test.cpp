#include <doctest/doctest.h>

#include "engine/clean.h"
#include "rig.h"
#include "services/error_report.h"
#include "services/shell_services.h"

using namespace pakscour;
using pakscour::test::ProgramEnded;
using pakscour::test::Rig;

TEST_CASE("the error report's text and title") {
    CHECK(number_text(53) == " 53");
    CHECK(number_text(0) == " 0");
    CHECK(number_text(-2147220456) == "-2147220456");
    CHECK(error_report_text("modPublic (get_alien_files)", " 53", "File not found") ==
          "An error has occurred in modPublic (get_alien_files)\r\n\r\nError number:  53\r\n"
          "Error description: File not found");
    CHECK(error_report_text("x (y)", "-5", "") ==
          "An error has occurred in x (y)\r\n\r\nError number: -5\r\nError description: ");
    CHECK(error_report_title() == "Error in Pakscour V2.1");
}

TEST_CASE("a trapped body that fails skips its rest, is reported under its own name, and ends") {
    Rig rig;
    bool rest_ran = false;
    bool after_ran = false;
    rig.app.busy = true;
    auto failing_callee = [] { raise_error(err::file_not_found); };
    CHECK_THROWS_AS(
        {
            trapped(rig.ctx, "frmMain (Form_Load)", [&] {
                failing_callee();
                rest_ran = true;
            });
            after_ran = true;
        },
        ProgramEnded);
    CHECK_FALSE(rest_ran);
    CHECK_FALSE(after_ran);
    REQUIRE(rig.app.boxes.size() == 1);
    CHECK(rig.app.boxes[0].text ==
          "An error has occurred in frmMain (Form_Load)\r\n\r\nError number:  53\r\n"
          "Error description: File not found");
    CHECK(rig.app.boxes[0].title == "Error in Pakscour V2.1");
    CHECK_FALSE(rig.app.busy);
}

TEST_CASE("a trapped body that ends normally shows nothing and clears the current error") {
    Rig rig;
    rig.ctx.err = RuntimeError{75, "old", ""};
    int ran = 0;
    trapped(rig.ctx, "modPublic (init)", [&] { ++ran; });
    CHECK(ran == 1);
    CHECK(rig.ctx.err.number == 0);
    CHECK(rig.app.boxes.empty());
}

TEST_CASE("shell failure codes become run-time errors") {
    struct Case {
        std::int32_t result;
        bool accepted;
        std::int32_t number;
        const char* message;
    };
    const Case cases[] = {
        {33, true, 0, ""},
        {42, true, 0, ""},
        {-1, true, 0, ""},
        {32, false, 48, "The specified dynamic-link library was not found."},
        {0, false, 7, "Out of memory"},
        {2, false, 53, "File not found"},
        {3, false, 76, "Path not found"},
        {5, false, 75, "Path/file access error"},
        {11, false, -2147220445, "The executable file is invalid or corrupt"},
        {26, false, 75, "A sharing violation occurred."},
        {31, false, -2147220425, "No application is associated with this file type."},
        {1, false, -2147220455,
         "An error occurred occurred whilst trying to open or print the selected file."},
        {25, false, -2147220431,
         "An error occurred occurred whilst trying to open or print the selected file."},
    };
    for (const Case& c : cases) {
        CAPTURE(c.result);
        Rig rig;
        rig.shell.result = c.result;
        rig.ctx.err = RuntimeError{};
        CHECK(shell_open(rig.ctx, "C:\\x", 10, "", "", "explore", 0) == c.accepted);
        CHECK(rig.ctx.err.number == c.number);
        if (!c.accepted) {
            CHECK(rig.ctx.err.description == c.message);
            CHECK(rig.ctx.err.source == "pakscour.GShell");
        }
        CHECK(rig.app.boxes.empty());
    }
}

TEST_CASE("programs are started hidden unless no parameters and no folder are given") {
    struct Case {
        const char* file;
        const char* params;
        std::int32_t show;
    };
    const Case cases[] = {{"C:\\run.EXE", "-x", 0},
                          {"c:\\Setup.exe", "", 0},
                          {"c:\\setup.Exe", "", 1},
                          {"C:\\doc.txt", "-x", 5}};
    for (const Case& c : cases) {
        CAPTURE(c.file);
        Rig rig;
        const bool with_dir = std::string(c.params).empty() && c.show == 0;
        shell_open(rig.ctx, c.file, 5, c.params, with_dir ? "C:\\" : "", "open", 9);
        REQUIRE(rig.shell.calls.size() == 1);
        CHECK(rig.shell.calls[0].show_command == c.show);
        CHECK(rig.shell.calls[0].owner == 9);
    }
}

TEST_CASE("an address goes to the shell's default action") {
    Rig rig;
    open_url(rig.ctx, "www.example.test");
    REQUIRE(rig.shell.calls.size() == 1);
    CHECK_FALSE(rig.shell.calls[0].verb.has_value());
    CHECK_FALSE(rig.shell.calls[0].parameters.has_value());
    CHECK(rig.shell.calls[0].show_command == 1);
    CHECK(rig.shell.calls[0].owner == 0);
}

TEST_CASE("the status line's tooltip follows backup_made") {
    Rig rig;
    test::prepare_main_window(rig.program, "C:\\CoD", "", "");
    rig.ctx.state.backup_made = true;
    set_statusbar(rig.ctx);
    CHECK(rig.ctx.frmMain.ctl("lblStatusBar").tooltip() ==
          "Click here to open Windows Explorer and view the files");
    rig.ctx.state.backup_made = false;
    set_statusbar(rig.ctx);
    CHECK(rig.ctx.frmMain.ctl("lblStatusBar").tooltip().empty());
}

TEST_CASE("the backup stamp is cut from the clock's texts by position") {
    CHECK(backup_stamp("06/12/2026", "14:05:09") == "061226140509");
    CHECK(backup_stamp("6/12/2026", "14:05:09") == "6/2/6140509");
    CHECK(backup_stamp("06/12/2026", "2:05:09 PM") == "0612262:5:9 ");
    CHECK(backup_stamp("", "") == "");
    CHECK(backup_stamp("06/12", "14") == "061214");
}
