#include "platform/forms/form.h"

#include <stdexcept>
#include <utility>

namespace pakscour::forms {

NonClient non_client(BorderStyle border, bool has_caption, bool has_menu) {
    // Classic metrics at 96 DPI: a fixed border of 4 px a side, a 22 px title bar and a 19 px
    // menu bar, 15 twips to the pixel.
    const int edge = border == BorderStyle::None ? 0 : 60;
    return NonClient{2 * edge, 2 * edge + (has_caption ? 330 : 0) + (has_menu ? 285 : 0)};
}

Form::Form(std::string name) : name_(std::move(name)) {}

void Form::set_caption(std::string text) {
    if (text == caption_) return;
    caption_ = std::move(text);
    if (observer_) observer_->form_changed(*this, Property::Caption);
}

void Form::set_width(int twips) {
    if (twips == width_) return;
    width_ = twips;
    if (observer_) observer_->form_changed(*this, Property::Width);
}

void Form::set_height(int twips) {
    if (twips == height_) return;
    height_ = twips;
    if (observer_) observer_->form_changed(*this, Property::Height);
}

int Form::client_width() const {
    return width_ - non_client(border, has_caption, !menus_.empty()).horizontal;
}

int Form::client_height() const {
    return height_ - non_client(border, has_caption, !menus_.empty()).vertical;
}

void Form::set_client_size(int width_twips, int height_twips) {
    const NonClient nc = non_client(border, has_caption, !menus_.empty());
    set_width(width_twips + nc.horizontal);
    set_height(height_twips + nc.vertical);
}

void Form::set_topmost(bool on) {
    if (on == topmost_) return;
    topmost_ = on;
    if (observer_) observer_->form_changed(*this, Property::Topmost);
}

Control& Form::add(ControlKind kind, std::string name, int index, std::string container, Rect r) {
    controls_.push_back(
        std::make_unique<Control>(*this, kind, std::move(name), index, std::move(container), r));
    return *controls_.back();
}

Control& Form::ctl(const std::string& name, int index) {
    return const_cast<Control&>(static_cast<const Form*>(this)->ctl(name, index));
}

const Control& Form::ctl(const std::string& name, int index) const {
    for (const auto& c : controls_)
        if (c->name() == name && c->index() == index) return *c;
    throw std::out_of_range("no control " + name + " (" + std::to_string(index) + ") on " + name_);
}

bool Form::has(const std::string& name, int index) const {
    for (const auto& c : controls_)
        if (c->name() == name && c->index() == index) return true;
    return false;
}

MenuItem& Form::add_menu(std::string name, std::string caption, std::string parent) {
    menus_.push_back(
        std::make_unique<MenuItem>(*this, std::move(name), std::move(caption), std::move(parent)));
    return *menus_.back();
}

MenuItem& Form::menu(const std::string& name) {
    for (const auto& m : menus_)
        if (m->name() == name) return *m;
    throw std::out_of_range("no menu item " + name + " on " + name_);
}

void Form::reset() {
    controls_.clear();
    menus_.clear();
    caption_.clear();
    width_ = height_ = 0;
    topmost_ = false;
    tab_order.clear();
    on_load = nullptr;
    on_unload = nullptr;
}

}  // namespace pakscour::forms
