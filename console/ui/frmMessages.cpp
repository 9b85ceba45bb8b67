#include "frmMessages.h"

#include <Desktop.h>

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

namespace console {

namespace {
const QString kTitle = QStringLiteral("Messages");
enum Column { kText, kEvery, kOn };

template <typename W> W* named(W* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}
} // namespace

frmMessages::frmMessages(platform::Desktop& desktop, const QList<RecurringMessage>& offered, QWidget* parent)
    : QDialog(parent), m_desktop(desktop), m_rows(new QStandardItemModel(0, 3, this)) {
    setWindowTitle(kTitle);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    m_rows->setHorizontalHeaderLabels(
        {QStringLiteral("Text"), QStringLiteral("Every (minutes)"), QStringLiteral("On")});

    auto* caption = new QLabel(QStringLiteral("&Said to the players while the console runs:"), this);
    lstMessages = named(new QTableView(this), "lstMessages");
    caption->setBuddy(lstMessages);
    lstMessages->setModel(m_rows);
    lstMessages->setSelectionBehavior(QAbstractItemView::SelectRows);
    lstMessages->setTabKeyNavigation(false); // Tab leaves the list; the arrows move within it
    lstMessages->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                 QAbstractItemView::AnyKeyPressed);
    lstMessages->horizontalHeader()->setSectionResizeMode(kText, QHeaderView::Stretch);
    lstMessages->verticalHeader()->hide();
    for (const RecurringMessage& m : offered)
        addRow(m);

    auto* cmdAdd = named(new QPushButton(QStringLiteral("&Add")), "cmdAdd");
    auto* cmdRemove = named(new QPushButton(QStringLiteral("&Remove")), "cmdRemove");
    cmdAdd->setAutoDefault(false);
    cmdRemove->setAutoDefault(false);
    connect(cmdAdd, &QPushButton::clicked, this, &frmMessages::cmdAdd_Click);
    connect(cmdRemove, &QPushButton::clicked, this, &frmMessages::cmdRemove_Click);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    named(buttons->button(QDialogButtonBox::Ok), "cmdOK");
    named(buttons->button(QDialogButtonBox::Cancel), "cmdCancel");
    connect(buttons, &QDialogButtonBox::accepted, this, &frmMessages::cmdOK_Click);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* side = new QHBoxLayout;
    side->addWidget(cmdAdd);
    side->addWidget(cmdRemove);
    side->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(caption);
    layout->addWidget(lstMessages);
    layout->addLayout(side);
    layout->addWidget(buttons);
    resize(560, 300);
    lstMessages->setFocus();
}

void frmMessages::addRow(const RecurringMessage& message) {
    auto* text = new QStandardItem(message.text);
    auto* every = new QStandardItem;
    every->setData(message.everyMinutes, Qt::EditRole);
    auto* on = new QStandardItem;
    on->setCheckable(true);
    on->setEditable(false);
    on->setCheckState(message.on ? Qt::Checked : Qt::Unchecked);
    m_rows->appendRow({text, every, on});
}

void frmMessages::cmdAdd_Click() {
    if (m_rows->rowCount() >= kMostMessages)
        return;
    addRow({});
    const QModelIndex text = m_rows->index(m_rows->rowCount() - 1, kText);
    lstMessages->setCurrentIndex(text);
    lstMessages->setFocus();
    lstMessages->edit(text);
}

void frmMessages::cmdRemove_Click() {
    const QModelIndex current = lstMessages->currentIndex();
    if (current.isValid())
        m_rows->removeRow(current.row());
    lstMessages->setFocus();
}

void frmMessages::cmdOK_Click() {
    QList<RecurringMessage> messages;
    for (int row = 0; row < m_rows->rowCount(); ++row) {
        RecurringMessage m;
        m.text = m_rows->item(row, kText)->text();
        m.everyMinutes = m_rows->item(row, kEvery)->data(Qt::EditRole).toInt();
        m.on = m_rows->item(row, kOn)->checkState() == Qt::Checked;
        auto refuse = [&](const QString& text, int column) {
            m_desktop.messageBox(this, text, kTitle, platform::Desktop::Icon::Warning,
                                 platform::Desktop::Buttons::Ok);
            lstMessages->setCurrentIndex(m_rows->index(row, column));
            lstMessages->setFocus();
        };
        if (m.text.trimmed().isEmpty())
            return refuse(QStringLiteral("Row %1 has no text.").arg(row + 1), kText);
        if (m.text.size() > kLongestSay)
            return refuse(QStringLiteral("Row %1 is longer than the %2 characters a say carries.")
                              .arg(row + 1)
                              .arg(kLongestSay),
                          kText);
        if (m.everyMinutes < 1 || m.everyMinutes > kLongestEveryMinutes)
            return refuse(
                QStringLiteral("Row %1: every 1 to %2 minutes.").arg(row + 1).arg(kLongestEveryMinutes),
                kEvery);
        messages << m;
    }
    m_confirmed = messages;
    accept();
}

} // namespace console
