#pragma once

#include <QDialog>

#include "fileops/DestinationPicker.h"

class QFileSystemModel;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeView;

namespace lorvane {

class Skin;
class SpecialFolders;

// The destination folder picker of Copy To and Move To. One instance serves the whole run: it is
// hidden between uses and keeps the destination and the tree's selection from one use to the next.
class frmFile : public QDialog, public DestinationPicker {
    Q_OBJECT

public:
    // `skin` may be null.
    frmFile(SpecialFolders& specialFolders, Skin* skin, QWidget* parent = nullptr);

    // Modal; the destination as typed or picked (not trimmed, not checked), or "" on Cancel or
    // the close box.
    QString ShowFileForm(int opType, const QString& sSource) override;

    QLineEdit* txtSource() const { return m_txtSource; }
    QLineEdit* txtDestination() const { return m_txtDestination; }
    QTreeView* FolderTree() const { return m_folderTree; }
    QPushButton* cmdOK() const { return m_cmdOK; }
    QPushButton* cmdCancel() const { return m_cmdCancel; }

    // The tree's notifications: a folder with a path, or the tree's root (the Desktop).
    void FolderSelected(const QString& path);
    void RootSelected();

protected:
    void reject() override;

private:
    SpecialFolders& m_specialFolders;
    bool m_cancelled = false;
    QLabel* m_label1 = nullptr;
    QLineEdit* m_txtSource = nullptr;
    QLabel* m_label2 = nullptr;
    QLineEdit* m_txtDestination = nullptr;
    QFileSystemModel* m_folders = nullptr;
    QTreeView* m_folderTree = nullptr;
    QPushButton* m_cmdOK = nullptr;
    QPushButton* m_cmdCancel = nullptr;
};

}  // namespace lorvane
