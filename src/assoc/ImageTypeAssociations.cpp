#include "assoc/ImageTypeAssociations.h"

#include "assoc/ImageTypeTable.h"

namespace lorvane {

void AssociateImageTypes(ModAssoc& assoc, Prompts& prompts) {
    const QList<ImageTypeRow>& table = ImageTypeTable();
    const bool registeredBefore =
        !assoc.GetRegString(RegRoot::ClassesRoot, table.first().progId, QString()).isEmpty();
    if (registeredBefore) {
        QString lost;
        for (const ImageTypeRow& type : table) {
            if (!assoc.IsAssociated(type.extension, type.progId))
                lost += type.lostEntry;
        }
        if (lost.isEmpty()) {
            // Every type is still ours. When the program has moved since (a new build, an
            // installation), its types are registered again so that their command, and the
            // desktop entry made from it, start this copy and not one that is gone.
            const QString stored = assoc.GetRegString(
                RegRoot::ClassesRoot,
                table.first().progId + QLatin1String("\\shell\\open\\command"), QString());
            if (stored != assoc.OpenCommand()) {
                for (const ImageTypeRow& type : table)
                    assoc.RegisterImageType(type.progId, type.description, QStringLiteral("open"),
                                            assoc.AppFolder() + type.iconFile);
            }
            return;
        }
        const MessageResult answer = prompts.messageBox(
            QStringLiteral("The following image types are no more associated with Lorvane, Do "
                           "you want to associate them now?") +
                QLatin1String("\r\n") + lost,
            MessageButtons::YesNo, MessageIcon::Question, QStringLiteral("Lorvane"));
        if (answer == MessageResult::No)
            return;
    }
    for (const ImageTypeRow& type : table)
        assoc.RegisterImageType(type.progId, type.description, QStringLiteral("open"),
                                assoc.AppFolder() + type.iconFile);
    for (const ImageTypeRow& type : table)
        assoc.AssociateExtension(type.extension, type.progId);
}

void DeassociateImageTypes(ModAssoc& assoc) {
    for (const ImageTypeRow& type : ImageTypeTable())
        assoc.DeassociateExtension(type.extension, type.progId);
}

}  // namespace lorvane
