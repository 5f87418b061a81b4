#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

namespace lorvane {

class Prompts;

// The folder explorer control: the thumbnail list of one folder. Holds the extension list that
// decides which files are images.
// TODO(issue 4): the scan, the thumbnail list, selection and the context menu.
class ImageExplore : public QWidget {
    Q_OBJECT

public:
    explicit ImageExplore(Prompts& prompts, QWidget* parent = nullptr);

    // Installs the extension list ("bmp jpg gif"); an empty one is refused with a warning and
    // leaves the control without a list.
    void SetExt(const QString& s);
    QString ExtList() const { return m_extList; }

    // The image files of a folder, in the program's name order; needs SetExt first.
    QStringList GetImageList(const QString& path, const QString& SearchStr) const;

private:
    Prompts& m_prompts;
    QString m_extList;
};

}  // namespace lorvane
