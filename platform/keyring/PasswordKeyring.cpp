#include "PasswordKeyring.h"

#include <QEventLoop>
#include <QTimer>
#include <qt6keychain/keychain.h>

namespace platform {

namespace {
const QString kService = QStringLiteral("velmora");

// Jobs have no parent and delete themselves once finished: the keyring's answer may come after the
// time is up, or after the object that asked is gone, and must then find its job still there.
bool runAndWait(QKeychain::Job* job, int timeoutMs) {
    QEventLoop loop;
    bool finished = false;
    bool ok = false;
    QObject::connect(job, &QKeychain::Job::finished, &loop, [&](QKeychain::Job* done) {
        finished = true;
        ok = done->error() == QKeychain::NoError;
        loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    job->start();
    if (!finished)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    return ok;
}
} // namespace

PasswordKeyring::PasswordKeyring(const QString& key, QObject* parent) : QObject(parent), m_key(key) {}

void PasswordKeyring::read() {
    auto* job = new QKeychain::ReadPasswordJob(kService);
    job->setKey(m_key);
    connect(job, &QKeychain::Job::finished, this, [this](QKeychain::Job* done) {
        const bool found = done->error() == QKeychain::NoError;
        emit readFinished(found,
                          found ? static_cast<QKeychain::ReadPasswordJob*>(done)->textData() : QString());
    });
    job->start();
}

bool PasswordKeyring::writeAndWait(const QString& password, int timeoutMs) {
    auto* job = new QKeychain::WritePasswordJob(kService);
    job->setKey(m_key);
    job->setTextData(password);
    return runAndWait(job, timeoutMs);
}

bool PasswordKeyring::removeAndWait(int timeoutMs) {
    auto* job = new QKeychain::DeletePasswordJob(kService);
    job->setKey(m_key);
    return runAndWait(job, timeoutMs);
}

} // namespace platform
