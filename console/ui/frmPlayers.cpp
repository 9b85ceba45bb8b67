#include "frmPlayers.h"

#include "ColourNameDelegate.h"
#include "ConsoleSession.h"
#include "Placement.h"
#include "Records.h"
#include "Screens.h"
#include "ServerQuery.h"
#include "WidgetLook.h"

#include <Desktop.h>
#include <PlainText.h>
#include <Port.h>
#include <Twips.h>

#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHostAddress>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <utility>

namespace console {

namespace {
const QString kTitle = QStringLiteral("Players");

// What each action sends; another engine's words are adopted here. %1 is the slot (the address for
// a ban), %2 the message.
struct ActionWords {
    frmPlayers::Action action;
    const char* pattern;
};
constexpr ActionWords kActionWords[] = {
    {frmPlayers::Action::Kick, "clientkick %1"},
    {frmPlayers::Action::Tell, "tell %1 \"%2\""},
    {frmPlayers::Action::Ban, "banaddr %1"},
};

// Soon after an action the server has carried it out; the list shows the result without waiting
// for the regular refresh.
constexpr int kAfterActionMs = 1000;
} // namespace

QString frmPlayers::command(Action action, const QString& what, const QString& message) {
    // A double quote would end the message early and let the rest run as a command of its own.
    QString text = message;
    text.replace(QLatin1Char('"'), QLatin1Char('\''));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    for (const ActionWords& words : kActionWords) {
        if (words.action != action)
            continue;
        const QString pattern = QString::fromLatin1(words.pattern);
        return pattern.contains(QLatin1String("%2")) ? pattern.arg(what, text) : pattern.arg(what);
    }
    return QString();
}

QString frmPlayers::banAddress(const QString& address) {
    QString host = address.trimmed();
    if (host.startsWith(QLatin1Char('['))) {
        const qsizetype end = host.indexOf(QLatin1Char(']'));
        host = end > 0 ? host.mid(1, end - 1) : QString();
    } else if (host.count(QLatin1Char(':')) == 1) {
        host = host.left(host.indexOf(QLatin1Char(':')));
    }
    return QHostAddress(host).isNull() ? QString() : host;
}

frmPlayers::frmPlayers(ConsoleSession& session, platform::Desktop& desktop, QWidget* parent)
    : QDialog(parent), m_session(session), m_desktop(desktop),
      m_query(new ServerQuery(session.pacers(), this)), m_roster(new PlayerRoster(this)),
      m_refresh(new QTimer(this)) {
    setObjectName(QStringLiteral("frmPlayers"));
    setWindowTitle(kTitle);
    setModal(false);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    auto* summary = new QFormLayout;
    auto field = [&](const char* caption, const char* name) {
        QLabel* label = platform::plainLabel(this);
        label->setObjectName(QLatin1String(name));
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        summary->addRow(QString::fromLatin1(caption), label);
        return label;
    };
    m_server = field("Server:", "lblServer");
    m_map = field("Map:", "lblMap");
    m_gameType = field("Game type:", "lblGameType");
    m_players = field("Players:", "lblPlayers");

    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("tblPlayers"));
    m_table->setModel(m_roster);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setTabKeyNavigation(false); // Tab leaves the table for the buttons
    m_table->setWordWrap(false);
    m_table->verticalHeader()->hide();
    const QFontMetrics metrics = m_table->fontMetrics();
    m_table->verticalHeader()->setDefaultSectionSize(metrics.height() + 6); // a line of text a row
    // Widths from the widest value a column holds, not from the rows: a refresh measures no cell,
    // and the columns stay put.
    QHeaderView* header = m_table->horizontalHeader();
    const std::pair<int, const char*> widest[] = {{PlayerRoster::SlotColumn, "1023"},
                                                  {PlayerRoster::ScoreColumn, "-99999"},
                                                  {PlayerRoster::PingColumn, "CNCT"},
                                                  {PlayerRoster::AddressColumn, "[ffff:ffff::ffff]:65535"}};
    for (const auto& [column, value] : widest) {
        const QString caption = m_roster->headerData(column, Qt::Horizontal).toString();
        header->resizeSection(column, qMax(metrics.horizontalAdvance(caption),
                                           metrics.horizontalAdvance(QString::fromLatin1(value))) +
                                          16);
    }
    header->setSectionResizeMode(PlayerRoster::NameColumn, QHeaderView::Stretch);
    m_table->setItemDelegateForColumn(PlayerRoster::NameColumn, new ColourNameDelegate(m_table));
    m_table->installEventFilter(this);

    m_shown = platform::plainLabel(this);
    m_shown->setObjectName(QStringLiteral("lblShown"));
    m_note = platform::plainLabel(this);
    m_note->setObjectName(QStringLiteral("lblNote"));
    m_note->setWordWrap(true);

    auto button = [&](const char* caption, const char* name) {
        auto* b = new QPushButton(QString::fromLatin1(caption), this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        return b;
    };
    QPushButton* refresh = button("&Refresh", "cmdRefresh");
    m_kick = button("&Kick", "cmdKick");
    m_tell = button("&Tell...", "cmdTell");
    m_ban = button("&Ban Address", "cmdBan");
    m_history = button("&History", "cmdHistory");
    QPushButton* close = button("Close", "cmdClose");
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {refresh, m_kick, m_tell, m_ban, m_history})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(summary);
    layout->addWidget(m_table, 1);
    layout->addWidget(m_shown);
    layout->addWidget(m_note);
    layout->addLayout(buttons);
    setTabOrder(m_table, refresh);
    setTabOrder(refresh, m_kick);
    setTabOrder(m_kick, m_tell);
    setTabOrder(m_tell, m_ban);
    setTabOrder(m_ban, m_history);
    setTabOrder(m_history, close);

    m_refresh->setInterval(session.seams().playersRefresh);
    connect(m_refresh, &QTimer::timeout, this, &frmPlayers::refresh);
    connect(refresh, &QPushButton::clicked, this, &frmPlayers::refresh);
    connect(m_kick, &QPushButton::clicked, this, &frmPlayers::kickSelected);
    connect(m_tell, &QPushButton::clicked, this, &frmPlayers::tellSelected);
    connect(m_ban, &QPushButton::clicked, this, &frmPlayers::banSelected);
    connect(m_history, &QPushButton::clicked, this, [this] {
        if (const std::optional<RosterPlayer> p = selectedPlayer())
            emit historyRequested(p->plain);
    });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_table->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &frmPlayers::updateButtons);
    connect(m_query, &ServerQuery::statusReceived, this, &frmPlayers::statusArrived);
    connect(m_query, &ServerQuery::rconStatusReceived, this, &frmPlayers::rconStatusArrived);
    connect(m_query, &ServerQuery::rconRefused, this, &frmPlayers::rconRefused);
    connect(&m_session, &ConsoleSession::lookChanged, this, &frmPlayers::showLook);
    showLook();
    updateButtons();
    updateNote();
}

void frmPlayers::showEvent(QShowEvent* event) {
    if (!m_placed) {
        m_placed = true;
        applyPlacement();
    }
    QDialog::showEvent(event);
    m_table->setFocus();
    refresh();
    m_refresh->start();
}

void frmPlayers::hideEvent(QHideEvent* event) {
    m_refresh->stop();
    m_query->cancel();
    rememberPlacement();
    QDialog::hideEvent(event);
}

void frmPlayers::showLook() {
    const ThemeLook look = m_session.look();
    if (boxBackground(m_table) != look.back || boxForeground(m_table) != look.fore)
        setBoxColours(m_table, look.back, look.fore);
}

// Kept as the frame's position and the client's size. Before it is shown the window's own frame is not
// known: the main window's stands in for it, so the whole window lands on a screen.
void frmPlayers::applyPlacement() {
    const AppSettings& s = m_session.settings();
    const QSize frame = parentWidget() ? frameOf(parentWidget()) : QSize();
    const double frameWidth = platform::pixelsToTwips(frame.width());
    const double frameHeight = platform::pixelsToTwips(frame.height());
    WindowPlacement outer{s.PlayersLeft, s.PlayersTop, s.PlayersWidth + frameWidth,
                          s.PlayersHeight + frameHeight};
    const AppSettings defaults;
    if (s.PlayersLeft == defaults.PlayersLeft && s.PlayersTop == defaults.PlayersTop && parentWidget()) {
        // Never placed: centred over the main window.
        const QRect over = parentWidget()->frameGeometry();
        outer.left = platform::pixelsToTwips(over.center().x()) - outer.width / 2;
        outer.top = platform::pixelsToTwips(over.center().y()) - outer.height / 2;
    }
    placeWindow(this, fitOnScreen(outer, screenAreas(), primaryScreenArea()), frame);
}

void frmPlayers::rememberPlacement() {
    if (!m_placed)
        return;
    const QPoint at = frameGeometry().topLeft();
    m_session.setPlayersPlacement(platform::pixelsToTwips(at.x()), platform::pixelsToTwips(at.y()),
                                  platform::pixelsToTwips(width()), platform::pixelsToTwips(height()));
}

void frmPlayers::refresh() {
    const QString host = m_session.address().trimmed();
    const QString port = m_session.port().trimmed();
    const QString password = m_session.password().trimmed();
    const std::optional<quint16> portNumber = platform::parsePort(port);
    if (host.isEmpty() || !portNumber) {
        m_query->cancel();
        m_statusAnswered = true;
        m_silence = QStringLiteral("Enter the server's address and port in the main window.");
        updateNote();
        return;
    }
    m_silence = m_statusAnswered
                    ? QString()
                    : QStringLiteral("No reply from %1:%2").arg(m_query->host()).arg(m_query->port());
    m_query->setServer(host, *portNumber);
    m_statusAnswered = false;
    m_query->requestStatus();
    if (password.isEmpty()) {
        m_rconNote = QStringLiteral("Slots and addresses need the rcon password.");
        updateRoster([this] { m_roster->dropRconTable(); });
    } else {
        m_query->requestRconStatus(password);
    }
    updateNote();
}

void frmPlayers::updateNote() {
    const QString shortfall = m_roster->shortfall();
    m_shown->setText(shortfall);
    m_shown->setVisible(!shortfall.isEmpty());
    QStringList lines;
    for (const QString& line : {m_silence, m_rconNote})
        if (!line.isEmpty())
            lines << line;
    m_note->setText(lines.join(QLatin1Char('\n')));
    m_note->setVisible(!lines.isEmpty());
}

void frmPlayers::statusArrived(const ServerStatus& status) {
    m_statusAnswered = true;
    m_silence.clear();
    const ServerSummary s = summarize(status);
    const QString hostname = withoutColours(s.hostname);
    platform::setPlainText(m_server, hostname);
    platform::setPlainToolTip(m_server, hostname);
    platform::setPlainText(m_map, s.map);
    platform::setPlainText(m_gameType, s.gameType);
    // The count the server gives, though the table holds at most kMaxPlayers.
    m_players->setText(QStringLiteral("%1/%2").arg(status.playerLines).arg(s.maxPlayers));
    updateRoster([&] { m_roster->takeStatus(status); });
    // Without the password this is the only list; with it, rcon status names the addresses too.
    if (m_session.password().trimmed().isEmpty()) {
        QList<SeenPlayer> seen;
        for (const StatusPlayer& p : status.players)
            seen.append({p.name, QString()});
        m_session.records().recordPlayers(QStringLiteral("%1:%2").arg(m_query->host()).arg(m_query->port()),
                                          seen);
    }
}

void frmPlayers::rconStatusArrived(const RconStatus& status) {
    m_rconNote.clear();
    updateRoster([&] { m_roster->takeRconStatus(status); });
    QList<SeenPlayer> seen;
    for (const RconPlayer& p : status.players)
        seen.append({p.name, p.address});
    m_session.records().recordPlayers(QStringLiteral("%1:%2").arg(m_query->host()).arg(m_query->port()),
                                      seen);
}

void frmPlayers::rconRefused(ReplyKind kind) {
    m_rconNote = refusalText(kind) + QLatin1Char('.');
    updateRoster([this] { m_roster->dropRconTable(); });
}

void frmPlayers::updateRoster(const std::function<void()>& change) {
    const std::optional<RosterPlayer> chosen = selectedPlayer();
    const bool wasEmpty = m_roster->rowCount() == 0;
    change();
    QItemSelectionModel* selection = m_table->selectionModel();
    const int row = chosen ? m_roster->rowOf(*chosen) : (wasEmpty && m_roster->rowCount() > 0 ? 0 : -1);
    if (row >= 0) {
        if (!selection->isRowSelected(row))
            selection->setCurrentIndex(m_roster->index(row, 0),
                                       QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    } else if (chosen) {
        selection->clearSelection(); // the player left: no one else is chosen in their stead
    }
    updateButtons();
    updateNote();
}

std::optional<RosterPlayer> frmPlayers::selectedPlayer() const {
    const QModelIndexList rows = m_table->selectionModel()->selectedRows();
    if (rows.isEmpty() || rows.front().row() >= m_roster->rowCount())
        return std::nullopt;
    return m_roster->player(rows.front().row());
}

void frmPlayers::updateButtons() {
    const std::optional<RosterPlayer> p = selectedPlayer();
    const bool slot = p && !p->slot.isEmpty();
    m_kick->setEnabled(slot);
    m_tell->setEnabled(slot);
    m_ban->setEnabled(p && !banAddress(p->address).isEmpty());
    m_history->setEnabled(p.has_value());
}

bool frmPlayers::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_table && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        kickSelected();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

bool frmPlayers::confirm(const QString& question) {
    return m_desktop.messageBox(this, question, kTitle, platform::Desktop::Icon::Question,
                                platform::Desktop::Buttons::YesNo) == platform::Desktop::Answer::Yes;
}

void frmPlayers::act(const QString& command) {
    m_session.SendCommand(command);
    QTimer::singleShot(kAfterActionMs, this, [this] {
        if (isVisible())
            refresh();
    });
}

void frmPlayers::kickSelected() {
    const std::optional<RosterPlayer> chosen = selectedPlayer();
    if (!chosen || chosen->slot.isEmpty())
        return;
    if (confirm(QStringLiteral("Kick %1 (slot %2) from the server?").arg(chosen->plain, chosen->slot)))
        act(command(Action::Kick, chosen->slot));
}

void frmPlayers::tellSelected() {
    const std::optional<RosterPlayer> chosen = selectedPlayer();
    if (!chosen || chosen->slot.isEmpty())
        return;
    const std::optional<QString> message = m_desktop.askText(
        this, QStringLiteral("Tell"), QStringLiteral("Message to %1:").arg(chosen->plain), QString());
    if (message && !message->trimmed().isEmpty())
        act(command(Action::Tell, chosen->slot, *message));
}

void frmPlayers::banSelected() {
    const std::optional<RosterPlayer> chosen = selectedPlayer();
    if (!chosen)
        return;
    const QString address = banAddress(chosen->address);
    if (address.isEmpty())
        return;
    if (confirm(QStringLiteral("Ban the address %1 of %2?").arg(address, chosen->plain)))
        act(command(Action::Ban, address));
}

} // namespace console
