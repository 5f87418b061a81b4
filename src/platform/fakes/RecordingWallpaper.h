#pragma once

#include <QStringList>

#include "platform/Wallpaper.h"

namespace lorvane {

// A wallpaper for tests: a given folder, and every file it was asked to show, in order.
class RecordingWallpaper : public Wallpaper {
public:
    explicit RecordingWallpaper(QString folder, bool accepts = true)
        : m_folder(std::move(folder)), m_accepts(accepts) {}

    QString WindowsFolder() override { return m_folder; }
    bool SetDesktopWallpaper(const QString& path) override {
        m_applied.append(path);
        return m_accepts;
    }
    const QStringList& applied() const { return m_applied; }

private:
    QString m_folder;
    bool m_accepts;
    QStringList m_applied;
};

}  // namespace lorvane
