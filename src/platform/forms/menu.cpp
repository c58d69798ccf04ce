#include "platform/forms/menu.h"

#include <utility>

#include "platform/forms/form.h"

namespace pakscour::forms {

MenuItem::MenuItem(Form& form, std::string name, std::string caption, std::string parent)
    : form_(&form),
      name_(std::move(name)),
      caption_(std::move(caption)),
      parent_(std::move(parent)) {}

void MenuItem::notify(Property p) {
    if (auto* o = form_->observer()) o->menu_changed(*this, p);
}

void MenuItem::set_checked(bool on) {
    if (on == checked_) return;
    checked_ = on;
    notify(Property::Checked);
}

void MenuItem::set_enabled(bool on) {
    if (on == enabled_) return;
    enabled_ = on;
    notify(Property::Enabled);
}

void MenuItem::user_click() {
    if (enabled_ && on_click) on_click();
}

}  // namespace pakscour::forms
