#include "ui/dialogs/frm_about.h"

#include "services/shell_services.h"
#include "services/version.h"

namespace pakscour::frmAbout {

using forms::ControlKind;

void build(Context& ctx, forms::Form& f) {
    f.border = forms::BorderStyle::FixedSingle;
    f.start_position = forms::StartPosition::CenterScreen;
    f.set_caption("About MyApp");
    f.set_client_size(4965, 1545);

    const forms::Color black{0, 0, 0};
    f.add(ControlKind::PictureBox, "picIcon", "", {120, 120, 540, 540}).picture = "icon";
    forms::Control& title = f.add(ControlKind::Label, "lblTitle", "", {930, 120, 3285, 240});
    title.set_caption("Application Title");
    title.set_fore_color(black);
    f.add(ControlKind::Label, "lblVersion", "", {930, 360, 3285, 225}).set_caption("Version");
    forms::Control& description =
        f.add(ControlKind::Label, "lblDescription", "", {930, 600, 3885, 405});
    description.set_caption("App Description");
    description.set_fore_color(black);
    f.add(ControlKind::Line, "Line1", 1, "", {120, 1080, 4800, 1080})
        .set_fore_color({128, 128, 128});
    forms::Control& white = f.add(ControlKind::Line, "Line1", 0, "", {120, 1080, 4800, 1080});
    white.set_fore_color({255, 255, 255});
    white.line_width = 2;
    forms::Control& link = f.add(ControlKind::Label, "lblWebURL", "", {1320, 1200, 1455, 255});
    link.set_caption(web_address);
    link.set_fore_color({0, 0, 255});
    link.set_font({"MS Sans Serif", 8.25, false, true});
    link.on_click = [&ctx] { lblWebURL_Click(ctx); };
    forms::Control& ok = f.add(ControlKind::CommandButton, "cmdOK", "", {3960, 1200, 900, 255});
    ok.set_caption("OK");
    ok.is_default = true;
    ok.is_cancel = true;
    ok.on_click = [&ctx] { cmdOK_Click(ctx); };
    f.tab_order = {"cmdOK"};
    f.on_load = [&ctx] { Form_Load(ctx); };
}

void Form_Load(Context& ctx) {
    forms::Form& f = ctx.frmAbout;
    f.ctl("lblWebURL").set_tooltip(is_connected(ctx) ? link_tooltip : "");
    f.set_topmost(true);
    f.set_caption(std::string("About ") + app_title);
    f.ctl("lblVersion").set_caption("Version " + version_text());
    f.ctl("lblTitle").set_caption(app_title);
    f.ctl("lblDescription")
        .set_caption(
            "Call of Duty, United Offensive & Call of Duty 2\r\nRestore your CoD / UO & CoD2 to "
            "its stock installation.");
}

void lblWebURL_Click(Context& ctx) {
    if (is_connected(ctx)) open_url(ctx, web_address);
}

void cmdOK_Click(Context& ctx) {
    ctx.p.forms.unload(ctx.frmAbout);
}

}  // namespace pakscour::frmAbout
