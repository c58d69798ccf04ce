#include "platform/qt/qt_shell.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QNetworkInterface>
#include <QUrl>
#include <cctype>
#include <utility>

#include "platform/qt/qt_text.h"

namespace pakscour::qt {
namespace {

std::string lower(std::string text) {
    for (char& ch : text) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return text;
}

bool starts_with_scheme(const std::string& text) {
    const std::string l = lower(text);
    return l.rfind("http://", 0) == 0 || l.rfind("https://", 0) == 0;
}

std::int32_t open_url(const QUrl& url) {
    if (!url.isValid()) return shell_result::file_not_found;
    return QDesktopServices::openUrl(url) ? shell_result::accepted : shell_result::no_association;
}

}  // namespace

bool is_bare_host_name(const std::string& text) {
    if (text.empty() || text.size() > 253) return false;
    bool dot = false;
    std::size_t label = 0;
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (ch == '.') {
            if (label == 0) return false;
            dot = true;
            label = 0;
        } else if (std::isalnum(c) || ch == '-') {
            ++label;
        } else {
            return false;
        }
    }
    return dot && label > 0;
}

QtShell::QtShell(posix::WinePrefix prefix) : prefix_(std::move(prefix)) {}

std::int32_t QtShell::execute(std::uintptr_t, const std::optional<std::string>& verb,
                              const std::string& file, const std::optional<std::string>&,
                              const std::optional<std::string>&, std::int32_t) {
    const std::string action = verb ? lower(*verb) : std::string();
    if (!action.empty() && action != "open" && action != "explore")
        return shell_result::no_association;

    if (action != "explore") {
        if (starts_with_scheme(file)) return open_url(QUrl(to_qt(file), QUrl::StrictMode));
        if (is_bare_host_name(file)) return open_url(QUrl(QStringLiteral("http://") + to_qt(file)));
    }

    const std::optional<std::filesystem::path> local = prefix_.existing(file);
    if (!local) return shell_result::file_not_found;
    const QString path = QString::fromStdString(local->string());
    if (action == "explore" && !QFileInfo(path).isDir()) return shell_result::no_association;
    return open_url(QUrl::fromLocalFile(path));
}

bool QtShell::internet_connected() {
    for (const QNetworkInterface& nic : QNetworkInterface::allInterfaces()) {
        const auto flags = nic.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp) ||
            !flags.testFlag(QNetworkInterface::IsRunning) ||
            flags.testFlag(QNetworkInterface::IsLoopBack))
            continue;
        if (!nic.addressEntries().isEmpty()) return true;
    }
    return false;
}

}  // namespace pakscour::qt
