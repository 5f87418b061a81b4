#pragma once

#include <QHash>

#include "platform/SpecialFolders.h"

namespace lorvane {

// Special folders for tests: the paths the test sets (with their trailing separator), "" for
// any other id.
class FakeSpecialFolders : public SpecialFolders {
public:
    void setPath(int id, const QString& path) { m_paths.insert(id, path); }
    QString SpecialFolderPath(int id) const override { return m_paths.value(id); }

private:
    QHash<int, QString> m_paths;
};

}  // namespace lorvane
