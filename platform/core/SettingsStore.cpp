#include "SettingsStore.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QSettings>
#include <QStringConverter>
#include <QStringList>

namespace platform {

namespace {
QString groupKey(const QString& section, const QString& key) {
    QString group = section;
    group.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return group + QLatin1Char('/') + key;
}

// A settings file is a few kilobytes; a larger one is not ours, and is not read into memory whole.
constexpr qint64 kLargestFile = 4 * 1024 * 1024;

bool quotesPair(QStringView value) {
    bool open = false;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == QLatin1Char('\\'))
            ++i; // an escaped character, quote or not
        else if (value[i] == QLatin1Char('"'))
            open = !open;
    }
    return !open;
}

Result<QByteArray> readWhole(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Failure{QStringLiteral("cannot read %1: %2").arg(path, file.errorString())};
    if (file.size() > kLargestFile)
        return Failure{
            QStringLiteral("%1 is larger than any settings file (%2 bytes)").arg(path).arg(file.size())};
    return file.read(kLargestFile + 1);
}
} // namespace

std::optional<QString> iniDamage(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(bytes);
    if (utf8.hasError())
        return QStringLiteral("it is not text");
    const QList<QStringView> lines = QStringView(text).split(QLatin1Char('\n'));
    for (qsizetype n = 0; n < lines.size(); ++n) {
        QStringView line = lines[n];
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const QString where = QStringLiteral("line %1").arg(n + 1);
        for (const QChar c : line)
            if (c.unicode() < 0x20 && c != QLatin1Char('\t'))
                return where + QStringLiteral(" holds a control character");
        const QStringView t = line.trimmed();
        if (t.isEmpty() || t.startsWith(QLatin1Char(';')) || t.startsWith(QLatin1Char('#')))
            continue;
        if (t.startsWith(QLatin1Char('['))) {
            if (!t.endsWith(QLatin1Char(']')))
                return where + QStringLiteral(" opens a section without closing it");
            continue;
        }
        const qsizetype equals = t.indexOf(QLatin1Char('='));
        if (equals < 0)
            return where + QStringLiteral(" is neither a section, a key nor a comment");
        if (!quotesPair(t.mid(equals + 1)))
            return where + QStringLiteral(": the value of %1 opens a double quote it never closes")
                               .arg(t.left(equals).trimmed().toString());
    }
    return std::nullopt;
}

SettingsStore::SettingsStore(const QString& application)
    : m_settings(new QSettings(QSettings::IniFormat, QSettings::UserScope, application, application)) {
    const QString path = m_settings->fileName();
    if (!QFileInfo::exists(path))
        return;
    const Result<QByteArray> bytes = readWhole(path);
    if (!bytes)
        m_opened = Failure{bytes.why()};
    else if (const auto damage = iniDamage(*bytes))
        m_opened = Failure{QStringLiteral("%1 cannot be read: %2").arg(path, *damage)};
}

SettingsStore::~SettingsStore() {
    (void)sync();
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

Result<> SettingsStore::keepCopy() {
    const QString path = m_settings->fileName();
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString copy = path + QStringLiteral(".unreadable-") + stamp;
    for (int n = 2; QFileInfo::exists(copy) && n < 100; ++n)
        copy = path + QStringLiteral(".unreadable-") + stamp + QLatin1Char('-') + QString::number(n);
    // A folder, a pipe or an unreadable file cannot be copied: then it is not written over either.
    if (!QFileInfo(path).isFile() || !QFile::copy(path, copy))
        return Failure{QStringLiteral("%1; nothing was written, and it could not be kept as %2")
                           .arg(m_opened.why(), copy)};
    QFile::setPermissions(copy, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    m_keptCopy = copy;
    return {};
}

Result<> SettingsStore::sync() {
    if (!m_written)
        return {};
    m_written = false;
    const QString path = m_settings->fileName();
    if (!m_opened && m_keptCopy.isEmpty()) {
        if (Result<> kept = keepCopy(); !kept)
            return kept;
    }
    // Created owner-only before the first write, so the password is never readable by others.
    if (!QFileInfo::exists(path)) {
        const QString folder = QFileInfo(path).absolutePath();
        if (!QDir().mkpath(folder))
            return Failure{
                QStringLiteral("cannot write %1: the folder %2 cannot be created").arg(path, folder)};
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return Failure{QStringLiteral("cannot write %1: %2").arg(path, file.errorString())};
    }
    // The status keeps the first error met; a file that does not parse gives a format error, so only a
    // new access error is a failed write.
    const bool accessedBefore = m_settings->status() == QSettings::AccessError;
    restrictPermissions();
    m_settings->sync();
    restrictPermissions();
    if (accessedBefore || m_settings->status() != QSettings::AccessError)
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return Failure{QStringLiteral("cannot write %1: %2").arg(path, file.errorString())};
    return Failure{QStringLiteral("cannot write %1: its folder does not take new files").arg(path)};
}

QString SettingsStore::fileName() const {
    return m_settings->fileName();
}

void SettingsStore::restrictPermissions() const {
    QFile::setPermissions(m_settings->fileName(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

} // namespace platform
