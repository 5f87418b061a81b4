#pragma once

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QSize>
#include <QString>
#include <QTemporaryDir>
#include <QTest>

namespace lorvane {

// A temporary folder filled with small images made on the spot, subfolders and broken files.
class ExplorerSandbox {
public:
    bool isValid() const { return m_dir.isValid(); }
    QString path() const { return m_dir.path(); }
    QString pathOf(const QString& name) const { return m_dir.filePath(name); }

    // An image of one colour; the format comes from the name's extension unless given.
    QString addImage(const QString& name, QSize size, const QColor& colour = Qt::red,
                     const char* format = nullptr) const {
        QImage image(size, QImage::Format_RGB32);
        image.fill(colour);
        const QString file = pathOf(name);
        [&] { QVERIFY2(image.save(file, format), qPrintable(name)); }();
        return file;
    }

    // An icon with a transparent border, as icons have.
    QString addIcon(const QString& name, int side) const {
        QImage image(side, side, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        for (int y = side / 4; y < side - side / 4; ++y) {
            for (int x = side / 4; x < side - side / 4; ++x) {
                image.setPixelColor(x, y, Qt::blue);
            }
        }
        const QString file = pathOf(name);
        [&] { QVERIFY2(image.save(file, "ico"), qPrintable(name)); }();
        return file;
    }

    // A file whose name promises a picture but whose bytes are none.
    QString addCorrupt(const QString& name) const {
        const QString file = pathOf(name);
        QFile out(file);
        [&] { QVERIFY(out.open(QIODevice::WriteOnly)); }();
        static const char kBytes[] = "\xFF\xD8\xFF\xE0 this is not a picture";
        out.write(kBytes, sizeof kBytes - 1);
        return file;
    }

    QString addFile(const QString& name, const QByteArray& bytes = {}) const {
        const QString file = pathOf(name);
        QFile out(file);
        [&] { QVERIFY(out.open(QIODevice::WriteOnly)); }();
        out.write(bytes);
        return file;
    }

    QString addFolder(const QString& name) const {
        [&] { QVERIFY(QDir(path()).mkpath(name)); }();
        return pathOf(name);
    }

private:
    QTemporaryDir m_dir;
};

}  // namespace lorvane
