#include "platform/forms/control.h"

#include <stdexcept>
#include <utility>

#include "platform/forms/form.h"

namespace pakscour::forms {

Control::Control(Form& form, ControlKind kind, std::string name, int index, std::string container,
                 Rect rect)
    : form_(&form),
      kind_(kind),
      name_(std::move(name)),
      index_(index),
      container_(std::move(container)),
      rect_(rect) {}

void Control::notify(Property p) {
    if (auto* o = form_->observer()) o->control_changed(*this, p);
}

void Control::set_rect(Rect r) {
    rect_ = r;
    notify(Property::Geometry);
}

void Control::set_caption(std::string text) {
    if (text == caption_) return;
    caption_ = std::move(text);
    notify(Property::Caption);
}

void Control::set_enabled(bool on) {
    if (on == enabled_) return;
    enabled_ = on;
    notify(Property::Enabled);
}

void Control::set_visible(bool on) {
    if (on == visible_) return;
    visible_ = on;
    notify(Property::Visible);
}

void Control::set_tooltip(std::string text) {
    if (text == tooltip_) return;
    tooltip_ = std::move(text);
    notify(Property::ToolTip);
}

void Control::set_value(int v) {
    if (v == value_) return;
    value_ = v;
    notify(Property::Value);
    if (kind_ == ControlKind::CheckBox) raise_click();
}

void Control::clear_list() {
    items_.clear();
    list_index_ = -1;
    notify(Property::ListClear);
}

void Control::set_list_index(int i) {
    if (i < -1 || i >= list_count()) throw std::out_of_range("list index out of range");
    if (i == list_index_) return;
    list_index_ = i;
    notify(Property::ListIndex);
}

void Control::add_item(std::string text) {
    items_.push_back(std::move(text));
    notify(Property::ListAdd);
}

const std::string& Control::item(int i) const {
    if (i < 0 || i >= list_count()) throw std::out_of_range("list index out of range");
    return items_[static_cast<std::size_t>(i)];
}

void Control::set_font(Font f) {
    font_ = std::move(f);
    notify(Property::Font);
}

void Control::set_fore_color(Color c) {
    fore_color_ = c;
    notify(Property::ForeColor);
}

void Control::set_interval(int ms) {
    if (ms == interval_) return;
    interval_ = ms;
    notify(Property::TimerInterval);
}

void Control::set_timer_enabled(bool on) {
    if (on == timer_enabled_) return;
    timer_enabled_ = on;
    notify(Property::TimerEnabled);
}

void Control::fire_timer() {
    if (timer_enabled_ && interval_ > 0 && on_timer) on_timer();
}

void Control::user_click() {
    if (!enabled_ || !visible_) return;
    if (kind_ == ControlKind::CheckBox) {
        // Toggling raises Click through the value's own rule.
        set_value(value_ == 0 ? 1 : 0);
        return;
    }
    raise_click();
}

void Control::raise_click() {
    if (on_click) on_click();
}

void Control::user_double_click() {
    if (!enabled_ || !visible_) return;
    if (on_double_click) on_double_click();
}

}  // namespace pakscour::forms
