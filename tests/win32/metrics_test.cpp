#include <doctest/doctest.h>

#include "platform/forms/form.h"
#include "platform/win32/win32_metrics.h"

namespace pakscour {

using forms::ControlKind;
using win32::PixelRect;

TEST_CASE("twips become pixels by the screen's DPI") {
    struct Row {
        int twips;
        int dpi;
        int px;
    };
    const Row rows[] = {{1440, 96, 96},   {15, 96, 1},    {6725, 96, 448}, {5685, 96, 379},
                        {1440, 120, 120}, {255, 144, 26}, {0, 96, 0},      {-120, 96, -8}};
    for (const Row& r : rows) {
        CAPTURE(r.twips);
        CAPTURE(r.dpi);
        CHECK(win32::twips_to_px(r.twips, r.dpi) == r.px);
    }
    CHECK(win32::font_height(8, 96) == -11);
    CHECK(win32::font_height(24, 96) == -32);
    CHECK(win32::font_height(8.25, 120) == -14);
}

TEST_CASE("the icon sizes at 100 to 200 % scaling are the ones the icon file holds") {
    const int rows[][3] = {{96, 32, 16}, {120, 40, 20}, {144, 48, 24}, {192, 64, 32}, {0, 32, 16}};
    for (const auto& r : rows) {
        CAPTURE(r[0]);
        CHECK(win32::icon_px(32, r[0]) == r[1]);
        CHECK(win32::icon_px(16, r[0]) == r[2]);
    }
}

TEST_CASE("controls inside group boxes are placed from the group box's corner") {
    forms::Form f("frmTest");
    f.add(ControlKind::Frame, "frmAlien", "", {120, 1680, 6375, 2895});
    f.add(ControlKind::CheckBox, "chkCleanCod", "frmAlien", {5040, 360, 615, 255});
    f.add(ControlKind::Frame, "inner", "frmAlien", {150, 150, 1500, 1500});
    f.add(ControlKind::Label, "deep", "inner", {15, 30, 150, 300});
    f.add(ControlKind::Label, "orphan", "missing", {150, 150, 150, 150});
    f.add(ControlKind::Label, "loop", "loop", {15, 15, 15, 15});

    struct Row {
        const char* name;
        PixelRect px;
    };
    const Row rows[] = {
        {"frmAlien", {8, 112, 425, 193}},
        {"chkCleanCod", {344, 136, 41, 17}},
        {"deep", {19, 124, 10, 20}},
        {"orphan", {10, 10, 10, 10}},
    };
    for (const Row& r : rows) {
        CAPTURE(r.name);
        const PixelRect got = win32::client_rect(f, f.ctl(r.name), {96, 96});
        CHECK(got.left == r.px.left);
        CHECK(got.top == r.px.top);
        CHECK(got.width == r.px.width);
        CHECK(got.height == r.px.height);
    }
    // A control that names itself as its container is placed, not looped on forever.
    const PixelRect loop = win32::client_rect(f, f.ctl("loop"), {96, 96});
    CHECK(loop.width == 1);
}

}  // namespace pakscour
