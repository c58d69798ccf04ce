#include "platform/forms/application.h"

#include <algorithm>

namespace pakscour::forms {

void Application::load(Form& f) {
    if (f.loaded_) return;
    f.reset();
    if (f.build) f.build(f);
    f.loaded_ = true;
    f.shown_ = false;
    loaded_.push_back(&f);
    if (renderer_) renderer_->create(f);
    if (f.on_load) f.on_load();
}

void Application::show(Form& f) {
    load(f);
    // The load procedure may have unloaded the window again.
    if (!f.loaded_) return;
    f.shown_ = true;
    if (renderer_) renderer_->show(f);
}

void Application::show_modal(Form& f, Form& owner) {
    if (!f.loaded_) {
        f.owner = &owner;
        f.modal = true;
    }
    show(f);
}

void Application::unload(Form& f) {
    if (!f.loaded_) return;
    bool cancel = false;
    if (f.on_unload) f.on_unload(cancel);
    if (cancel || !f.loaded_) return;
    f.loaded_ = false;
    f.shown_ = false;
    loaded_.erase(std::remove(loaded_.begin(), loaded_.end(), &f), loaded_.end());
    if (renderer_) renderer_->destroy(f);
    f.owner = nullptr;
    f.modal = false;
    f.set_observer(nullptr);
    if (loaded_.empty() && renderer_) renderer_->last_window_closed();
}

bool Application::any_loaded() const {
    return !loaded_.empty();
}

std::uintptr_t Application::native_handle(const Form& f) const {
    return renderer_ ? renderer_->native_handle(f) : 0;
}

}  // namespace pakscour::forms
