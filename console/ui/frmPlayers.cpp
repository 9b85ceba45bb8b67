#include "frmPlayers.h"

#include "ColourNameDelegate.h"
#include "ConsoleSession.h"
#include "Records.h"
#include "ServerQuery.h"

#include <Desktop.h>
#include <Twips.h>

#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHostAddress>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

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

enum Column { SlotColumn, NameColumn, ScoreColumn, PingColumn, AddressColumn, ColumnCount };

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
    : QDialog(parent), m_session(session), m_desktop(desktop), m_query(new ServerQuery(this)),
      m_refresh(new QTimer(this)) {
    setObjectName(QStringLiteral("frmPlayers"));
    setWindowTitle(kTitle);
    setModal(false);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    auto* summary = new QFormLayout;
    auto field = [&](const char* caption, const char* name) {
        auto* label = new QLabel(this);
        label->setObjectName(QLatin1String(name));
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        summary->addRow(QString::fromLatin1(caption), label);
        return label;
    };
    m_server = field("Server:", "lblServer");
    m_map = field("Map:", "lblMap");
    m_gameType = field("Game type:", "lblGameType");
    m_players = field("Players:", "lblPlayers");

    m_table = new QTableWidget(0, ColumnCount, this);
    m_table->setObjectName(QStringLiteral("tblPlayers"));
    m_table->setHorizontalHeaderLabels({QStringLiteral("Slot"), QStringLiteral("Name"),
                                        QStringLiteral("Score"), QStringLiteral("Ping"),
                                        QStringLiteral("Address")});
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setTabKeyNavigation(false); // Tab leaves the table for the buttons
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_table->horizontalHeader()->setSectionResizeMode(NameColumn, QHeaderView::Stretch);
    m_table->setItemDelegateForColumn(NameColumn, new ColourNameDelegate(m_table));
    m_table->installEventFilter(this);

    m_note = new QLabel(this);
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
        if (const Row* row = selectedRow())
            emit historyRequested(withoutColours(row->name));
    });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_table, &QTableWidget::itemSelectionChanged, this, &frmPlayers::updateButtons);
    connect(m_query, &ServerQuery::statusReceived, this, &frmPlayers::statusArrived);
    connect(m_query, &ServerQuery::rconStatusReceived, this, &frmPlayers::rconStatusArrived);
    connect(m_query, &ServerQuery::rconRefused, this, &frmPlayers::rconRefused);
    updateButtons();
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

void frmPlayers::applyPlacement() {
    const AppSettings& s = m_session.settings();
    resize(platform::twipsToPixels(s.PlayersWidth), platform::twipsToPixels(s.PlayersHeight));
    if (s.PlayersLeft >= 0 && s.PlayersTop >= 0)
        move(platform::twipsToPixels(s.PlayersLeft), platform::twipsToPixels(s.PlayersTop));
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
    bool portOk = false;
    const int portNumber = port.toInt(&portOk);
    if (host.isEmpty() || !portOk || portNumber < 1 || portNumber > 65535) {
        m_query->cancel();
        m_statusAnswered = true;
        m_silence = QStringLiteral("Enter the server's address and port in the main window.");
        updateNote();
        return;
    }
    m_silence = m_statusAnswered
                    ? QString()
                    : QStringLiteral("No reply from %1:%2").arg(m_query->host()).arg(m_query->port());
    m_query->setServer(host, portNumber);
    m_statusAnswered = false;
    m_query->requestStatus();
    if (password.isEmpty()) {
        m_rconNote = QStringLiteral("Slots and addresses need the rcon password.");
        m_rconRows = false;
    } else {
        m_query->requestRconStatus(password);
    }
    updateNote();
}

void frmPlayers::updateNote() {
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
    m_server->setText(withoutColours(s.hostname));
    m_map->setText(s.map);
    m_gameType->setText(s.gameType);
    m_players->setText(QStringLiteral("%1/%2").arg(s.players).arg(s.maxPlayers));
    m_statusRows.clear();
    QList<SeenPlayer> seen;
    for (const StatusPlayer& p : status.players) {
        m_statusRows.append({QString(), p.name, p.score, QString::number(p.ping), QString()});
        seen.append({p.name, QString()});
    }
    // Without the password this is the only list; with it, rcon status names the addresses too.
    if (m_session.password().trimmed().isEmpty())
        m_session.records().recordPlayers(QStringLiteral("%1:%2").arg(m_query->host()).arg(m_query->port()),
                                          seen);
    if (!m_rconRows)
        showRows(m_statusRows);
    updateNote();
}

void frmPlayers::rconStatusArrived(const RconStatus& status) {
    QList<Row> rows;
    QList<SeenPlayer> seen;
    for (const RconPlayer& p : status.players) {
        rows.append({QString::number(p.slot), p.name, p.score, p.pingText, p.address});
        seen.append({p.name, p.address});
    }
    m_session.records().recordPlayers(QStringLiteral("%1:%2").arg(m_query->host()).arg(m_query->port()),
                                      seen);
    m_rconRows = true;
    m_rconNote.clear();
    showRows(rows);
    updateNote();
}

void frmPlayers::rconRefused(ReplyKind kind) {
    m_rconNote = refusalText(kind) + QLatin1Char('.');
    m_rconRows = false;
    showRows(m_statusRows);
    updateNote();
}

void frmPlayers::showRows(const QList<Row>& rows) {
    // The selection follows its player (by slot, else by name) across a refresh.
    const Row* before = selectedRow();
    const bool hadSelection = before != nullptr; // `before` points into the rows about to be replaced
    const QString keptSlot = before ? before->slot : QString();
    const QString keptName = before ? before->name : QString();
    const int keptIndex = m_table->currentRow();

    m_rows = rows;
    m_table->setRowCount(int(rows.size()));
    for (int r = 0; r < rows.size(); ++r) {
        const Row& row = rows[r];
        auto cell = [&](Column column, const QString& text, Qt::Alignment align = Qt::AlignLeft) {
            auto* item = new QTableWidgetItem(text);
            item->setTextAlignment(align | Qt::AlignVCenter);
            m_table->setItem(r, column, item);
            return item;
        };
        cell(SlotColumn, row.slot, Qt::AlignRight);
        cell(NameColumn, withoutColours(row.name))->setData(Qt::UserRole, row.name);
        cell(ScoreColumn, QString::number(row.score), Qt::AlignRight);
        cell(PingColumn, row.ping, Qt::AlignRight);
        cell(AddressColumn, row.address);
    }
    int select = rows.isEmpty() ? -1 : 0;
    if (keptIndex >= 0 && !rows.isEmpty())
        select = qMin(keptIndex, int(rows.size()) - 1);
    for (int r = 0; r < rows.size() && hadSelection; ++r)
        if (keptSlot.isEmpty() ? rows[r].name == keptName : rows[r].slot == keptSlot)
            select = r;
    if (select >= 0)
        m_table->selectRow(select);
    updateButtons();
}

const frmPlayers::Row* frmPlayers::selectedRow() const {
    const QList<QTableWidgetSelectionRange> ranges = m_table->selectedRanges();
    if (ranges.isEmpty())
        return nullptr;
    const int r = ranges.front().topRow();
    return r >= 0 && r < m_rows.size() ? &m_rows[r] : nullptr;
}

void frmPlayers::updateButtons() {
    const Row* row = selectedRow();
    const bool slot = row && !row->slot.isEmpty();
    m_kick->setEnabled(slot);
    m_tell->setEnabled(slot);
    m_ban->setEnabled(row && !banAddress(row->address).isEmpty());
    m_history->setEnabled(row != nullptr);
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
    const Row* row = selectedRow();
    if (!row || row->slot.isEmpty())
        return;
    const Row chosen = *row;
    if (confirm(QStringLiteral("Kick %1 (slot %2) from the server?")
                    .arg(withoutColours(chosen.name), chosen.slot)))
        act(command(Action::Kick, chosen.slot));
}

void frmPlayers::tellSelected() {
    const Row* row = selectedRow();
    if (!row || row->slot.isEmpty())
        return;
    const Row chosen = *row;
    const std::optional<QString> message =
        m_desktop.askText(this, QStringLiteral("Tell"),
                          QStringLiteral("Message to %1:").arg(withoutColours(chosen.name)), QString());
    if (message && !message->trimmed().isEmpty())
        act(command(Action::Tell, chosen.slot, *message));
}

void frmPlayers::banSelected() {
    const Row* row = selectedRow();
    if (!row)
        return;
    const Row chosen = *row;
    const QString address = banAddress(chosen.address);
    if (address.isEmpty())
        return;
    if (confirm(QStringLiteral("Ban the address %1 of %2?").arg(address, withoutColours(chosen.name))))
        act(command(Action::Ban, address));
}

} // namespace console
