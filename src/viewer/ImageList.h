#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "viewer/ViewerLogic.h"

namespace lorvane {

// The image list the windows hand each other: full paths in folder-listing order (never sorted;
// an entry may be empty, an entry without an image) and the position of the image to show or act
// on. Positions are signed 16-bit, so a list holds at most kMaxEntries paths; longer lists are
// cut there. A receiver keeps its own copy.
class ImageList {
public:
    static constexpr int kMaxEntries = kMaxImageListPosition + 1;

    ImageList() = default;
    explicit ImageList(const QStringList& paths, int position = 0);

    const QStringList& paths() const { return m_paths; }
    int count() const { return static_cast<int>(m_paths.size()); }
    bool isEmpty() const { return m_paths.isEmpty(); }
    bool contains(int index) const { return index >= 0 && index < count(); }
    // The entry at `index`; empty outside the list.
    QString at(int index) const { return contains(index) ? m_paths.at(index) : QString(); }

    int position() const { return m_position; }
    // The entry at the position; empty when the position is outside the list.
    QString current() const { return at(m_position); }
    void setPosition(int position) { m_position = position; }

    // A position one step outside the list wraps to the other end; any other value is kept.
    int wrap(int position) const { return NormalizeIndex(position, count()); }
    // Where Next and Previous go from the position (see NextImageIndex); one past either end
    // is left for wrap().
    std::optional<int> next() const { return NextImageIndex(m_paths, m_position); }
    std::optional<int> previous() const { return PreviousImageIndex(m_paths, m_position); }

    // New paths, cut to kMaxEntries; the position is kept as it is.
    void setPaths(const QStringList& paths);
    // False, and nothing added, when the list is full.
    bool append(const QString& path);
    // Entries after `index` move down by one; the position stays on the entry it named, or, when
    // that was the removed one, on the entry that took its place (the first after the last).
    // An emptied list has position 0. An index outside the list changes nothing.
    void removeAt(int index);
    void replaceAt(int index, const QString& path);
    void clear();

    bool operator==(const ImageList&) const = default;

private:
    QStringList m_paths;
    int m_position = 0;
};

}  // namespace lorvane
