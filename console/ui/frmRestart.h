#pragma once

#include <RestartPlan.h>

#include <QDialog>

#include <optional>

class QComboBox;
class QLineEdit;
class QRadioButton;
class QSpinBox;
class QTimeEdit;

namespace platform {
class Desktop;
}

namespace console {

// "Restart Server": when, the warnings, how. Every field has its key; Escape closes it and changes
// nothing. Hands back the plan confirmed with Start; while a countdown runs it also offers to cancel it.
class frmRestart : public QDialog {
    Q_OBJECT
public:
    frmRestart(platform::Desktop& desktop, const RestartPlan& offered, const QString& server, bool counting,
               QWidget* parent = nullptr);

    std::optional<RestartPlan> confirmedPlan() const { return m_confirmed; }
    bool cancelConfirmed() const { return m_cancel; }

private:
    void cmdStart_Click();
    void viaChanged();

    platform::Desktop& m_desktop;
    QRadioButton* optNow;
    QRadioButton* optIn;
    QRadioButton* optAt;
    QRadioButton* optDaily;
    QSpinBox* spnMinutes;
    QTimeEdit* txtAt;
    QTimeEdit* txtDaily;
    QLineEdit* txtWarnings;
    QLineEdit* txtMessage;
    QComboBox* cboVia;
    QLineEdit* txtCommand;
    std::optional<RestartPlan> m_confirmed;
    bool m_cancel = false;
};

} // namespace console
