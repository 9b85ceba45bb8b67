#pragma once

#include "FuzzCheck.h"

#include <SettingsStore.h>

#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

// The settings file of a home of the fuzzer's own, which each input replaces whole.
class FuzzSettingsFile {
public:
    FuzzSettingsFile() {
        qputenv("XDG_CONFIG_HOME", m_home.path().toLocal8Bit());
        m_path = platform::SettingsStore().fileName();
        QDir().mkpath(QFileInfo(m_path).absolutePath());
    }

    void write(const QByteArray& bytes) {
        QFile file(m_path);
        FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        file.flush();
        // The store reuses its parse of a file whose size and time look unchanged; give each input its own.
        file.setFileTime(QDateTime::fromMSecsSinceEpoch(++m_stamp * 1000), QFileDevice::FileModificationTime);
    }

private:
    QTemporaryDir m_home;
    QString m_path;
    qint64 m_stamp = 0;
};
