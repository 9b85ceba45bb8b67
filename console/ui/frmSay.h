#pragma once

#include <QDialog>
#include <QString>

#include <optional>

class QPlainTextEdit;

namespace console {

// "Say Command Input": offers the last message selected, so typing replaces it, and hands back the
// text confirmed with OK, untrimmed; nothing when cancelled or closed.
class frmSay : public QDialog {
    Q_OBJECT
public:
    explicit frmSay(const QString& offered, QWidget* parent = nullptr);

    std::optional<QString> confirmedText() const { return m_confirmed; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void cmdOK_Click();

    QPlainTextEdit* Text1;
    std::optional<QString> m_confirmed;
};

} // namespace console
