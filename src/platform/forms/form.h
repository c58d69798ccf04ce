// A window of the form model: caption, outer size in twips, border style, controls in stored
// order (found by name and optional index), menus, tab order, and its load and unload
// procedures. A renderer observes one window and reflects every change into real widgets.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/forms/control.h"
#include "platform/forms/menu.h"

namespace pakscour::forms {

enum class BorderStyle { FixedSingle, FixedDialog, None };
enum class StartPosition { Default, CenterScreen, CenterOwner };

// Receives every property change of a window, its controls and its menus.
class FormObserver {
  public:
    virtual ~FormObserver() = default;
    virtual void control_changed(Control& c, Property p) = 0;
    virtual void menu_changed(MenuItem& m, Property p) = 0;
    virtual void form_changed(Form& f, Property p) = 0;
};

// Space taken by the border, title bar and menu bar of a window, in twips. The model and every
// renderer use the same figures, so a window's outer Width/Height and its client area agree.
struct NonClient {
    int horizontal;  // left and right border together
    int vertical;    // top and bottom border, title bar and menu bar together
};
NonClient non_client(BorderStyle border, bool has_caption, bool has_menu);

class Form {
  public:
    explicit Form(std::string name);
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    const std::string& name() const { return name_; }

    const std::string& caption() const { return caption_; }
    void set_caption(std::string text);
    // Outer size in twips (border, title bar and menu bar included).
    int width() const { return width_; }
    void set_width(int twips);
    int height() const { return height_; }
    void set_height(int twips);
    int client_width() const;
    int client_height() const;
    // Sets the outer size from a client-area size.
    void set_client_size(int width_twips, int height_twips);

    BorderStyle border = BorderStyle::FixedSingle;
    StartPosition start_position = StartPosition::Default;
    bool has_caption = true;  // title bar shown
    bool control_box = true;  // system menu and close box
    bool min_button = false;
    bool max_button = false;
    std::string icon;                    // resource name of the title-bar icon, empty for none
    std::vector<std::string> tab_order;  // control names, first takes the focus when shown
    // The window that owns this one (nullptr for none) and whether it is modal: the owner
    // takes no input while a modal window is loaded. Set by Application::show_modal.
    Form* owner = nullptr;
    bool modal = false;

    bool topmost() const { return topmost_; }
    void set_topmost(bool on);

    // Controls in stored order.
    Control& add(ControlKind kind, std::string name, int index, std::string container, Rect r);
    Control& add(ControlKind kind, std::string name, std::string container, Rect r) {
        return add(kind, std::move(name), no_index, std::move(container), r);
    }
    Control& ctl(const std::string& name, int index = no_index);
    const Control& ctl(const std::string& name, int index = no_index) const;
    bool has(const std::string& name, int index = no_index) const;
    const std::vector<std::unique_ptr<Control>>& controls() const { return controls_; }

    // Menus in stored order; a parent name of "" puts the item on the menu bar.
    MenuItem& add_menu(std::string name, std::string caption, std::string parent);
    MenuItem& menu(const std::string& name);
    const std::vector<std::unique_ptr<MenuItem>>& menus() const { return menus_; }

    // Procedures of the window. `build` lays out the design state; `on_load` is Form_Load;
    // `on_unload` is Form_Unload and may set its flag to refuse closing.
    std::function<void(Form&)> build;
    std::function<void()> on_load;
    std::function<void(bool& cancel)> on_unload;

    bool loaded() const { return loaded_; }
    bool shown() const { return shown_; }

    void set_observer(FormObserver* o) { observer_ = o; }
    FormObserver* observer() const { return observer_; }

    // Drops every control and menu and restores the design defaults; used by loading.
    void reset();

  private:
    friend class Application;
    friend class Control;
    friend class MenuItem;

    std::string name_;
    std::string caption_;
    int width_ = 0;
    int height_ = 0;
    bool topmost_ = false;
    bool loaded_ = false;
    bool shown_ = false;
    std::vector<std::unique_ptr<Control>> controls_;
    std::vector<std::unique_ptr<MenuItem>> menus_;
    FormObserver* observer_ = nullptr;
};

}  // namespace pakscour::forms
