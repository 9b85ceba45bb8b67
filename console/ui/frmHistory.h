#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QStandardItemModel;
class QTableView;

namespace platform {
class Desktop;
}

namespace console {

class ConsoleSession;
struct HistoryRow;

// "Player History": who a player was before. A fragment of a name finds every address it came
// from; an address or a CIDR range finds every name used from it. Also the retention setting and
// "Clear Player History".
class frmHistory : public QDialog {
    Q_OBJECT
public:
    frmHistory(ConsoleSession& session, platform::Desktop& desktop, QWidget* parent = nullptr);

    // Puts the text in the search box and searches.
    void searchFor(const QString& text);
    void search();

private:
    void showRows(const QList<HistoryRow>& rows);
    void keepDaysChanged(int days);
    void clearHistory();

    ConsoleSession& m_session;
    platform::Desktop& m_desktop;
    QLineEdit* txtSearch;
    QStandardItemModel* m_model;
    QTableView* tblHistory;
    QLabel* lblCount;
    QSpinBox* spnKeepDays;
    quint64 m_asked = 0; // the newest search; older answers are dropped
};

} // namespace console
