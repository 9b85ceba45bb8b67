#pragma once

#include <QObject>

class QSocketNotifier;

namespace listener {

// SIGTERM, SIGINT and SIGHUP delivered through the event loop: the handler only writes the
// signal's number to a pipe that a notifier watches. One instance at a time.
class ServiceSignals : public QObject {
    Q_OBJECT
public:
    explicit ServiceSignals(QObject* parent = nullptr);
    ~ServiceSignals() override;

signals:
    void received(int signalNumber);

private:
    void readPipe();

    QSocketNotifier* m_notifier = nullptr;
};

} // namespace listener
