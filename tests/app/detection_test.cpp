#include <doctest/doctest.h>

#include <map>
#include <optional>
#include <vector>

#include "prefix_rig.h"

using namespace pakscour;
using namespace pakscour::test;

namespace {

struct Install {
    bool cod = false;
    bool uo = false;
    bool cod2 = false;
};

std::string registry_for(const Install& in) {
    std::string body;
    if (in.cod) body += game_key("Call of Duty", "C:\\Games\\CoD", "1.5");
    if (in.uo) body += game_key("Call of Duty United Offensive", "C:\\Games\\CoD", "1.51");
    if (in.cod2) body += game_key("Call of Duty 2", "C:\\Games\\CoD2\\", "1.3");
    return body;
}

}  // namespace

TEST_CASE("the load step finds the installed games and ticks the first") {
    struct Case {
        Install install;
        const char* ticked;
        bool probe;
    };
    const Case cases[] = {
        {{true, false, false}, "chkCleanCod", false}, {{false, false, true}, "chkCleanCod2", false},
        {{true, false, true}, "chkCleanCod", false},  {{true, true, false}, "chkCleanCod", true},
        {{true, true, true}, "chkCleanCod", true},    {{false, true, true}, "chkCleanCod2", false},
    };
    for (const Case& c : cases) {
        CAPTURE(c.install.cod);
        CAPTURE(c.install.uo);
        CAPTURE(c.install.cod2);
        TempPrefix prefix;
        prefix.write_system_reg(registry_for(c.install));
        prefix.file("Games/CoD/Main/pak0.pk3");
        prefix.file("Games/CoD/Main/mod.pk3");
        prefix.file("Games/CoD/uo/uomappack1.pk3");
        prefix.file("Games/CoD2/main/iw_00.iwd");
        PrefixRig rig(prefix);
        rig.forms.show(rig.main);

        const bool installed[] = {c.install.cod, c.install.cod && c.install.uo, c.install.cod2};
        const char* versions[] = {"1.5", "1.51", "1.3"};
        const char* boxes[] = {"chkCleanCod", "chkCleanUo", "chkCleanCod2"};
        for (int i = 0; i < 3; ++i) {
            CAPTURE(i);
            CHECK(rig.ctl("lblInstalled", i).caption() ==
                  (installed[i] ? "Installed" : "Not Installed"));
            CHECK(rig.ctl("lblVer", i).caption() == (installed[i] ? versions[i] : "N/A"));
            CHECK(rig.ctl(boxes[i]).enabled() == installed[i]);
            CHECK(rig.ctl(boxes[i]).value() == (std::string(boxes[i]) == c.ticked ? 1 : 0));
        }
        CHECK(rig.main.menu("mnuOptionsUOMapPack").enabled() == c.probe);
        CHECK(rig.main.caption() == "Pakscour v2.1");
        CHECK(rig.main.width() == 6725);
        CHECK(rig.main.height() == 5685);
        CHECK_FALSE(rig.main.menu("mnuHelpAlien").checked());
        CHECK(rig.ctl("lblStatusBar").caption() ==
              (c.install.cod ? "Found 1 Alien PK3 files"
                             : "There are no alien IWD files in your Main folder"));
        CHECK(rig.app.boxes.empty());
    }
}

TEST_CASE("without Call of Duty or Call of Duty 2 the program ends before the window shows") {
    for (const bool uo_only : {true, false}) {
        CAPTURE(uo_only);
        TempPrefix prefix;
        prefix.write_system_reg(uo_only ? registry_for({false, true, false}) : "");
        PrefixRig rig(prefix);
        CHECK_THROWS_AS(rig.forms.show(rig.main), ProgramEnded);
        CHECK_FALSE(rig.main.shown());
        REQUIRE(rig.app.boxes.size() == 1);
        CHECK(rig.app.boxes[0].text ==
              "Call of Duty was not found on your PC\r     This program will now terminate");
    }
}

TEST_CASE("unreadable install folders count as not installed") {
    TempPrefix prefix;
    prefix.write_system_reg(game_key("Call of Duty", "") +
                            game_key("Call of Duty United Offensive", "C:\\Games\\CoD") +
                            game_key("Call of Duty 2", "C:\\" + std::string(260, 'x')));
    PrefixRig rig(prefix);
    CHECK_THROWS_AS(rig.forms.show(rig.main), ProgramEnded);
    CHECK(rig.app.boxes.size() == 1);
}

TEST_CASE("a missing version shows an empty label; empty data does not end the program") {
    TempPrefix prefix;
    prefix.write_system_reg(
        "[Software\\\\Activision\\\\Call of Duty 2] 1700000000\n"
        "\"InstallPath\"=\"C:\\\\Games\\\\CoD2\"\n"
        "[Software\\\\Activision\\\\Call of Duty] 1700000000\n"
        "\"InstallPath\"=hex:\n");
    prefix.file("Games/CoD2/main/extra.iwd");
    PrefixRig rig(prefix);
    rig.forms.show(rig.main);
    CHECK(rig.ctl("lblInstalled", 0).caption() == "Not Installed");
    CHECK(rig.ctl("lblVer", 2).caption().empty());
    CHECK(rig.ctl("chkCleanCod2").value() == 1);
    // No final backslash in the folder text: the scan still looks into its main folder.
    CHECK(rig.ctl("lblPath").caption() == "C:\\Games\\CoD2\\main\\*.iwd");
    CHECK(rig.ctl("lblStatusBar").caption() == "Found 1 Alien IWD files");
    CHECK(rig.app.boxes.empty());
}

TEST_CASE("on a 64-bit prefix the games are found where their 32-bit installers wrote them") {
    TempPrefix prefix;
    prefix.write_system_reg(
        "#arch=win64\n\n[Software\\\\Wow6432Node\\\\Activision\\\\Call of Duty] 1700000000\n"
        "\"InstallPath\"=\"C:\\\\Games\\\\CoD\"\n\"Version\"=\"1.5\"\n");
    PrefixRig rig(prefix);
    rig.forms.show(rig.main);
    CHECK(rig.ctl("lblInstalled", 0).caption() == "Installed");
    CHECK(rig.ctl("chkCleanCod").value() == 1);
}

namespace {

// Answers from a table by Steam app id and records what it was asked.
struct ScriptedFinder : GameFinder {
    std::optional<FoundGame> find(const GameQuery& game) override {
        asked.push_back(game);
        const auto it = answers.find(game.steam_app_id);
        if (it == answers.end()) return std::nullopt;
        return it->second;
    }
    std::map<std::string, FoundGame> answers;
    std::vector<GameQuery> asked;
};

}  // namespace

TEST_CASE("the other places are asked only for games the registry has no folder for") {
    TempPrefix prefix;
    prefix.write_system_reg(game_key("Call of Duty", "C:\\Games\\CoD", "1.5"));
    prefix.file("Games/CoD/Main/mod.pk3");
    ScriptedFinder finder;
    finder.answers["2620"] = {"Z:\\elsewhere\\CoD", "9.9"};
    finder.answers["2640"] = {"Z:\\steam\\common\\Call of Duty United Offensive", ""};
    finder.answers["2630"] = {"Z:\\steam\\common\\Call of Duty 2", "1.3"};
    PrefixRig rig(prefix, finder);
    rig.forms.show(rig.main);

    REQUIRE(finder.asked.size() == 2);
    CHECK(finder.asked[0].key_path ==
          "HKEY_LOCAL_MACHINE\\Software\\Activision\\Call of Duty United Offensive");
    CHECK(finder.asked[0].steam_app_id == "2640");
    CHECK(finder.asked[1].key_path == "HKEY_LOCAL_MACHINE\\Software\\Activision\\Call of Duty 2");
    CHECK(finder.asked[1].steam_app_id == "2630");
    // The registry's own text and version for CoD; folder and version of the place found for
    // the others, an empty version label where that place has none.
    CHECK(rig.ctl("lblCodPath").caption() == "C:\\Games\\CoD");
    CHECK(rig.ctl("lblVer", 0).caption() == "1.5");
    CHECK(rig.ctl("lblUOPath").caption() == "Z:\\steam\\common\\Call of Duty United Offensive");
    CHECK(rig.ctl("lblVer", 1).caption().empty());
    CHECK(rig.ctl("lblCod2Path").caption() == "Z:\\steam\\common\\Call of Duty 2");
    CHECK(rig.ctl("lblVer", 2).caption() == "1.3");
    for (int i = 0; i < 3; ++i) CHECK(rig.ctl("lblInstalled", i).caption() == "Installed");
    CHECK(rig.ctl("chkCleanCod").value() == 1);
    CHECK(rig.ctl("lblStatusBar").caption() == "Found 1 Alien PK3 files");
}
