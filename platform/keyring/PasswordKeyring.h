#pragma once

#include <QObject>
#include <QString>

namespace platform {

// One password in the desktop's keyring (a secret service), reached through asynchronous jobs so
// the window never waits for it. Where no keyring answers, every operation reports failure.
class PasswordKeyring : public QObject {
    Q_OBJECT

public:
    explicit PasswordKeyring(const QString& key, QObject* parent = nullptr);

    // readFinished follows once the keyring has answered.
    void read();
    // Writes or removes the entry and runs the event loop until the keyring answers or the time is
    // up: meant for the exit, where the answer decides what the settings file keeps. True when done.
    bool writeAndWait(const QString& password, int timeoutMs);
    bool removeAndWait(int timeoutMs);

signals:
    // found is false when no keyring answers or it holds no entry.
    void readFinished(bool found, const QString& password);

private:
    QString m_key;
};

} // namespace platform
