#include <doctest/doctest.h>

#include "rig.h"
#include "ui/dialogs/frm_about.h"
#include "ui/dialogs/frm_disclaim.h"

using namespace pakscour;
using pakscour::test::Rig;

TEST_CASE("the splash shows the version and hands over to the main window once") {
    Rig rig;
    rig.fs.listings["C:\\CoD\\Main\\*.pk3"] = {};
    rig.program.start();
    forms::Form& splash = rig.ctx.frmSplash;
    REQUIRE(splash.loaded());
    CHECK(splash.ctl("lblName", 0).caption() == "Pakscour v2.1");
    CHECK(splash.ctl("lblName", 2).caption() == "Vantorix");
    CHECK(splash.ctl("lblName", 2).fore_color() == std::optional<forms::Color>({255, 0, 0}));
    forms::Control& timer = splash.ctl("tmrSplash");
    CHECK(timer.interval() == 2000);
    CHECK(timer.timer_enabled());
    CHECK_FALSE(rig.main.loaded());

    // With no game in the registry the main window's load step ends the program.
    CHECK_THROWS_AS(timer.fire_timer(), test::ProgramEnded);
    CHECK_FALSE(splash.loaded());
    REQUIRE(rig.app.boxes.size() == 1);
    CHECK(rig.app.boxes[0].text ==
          "Call of Duty was not found on your PC\r     This program will now terminate");
    CHECK(rig.app.boxes[0].title == "Pakscour");
    CHECK_FALSE(rig.main.shown());
}

TEST_CASE("closing the splash before its timer leaves no window") {
    Rig rig;
    rig.program.start();
    rig.forms.unload(rig.ctx.frmSplash);
    CHECK_FALSE(rig.forms.any_loaded());
    CHECK_FALSE(rig.main.loaded());
}

TEST_CASE("the disclaimer's text is built afresh at each loading") {
    Rig rig;
    forms::Form& d = rig.ctx.frmDisclaim;
    const std::string expected = std::string(frmDisclaim::paragraph_1) + "\r\n\r\n" +
                                 frmDisclaim::paragraph_2 + "\r\n\r\n" + frmDisclaim::paragraph_3;
    rig.forms.show(d);
    rig.forms.show(d);
    CHECK(d.ctl("lblDisclaim").caption() == expected);
    CHECK(d.caption() == "DISCLAIMER");
    CHECK(d.topmost());
    CHECK(expected.find("loss of use,  whether") != std::string::npos);
    d.ctl("cmdAccept").user_click();
    CHECK_FALSE(d.loaded());
    rig.forms.show(d);
    CHECK(d.ctl("lblDisclaim").caption() == expected);
}

TEST_CASE("the About window and its link follow the connection") {
    for (const bool online : {true, false}) {
        CAPTURE(online);
        Rig rig;
        rig.shell.connected = online;
        forms::Form& a = rig.ctx.frmAbout;
        rig.forms.show(a);
        CHECK(a.caption() == "About Pakscour");
        CHECK(a.ctl("lblVersion").caption() == "Version 2.1");
        CHECK(a.ctl("lblTitle").caption() == "Pakscour");
        CHECK(a.ctl("lblDescription").caption() ==
              "Call of Duty, United Offensive & Call of Duty 2\r\nRestore your CoD / UO & CoD2 "
              "to its stock installation.");
        CHECK(a.ctl("lblWebURL").tooltip() ==
              (online ? "Click here to visit the Vantorix's website" : ""));
        a.ctl("lblWebURL").user_click();
        a.ctl("lblWebURL").user_click();
        CHECK(rig.shell.calls.size() == (online ? 2u : 0u));
        if (online) CHECK(rig.shell.calls[0].file == frmAbout::web_address);
        CHECK(a.ctl("cmdOK").is_default);
        CHECK(a.ctl("cmdOK").is_cancel);
        a.ctl("cmdOK").user_click();
        CHECK_FALSE(a.loaded());
    }
}
