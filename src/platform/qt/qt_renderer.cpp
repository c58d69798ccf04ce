#include "platform/qt/qt_renderer.h"

#include <QApplication>
#include <QFont>
#include <QTimer>

#include "platform/qt/layout_fonts.h"
#include "platform/qt/twips.h"

namespace pakscour::qt {

QtRenderer::QtRenderer(forms::Application& app, AppServices& services)
    : app_(app), services_(services), dpi_(screen_dpi()) {
    // The event loop ends when the model says its last window has gone, not when Qt thinks so.
    QApplication::setQuitOnLastWindowClosed(false);
    // The layouts name the classic Windows fonts: the faces of their metrics that the program
    // carries join the installed ones ("MS Sans Serif" is chosen in layout_font); for the
    // typewriter face prefer a metric-compatible one where the font configuration has no better
    // idea.
    load_program_fonts();
    QFont::insertSubstitutions(QStringLiteral("Courier New"),
                               {QStringLiteral("Liberation Mono"), QStringLiteral("Courier")});
    app_.set_renderer(this);
}

QtRenderer::~QtRenderer() {
    if (app_.renderer() == this) app_.set_renderer(nullptr);
    for (auto& [form, window] : windows_) delete window.data();
}

void QtRenderer::create(forms::Form& f) {
    destroy(f);
    auto* window = new FormWindow(f, app_, services_, dpi_);
    // An owned window stays above its owner; a modal one blocks the owner's input.
    if (FormWindow* owner = f.owner ? this->window(*f.owner) : nullptr) {
        window->setParent(owner, window->windowFlags() | Qt::Dialog);
        if (f.modal) window->setWindowModality(Qt::WindowModal);
    }
    windows_[&f] = window;
    f.set_observer(window);
}

void QtRenderer::show(forms::Form& f) {
    if (FormWindow* w = window(f)) w->show_window();
}

void QtRenderer::destroy(forms::Form& f) {
    auto it = windows_.find(&f);
    if (it == windows_.end()) return;
    FormWindow* w = it->second.data();
    windows_.erase(it);
    if (f.observer() == w) f.set_observer(nullptr);
    if (!w) return;
    // The window may be running one of its own handlers right now: hide it at once, free it
    // once control is back in the event loop.
    w->detach();
    w->hide();
    w->deleteLater();
}

void QtRenderer::last_window_closed() {
    // The splash window unloads itself and loads the main window in one handler, so the loop
    // only ends if still no window is loaded once the current event has returned.
    QTimer::singleShot(0, &context_, [this] {
        if (windows_.empty()) QCoreApplication::exit(0);
    });
}

std::uintptr_t QtRenderer::native_handle(const forms::Form& f) const {
    FormWindow* w = window(f);
    return w ? static_cast<std::uintptr_t>(w->winId()) : 0;
}

FormWindow* QtRenderer::window(const forms::Form& f) const {
    auto it = windows_.find(&f);
    return it == windows_.end() ? nullptr : it->second.data();
}

}  // namespace pakscour::qt
