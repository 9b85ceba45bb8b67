#include "frmSay.h"

#include "basMain.h"

#include <Twips.h>

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

namespace console {

using platform::twipsRect;
using platform::twipsToPixels;

frmSay::frmSay(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Say Command Input"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setFixedSize(twipsToPixels(4800), twipsToPixels(2160));

    Label1 = new QLabel(QStringLiteral("Enter Message Text"), this);
    Label1->setGeometry(twipsRect(120, 120, 4500, 255));
    Text1 = new QPlainTextEdit(this);
    Text1->setGeometry(twipsRect(120, 420, 4560, 900));
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Text1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Text1->setTabChangesFocus(true);
    Text1->installEventFilter(this);
    Line1 = new QFrame(this);
    Line1->setFrameShape(QFrame::HLine);
    Line1->setFrameShadow(QFrame::Sunken);
    Line1->setGeometry(twipsRect(120, 1420, 4560, 30));
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setGeometry(twipsRect(2160, 1560, 1185, 350));
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setGeometry(twipsRect(3480, 1560, 1185, 350));
    setTabOrder(Text1, cmdOK);
    setTabOrder(cmdOK, cmdCancel);

    connect(cmdOK, &QPushButton::clicked, this, &frmSay::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmSay::cmdCancel_Click);
    Form_Load();
}

void frmSay::Form_Load() {
    Text1->setPlainText(basMain().SayText);
    Text1->selectAll();
    Text1->setFocus();
}

void frmSay::cmdOK_Click() {
    basMain().SayConfirmed = true;
    basMain().SayText = Text1->toPlainText();
    accept();
}

void frmSay::cmdCancel_Click() {
    basMain().SayConfirmed = false;
    reject();
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
