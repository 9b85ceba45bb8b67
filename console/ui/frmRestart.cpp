#include "frmRestart.h"

#include <Desktop.h>
#include <PlainText.h>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimeEdit>
#include <QVBoxLayout>

namespace console {

namespace {
const QString kTitle = QStringLiteral("Restart Server");
constexpr int kLongestMinutes = 24 * 60;

template <typename W> W* named(W* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QTimeEdit* timeBox(const char* name, const QTime& time) {
    auto* box = named(new QTimeEdit(time), name);
    box->setDisplayFormat(QStringLiteral("HH:mm"));
    return box;
}
} // namespace

frmRestart::frmRestart(platform::Desktop& desktop, const RestartPlan& offered, const QString& server,
                       bool counting, QWidget* parent)
    : QDialog(parent), m_desktop(desktop) {
    setWindowTitle(kTitle);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    QLabel* target = named(platform::plainLabel(this, QStringLiteral("Server: ") + server), "lblServer");

    auto* when = new QGroupBox(QStringLiteral("When"), this);
    auto* grid = new QGridLayout(when);
    optNow = named(new QRadioButton(QStringLiteral("&Now")), "optNow");
    optIn = named(new QRadioButton(QStringLiteral("&In")), "optIn");
    spnMinutes = named(new QSpinBox, "spnMinutes");
    spnMinutes->setRange(1, kLongestMinutes);
    spnMinutes->setSuffix(QStringLiteral(" minutes"));
    spnMinutes->setValue(qBound(1, (offered.inSeconds + 59) / 60, kLongestMinutes));
    optAt = named(new QRadioButton(QStringLiteral("A&t")), "optAt");
    txtAt = timeBox("txtAt", offered.at);
    optDaily = named(new QRadioButton(QStringLiteral("&Daily at")), "optDaily");
    txtDaily = timeBox("txtDaily", offered.at);
    grid->addWidget(optNow, 0, 0);
    grid->addWidget(optIn, 1, 0);
    grid->addWidget(spnMinutes, 1, 1);
    grid->addWidget(optAt, 2, 0);
    grid->addWidget(txtAt, 2, 1);
    grid->addWidget(optDaily, 3, 0);
    grid->addWidget(txtDaily, 3, 1);
    const QList<QRadioButton*> options{optNow, optIn, optAt, optDaily};
    options[int(offered.when)]->setChecked(true);
    // Each time box follows its choice, so Tab from a choice reaches only the box that counts.
    auto follow = [this] {
        spnMinutes->setEnabled(optIn->isChecked());
        txtAt->setEnabled(optAt->isChecked());
        txtDaily->setEnabled(optDaily->isChecked());
    };
    for (QRadioButton* option : options)
        connect(option, &QRadioButton::toggled, this, follow);
    follow();

    auto* form = new QFormLayout;
    txtWarnings = named(new QLineEdit(warningsText(offered.warnings)), "txtWarnings");
    txtWarnings->setToolTip(QStringLiteral("Before the restart, such as 5m, 1m, 30s, 10s"));
    form->addRow(QStringLiteral("&Warnings:"), txtWarnings);
    txtMessage = named(new QLineEdit(offered.message), "txtMessage");
    txtMessage->setMaxLength(kLongestSay);
    txtMessage->setToolTip(QStringLiteral("{time} becomes the time that is left"));
    form->addRow(QStringLiteral("&Message:"), txtMessage);
    cboVia = named(new QComboBox, "cboVia");
    cboVia->addItems({QStringLiteral("Through the Kestwold (reboot)"), QStringLiteral("rcon map_restart"),
                      QStringLiteral("rcon quit (systemd or a script starts it again)"),
                      QStringLiteral("Custom rcon command")});
    cboVia->setCurrentIndex(int(offered.via));
    form->addRow(QStringLiteral("&How:"), cboVia);
    txtCommand = named(new QLineEdit(offered.customCommand), "txtCommand");
    form->addRow(QStringLiteral("C&ommand:"), txtCommand);
    connect(cboVia, &QComboBox::currentIndexChanged, this, &frmRestart::viaChanged);
    viaChanged();

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* cmdStart =
        named(buttons->addButton(QStringLiteral("&Start"), QDialogButtonBox::AcceptRole), "cmdStart");
    cmdStart->setDefault(true);
    if (counting) {
        QPushButton* cmdCancelRestart =
            named(buttons->addButton(QStringLiteral("Cancel &Restart"), QDialogButtonBox::DestructiveRole),
                  "cmdCancelRestart");
        cmdCancelRestart->setAutoDefault(false);
        connect(cmdCancelRestart, &QPushButton::clicked, this, [this] {
            m_cancel = true;
            accept();
        });
    }
    named(buttons->addButton(QDialogButtonBox::Cancel), "cmdCancel");
    connect(cmdStart, &QPushButton::clicked, this, &frmRestart::cmdStart_Click);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(target);
    layout->addWidget(when);
    layout->addLayout(form);
    layout->addWidget(buttons);
    options[int(offered.when)]->setFocus();
}

void frmRestart::viaChanged() {
    txtCommand->setEnabled(cboVia->currentIndex() == int(RestartPlan::Via::Custom));
}

void frmRestart::cmdStart_Click() {
    auto refuse = [this](const QString& text, QWidget* focus) {
        m_desktop.messageBox(this, text, kTitle, platform::Desktop::Icon::Warning,
                             platform::Desktop::Buttons::Ok);
        focus->setFocus();
    };
    const auto warnings = parseWarnings(txtWarnings->text());
    if (!warnings)
        return refuse(QStringLiteral("The warnings are times before the restart, such as 5m, 1m, 30s, 10s "
                                     "(from 1 second to 24 hours, each once)."),
                      txtWarnings);
    RestartPlan plan;
    plan.when = optNow->isChecked()  ? RestartPlan::When::Now
                : optIn->isChecked() ? RestartPlan::When::In
                : optAt->isChecked() ? RestartPlan::When::At
                                     : RestartPlan::When::Daily;
    plan.inSeconds = spnMinutes->value() * 60;
    plan.at = plan.when == RestartPlan::When::Daily ? txtDaily->time() : txtAt->time();
    plan.warnings = *warnings;
    plan.message =
        txtMessage->text().trimmed().isEmpty() ? RestartPlan::defaultMessage() : txtMessage->text();
    plan.via = RestartPlan::Via(cboVia->currentIndex());
    plan.customCommand = txtCommand->text().trimmed();
    if (plan.via == RestartPlan::Via::Custom && plan.customCommand.isEmpty())
        return refuse(QStringLiteral("Give the rcon command that restarts the server."), txtCommand);
    m_confirmed = plan;
    accept();
}

} // namespace console
