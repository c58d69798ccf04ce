// A form window on a small screen: the window grows (F1 shows the help panel) past the screen's
// lower edge on a 1280 x 800 screen at scale 1 or more. It is moved up where the window system
// lets a program place its windows; where it cannot, or the screen is too short even so, the
// client area keeps the room there is and scrolls. Where the window fits, nothing changes.
#include <QGuiApplication>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/qt/form_window.h"

namespace pakscour::qt {

namespace {

bool windows_can_be_placed() {
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

}  // namespace

void FormWindow::keep_on_screen(bool grown) {
    const QScreen* on = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!on) return;
    const QRect area = on->availableGeometry();
    const QSize whole = client_->size();
    // Title bar and borders, and the menu bar and margins above and below the client area.
    const int frame = frameGeometry().height() - geometry().height();
    const int around = sizeHint().height() - scroll_->height();
    const int room = area.height() - frame - around;
    if (whole.height() <= room) {
        scroll_->setFixedSize(whole);
    } else {
        const int bar = scroll_->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, scroll_);
        scroll_->setFixedSize(whole.width() + bar, std::max(room, 0));
        if (grown) scroll_->verticalScrollBar()->setValue(scroll_->verticalScrollBar()->maximum());
    }
    layout_->activate();
    if (!isVisible() || !windows_can_be_placed()) return;
    // The outer height once the layout has resized the window.
    const int outer = sizeHint().height() + frame;
    const QRect now = frameGeometry();
    if (now.top() + outer <= area.bottom() + 1) return;
    move(now.left(), std::max(area.top(), area.bottom() + 1 - outer));
}

}  // namespace pakscour::qt
