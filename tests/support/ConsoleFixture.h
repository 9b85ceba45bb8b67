#pragma once

// The one fixture of the console's tests: a fresh process state, a program folder and a settings
// file of its own, a game server stand-in on loopback, and a session or a whole window on them.

#include "DataTable.h"
#include "FakeDesktop.h"
#include "LoopbackPeer.h"

#include <AppSettings.h>
#include <ConsolePane.h>
#include <ConsoleSession.h>
#include <ProgramFolder.h>
#include <SettingsStore.h>
#include <basMain.h>
#include <frmMain.h>

#include <QtTest>
#include <QtWidgets>

#include <arpa/inet.h>
#include <chrono>
#include <functional>
#include <memory>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace std::chrono_literals;

// One rcon command as it reaches the game server.
inline QByteArray rcon(const char* password, const QByteArray& command) {
    return QByteArray("\xff\xff\xff\xffrcon ") + password + ' ' + command;
}

// A port nobody listens on for as long as this lives: bound, never listening, so a connection to it is
// refused and no other socket can take it meanwhile.
class ClosedPort {
public:
    ClosedPort() : m_fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (m_fd >= 0 && ::bind(m_fd, reinterpret_cast<sockaddr*>(&address), size) == 0 &&
            ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &size) == 0)
            m_port = ntohs(address.sin_port);
    }
    ~ClosedPort() { ::close(m_fd); }
    ClosedPort(const ClosedPort&) = delete;
    ClosedPort& operator=(const ClosedPort&) = delete;
    int port() const { return m_port; }

private:
    int m_fd;
    int m_port = 0;
};

struct ConsoleFixture {
    ConsoleFixture() {
        console::resetBasMain();
        QFile::remove(platform::SettingsStore().fileName());
        platform::setProgramFolder(folder.path() + QStringLiteral("/prog folder/"));
        QDir().mkpath(platform::programFolder());
    }
    ~ConsoleFixture() {
        window.reset();
        bare.reset();
        platform::setProgramFolder(QString());
        QFile::remove(platform::SettingsStore().fileName());
    }

    // A window as the program starts it, its connection fields aimed at the peer unless told not to.
    console::frmMain& open(bool aimAtPeer = true) {
        window = std::make_unique<console::frmMain>(desktop, seams);
        window->Form_Load();
        if (aimAtPeer) {
            box("cboAddr")->setEditText(QStringLiteral("127.0.0.1"));
            box("cboPort")->setEditText(QString::number(peer.port()));
            find<QLineEdit>("txtPassword")->setText(QStringLiteral("pw"));
        }
        return *window;
    }
    // Exit (which saves) and start again in a fresh process state.
    console::frmMain& restart() {
        window.reset();
        console::resetBasMain();
        return open(false);
    }
    // A session without a window, aimed at the peer.
    console::ConsoleSession& session() {
        if (window)
            return window->session();
        if (!bare) {
            bare = std::make_unique<console::ConsoleSession>(seams);
            bare->setAddress(QStringLiteral("127.0.0.1"));
            bare->setPort(QString::number(peer.port()));
            bare->setPassword(QStringLiteral("pw"));
        }
        return *bare;
    }
    void applyOptions(const std::function<void(console::AppSettings&)>& change) {
        console::AppSettings s = session().settings();
        change(s);
        session().applyOptions(s);
    }

    template <typename T = QWidget> T* find(const char* name) const {
        T* child = window->findChild<T*>(QLatin1String(name));
        return child ? child : (qFatal("no %s named %s", T::staticMetaObject.className(), name), nullptr);
    }
    QAction* action(const char* name) const { return find<QAction>(name); }
    QComboBox* box(const char* name) const { return find<QComboBox>(name); }
    console::ConsolePane* pane() const { return find<console::ConsolePane>("txtOutput"); }
    QString paneText() const { return pane()->toPlainText(); }

    static QStringList entries(const QComboBox* box) {
        QStringList list;
        for (int i = 0; i < box->count(); ++i)
            list << box->itemText(i);
        return list;
    }
    static void store(const QString& key, const QString& value) { store({key, value}); }
    // Keys of the settings section, each followed by its value.
    static void store(const QStringList& keysAndValues) {
        platform::SettingsStore s;
        for (int i = 0; i + 1 < keysAndValues.size(); i += 2)
            s.write(console::kSettingsSection, keysAndValues[i], keysAndValues[i + 1]);
        QVERIFY2(bool(s.sync()), "the test settings could not be written");
    }
    static QString stored(const QString& key) {
        return platform::SettingsStore().read(console::kSettingsSection, key, QStringLiteral("<absent>"));
    }
    static QByteArray readFile(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // Forgets what the game server has been sent so far.
    void drainPeer() {
        while (peer.socket.hasPendingDatagrams())
            peer.next(0);
    }

    QTemporaryDir folder;
    FakeDesktop desktop;
    UdpPeer peer; // the game server
    ClosedPort noListener;
    // Reboot exchanges in milliseconds; the one end-to-end test keeps the real four seconds.
    console::SessionSeams seams = [this] {
        console::SessionSeams s;
        s.listenerPort = noListener.port();
        s.rebootDelay = 100ms;
        s.rebootStandTime = 20ms;
        s.listQuiet = 50ms; // the peer sends a list's datagrams back to back
        return s;
    }();
    std::unique_ptr<console::ConsoleSession> bare;
    std::unique_ptr<console::frmMain> window;
};

// Runs action on the modal dialog of type T once its event loop is running.
template <typename T> void whenModal(std::function<void(T*)> action) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, action] {
        if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            action(dialog);
        }
    });
    poll->start(5);
}

// What a text box shows of a look.
struct ShownLook {
    QColor back, fore;
    QString face;
    double size = 0;
    bool bold = false, italic = false;
    bool operator==(const ShownLook&) const = default;
};
Q_DECLARE_METATYPE(ShownLook)

inline ShownLook shownLook(const QWidget* box) {
    const QFont f = box->font();
    const QPalette p = box->palette();
    return {
        p.color(QPalette::Base), p.color(QPalette::Text), f.family(), f.pointSizeF(), f.bold(), f.italic()};
}

namespace QTest {
template <> inline char* toString(const ShownLook& l) {
    const QString text =
        l.fore.name() + " on " + l.back.name() + ", " + l.face + ' ' + QString::number(l.size);
    return qstrdup(qPrintable(text + (l.bold ? " bold" : "") + (l.italic ? " italic" : "")));
}
} // namespace QTest

inline ShownLook catalogueLook(console::ThemeId id) {
    const console::ThemeLook& l = console::theme(id).look;
    return {console::colourOf(l.back), console::colourOf(l.fore), l.face, double(l.size), l.bold, l.italic};
}

// The captions of the checked theme items.
inline QStringList checkedThemes(const QWidget* window) {
    QStringList checked;
    for (const char* name :
         {"mnuViewThemeDefault", "mnuViewThemeDOS", "mnuViewThemeGreenScreen", "mnuViewThemeBloodshot",
          "mnuViewThemeBnW", "mnuViewThemePH", "mnuViewThemeCustom"})
        if (QAction* a = window->findChild<QAction*>(QLatin1String(name)); a->isChecked())
            checked << a->text();
    return checked;
}

// Menus and items as the user finds them: by their captions.
inline QMenu* menuTitled(const QWidget& window, const QString& title) {
    for (QMenu* menu : window.findChildren<QMenu*>())
        if (menu->title() == title)
            return menu;
    return nullptr;
}
inline QAction* menuItem(const QWidget& window, const QString& menu, const QString& caption) {
    for (QAction* item : menuTitled(window, menu) ? menuTitled(window, menu)->actions() : QList<QAction*>())
        if (item->text() == caption)
            return item;
    return nullptr;
}
