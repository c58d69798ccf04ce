// The Qt tests run inside one QApplication on the offscreen platform.
#define DOCTEST_CONFIG_IMPLEMENT
#include <doctest/doctest.h>

#include <QApplication>
#include <QString>

namespace {

// The offscreen platform warns about every window operation it cannot do (raise, size hints);
// those lines say nothing about the tests.
QtMessageHandler default_handler = nullptr;

void quiet_handler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.startsWith(QLatin1String("This plugin does not support"))) return;
    if (default_handler) default_handler(type, context, message);
}

}  // namespace

int main(int argc, char** argv) {
    default_handler = qInstallMessageHandler(quiet_handler);
    QApplication app(argc, argv);
    doctest::Context context(argc, argv);
    return context.run();
}
