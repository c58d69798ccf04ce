// One control of a window in the toolkit-free form model: its kind, name, optional index,
// container, geometry in twips and every property a renderer shows. Setters notify the
// window's observer; a check box raises Click when the program changes its value.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace pakscour::forms {

class Form;

enum class ControlKind { Label, CheckBox, CommandButton, ListBox, Frame, PictureBox, Line, Timer };

enum class Alignment { Left, Center, Right };

// Which property changed, for renderers.
enum class Property {
    Caption,
    Enabled,
    Visible,
    Value,
    ToolTip,
    ListAdd,
    ListClear,
    Font,
    ForeColor,
    Geometry,
    TimerEnabled,
    TimerInterval,
    Checked,
    Width,
    Height,
    Topmost,
    Focus,
    ListIndex,
};

// A font of its own; an empty name means the window's default font.
struct Font {
    std::string name;
    double size = 0;
    bool bold = false;
    bool underline = false;
};

// Left, top, width and height in twips; a Line uses them as x1, y1, x2, y2.
struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// An RGB colour as red, green and blue bytes.
struct Color {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    bool operator==(const Color&) const = default;
};

constexpr int no_index = -1;

class Control {
  public:
    Control(Form& form, ControlKind kind, std::string name, int index, std::string container,
            Rect rect);
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    Form& form() const { return *form_; }
    ControlKind kind() const { return kind_; }
    const std::string& name() const { return name_; }
    int index() const { return index_; }
    // Name of the group box that holds this control; empty for the window itself.
    const std::string& container() const { return container_; }
    const Rect& rect() const { return rect_; }
    void set_rect(Rect r);

    const std::string& caption() const { return caption_; }
    void set_caption(std::string text);
    bool enabled() const { return enabled_; }
    void set_enabled(bool on);
    bool visible() const { return visible_; }
    void set_visible(bool on);
    const std::string& tooltip() const { return tooltip_; }
    void set_tooltip(std::string text);

    // Check box value: 0 unticked, 1 ticked. A change to a different value raises Click at
    // once, before this returns; setting the current value raises nothing.
    int value() const { return value_; }
    void set_value(int v);

    // List box entries, unsorted, in the order they were added.
    void clear_list();
    void add_item(std::string text);
    int list_count() const { return static_cast<int>(items_.size()); }
    const std::string& item(int i) const;
    const std::vector<std::string>& items() const { return items_; }
    // The selected entry, -1 for none. Clearing the list selects none; the user's choice of
    // an entry sets it through the renderer.
    int list_index() const { return list_index_; }
    void set_list_index(int i);

    const Font& font() const { return font_; }
    void set_font(Font f);
    const std::optional<Color>& fore_color() const { return fore_color_; }
    void set_fore_color(Color c);

    // Static look, set while the window is built; renderers read them when they create widgets.
    Alignment alignment = Alignment::Left;
    bool word_wrap = false;
    bool is_default = false;  // push button: pressed by Enter
    bool is_cancel = false;   // push button: pressed by Esc
    int line_width = 1;       // line: width in pixels
    std::string picture;      // picture box: resource name of its image
    // Label: the control that the label's access key (the letter after "&" in its caption)
    // gives the focus to, as a dialog's label names the list below it. Empty: the caption's
    // "&" is shown as it is, and the label has no access key.
    std::string access_key_target;

    // Timers fire through the application's event loop while enabled with an interval > 0.
    int interval() const { return interval_; }
    void set_interval(int ms);
    bool timer_enabled() const { return timer_enabled_; }
    void set_timer_enabled(bool on);
    void fire_timer();

    // The user's click: a check box toggles first, then Click is raised. Ignored while the
    // control or its window cannot take input (disabled, hidden).
    void user_click();
    // Raises Click without changing anything, as a direct call of the event procedure.
    void raise_click();
    // The user's double click on a list box entry: raises DblClick, under the same rule as a
    // click.
    void user_double_click();

    std::function<void()> on_click;
    std::function<void()> on_double_click;
    std::function<void()> on_timer;

  private:
    void notify(Property p);

    Form* form_;
    ControlKind kind_;
    std::string name_;
    int index_;
    std::string container_;
    Rect rect_;
    std::string caption_;
    bool enabled_ = true;
    bool visible_ = true;
    std::string tooltip_;
    int value_ = 0;
    std::vector<std::string> items_;
    int list_index_ = -1;
    Font font_;
    std::optional<Color> fore_color_;
    int interval_ = 0;
    bool timer_enabled_ = false;
};

}  // namespace pakscour::forms
