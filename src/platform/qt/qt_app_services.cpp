#include "platform/qt/qt_app_services.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <cstdio>
#include <cstdlib>

#include "platform/qt/qt_text.h"

namespace pakscour::qt {

void QtAppServices::message_box(const std::string& text, const std::string& title) {
    QMessageBox box;
    box.setIcon(QMessageBox::NoIcon);
    box.setWindowTitle(to_qt(title));
    box.setTextFormat(Qt::PlainText);
    box.setText(with_line_breaks(text));
    box.setStandardButtons(QMessageBox::Ok);
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

void QtAppServices::set_busy_pointer(bool busy) {
    // Override cursors stack in Qt; keep at most one of ours on the stack.
    if (busy == busy_) return;
    busy_ = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void QtAppServices::end_program(int exit_code) {
    // At once: no unload procedure, no further event.
    std::fflush(nullptr);
    std::_Exit(exit_code);
}

std::string QtAppServices::exe_name() {
    if (!QCoreApplication::instance()) return "pakscour";
    const QString name = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    return name.isEmpty() ? std::string("pakscour") : from_qt(name);
}

}  // namespace pakscour::qt
