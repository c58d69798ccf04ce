// A menu item of the form model: caption with "&" mnemonic ("-" is a separator), parent item,
// check mark, enabled state, optional keyboard shortcut and its Click procedure.
#pragma once

#include <functional>
#include <string>

namespace pakscour::forms {

class Form;
enum class Property;

class MenuItem {
  public:
    MenuItem(Form& form, std::string name, std::string caption, std::string parent);
    MenuItem(const MenuItem&) = delete;
    MenuItem& operator=(const MenuItem&) = delete;

    Form& form() const { return *form_; }
    const std::string& name() const { return name_; }
    const std::string& caption() const { return caption_; }
    // Name of the item whose drop-down holds this one; empty for the menu bar.
    const std::string& parent() const { return parent_; }
    bool separator() const { return caption_ == "-"; }

    bool checked() const { return checked_; }
    void set_checked(bool on);
    bool enabled() const { return enabled_; }
    void set_enabled(bool on);

    std::string shortcut;  // e.g. "F1"; empty for none

    // The user choosing the item (or its shortcut): ignored while it is disabled.
    void user_click();

    std::function<void()> on_click;

  private:
    void notify(Property p);

    Form* form_;
    std::string name_;
    std::string caption_;
    std::string parent_;
    bool checked_ = false;
    bool enabled_ = true;
};

}  // namespace pakscour::forms
