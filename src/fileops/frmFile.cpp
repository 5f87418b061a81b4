#include "fileops/frmFile.h"

#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTreeView>

#include "components/Skin.h"
#include "fileops/FileOperationRunner.h"
#include "platform/SpecialFolders.h"

namespace lorvane {

frmFile::frmFile(SpecialFolders& specialFolders, Skin* skin, QWidget* parent)
    : QDialog(parent), m_specialFolders(specialFolders) {
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    const double dpi = screen() ? screen()->logicalDotsPerInchX() : 96.0;
    const double tpp = 1440.0 / (dpi > 0 ? dpi : 96.0);
    const auto place = [tpp](QWidget* widget, int left, int top, int width, int height) {
        widget->setGeometry(int(left / tpp), int(top / tpp), int(width / tpp), int(height / tpp));
    };
    setFixedSize(int(7710 / tpp), int(5940 / tpp));

    m_label1 = new QLabel(QStringLiteral("Source"), this);
    place(m_label1, 165, 30, 7380, 225);
    m_txtSource = new QLineEdit(this);
    m_txtSource->setObjectName(QStringLiteral("txtSource"));
    place(m_txtSource, 165, 255, 7380, 315);
    m_label2 = new QLabel(QStringLiteral("Destination"), this);
    place(m_label2, 165, 600, 7380, 240);
    m_txtDestination = new QLineEdit(this);
    m_txtDestination->setObjectName(QStringLiteral("txtDestination"));
    place(m_txtDestination, 165, 855, 7380, 345);

    m_folders = new QFileSystemModel(this);
    m_folders->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    m_folders->setRootPath(QStringLiteral("/"));
    m_folderTree = new QTreeView(this);
    m_folderTree->setObjectName(QStringLiteral("FolderTree"));
    m_folderTree->setModel(m_folders);
    m_folderTree->setHeaderHidden(true);
    for (int column = 1; column < m_folders->columnCount(); ++column)
        m_folderTree->hideColumn(column);
    m_folderTree->setCurrentIndex(m_folders->index(QDir::homePath()));
    place(m_folderTree, 165, 1275, 7380, 3915);
    connect(m_folderTree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid())
                    FolderSelected(m_folders->filePath(current));
                else
                    RootSelected();
            });

    m_cmdOK = new QPushButton(QStringLiteral("&Ok"), this);
    m_cmdOK->setObjectName(QStringLiteral("cmdOK"));
    place(m_cmdOK, 4125, 5385, 1515, 465);
    m_cmdCancel = new QPushButton(QStringLiteral(" &Cancel"), this);
    m_cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    place(m_cmdCancel, 5910, 5385, 1620, 465);
    // Ok is the default wherever the focus is: the tree and the text boxes pass Enter on to the
    // window, which clicks it.
    m_cmdOK->setAutoDefault(false);
    m_cmdCancel->setAutoDefault(false);
    m_cmdOK->setDefault(true);
    connect(m_cmdOK, &QPushButton::clicked, this, [this] { hide(); });
    connect(m_cmdCancel, &QPushButton::clicked, this, [this] {
        m_cancelled = true;
        hide();
    });

    if (skin) {
        skin->SkinControlWindow(QStringLiteral("smallform"), this);
        skin->SkinControlWindow(QStringLiteral("Button"), m_cmdCancel);
        skin->SkinControlWindow(QStringLiteral("Button"), m_cmdOK);
    }
}

QString frmFile::ShowFileForm(int opType, const QString& sSource) {
    setWindowTitle(opType == kMoveTo ? QStringLiteral("Move To") : QStringLiteral("Copy To"));
    m_cancelled = false;
    m_txtSource->setText(sSource);
    setModal(true);
    exec();
    return m_cancelled ? QString() : m_txtDestination->text();
}

void frmFile::FolderSelected(const QString& path) {
    if (!path.isEmpty())
        m_txtDestination->setText(path);
}

void frmFile::RootSelected() {
    m_txtDestination->setText(m_specialFolders.SpecialFolderPath(SpecialFolders::kDesktop));
}

void frmFile::reject() {
    // The close box and Esc: the caller must not act on a destination the user walked away from.
    m_cancelled = true;
    QDialog::reject();
}

}  // namespace lorvane
