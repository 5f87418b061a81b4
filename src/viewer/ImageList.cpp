#include "viewer/ImageList.h"

namespace lorvane {

ImageList::ImageList(const QStringList& paths, int position) : m_position(position) {
    setPaths(paths);
}

void ImageList::setPaths(const QStringList& paths) {
    m_paths = paths.size() > kMaxEntries ? paths.first(kMaxEntries) : paths;
}

bool ImageList::append(const QString& path) {
    if (count() >= kMaxEntries)
        return false;
    m_paths.append(path);
    return true;
}

void ImageList::removeAt(int index) {
    if (!contains(index))
        return;
    m_paths.removeAt(index);
    if (index < m_position)
        --m_position;
    if (m_position >= count() || m_position < 0)
        m_position = 0;
}

void ImageList::replaceAt(int index, const QString& path) {
    if (contains(index))
        m_paths[index] = path;
}

void ImageList::clear() {
    m_paths.clear();
    m_position = 0;
}

}  // namespace lorvane
