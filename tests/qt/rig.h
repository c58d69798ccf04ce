// A Qt renderer over a recording application, and helpers to build small windows and to find
// and drive their widgets.
#pragma once

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <functional>

#include "platform/forms/application.h"
#include "platform/qt/form_window.h"
#include "platform/qt/qt_renderer.h"
#include "platform/qt/twips.h"
#include "test_platform.h"

namespace pakscour::test {

// What a renderer draws for: the form model and a recording application.
struct QtParts {
    RecordingApp app;
    forms::Application forms;
};

// A Qt renderer over the form model and the application of `Base`, built with `Base`'s
// arguments.
template <class Base = QtParts>
struct QtRigOver : Base {
    using Base::Base;
    qt::QtRenderer renderer{this->forms, this->app};

    ~QtRigOver() {
        // Let windows unloaded by the test be freed before the next test starts.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    qt::FormWindow* window(const forms::Form& f) { return renderer.window(f); }

    template <class W>
    W* widget(const forms::Form& f, const char* name) {
        qt::FormWindow* w = window(f);
        return w ? w->findChild<W*>(QString::fromLatin1(name)) : nullptr;
    }

    int px(int twips) const { return qt::twips_to_px(twips, renderer.dpi()); }

    // Shows the window and makes it the active one, so that keyboard shortcuts reach it.
    void show_active(forms::Form& f) {
        this->forms.show(f);
        QWidget* w = window(f);
        QApplication::setActiveWindow(w);
        (void)QTest::qWaitForWindowActive(w, 1000);
    }
};

using QtRig = QtRigOver<>;

// Runs the event loop until `done` holds or `ms` have passed; true when `done` held.
inline bool wait_until(const std::function<bool()>& done, int ms = 2000) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

// Widget centre, for clicks.
inline QPoint centre(const QWidget* w) {
    return w->rect().center();
}

// A check box answers clicks on its box and text only, so click on the box.
inline QPoint box_point(const QWidget* w) {
    return QPoint(6, w->height() / 2);
}

}  // namespace pakscour::test
