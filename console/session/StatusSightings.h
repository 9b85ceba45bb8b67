#pragma once

#include <QObject>
#include <QString>

namespace console {

class Records;

// The players an rcon `status` reply lists, as the pane receives it, go into the player history: the
// table is gathered over its datagrams until its closing line, or until the next command.
class StatusSightings : public QObject {
    Q_OBJECT
public:
    explicit StatusSightings(Records& records, QObject* parent = nullptr);

    void sent(const QString& server, const QString& command);
    void replyArrived(const QString& text);

private:
    void record();

    Records& m_records;
    QString m_server;
    QString m_text;
    bool m_gathering = false;
};

} // namespace console
