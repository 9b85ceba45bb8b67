#include "frmActivity.h"

#include "CommandAudit.h"
#include "ConsoleSession.h"
#include "Records.h"

#include <Desktop.h>
#include <PlainText.h>
#include <ProgramFolder.h>
#include <SettingsStore.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSaveFile>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

namespace console {

namespace {
const QString kTitle = QStringLiteral("Activity");
const QString kAllServers = QStringLiteral("(all servers)");

QStringList fieldsOf(const AuditEntry& e) {
    return {e.at.toLocalTime().toString(Qt::ISODate),
            e.user,
            e.server,
            e.command,
            originText(e.origin),
            outcomeText(e.outcome),
            e.firstLine};
}
} // namespace

frmActivity::frmActivity(ConsoleSession& session, platform::Desktop& desktop, QWidget* parent)
    : QDialog(parent), m_session(session), m_desktop(desktop), m_model(new QStandardItemModel(0, 7, this)) {
    setObjectName(QStringLiteral("frmActivity"));
    setWindowTitle(kTitle);
    setModal(false);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    auto labelled = [this](const char* caption, QWidget* field) {
        auto* label = new QLabel(QString::fromLatin1(caption), this);
        label->setBuddy(field);
        return label;
    };
    cboServer = new QComboBox(this);
    cboServer->setObjectName(QStringLiteral("cboServer"));
    cboServer->addItem(kAllServers);
    txtText = new QLineEdit(this);
    txtText->setObjectName(QStringLiteral("txtText"));
    txtText->setMaxLength(kMaxRecordText);
    ckFrom = new QCheckBox(QStringLiteral("&From"), this);
    ckFrom->setObjectName(QStringLiteral("ckFrom"));
    dtFrom = new QDateEdit(QDate::currentDate().addDays(-7), this);
    dtFrom->setObjectName(QStringLiteral("dtFrom"));
    dtFrom->setCalendarPopup(true);
    ckTo = new QCheckBox(QStringLiteral("&To"), this);
    ckTo->setObjectName(QStringLiteral("ckTo"));
    dtTo = new QDateEdit(QDate::currentDate(), this);
    dtTo->setObjectName(QStringLiteral("dtTo"));
    dtTo->setCalendarPopup(true);
    auto* cmdFilter = new QPushButton(QStringLiteral("&Show"), this);
    cmdFilter->setObjectName(QStringLiteral("cmdShow"));
    cmdFilter->setDefault(true);

    m_model->setHorizontalHeaderLabels(
        {QStringLiteral("Time"), QStringLiteral("User"), QStringLiteral("Server"), QStringLiteral("Command"),
         QStringLiteral("Source"), QStringLiteral("Outcome"), QStringLiteral("First reply line")});
    tblActivity = new QTableView(this);
    tblActivity->setObjectName(QStringLiteral("tblActivity"));
    tblActivity->setModel(m_model);
    tblActivity->setSelectionBehavior(QAbstractItemView::SelectRows);
    tblActivity->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblActivity->setTabKeyNavigation(false);
    tblActivity->verticalHeader()->hide();
    tblActivity->horizontalHeader()->setStretchLastSection(true);

    lblCount = new QLabel(this);
    lblCount->setObjectName(QStringLiteral("lblCount"));
    platform::makePlain(lblCount);
    ckAutoQuery = new QCheckBox(QStringLiteral("Record the &auto-query's commands"), this);
    ckAutoQuery->setObjectName(QStringLiteral("ckAutoQuery"));
    ckAutoQuery->setChecked(m_session.audit().settings().auditAutoQuery);
    auto* cmdExport = new QPushButton(QStringLiteral("&Export CSV..."), this);
    cmdExport->setObjectName(QStringLiteral("cmdExport"));
    cmdExport->setAutoDefault(false);
    auto* cmdClose = new QPushButton(QStringLiteral("Close"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    cmdClose->setAutoDefault(false);

    auto* filters = new QGridLayout;
    filters->addWidget(labelled("Se&rver:", cboServer), 0, 0);
    filters->addWidget(cboServer, 0, 1);
    filters->addWidget(labelled("Te&xt:", txtText), 0, 2);
    filters->addWidget(txtText, 0, 3);
    filters->addWidget(ckFrom, 1, 0);
    filters->addWidget(dtFrom, 1, 1);
    filters->addWidget(ckTo, 1, 2);
    filters->addWidget(dtTo, 1, 3);
    filters->addWidget(cmdFilter, 1, 4);
    filters->setColumnStretch(3, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(ckAutoQuery);
    bottom->addStretch();
    bottom->addWidget(cmdExport);
    bottom->addWidget(cmdClose);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    layout->addWidget(tblActivity, 1);
    layout->addWidget(lblCount);
    layout->addLayout(bottom);
    resize(900, 460);

    connect(cmdFilter, &QPushButton::clicked, this, &frmActivity::refresh);
    connect(txtText, &QLineEdit::returnPressed, this, &frmActivity::refresh);
    connect(cmdExport, &QPushButton::clicked, this, &frmActivity::exportCsv);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(ckAutoQuery, &QCheckBox::toggled, this, &frmActivity::autoQueryChanged);
}

void frmActivity::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    m_session.records().auditServers(this, [this](const QStringList& servers) {
        const QString chosen = cboServer->currentText();
        cboServer->clear();
        cboServer->addItem(kAllServers);
        cboServer->addItems(servers);
        cboServer->setCurrentText(chosen);
    });
    refresh();
}

void frmActivity::refresh() {
    AuditFilter filter;
    if (cboServer->currentIndex() > 0)
        filter.server = cboServer->currentText();
    filter.text = txtText->text().trimmed();
    if (ckFrom->isChecked())
        filter.from = dtFrom->date();
    if (ckTo->isChecked())
        filter.to = dtTo->date();
    const quint64 asked = ++m_asked;
    m_session.records().readAudit(filter, this, [this, asked](const QList<AuditEntry>& rows) {
        if (asked == m_asked)
            showRows(rows);
    });
}

void frmActivity::showRows(const QList<AuditEntry>& rows) {
    m_rows = rows;
    m_model->removeRows(0, m_model->rowCount());
    for (const AuditEntry& e : rows) {
        QList<QStandardItem*> cells;
        const QStringList fields = fieldsOf(e);
        for (int c = 0; c < fields.size(); ++c)
            cells << new QStandardItem(
                c == 0 ? QLocale::system().toString(e.at.toLocalTime(), QLocale::ShortFormat) : fields[c]);
        m_model->appendRow(cells);
    }
    tblActivity->resizeColumnsToContents();
    lblCount->setText(rows.size() >= kMaxRecordRows
                          ? QStringLiteral("The newest %1 are shown.").arg(rows.size())
                      : rows.isEmpty() ? QStringLiteral("No command matches.")
                                       : QStringLiteral("%1 commands.").arg(rows.size()));
}

void frmActivity::exportCsv() {
    const QString suggested = QDir::homePath() + QStringLiteral("/vorlanix-activity-") +
                              QDate::currentDate().toString(QStringLiteral("yyyyMMdd")) +
                              QStringLiteral(".csv");
    const QString path = m_desktop.chooseSaveFile(this, QStringLiteral("Export CSV"), suggested,
                                                  QStringLiteral("CSV files (*.csv);;All files (*)"));
    if (path.isEmpty())
        return;
    QString text = csvLine({QStringLiteral("time"), QStringLiteral("user"), QStringLiteral("server"),
                            QStringLiteral("command"), QStringLiteral("source"), QStringLiteral("outcome"),
                            QStringLiteral("first reply line")});
    for (const AuditEntry& e : std::as_const(m_rows))
        text += csvLine(fieldsOf(e));
    // Written whole or not at all: a half-written export is worse than none.
    QSaveFile file(path);
    const bool saved =
        file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) == text.toUtf8().size() && file.commit();
    const QString message =
        saved ? QStringLiteral("%1 commands exported to %2.").arg(m_rows.size()).arg(file.fileName())
              : QStringLiteral("Could not write %1: %2").arg(file.fileName(), file.errorString());
    m_desktop.messageBox(this, message, kTitle,
                         saved ? platform::Desktop::Icon::Information : platform::Desktop::Icon::Warning,
                         platform::Desktop::Buttons::Ok);
}

void frmActivity::autoQueryChanged(bool on) {
    RecordsSettings settings = m_session.audit().settings();
    settings.auditAutoQuery = on;
    m_session.audit().setSettings(settings);
    platform::SettingsStore store;
    saveRecordsSettings(store, settings);
    if (const platform::Result<> saved = store.sync(); !saved)
        platform::setPlainText(lblCount, saved.why());
}

} // namespace console
