#include "ui/dialogs/frm_splash.h"

#include "services/version.h"

namespace pakscour::frmSplash {

using forms::ControlKind;

void build(Context& ctx, forms::Form& f) {
    f.border = forms::BorderStyle::FixedDialog;
    f.has_caption = false;
    f.control_box = false;
    f.start_position = forms::StartPosition::CenterScreen;
    f.set_client_size(7470, 2775);

    f.add(ControlKind::Frame, "Frame1", "", {120, 0, 7215, 2655});
    f.add(ControlKind::PictureBox, "Picture3", "Frame1", {120, 240, 1770, 2280}).picture = "splash";
    struct Line {
        const char* caption;
        forms::Rect rect;
        double size;
    };
    const Line lines[] = {{app_title, {1920, 480, 5055, 615}, 24},
                          {"Developed by the", {1920, 1680, 5055, 375}, 12},
                          {"Vantorix", {1920, 1920, 5055, 495}, 20.25}};
    for (int i = 0; i < 3; ++i) {
        forms::Control& c = f.add(ControlKind::Label, "lblName", i, "Frame1", lines[i].rect);
        c.set_caption(lines[i].caption);
        c.set_font({"Courier New", lines[i].size, true, false});
        c.alignment = forms::Alignment::Center;
    }
    f.ctl("lblName", 2).set_fore_color({255, 0, 0});
    forms::Control& timer = f.add(ControlKind::Timer, "tmrSplash", "", {});
    timer.on_timer = [&ctx] { tmrSplash_Timer(ctx); };
    f.on_load = [&ctx] { Form_Load(ctx); };
}

void Form_Load(Context& ctx) {
    forms::Form& f = ctx.frmSplash;
    f.ctl("lblName", 0).set_caption(std::string(app_title) + " v" + version_text());
    f.ctl("tmrSplash").set_interval(2000);
    f.ctl("tmrSplash").set_timer_enabled(true);
}

void tmrSplash_Timer(Context& ctx) {
    ctx.frmSplash.ctl("tmrSplash").set_timer_enabled(false);
    ctx.p.forms.unload(ctx.frmSplash);
    ctx.p.forms.show(ctx.frmMain);
}

}  // namespace pakscour::frmSplash
