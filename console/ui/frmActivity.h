#pragma once

#include <QDialog>
#include <QList>
#include <QString>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QStandardItemModel;
class QTableView;

namespace platform {
class Desktop;
}

namespace console {

class ConsoleSession;
struct AuditEntry;

// "Activity": the trail of sent commands, filtered by server, text and date, with CSV export.
class frmActivity : public QDialog {
    Q_OBJECT
public:
    frmActivity(ConsoleSession& session, platform::Desktop& desktop, QWidget* parent = nullptr);

    void refresh();
    void exportCsv();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void showRows(const QList<AuditEntry>& rows);
    void autoQueryChanged(bool on);

    ConsoleSession& m_session;
    platform::Desktop& m_desktop;
    QComboBox* cboServer;
    QLineEdit* txtText;
    QCheckBox* ckFrom;
    QDateEdit* dtFrom;
    QCheckBox* ckTo;
    QDateEdit* dtTo;
    QCheckBox* ckAutoQuery;
    QStandardItemModel* m_model;
    QTableView* tblActivity;
    QLabel* lblCount;
    QList<AuditEntry> m_rows;
    quint64 m_asked = 0;
};

} // namespace console
