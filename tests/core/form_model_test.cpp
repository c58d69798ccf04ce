#include <doctest/doctest.h>

#include <string>
#include <vector>

#include "platform/forms/application.h"

using namespace pakscour::forms;

TEST_CASE("check box raises Click on programmatic changes only when the value changes") {
    Form f("frmTest");
    Control& box = f.add(ControlKind::CheckBox, "chk", "", {});
    std::vector<int> seen;
    box.on_click = [&] { seen.push_back(box.value()); };

    box.set_value(0);
    CHECK(seen.empty());
    box.set_value(1);
    CHECK(seen == std::vector<int>{1});
    box.set_value(1);
    CHECK(seen.size() == 1);
    box.user_click();
    CHECK(seen == std::vector<int>{1, 0});
    box.set_enabled(false);
    box.user_click();
    CHECK(seen.size() == 2);
    CHECK(box.value() == 0);
}

TEST_CASE("a Click raised by a change runs nested, before the setter returns") {
    Form f("frmTest");
    Control& a = f.add(ControlKind::CheckBox, "a", "", {});
    Control& b = f.add(ControlKind::CheckBox, "b", "", {});
    std::vector<std::string> order;
    a.on_click = [&] {
        order.push_back("a in");
        b.set_value(1);
        order.push_back("a out");
    };
    b.on_click = [&] { order.push_back("b"); };
    a.set_value(1);
    CHECK(order == std::vector<std::string>{"a in", "b", "a out"});
}

TEST_CASE("controls are found by name and index; an unknown one is an error") {
    Form f("frmTest");
    f.add(ControlKind::Label, "Label2", 6, "", {}).set_caption("six");
    f.add(ControlKind::Label, "Label2", 0, "", {}).set_caption("zero");
    CHECK(f.ctl("Label2", 6).caption() == "six");
    CHECK(f.ctl("Label2", 0).caption() == "zero");
    CHECK_FALSE(f.has("Label2", 3));
    CHECK_THROWS(f.ctl("Label2", 3));
    CHECK_THROWS(f.ctl("Label2"));
}

TEST_CASE("disabled menu items ignore the user") {
    Form f("frmTest");
    MenuItem& m = f.add_menu("mnuX", "&X", "");
    int clicks = 0;
    m.on_click = [&] { ++clicks; };
    m.user_click();
    m.set_enabled(false);
    m.user_click();
    CHECK(clicks == 1);
    CHECK(f.add_menu("mnuSep", "-", "").separator());
}

namespace {
struct CountingRenderer : Renderer {
    void create(Form&) override { ++created; }
    void show(Form&) override { ++shown; }
    void destroy(Form&) override { ++destroyed; }
    void last_window_closed() override { ++last; }
    std::uintptr_t native_handle(const Form&) const override { return 7; }
    int created = 0, shown = 0, destroyed = 0, last = 0;
};
}  // namespace

TEST_CASE("load runs once per loading; show of a loaded window only activates it") {
    Application app;
    CountingRenderer r;
    app.set_renderer(&r);
    Form f("frmTest");
    int loads = 0;
    f.build = [&](Form& form) {
        form.add(ControlKind::Label, "lbl", "", {});
        form.on_load = [&] {
            ++loads;
            form.ctl("lbl").set_caption(form.ctl("lbl").caption() + "x");
        };
    };
    app.show(f);
    app.show(f);
    CHECK(loads == 1);
    CHECK(r.created == 1);
    CHECK(r.shown == 2);
    CHECK(f.ctl("lbl").caption() == "x");

    app.unload(f);
    CHECK_FALSE(f.loaded());
    CHECK(r.destroyed == 1);
    CHECK(r.last == 1);
    // A new loading starts again from the design state.
    app.show(f);
    CHECK(loads == 2);
    CHECK(f.ctl("lbl").caption() == "x");
    CHECK(app.native_handle(f) == 7);
}

TEST_CASE("the program goes on while another window is loaded; a refused unload keeps it") {
    Application app;
    CountingRenderer r;
    app.set_renderer(&r);
    Form a("frmA"), b("frmB");
    bool refuse = true;
    a.build = [&](Form& form) { form.on_unload = [&](bool& cancel) { cancel = refuse; }; };
    app.show(a);
    app.show(b);
    app.unload(a);
    CHECK(a.loaded());
    refuse = false;
    app.unload(a);
    CHECK_FALSE(a.loaded());
    CHECK(r.last == 0);
    CHECK(app.any_loaded());
    app.unload(b);
    CHECK(r.last == 1);
}

TEST_CASE("outer size and client area agree through the non-client metrics") {
    Form f("frmTest");
    f.set_client_size(4965, 1545);
    CHECK(f.client_width() == 4965);
    CHECK(f.client_height() == 1545);
    CHECK(f.width() > 4965);
    CHECK(f.height() > 1545);
}
