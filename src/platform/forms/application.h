// The program's windows and their life: load runs once per loading, show loads when needed and
// otherwise only activates, unload destroys the instance. A renderer creates, shows and
// destroys the real windows; the program ends once no window is loaded any more.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/forms/form.h"

namespace pakscour::forms {

// What a toolkit does for the model: real windows and the event loop.
class Renderer {
  public:
    virtual ~Renderer() = default;
    // Called after a window's design state is built and before its load procedure runs.
    virtual void create(Form& f) = 0;
    virtual void show(Form& f) = 0;
    virtual void destroy(Form& f) = 0;
    // Called when the last loaded window has been unloaded; the renderer ends its event loop
    // once the event being handled has returned, unless a window has been loaded meanwhile.
    virtual void last_window_closed() = 0;
    // The window's native handle (0 when it has none).
    virtual std::uintptr_t native_handle(const Form& f) const = 0;
};

class Application {
  public:
    void set_renderer(Renderer* r) { renderer_ = r; }
    Renderer* renderer() const { return renderer_; }

    // Builds the window's design state and runs its load procedure, unless it is loaded.
    void load(Form& f);
    // Loads the window when needed, then shows or activates it (not modal, no owner).
    void show(Form& f);
    // Loads the window as a modal window owned by `owner` and shows it. The call returns at
    // once; the owner takes no input until the window is unloaded.
    void show_modal(Form& f, Form& owner);
    // Runs the unload procedure; unless it refuses, destroys the instance.
    void unload(Form& f);

    bool any_loaded() const;
    std::uintptr_t native_handle(const Form& f) const;

  private:
    Renderer* renderer_ = nullptr;
    std::vector<Form*> loaded_;
};

}  // namespace pakscour::forms
