#include "explorer/ImageExplore.h"

#include "explorer/ExtensionLists.h"
#include "explorer/FolderListing.h"
#include "platform/Prompts.h"

namespace lorvane {

ImageExplore::ImageExplore(Prompts& prompts, QWidget* parent)
    : QWidget(parent), m_prompts(prompts) {
    setObjectName(QStringLiteral("ImageExplore"));
}

void ImageExplore::SetExt(const QString& s) {
    if (s.isEmpty()) {
        m_prompts.messageBox(QString(kEmptyExtListMessage), MessageButtons::Ok,
                             MessageIcon::Exclamation, QStringLiteral("Lorvane"));
    }
    m_extList = NormalizedExtList(s);
}

QStringList ImageExplore::GetImageList(const QString& path, const QString& SearchStr) const {
    return lorvane::GetImageList(m_extList, path, SearchStr);
}

}  // namespace lorvane
