#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QFrame;

namespace console {

// "Say Command Input": offers the last message selected, so typing replaces it. Only basMain's
// SayText and SayConfirmed outlive the dialog.
class frmSay : public QDialog {
    Q_OBJECT
public:
    explicit frmSay(QWidget* parent = nullptr);

    void Form_Load();
    void cmdOK_Click();
    void cmdCancel_Click();

    QLabel* Label1;
    QPlainTextEdit* Text1;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;
    QFrame* Line1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace console
