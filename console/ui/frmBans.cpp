#include "frmBans.h"

#include "ConsoleSession.h"
#include "ServerQuery.h"
#include "ServerReplies.h"
#include "Wire.h"

#include <Desktop.h>
#include <PlainText.h>

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPointer>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

namespace console {

namespace {
const QString kTitle = QStringLiteral("Bans");
const QString kFlushWord = QStringLiteral("FLUSH");
constexpr int kEngineWaitMs = 1000;
constexpr int kRecentPlayers = 40;

struct Expiry {
    const char* caption;
    qint64 seconds; // 0: never
};
constexpr Expiry kExpiries[] = {
    {"Never", 0}, {"1 hour", 3600}, {"1 day", 86400}, {"7 days", 7 * 86400}, {"30 days", 30 * 86400},
};

enum Column { KindColumn, NumberColumn, RangeColumn, ReasonColumn, WhoColumn, WhenColumn, ExpiresColumn };

QString localTime(const QDateTime& at) {
    return at.isValid() ? QLocale::system().toString(at.toLocalTime(), QLocale::ShortFormat) : QString();
}

ReplyKind refusalOf(const QString& paneText) {
    QString payload = paneText;
    payload.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return classifyReply(kPrintHeader + payload.left(256).toLatin1());
}

QString firstLine(const QString& text) {
    for (const QString& line : text.split(QLatin1Char('\n')))
        if (!line.trimmed().isEmpty())
            return withoutColours(line).trimmed().left(200);
    return QString();
}
} // namespace

frmBans::frmBans(ConsoleSession& session, platform::Desktop& desktop, QWidget* parent)
    : QDialog(parent), m_session(session), m_desktop(desktop),
      m_query(new ServerQuery(session.pacers(), this)), m_engineWait(new QTimer(this)),
      m_quiet(new QTimer(this)), m_noReply(new QTimer(this)), m_model(new QStandardItemModel(0, 7, this)) {
    setObjectName(QStringLiteral("frmBans"));
    setWindowTitle(kTitle);
    setModal(false);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    lblServer = new QLabel(this);
    lblServer->setObjectName(QStringLiteral("lblServer"));
    platform::makePlain(lblServer);

    m_model->setHorizontalHeaderLabels({QStringLiteral("Kind"), QStringLiteral("#"),
                                        QStringLiteral("Address or range"), QStringLiteral("Reason"),
                                        QStringLiteral("Banned by"), QStringLiteral("When"),
                                        QStringLiteral("Expires")});
    tblBans = new QTableView(this);
    tblBans->setObjectName(QStringLiteral("tblBans"));
    tblBans->setModel(m_model);
    tblBans->setSelectionBehavior(QAbstractItemView::SelectRows);
    tblBans->setSelectionMode(QAbstractItemView::SingleSelection);
    tblBans->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblBans->setTabKeyNavigation(false);
    tblBans->verticalHeader()->hide();
    tblBans->horizontalHeader()->setStretchLastSection(true);
    tblBans->installEventFilter(this);

    cboAddress = new QComboBox(this);
    cboAddress->setObjectName(QStringLiteral("cboAddress"));
    cboAddress->setEditable(true);
    cboAddress->setInsertPolicy(QComboBox::NoInsert);
    cboAddress->lineEdit()->setMaxLength(64);
    cboAddress->lineEdit()->setPlaceholderText(QStringLiteral("10.1.2.3, 10.1.0.0/16 or 2001:db8::/32"));
    txtReason = new QLineEdit(this);
    txtReason->setObjectName(QStringLiteral("txtReason"));
    txtReason->setMaxLength(200);
    cboExpires = new QComboBox(this);
    cboExpires->setObjectName(QStringLiteral("cboExpires"));
    for (const Expiry& e : kExpiries)
        cboExpires->addItem(QString::fromLatin1(e.caption), e.seconds);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Address or range:"), cboAddress);
    form->addRow(QStringLiteral("R&eason:"), txtReason);
    form->addRow(QStringLiteral("E&xpires:"), cboExpires);

    auto button = [this](const char* caption, const char* name) {
        auto* b = new QPushButton(QString::fromLatin1(caption), this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        return b;
    };
    cmdAddBan = button("Add &Ban", "cmdAddBan");
    cmdAddException = button("Add Exce&ption", "cmdAddException");
    cmdRemove = button("&Remove", "cmdRemove");
    cmdFlush = button("&Flush...", "cmdFlush");
    QPushButton* cmdRefresh = button("Re&fresh", "cmdRefresh");
    QPushButton* cmdClose = button("Close", "cmdClose");
    cmdRefresh->setText(QStringLiteral("Refres&h"));
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {cmdAddBan, cmdAddException, cmdRemove, cmdFlush, cmdRefresh})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(cmdClose);

    lblNote = new QLabel(this);
    lblNote->setObjectName(QStringLiteral("lblNote"));
    platform::makePlain(lblNote);
    lblNote->setWordWrap(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblServer);
    layout->addWidget(tblBans, 1);
    layout->addLayout(form);
    layout->addLayout(buttons);
    layout->addWidget(lblNote);
    resize(760, 480);

    m_engineWait->setSingleShot(true);
    m_engineWait->setInterval(kEngineWaitMs);
    m_quiet->setSingleShot(true);
    m_quiet->setInterval(session.seams().listQuiet);
    m_noReply->setSingleShot(true);
    m_noReply->setInterval(session.seams().watch.noReply);
    connect(m_engineWait, &QTimer::timeout, this, &frmBans::listBans);
    connect(m_query, &ServerQuery::statusReceived, this, &frmBans::engineKnown);
    connect(m_quiet, &QTimer::timeout, this, &frmBans::exchangeDone);
    connect(m_noReply, &QTimer::timeout, this, [this] {
        if (!m_exchange)
            return;
        m_exchange.reset();
        say(QStringLiteral("No reply from %1: nothing is confirmed.").arg(m_server));
        updateButtons();
    });
    connect(&session, &ConsoleSession::replyArrived, this, &frmBans::replyArrived);
    connect(cmdAddBan, &QPushButton::clicked, this, &frmBans::addBan);
    connect(cmdAddException, &QPushButton::clicked, this, &frmBans::addException);
    connect(cmdRemove, &QPushButton::clicked, this, &frmBans::removeSelected);
    connect(cmdFlush, &QPushButton::clicked, this, &frmBans::flush);
    connect(cmdRefresh, &QPushButton::clicked, this, &frmBans::refresh);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(tblBans->selectionModel(), &QItemSelectionModel::selectionChanged, this, &frmBans::updateButtons);
    connect(cboAddress, &QComboBox::activated, this, [this](int index) {
        const QString address = cboAddress->itemData(index).toString();
        if (!address.isEmpty())
            cboAddress->setEditText(address);
    });
    updateButtons();
}

void frmBans::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    refresh();
    cboAddress->setFocus();
}

bool frmBans::eventFilter(QObject* watched, QEvent* event) {
    if (watched == tblBans && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        removeSelected();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void frmBans::say(const QString& text) {
    platform::setPlainText(lblNote, text.left(kMaxRecordText));
}

void frmBans::refresh() {
    m_server = m_session.currentServer();
    const QString host = m_session.address().trimmed();
    bool portOk = false;
    const int port = m_session.port().trimmed().toInt(&portOk);
    platform::setPlainText(lblServer, QStringLiteral("Server: %1").arg(m_server));
    if (host.isEmpty() || !portOk || port < 1 || port > 65535) {
        say(QStringLiteral("Enter the server's address and port in the main window."));
        return;
    }
    m_engine = Engine::Ioquake3;
    m_query->cancel();
    m_query->setServer(host, port);
    m_query->requestStatus();
    m_engineWait->start(); // a server that does not say which engine it runs is taken for ioquake3
    fillRecentPlayers();
}

void frmBans::engineKnown(const ServerStatus& status) {
    if (!m_engineWait->isActive())
        return;
    m_engineWait->stop();
    m_engine = engineFromVersion(status.info.value(QStringLiteral("version")));
    listBans();
}

void frmBans::listBans() {
    m_confirmByList.reset();
    send(BanAction::List, {});
}

bool frmBans::send(BanAction action, const BanNote& note) {
    if (m_exchange) {
        say(QStringLiteral("Still waiting for the server's reply."));
        return false;
    }
    if (m_session.currentServer() != m_server) {
        say(QStringLiteral("The main window now aims at another server: the list was read again."));
        refresh();
        return false;
    }
    if (m_session.password().trimmed().isEmpty()) {
        say(QStringLiteral("Ban commands need the rcon password: enter it in the main window."));
        return false;
    }
    const std::optional<QString> command = banCommand(m_engine, action, note.range);
    if (!command) {
        say(m_engine == Engine::EtLegacy
                ? QStringLiteral(
                      "ET: Legacy has no such command, or cannot name that range (IPv4 only, on whole "
                      "octets: /8, /16, /24 or /32).")
                : QStringLiteral("Not an address or range."));
        return false;
    }
    m_exchange = Exchange{action, note};
    m_collected.clear();
    updateButtons();
    m_session.SendCommand(*command, CommandOrigin::Bans, [self = QPointer<frmBans>(this)] {
        if (!self || !self->m_exchange || self->m_exchange->sent)
            return;
        self->m_exchange->sent = true;
        self->m_noReply->start();
    });
    return true;
}

void frmBans::replyArrived(const QString& text) {
    if (!m_exchange || !m_exchange->sent || m_collected.size() > kMaxReplyBytes)
        return;
    m_noReply->stop();
    m_collected += text;
    m_quiet->start();
}

void frmBans::exchangeDone() {
    if (!m_exchange)
        return;
    const Exchange exchange = *m_exchange;
    m_exchange.reset();
    updateButtons();
    if (const ReplyKind refused = refusalOf(m_collected); refused != ReplyKind::Ordinary)
        return say(refusalText(refused) + QLatin1Char('.'));
    if (exchange.action == BanAction::List)
        listArrived(m_collected);
    else
        actionAnswered(exchange, m_collected);
}

void frmBans::listArrived(const QString& text) {
    m_entries = m_engine == Engine::EtLegacy ? parseEtBanCvar(text) : parseBanList(text);
    if (m_confirmByList) {
        const BanNote note = *m_confirmByList;
        m_confirmByList.reset();
        const bool shown = std::any_of(m_entries.cbegin(), m_entries.cend(),
                                       [&](const BanEntry& e) { return e.range == note.range; });
        if (shown)
            m_session.records().saveBanNote(note);
        say(shown ? QStringLiteral("Added ban: %1").arg(note.range)
                  : QStringLiteral("The server's list does not show %1: not added.").arg(note.range));
    }
    m_session.records().banNotes(m_server, this, [this, server = m_server](const QList<BanNote>& notes) {
        if (server != m_server)
            return;
        m_notes = notes;
        showRows();
    });
}

void frmBans::actionAnswered(const Exchange& exchange, const QString& text) {
    const BanReply reply = parseBanReply(text);
    BanNote note = exchange.note;
    switch (reply.kind) {
    case BanReply::Added:
    case BanReply::ExceptionAdded:
        note.range = reply.range.isEmpty() ? note.range : reply.range;
        m_session.records().saveBanNote(note);
        say(reply.kind == BanReply::Added ? QStringLiteral("Added ban: %1").arg(note.range)
                                          : QStringLiteral("Added ban exception: %1").arg(note.range));
        break;
    case BanReply::Deleted:
    case BanReply::ExceptionDeleted:
    case BanReply::Silent:
    case BanReply::NotFound:
        if (exchange.action == BanAction::Add) { // ET: Legacy's addip says nothing: its list must show it
            listBans();
            m_confirmByList = note;
            return;
        }
        if (exchange.action == BanAction::Flush)
            break;
        m_session.records().removeBanNote(m_server, note.kind, note.range);
        say(reply.kind == BanReply::Silent || reply.kind == BanReply::NotFound
                ? QStringLiteral("The server has no such entry any more: %1").arg(note.range)
                : QStringLiteral("Removed: %1").arg(note.range));
        break;
    case BanReply::Flushed:
        m_session.records().removeBanNotes(m_server);
        say(QStringLiteral("All bans and exceptions have been deleted."));
        break;
    case BanReply::Failed:
        say(QStringLiteral("The server refused: %1").arg(reply.error));
        break;
    case BanReply::Other:
        say(QStringLiteral("The server's reply does not confirm it: %1").arg(firstLine(text)));
        break;
    }
    listBans();
}

void frmBans::addBan() {
    add(BanKind::Ban);
}

void frmBans::addException() {
    add(BanKind::Exception);
}

void frmBans::add(BanKind kind) {
    const QString typed = cboAddress->currentText().trimmed();
    const std::optional<AddressRange> range = parseAddressRange(typed);
    if (!range) {
        say(QStringLiteral("Not an address or range: %1").arg(typed.left(64)));
        cboAddress->setFocus();
        return;
    }
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const qint64 seconds = cboExpires->currentData().toLongLong();
    const BanNote note{m_server,
                       kind,
                       range->text,
                       m_engine,
                       txtReason->text().trimmed(),
                       desktopUser(),
                       now,
                       seconds > 0 ? now.addSecs(seconds) : QDateTime()};
    if (send(kind == BanKind::Ban ? BanAction::Add : BanAction::AddException, note))
        txtReason->clear();
}

std::optional<BanEntry> frmBans::selectedEntry() const {
    const QModelIndexList rows = tblBans->selectionModel()->selectedRows();
    if (rows.isEmpty() || rows.front().row() >= m_entries.size())
        return std::nullopt;
    return m_entries[rows.front().row()];
}

void frmBans::removeSelected() {
    const std::optional<BanEntry> entry = selectedEntry();
    if (!entry)
        return;
    const QString what = entry->kind == BanKind::Ban ? QStringLiteral("ban") : QStringLiteral("exception");
    if (m_desktop.messageBox(this,
                             QStringLiteral("Remove the %1 on %2 from %3?").arg(what, entry->range, m_server),
                             kTitle, platform::Desktop::Icon::Question,
                             platform::Desktop::Buttons::YesNo) != platform::Desktop::Answer::Yes)
        return;
    BanNote note;
    note.server = m_server;
    note.kind = entry->kind;
    note.range = entry->range;
    send(entry->kind == BanKind::Ban ? BanAction::Remove : BanAction::RemoveException, note);
}

void frmBans::flush() {
    const std::optional<QString> typed =
        m_desktop.askText(this, QStringLiteral("Flush"),
                          QStringLiteral("Every ban and exception on %1 will be deleted. Type %2 to go on:")
                              .arg(m_server, kFlushWord),
                          QString());
    if (!typed)
        return;
    if (typed->trimmed() != kFlushWord)
        return say(QStringLiteral("Nothing was flushed: %1 was not typed.").arg(kFlushWord));
    send(BanAction::Flush, {});
}

void frmBans::showRows() {
    const std::optional<BanEntry> kept = selectedEntry();
    m_model->removeRows(0, m_model->rowCount());
    int select = -1;
    for (const BanEntry& entry : std::as_const(m_entries)) {
        BanNote note;
        for (const BanNote& n : std::as_const(m_notes))
            if (n.kind == entry.kind && n.range == entry.range)
                note = n;
        const QString expires = !note.at.isValid()       ? QString()
                                : note.expires.isValid() ? localTime(note.expires)
                                                         : QStringLiteral("never");
        m_model->appendRow({new QStandardItem(entry.kind == BanKind::Ban ? QStringLiteral("Ban")
                                                                         : QStringLiteral("Exception")),
                            new QStandardItem(entry.number > 0 ? QString::number(entry.number) : QString()),
                            new QStandardItem(entry.range), new QStandardItem(note.reason),
                            new QStandardItem(note.who), new QStandardItem(localTime(note.at)),
                            new QStandardItem(expires)});
        if (kept && kept->kind == entry.kind && kept->range == entry.range)
            select = m_model->rowCount() - 1;
    }
    tblBans->resizeColumnsToContents();
    if (select >= 0)
        tblBans->selectRow(select);
    if (m_entries.isEmpty() && lblNote->text().isEmpty())
        say(QStringLiteral("The server lists no bans."));
    updateButtons();
}

void frmBans::fillRecentPlayers() {
    for (const QString& all : {QStringLiteral("0.0.0.0/0"), QStringLiteral("::/0")})
        m_session.records().searchHistory(
            all, this, [this, server = m_server](const QList<HistoryRow>& rows) {
                for (const HistoryRow& row : rows) {
                    if (row.server != server || cboAddress->findData(row.address) >= 0 ||
                        cboAddress->count() >= kRecentPlayers)
                        continue;
                    cboAddress->addItem(
                        QStringLiteral("%1  %2").arg(withoutColours(row.name).left(64), row.address),
                        row.address);
                }
                cboAddress->setEditText(QString());
            });
}

void frmBans::updateButtons() {
    const bool idle = !m_exchange;
    cmdAddBan->setEnabled(idle);
    cmdAddException->setEnabled(idle &&
                                banCommand(m_engine, BanAction::AddException, QStringLiteral("1.2.3.4")));
    cmdFlush->setEnabled(idle && banCommand(m_engine, BanAction::Flush));
    cmdRemove->setEnabled(idle && selectedEntry().has_value());
}

} // namespace console
