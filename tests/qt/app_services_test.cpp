// The Qt application services: the modal message box and its line breaks, the busy pointer
// and the executable's name.
#include <doctest/doctest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "platform/qt/qt_app_services.h"

using namespace pakscour;

namespace {

struct SeenBox {
    bool seen = false;
    bool modal = false;
    QString title;
    QString text;
    int buttons = 0;
    QMessageBox::Icon icon = QMessageBox::Information;
};

// Reads the modal box once it is up, then presses its button.
void read_and_close_box(SeenBox& seen) {
    QTimer::singleShot(20, [&seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            read_and_close_box(seen);
            return;
        }
        seen.seen = true;
        seen.modal = box->isModal();
        seen.title = box->windowTitle();
        seen.text = box->text();
        seen.buttons = static_cast<int>(box->buttons().size());
        seen.icon = box->icon();
        box->buttons().front()->click();
    });
}

}  // namespace

TEST_CASE("a message box is modal with one OK button, no icon, its title, and CR/LF line breaks") {
    struct Case {
        std::string text;
        QString shown;
    };
    const Case cases[] = {
        {"one\r\ntwo", "one\ntwo"},
        {"one\rtwo", "one\ntwo"},
        {"one\ntwo", "one\ntwo"},
        {"Run-time error '76':\r\n\r\nPath not found", "Run-time error '76':\n\nPath not found"},
        {"<b>not markup</b> & more", "<b>not markup</b> & more"}};
    qt::QtAppServices services;
    for (const Case& c : cases) {
        CAPTURE(c.text);
        SeenBox seen;
        read_and_close_box(seen);
        services.message_box(c.text, "pakscour");
        REQUIRE(seen.seen);
        CHECK(seen.modal);
        CHECK(seen.title == "pakscour");
        CHECK(seen.text == c.shown);
        CHECK(seen.buttons == 1);
        CHECK(seen.icon == QMessageBox::NoIcon);
    }
}

TEST_CASE("the busy pointer is one override cursor, set and removed") {
    qt::QtAppServices services;
    CHECK(QApplication::overrideCursor() == nullptr);
    services.set_busy_pointer(true);
    REQUIRE(QApplication::overrideCursor() != nullptr);
    CHECK(QApplication::overrideCursor()->shape() == Qt::WaitCursor);
    services.set_busy_pointer(true);
    services.set_busy_pointer(false);
    CHECK(QApplication::overrideCursor() == nullptr);
    services.set_busy_pointer(false);
    CHECK(QApplication::overrideCursor() == nullptr);
}

TEST_CASE("the executable's name has no folder and no extension") {
    qt::QtAppServices services;
    CHECK(services.exe_name() == "qt_tests");
}
