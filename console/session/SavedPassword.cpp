#include "SavedPassword.h"

#include <PasswordKeyring.h>

#include <QEventLoop>
#include <QTimer>

namespace console {

QString savedPasswordKey() {
    return kSettingsSection + QStringLiteral("\\Password");
}

QString readSavedPassword(const AppSettings& settings, std::chrono::milliseconds wait) {
    if (!settings.SavePassword)
        return QString();
    if (!settings.Password.isEmpty())
        return settings.Password;
    platform::PasswordKeyring keyring(savedPasswordKey());
    QEventLoop loop;
    QString password;
    bool answered = false;
    QObject::connect(&keyring, &platform::PasswordKeyring::readFinished, &loop,
                     [&](bool found, const QString& text) {
                         answered = true;
                         if (found)
                             password = text;
                         loop.quit();
                     });
    QTimer::singleShot(wait, &loop, &QEventLoop::quit);
    keyring.read();
    if (!answered)
        loop.exec();
    return password;
}

} // namespace console
