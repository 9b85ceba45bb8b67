#include "SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>

namespace platform {

namespace {
QString groupKey(const QString& section, const QString& key) {
    QString group = section;
    group.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return group + QLatin1Char('/') + key;
}
} // namespace

SettingsStore::SettingsStore(const QString& application)
    : m_settings(new QSettings(QSettings::IniFormat, QSettings::UserScope, application, application)) {}

SettingsStore::~SettingsStore() {
    sync();
    delete m_settings;
}

QString SettingsStore::read(const QString& section, const QString& key, const QString& defaultText) const {
    const QVariant value = m_settings->value(groupKey(section, key));
    if (!value.isValid())
        return defaultText;
    // A hand-edited value with an unquoted comma comes back as a list; keep it as the text it was.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", "));
    return value.toString();
}

void SettingsStore::write(const QString& section, const QString& key, const QString& text) {
    m_settings->setValue(groupKey(section, key), text);
    m_written = true;
}

void SettingsStore::sync() {
    // Create the file owner-only before the first write, so the password is never readable by others.
    if (!m_written)
        return;
    m_written = false;
    const QString path = m_settings->fileName();
    if (!QFileInfo::exists(path)) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.close();
    }
    restrictPermissions();
    m_settings->sync();
    restrictPermissions();
}

QString SettingsStore::fileName() const {
    return m_settings->fileName();
}

void SettingsStore::restrictPermissions() const {
    QFile::setPermissions(m_settings->fileName(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

} // namespace platform
