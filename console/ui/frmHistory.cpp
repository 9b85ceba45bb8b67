#include "frmHistory.h"

#include "CommandAudit.h"
#include "ConsoleSession.h"
#include "Records.h"
#include "ServerReplies.h"

#include <Desktop.h>
#include <PlainText.h>
#include <SettingsStore.h>

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

namespace console {

namespace {
const QString kTitle = QStringLiteral("Player History");

QString localTime(const QDateTime& at) {
    return QLocale::system().toString(at.toLocalTime(), QLocale::ShortFormat);
}
} // namespace

frmHistory::frmHistory(ConsoleSession& session, platform::Desktop& desktop, QWidget* parent)
    : QDialog(parent), m_session(session), m_desktop(desktop), m_model(new QStandardItemModel(0, 6, this)) {
    setObjectName(QStringLiteral("frmHistory"));
    setWindowTitle(kTitle);
    setModal(false);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    auto* prompt = new QLabel(QStringLiteral("&Name, address or range:"), this);
    txtSearch = new QLineEdit(this);
    txtSearch->setObjectName(QStringLiteral("txtSearch"));
    txtSearch->setMaxLength(kMaxRecordText);
    txtSearch->setPlaceholderText(QStringLiteral("a fragment of a name, 10.1.2.3 or 10.1.0.0/16"));
    prompt->setBuddy(txtSearch);
    auto* cmdSearch = new QPushButton(QStringLiteral("&Search"), this);
    cmdSearch->setObjectName(QStringLiteral("cmdSearch"));
    cmdSearch->setDefault(true);

    m_model->setHorizontalHeaderLabels({QStringLiteral("Name"), QStringLiteral("Address"),
                                        QStringLiteral("Server"), QStringLiteral("First seen"),
                                        QStringLiteral("Last seen"), QStringLiteral("Times seen")});
    tblHistory = new QTableView(this);
    tblHistory->setObjectName(QStringLiteral("tblHistory"));
    tblHistory->setModel(m_model);
    tblHistory->setSelectionBehavior(QAbstractItemView::SelectRows);
    tblHistory->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblHistory->setTabKeyNavigation(false);
    tblHistory->verticalHeader()->hide();
    tblHistory->horizontalHeader()->setStretchLastSection(true);
    tblHistory->setSortingEnabled(true);

    lblCount = new QLabel(this);
    lblCount->setObjectName(QStringLiteral("lblCount"));
    platform::makePlain(lblCount);

    auto* keepLabel = new QLabel(QStringLiteral("&Keep player history for"), this);
    spnKeepDays = new QSpinBox(this);
    spnKeepDays->setObjectName(QStringLiteral("spnKeepDays"));
    spnKeepDays->setRange(1, RecordsSettings::kMaxHistoryDays);
    spnKeepDays->setSuffix(QStringLiteral(" days"));
    spnKeepDays->setValue(m_session.audit().settings().historyDays);
    keepLabel->setBuddy(spnKeepDays);
    auto* cmdClear = new QPushButton(QStringLiteral("Clear Player History"), this);
    cmdClear->setObjectName(QStringLiteral("cmdClearHistory"));
    cmdClear->setAutoDefault(false);
    auto* cmdClose = new QPushButton(QStringLiteral("Close"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    cmdClose->setAutoDefault(false);

    auto* top = new QHBoxLayout;
    top->addWidget(prompt);
    top->addWidget(txtSearch, 1);
    top->addWidget(cmdSearch);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(keepLabel);
    bottom->addWidget(spnKeepDays);
    bottom->addStretch();
    bottom->addWidget(cmdClear);
    bottom->addWidget(cmdClose);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(tblHistory, 1);
    layout->addWidget(lblCount);
    layout->addLayout(bottom);
    resize(760, 420);

    connect(cmdSearch, &QPushButton::clicked, this, &frmHistory::search);
    connect(txtSearch, &QLineEdit::returnPressed, this, &frmHistory::search);
    connect(spnKeepDays, &QSpinBox::editingFinished, this, [this] { keepDaysChanged(spnKeepDays->value()); });
    connect(cmdClear, &QPushButton::clicked, this, &frmHistory::clearHistory);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::reject);
    txtSearch->setFocus();
}

void frmHistory::searchFor(const QString& text) {
    txtSearch->setText(text.left(kMaxRecordText));
    search();
}

void frmHistory::search() {
    const QString text = txtSearch->text().trimmed();
    if (text.isEmpty()) {
        lblCount->setText(
            QStringLiteral("Type a part of a name, an address or a range such as 10.1.0.0/16."));
        return;
    }
    const quint64 asked = ++m_asked;
    lblCount->setText(QStringLiteral("Searching..."));
    m_session.records().searchHistory(text, this, [this, asked](const QList<HistoryRow>& rows) {
        if (asked == m_asked)
            showRows(rows);
    });
}

void frmHistory::showRows(const QList<HistoryRow>& rows) {
    tblHistory->setSortingEnabled(false);
    m_model->removeRows(0, m_model->rowCount());
    for (const HistoryRow& row : rows) {
        auto* name = new QStandardItem(withoutColours(row.name));
        name->setToolTip(platform::plainToolTip(row.name));
        auto* times = new QStandardItem;
        times->setData(row.timesSeen, Qt::DisplayRole);
        auto* first = new QStandardItem(localTime(row.firstSeen));
        first->setData(row.firstSeen, Qt::UserRole);
        auto* last = new QStandardItem(localTime(row.lastSeen));
        last->setData(row.lastSeen, Qt::UserRole);
        m_model->appendRow(
            {name, new QStandardItem(row.address), new QStandardItem(row.server), first, last, times});
    }
    tblHistory->setSortingEnabled(true);
    tblHistory->resizeColumnsToContents();
    if (rows.isEmpty())
        lblCount->setText(QStringLiteral("No player matches."));
    else if (rows.size() >= kMaxRecordRows)
        lblCount->setText(QStringLiteral("The %1 most recently seen are shown.").arg(rows.size()));
    else
        lblCount->setText(rows.size() == 1 ? QStringLiteral("1 record.")
                                           : QStringLiteral("%1 records.").arg(rows.size()));
    if (!rows.isEmpty())
        tblHistory->selectRow(0);
}

void frmHistory::keepDaysChanged(int days) {
    RecordsSettings settings = m_session.audit().settings();
    if (settings.historyDays == days)
        return;
    settings.historyDays = days;
    m_session.audit().setSettings(settings);
    platform::SettingsStore store;
    saveRecordsSettings(store, settings);
    if (const platform::Result<> saved = store.sync(); !saved)
        platform::setPlainText(lblCount, saved.why());
    m_session.records().pruneHistory(QDateTime::currentDateTimeUtc().addDays(-days));
}

void frmHistory::clearHistory() {
    if (m_desktop.messageBox(this,
                             QStringLiteral("This will remove every player from the history.  Continue?"),
                             kTitle, platform::Desktop::Icon::Question,
                             platform::Desktop::Buttons::YesNo) != platform::Desktop::Answer::Yes)
        return;
    m_session.records().clearHistory();
    m_model->removeRows(0, m_model->rowCount());
    lblCount->setText(QStringLiteral("The player history is empty."));
}

} // namespace console
