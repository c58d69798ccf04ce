// One form-model window shown as a Qt top-level widget: a menu bar over a client area that
// holds one widget per control. It observes the model and reflects every change into the
// widgets; user input goes back to the model through run_event, so no exception reaches Qt.
#pragma once

#include <QFont>
#include <QFrame>
#include <QPointer>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/app_services.h"
#include "platform/forms/application.h"
#include "platform/forms/form.h"
#include "platform/uncaught.h"

class QAction;
class QMenu;
class QMenuBar;
class QScrollArea;
class QTimer;
class QVBoxLayout;

namespace pakscour::qt {

class ListEntries;

class FormWindow : public QFrame, public forms::FormObserver {
  public:
    FormWindow(forms::Form& form, forms::Application& app, AppServices& services, double dpi);
    ~FormWindow() override;

    // Stops the timers and forgets the model: from now on no input reaches the window's
    // procedures. Used when the window is unloaded, possibly from one of its own handlers.
    void detach();
    bool attached() const { return form_ != nullptr; }

    // First call shows the window, places it and gives the first control of the tab order the
    // focus; later calls only bring it to the front.
    void show_window();

    QWidget* client() const { return client_; }
    // The view of the client area: the whole of it, unless the screen is too short for it.
    QScrollArea* client_view() const { return scroll_; }
    QMenuBar* menu_bar() const { return menu_bar_; }
    QWidget* widget_of(const forms::Control& c) const;
    QAction* action_of(const forms::MenuItem& m) const;
    QTimer* timer_of(const forms::Control& c) const;

    void control_changed(forms::Control& c, forms::Property p) override;
    void menu_changed(forms::MenuItem& m, forms::Property p) override;
    void form_changed(forms::Form& f, forms::Property p) override;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    // Runs a model procedure for a user action, unless the window has been unloaded.
    template <class F>
    void dispatch(F&& handler) {
        if (form_) run_event(services_, std::forward<F>(handler));
    }

    void apply_window_flags();
    void apply_size();
    // Keeps the window within the screen's available area (form_window_screen.cpp): moved up
    // where the window system lets a program place its windows, and where it is still too tall
    // the client area scrolls within the room there is; `grown` scrolls to the part that the
    // latest growth added.
    void keep_on_screen(bool grown);
    void build_controls();
    QWidget* make_widget(forms::Control& c, QWidget* parent);
    void apply_geometry(forms::Control& c);
    void apply_caption(forms::Control& c);
    void apply_font(forms::Control& c);
    void apply_color(forms::Control& c);
    void apply_timer(forms::Control& c);
    void apply_tab_order();
    void add_dialog_keys();
    void flush_list(const forms::Control& c);

    // Menus (form_window_menus.cpp).
    void build_menus();
    void apply_menu(forms::MenuItem& m);

    forms::Form* form_;
    forms::Application& app_;
    AppServices& services_;
    double dpi_;
    bool shown_once_ = false;

    QVBoxLayout* layout_ = nullptr;
    QMenuBar* menu_bar_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    QWidget* client_ = nullptr;
    std::map<const forms::Control*, QWidget*> widgets_;
    std::map<const forms::Control*, QTimer*> timers_;
    std::map<const forms::Control*, ListEntries*> lists_;
    std::map<const forms::Control*, QStringList> pending_items_;
    std::map<const forms::MenuItem*, QAction*> actions_;
    std::map<const forms::MenuItem*, QMenu*> menus_;
};

}  // namespace pakscour::qt
