#include "ConsoleFixture.h"

#include <PlainText.h>
#include <PlayerRoster.h>
#include <frmPlayers.h>

#include <QTextDocumentFragment>
#include <QToolTip>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <thread>

using namespace console;

namespace {
qint64 residentKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return 0;
}

#if defined(__SANITIZE_ADDRESS__)
constexpr qint64 kMaxGrowthKiB = 512 * 1024; // freed memory stays in quarantine
#else
constexpr qint64 kMaxGrowthKiB = 64 * 1024;
#endif

// Text shown as markup can read a file without end (`<img src=/dev/zero>`): the process is ended
// long before it takes the machine's memory.
class MemoryGuard {
public:
    MemoryGuard() : m_limit(residentKiB() + 2 * 1024 * 1024) {
        m_thread = std::thread([this] {
            while (!m_done) {
                if (residentKiB() > m_limit) {
                    std::fprintf(stderr, "memory ran away: %lld KiB\n",
                                 static_cast<long long>(residentKiB()));
                    std::abort();
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
        });
    }
    ~MemoryGuard() {
        m_done = true;
        m_thread.join();
    }

private:
    const qint64 m_limit;
    std::atomic<bool> m_done{false};
    std::thread m_thread;
};

// The program's own message boxes and Tell dialog; everything else recorded as the fake does.
class RealBoxes : public FakeDesktop {
public:
    Answer messageBox(QWidget* parent, const QString& text, const QString& title, Icon icon,
                      Buttons buttons) override {
        return platform::RealDesktop().messageBox(parent, text, title, icon, buttons);
    }
    std::optional<QString> askText(QWidget* parent, const QString& title, const QString& label,
                                   const QString& initial) override {
        return platform::RealDesktop().askText(parent, title, label, initial);
    }
};

// A label as it shows its text: the text itself where it takes it as plain text.
QString shown(const QLabel* label) {
    return label->textFormat() == Qt::PlainText ? label->text()
                                                : QStringLiteral("<as markup> ") + label->text();
}

// The widget's tooltip as the user sees it, laid out and painted.
QString shownToolTip(QWidget* widget) {
    QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), widget->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(widget, &help);
    QString text = QStringLiteral("<no tip>");
    for (QWidget* top : QApplication::topLevelWidgets())
        if (auto* tip = qobject_cast<QLabel*>(top);
            tip && tip->objectName() == "qtooltip_label" && tip->isVisible()) {
            tip->grab();
            text = QTextDocumentFragment::fromHtml(tip->text()).toPlainText();
        }
    QToolTip::hideText();
    return text;
}

// What the modal dialog of type T shows when it opens: its labels, title bar, then it is closed.
template <typename T> void readModal(QStringList& seen) {
    whenModal<T>([&seen](T* dialog) {
        dialog->grab();
        for (const QLabel* label : dialog->template findChildren<QLabel*>())
            if (!label->text().isEmpty())
                seen << shown(label);
        seen << "title " + dialog->windowHandle()->title();
        dialog->reject();
    });
}
} // namespace

// Words a server or a player chose reach every place as they are, never as markup, and cost no more
// memory than their own size.
class tst_plaintext : public QObject {
    Q_OBJECT
private slots:
    void hostileText_data() {
        columns<QString>("text");
        row("image from a device", QString("<img src=/dev/zero>"));
        row("bold and a slot of its own", QString("<b>x</b> (slot 5)<br>"));
        row("link", QString("<a href=\"file:///etc/passwd\">open</a>"));
        row("entity", QString("&lt;"));
        row("huge font", QString("<font size=7 color=red>BIG</font>"));
        row("modified mark", QString("[*] [*][*] x"));
        QString large;
        while (large.size() < 64 * 1024)
            large += "<b>bold</b> <i>x</i> ";
        row("64 KiB", large.left(64 * 1024));
    }
    void hostileText() {
        QFETCH(QString, text);
        const MemoryGuard guard;
        const qint64 before = residentKiB();
        // Every place shows the first 2048 characters of a longer text.
        const auto cut = [](const QString& s) { return s.size() > 2048 ? s.left(2048) + QChar(0x2026) : s; };
        const QString tip = cut(text);
        ConsoleFixture f;
        RealBoxes boxes;
        frmMain& main = f.open();
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        frmPlayers players(f.session(), boxes, &main);
        players.show();
        QVERIFY(QTest::qWaitForWindowExposed(&players));
        const QSize mainSize = main.size(), playersSize = players.size();

        // The status line and its tip.
        emit f.session().statusText(text);
        auto* status = f.find<QLabel>("lblStatus");
        QCOMPARE(shown(status), tip);
        QCOMPARE(shownToolTip(status), tip);

        // The Players window's labels and table.
        ServerStatus server;
        for (const char* key : {"sv_hostname", "mapname", "g_gametype"})
            server.info.pairs.append({QString::fromLatin1(key), text});
        server.info.pairs.append({QStringLiteral("sv_maxclients"), QStringLiteral("8")});
        players.statusArrived(server);
        RconStatus table;
        table.players.append({5, 0, 50, "50", text, "10.0.0.2:27960"});
        table.playerLines = 1;
        players.rconStatusArrived(table);
        for (const char* name : {"lblServer", "lblMap", "lblGameType"})
            QCOMPARE(shown(players.findChild<QLabel*>(name)), tip);
        QCOMPARE(shownToolTip(players.findChild<QLabel*>("lblServer")), tip);
        const QModelIndex cell = players.roster().index(0, PlayerRoster::NameColumn);
        QCOMPARE(QStringList({cell.data().toString(), cell.data(PlayerRoster::NameAsSentRole).toString()}),
                 QStringList({text, text}));

        // Kick, Tell and Ban through the real boxes, and a box whose title is outside words.
        QStringList seen;
        auto* view = players.findChild<QTableView*>("tblPlayers");
        view->setFocus();
        readModal<QMessageBox>(seen);
        QTest::keyClick(view, Qt::Key_Delete);
        readModal<QInputDialog>(seen);
        players.findChild<QPushButton*>("cmdTell")->click();
        readModal<QMessageBox>(seen);
        players.findChild<QPushButton*>("cmdBan")->click();
        readModal<QMessageBox>(seen);
        platform::RealDesktop().messageBox(&main, text, text, platform::Desktop::Icon::Warning,
                                           platform::Desktop::Buttons::Ok);
        QCOMPARE(seen, QStringList({cut("Kick " + text + " (slot 5) from the server?"), "title Players",
                                    cut("Message to " + text + ":"), "title Tell",
                                    cut("Ban the address 10.0.0.2 of " + text + "?"), "title Players", tip,
                                    "title " + tip}));
        QVERIFY(f.paneText().isEmpty()); // nothing was confirmed

        QCoreApplication::processEvents();
        main.grab();
        players.grab();
        QCOMPARE(QList<QSize>({main.size(), players.size()}), QList<QSize>({mainSize, playersSize}));
        QVERIFY2(residentKiB() - before < kMaxGrowthKiB,
                 qPrintable(QStringLiteral("grew by %1 KiB").arg(residentKiB() - before)));
    }
};

QTEST_MAIN(tst_plaintext)
#include "tst_plaintext.moc"
