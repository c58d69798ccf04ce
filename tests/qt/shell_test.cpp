// The Qt shell over a temporary Wine prefix: folders and addresses handed to the desktop
// (caught here by URL handlers, as a desktop would take them), the failure codes for missing
// files, refusals and unknown verbs, and the internet state against the kernel's interfaces.
#include <doctest/doctest.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <sys/socket.h>

#include <QDesktopServices>
#include <QObject>
#include <QUrl>
#include <filesystem>
#include <fstream>

#include "platform/posix/wine_prefix.h"
#include "platform/qt/qt_shell.h"

using namespace pakscour;
namespace fs = std::filesystem;

namespace {

class UrlCatcher : public QObject {
    Q_OBJECT
  public:
    QList<QUrl> urls;
  public slots:
    void open(const QUrl& url) { urls << url; }
};

// A prefix with drive C and one game folder holding a backup folder and a file.
struct TempPrefix {
    fs::path root;
    TempPrefix() {
        root = fs::temp_directory_path() / ("pakscour-shell-" + std::to_string(::getpid()));
        fs::remove_all(root);
        fs::create_directories(root / "drive_c" / "Games" / "CoD" / "Main" / "061226140509");
        fs::create_directories(root / "dosdevices");
        fs::create_directory_symlink("../drive_c", root / "dosdevices" / "c:");
        std::ofstream(root / "drive_c" / "Games" / "CoD" / "Main" / "mod.pk3") << "x";
    }
    ~TempPrefix() { fs::remove_all(root); }
};

bool kernel_reports_connection() {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return false;
    bool found = false;
    for (ifaddrs* a = list; a; a = a->ifa_next) {
        if (!a->ifa_addr) continue;
        const int family = a->ifa_addr->sa_family;
        if (family != AF_INET && family != AF_INET6) continue;
        const unsigned flags = a->ifa_flags;
        if ((flags & IFF_UP) && (flags & IFF_RUNNING) && !(flags & IFF_LOOPBACK)) found = true;
    }
    freeifaddrs(list);
    return found;
}

}  // namespace

TEST_CASE("bare web host names are told from paths and other texts") {
    struct Case {
        const char* text;
        bool host;
    };
    const Case cases[] = {{"www.example.test", true},
                          {"vantorix.example", true},
                          {"a-b.c1.org", true},
                          {"localhost", false},
                          {"", false},
                          {".example.test", false},
                          {"www..example", false},
                          {"www.example.", false},
                          {"C:\\Games\\CoD", false},
                          {"http://www.example.test", false},
                          {"www.example.test/x", false},
                          {"www example.test", false}};
    for (const Case& c : cases) {
        CAPTURE(std::string(c.text));
        CHECK(qt::is_bare_host_name(c.text) == c.host);
    }
}

TEST_CASE("folders and addresses go to the desktop; failures give the shell's codes") {
    TempPrefix prefix;
    qt::QtShell shell{posix::WinePrefix(prefix.root)};
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("file", &catcher, "open");
    QDesktopServices::setUrlHandler("http", &catcher, "open");
    QDesktopServices::setUrlHandler("https", &catcher, "open");

    struct Case {
        std::optional<std::string> verb;
        std::string file;
        std::int32_t result;
        QString url;  // what the desktop was handed, empty for nothing
    };
    // File URLs are compared by the folder they name, however the prefix spells the path.
    const QString folder = QString::fromStdString(
        fs::canonical(prefix.root / "drive_c" / "Games" / "CoD" / "Main" / "061226140509")
            .string());
    // A folder found outside the prefix is named through Z:, which this prefix does not map.
    std::string z_folder = "Z:" + (prefix.root / "drive_c/Games/CoD/Main/061226140509").string();
    for (char& ch : z_folder)
        if (ch == '/') ch = '\\';
    const Case cases[] = {
        {"explore", "C:\\Games\\CoD\\Main\\061226140509", 42, folder},
        {"explore", z_folder, 42, folder},
        {"explore", "c:\\games\\cod\\MAIN\\061226140509", 42, folder},
        {"explore", "C:\\Games\\CoD\\Main\\gone", 2, ""},
        {"explore", "C:\\Games\\CoD\\Main\\mod.pk3", 31, ""},
        {"explore", "", 2, ""},
        {std::nullopt, "www.example.test", 42, "http://www.example.test"},
        {"open", "https://www.example.test/a", 42, "https://www.example.test/a"},
        {"print", "C:\\Games\\CoD\\Main\\mod.pk3", 31, ""},
        {"explore", "www.example.test", 2, ""},
    };
    for (const Case& c : cases) {
        CAPTURE(c.verb.value_or("(none)"));
        CAPTURE(c.file);
        catcher.urls.clear();
        CHECK(shell.execute(0, c.verb, c.file, "", "", 10) == c.result);
        if (c.url.isEmpty()) {
            CHECK(catcher.urls.isEmpty());
        } else {
            REQUIRE(catcher.urls.size() == 1);
            const QUrl& got = catcher.urls[0];
            if (got.isLocalFile())
                CHECK(QString::fromStdString(
                          fs::canonical(got.toLocalFile().toStdString()).string()) == c.url);
            else
                CHECK(got.toString() == c.url);
        }
    }

    // With no desktop to take it, the request is refused: no association.
    QDesktopServices::unsetUrlHandler("file");
    QDesktopServices::unsetUrlHandler("http");
    QDesktopServices::unsetUrlHandler("https");
    CHECK(shell.execute(0, "explore", "C:\\Games\\CoD\\Main\\061226140509", "", "", 10) == 31);
    CHECK(shell.execute(0, std::nullopt, "www.example.test", std::nullopt, std::nullopt, 1) == 31);
}

TEST_CASE("the internet state is that of the machine's interfaces") {
    TempPrefix prefix;
    qt::QtShell shell{posix::WinePrefix(prefix.root)};
    CHECK(shell.internet_connected() == kernel_reports_connection());
}

#include "shell_test.moc"
