#pragma once

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QString>
#include <QTest>

#include <sys/mount.h>

namespace lorvane::testing {

inline void writeFile(const QString& path, const QByteArray& content) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    QCOMPARE(file.write(content), content.size());
}

inline QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Content no two files share by accident.
inline QByteArray pattern(qint64 size, char seed) {
    QByteArray data(size, '\0');
    for (qint64 i = 0; i < size; ++i)
        data[i] = char((i * 131 + seed) % 251);
    return data;
}

// Every entry under a folder with its bytes ("<dir>" for folders), for byte-for-byte comparison.
inline QMap<QString, QByteArray> snapshot(const QString& root) {
    QMap<QString, QByteArray> entries;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    const QDir base(root);
    while (it.hasNext()) {
        const QString path = it.next();
        entries.insert(base.relativeFilePath(path),
                       it.fileInfo().isDir() ? QByteArray("<dir>") : readFile(path));
    }
    return entries;
}

// A small file system of its own; needs root, so callers skip when it fails.
inline bool mountTmpfs(const QString& path, const char* options) {
    QDir().mkpath(path);
    return ::mount("tmpfs", QFile::encodeName(path).constData(), "tmpfs", 0, options) == 0;
}

inline bool remountReadOnly(const QString& path) {
    return ::mount("tmpfs", QFile::encodeName(path).constData(), "tmpfs", MS_REMOUNT | MS_RDONLY,
                   nullptr) == 0;
}

inline void unmount(const QString& path) {
    ::umount2(QFile::encodeName(path).constData(), MNT_DETACH);
}

}  // namespace lorvane::testing
