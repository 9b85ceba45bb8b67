#pragma once

#include <RestartPlan.h>

#include <QDialog>
#include <QList>

#include <optional>

class QStandardItemModel;
class QTableView;

namespace platform {
class Desktop;
}

namespace console {

// "Messages": the recurring lines, one row each (text, every N minutes, on or off). Hands back the
// rows confirmed with OK; Escape closes it and changes nothing.
class frmMessages : public QDialog {
    Q_OBJECT
public:
    frmMessages(platform::Desktop& desktop, const QList<RecurringMessage>& offered,
                QWidget* parent = nullptr);

    std::optional<QList<RecurringMessage>> confirmedMessages() const { return m_confirmed; }

private:
    void addRow(const RecurringMessage& message);
    void cmdAdd_Click();
    void cmdRemove_Click();
    void cmdOK_Click();

    platform::Desktop& m_desktop;
    QStandardItemModel* m_rows;
    QTableView* lstMessages;
    std::optional<QList<RecurringMessage>> m_confirmed;
};

} // namespace console
