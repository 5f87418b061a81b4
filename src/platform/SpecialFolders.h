#pragma once

#include <QString>

namespace lorvane {

// Shell special folders by their classic identifiers (0 = the Desktop).
class SpecialFolders {
public:
    static constexpr int kDesktop = 0;

    virtual ~SpecialFolders() = default;
    // The folder's path followed by a separator, or the empty text when there is no such folder.
    virtual QString SpecialFolderPath(int id) const = 0;
};

// The user's folders as the desktop names them (xdg-user-dirs: ~/.config/user-dirs.dirs),
// falling back to ~/Desktop.
class XdgSpecialFolders : public SpecialFolders {
public:
    QString SpecialFolderPath(int id) const override;
};

}  // namespace lorvane
