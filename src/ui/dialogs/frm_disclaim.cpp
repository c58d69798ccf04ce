#include "ui/dialogs/frm_disclaim.h"

namespace pakscour::frmDisclaim {

using forms::ControlKind;

void build(Context& ctx, forms::Form& f) {
    f.border = forms::BorderStyle::FixedSingle;
    f.set_caption("DISCLAIMER");
    f.set_client_size(5430, 3915);

    forms::Control& accept =
        f.add(ControlKind::CommandButton, "cmdAccept", "", {2040, 3600, 1095, 255});
    accept.set_caption("&Accept");
    accept.on_click = [&ctx] { cmdAccept_Click(ctx); };
    f.add(ControlKind::Frame, "Frame1", "", {120, 120, 5175, 3375})
        .set_caption("Disclaimer and Terms of use");
    f.add(ControlKind::Label, "lblDisclaim", "Frame1", {120, 240, 4935, 3015}).word_wrap = true;
    f.tab_order = {"cmdAccept"};
    f.on_load = [&ctx] { Form_Load(ctx); };
}

void Form_Load(Context& ctx) {
    forms::Form& f = ctx.frmDisclaim;
    f.set_topmost(true);
    forms::Control& text = f.ctl("lblDisclaim");
    text.set_caption(std::string(paragraph_1) + "\r\n\r\n");
    text.set_caption(text.caption() + paragraph_2 + "\r\n\r\n");
    text.set_caption(text.caption() + paragraph_3);
}

void cmdAccept_Click(Context& ctx) {
    ctx.p.forms.unload(ctx.frmDisclaim);
}

}  // namespace pakscour::frmDisclaim
