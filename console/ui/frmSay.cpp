#include "frmSay.h"

#include <Twips.h>

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

namespace console {

using platform::twipsRect;
using platform::twipsToPixels;

frmSay::frmSay(const QString& offered, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Say Command Input"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setFixedSize(twipsToPixels(4800), twipsToPixels(2160));

    auto* label = new QLabel(QStringLiteral("Enter Message Text"), this);
    label->setGeometry(twipsRect(120, 120, 4500, 255));
    Text1 = new QPlainTextEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setGeometry(twipsRect(120, 420, 4560, 900));
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Text1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Text1->setTabChangesFocus(true);
    Text1->installEventFilter(this);
    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(twipsRect(120, 1420, 4560, 30));
    auto* cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(twipsRect(2160, 1560, 1185, 350));
    cmdOK->setDefault(true);
    auto* cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setGeometry(twipsRect(3480, 1560, 1185, 350));
    setTabOrder(Text1, cmdOK);
    setTabOrder(cmdOK, cmdCancel);
    connect(cmdOK, &QPushButton::clicked, this, &frmSay::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    Text1->setPlainText(offered);
    Text1->selectAll();
    Text1->setFocus();
}

void frmSay::cmdOK_Click() {
    m_confirmed = Text1->toPlainText();
    accept();
}

bool frmSay::eventFilter(QObject* watched, QEvent* event) {
    // A chat message is one line: Enter in the text presses the default button, as in any dialog.
    if (watched == Text1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            cmdOK_Click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace console
