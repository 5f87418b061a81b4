#include "explorer/ImageExplore.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QScreen>
#include <QThread>

#include <algorithm>
#include <cmath>
#include <memory>

#include "explorer/ExplorerItemDelegate.h"
#include "explorer/ExplorerItemModel.h"
#include "explorer/ExplorerListView.h"
#include "explorer/ExplorerPictures.h"
#include "explorer/ExtensionLists.h"
#include "explorer/FolderListing.h"
#include "explorer/ScanPlan.h"
#include "explorer/SelectionRules.h"
#include "explorer/ThumbnailPipeline.h"
#include "platform/Prompts.h"

namespace lorvane {

namespace {

const QString kCaption = QStringLiteral("Lorvane");

// The control's layout, in twips.
constexpr int kMinimumWidthTwips = 1600;
constexpr int kNoteLeftTwips = 285;
constexpr int kNoteTopTwips = 1155;
constexpr int kNoteHeightTwips = 270;
constexpr int kNoteWidthShortfallTwips = 400;

// The list's background, and the note's.
const QColor kListBackground(224, 224, 224);

// The scan lets pending events run after its first item and every 20th, so that a folder of
// folders (nothing to wait for) still lets the user act while it fills.
constexpr int kYieldEvery = 20;

}  // namespace

// One ExplorePath call in progress. A newer call marks every older run stale and ends its wait;
// a stale run returns without touching the control again.
struct ImageExplore::ScanRun {
    ScanRun* outer = nullptr;
    bool stale = false;
    QEventLoop* waiting = nullptr;
    ThumbnailPipeline* pipeline = nullptr;
};

ImageExplore::ImageExplore(Prompts& prompts, QWidget* parent)
    : QWidget(parent),
      m_prompts(prompts),
      m_keyState([] { return QGuiApplication::queryKeyboardModifiers(); }) {
    setObjectName(QStringLiteral("ImageExplore"));
    m_pool.setMaxThreadCount(std::max(1, QThread::idealThreadCount()));

    m_model = new ExplorerItemModel(this);
    m_model->setPictures({FolderPicture(), LoadingPicture(), BrokenPicture()});

    m_lv = new ExplorerListView(this);
    QPalette palette = m_lv->palette();
    palette.setColor(QPalette::Base, kListBackground);
    palette.setColor(QPalette::Text, Qt::black);
    m_lv->setPalette(palette);
    m_delegate = new ExplorerItemDelegate(m_lv);
    m_lv->setItemDelegate(m_delegate);
    m_lv->setModel(m_model);
    m_lv->setCellSize(m_delegate->cellSize());
    setFocusProxy(m_lv);

    m_Text1 = new QLabel(QStringLiteral("there are no items to show."), this);
    m_Text1->setObjectName(QStringLiteral("Text1"));
    m_Text1->setAutoFillBackground(true);
    QPalette notePalette = m_Text1->palette();
    notePalette.setColor(QPalette::Window, kListBackground);
    m_Text1->setPalette(notePalette);
    m_Text1->hide();

    buildMenu();

    connect(m_lv, &ExplorerListView::deletePressed, this, &ImageExplore::onDeleteChosen);
    connect(
        m_lv, &ExplorerListView::keyReleased, this,
        [this](int key, Qt::KeyboardModifiers modifiers) { onKeyReleased(key, modifiers, true); });
    connect(m_lv, &ExplorerListView::mouseReleased, this, &ImageExplore::onMouseReleased);

    applySizing();
}

ImageExplore::~ImageExplore() {
    stopScans();
    m_ImagePaths.clear();
}

void ImageExplore::buildMenu() {
    m_mnuMenu = new QMenu(QStringLiteral("MENU"), this);
    m_mnuMenu->setObjectName(QStringLiteral("mnuMenu"));
    const auto addEntry = [this](const char* name, const QString& caption) {
        QAction* action = m_mnuMenu->addAction(caption);
        action->setObjectName(QLatin1String(name));
        return action;
    };
    QAction* copyImage = addEntry("mnuCopyImage", QStringLiteral("Copy Image"));
    m_mnuMenu->addSeparator()->setObjectName(QStringLiteral("mnuSep1"));
    QAction* copyTo = addEntry("mnuCopyTo", QStringLiteral("Copy To"));
    QAction* moveTo = addEntry("mnuMoveTo", QStringLiteral("Move To"));
    QAction* remove = addEntry("mnuDelete", QStringLiteral("Delete"));
    QAction* rename = addEntry("mnuRename", QStringLiteral("Rename"));

    connect(copyImage, &QAction::triggered, this,
            [this] { Q_EMIT CopyImageRequested(SelectedPath()); });
    connect(copyTo, &QAction::triggered, this,
            [this] { Q_EMIT FileOperationRequested(int(FileOperation::CopyTo)); });
    connect(moveTo, &QAction::triggered, this,
            [this] { Q_EMIT FileOperationRequested(int(FileOperation::MoveTo)); });
    connect(remove, &QAction::triggered, this, [this] { onDeleteChosen(m_keyState()); });
    connect(rename, &QAction::triggered, this,
            [this] { Q_EMIT FileOperationRequested(int(FileOperation::Rename)); });
}

void ImageExplore::setKeyStateQuery(std::function<Qt::KeyboardModifiers()> query) {
    m_keyState = std::move(query);
}

QListView* ImageExplore::lv() const {
    return m_lv;
}

void ImageExplore::SetExt(const QString& s) {
    if (s.isEmpty()) {
        m_prompts.messageBox(QString(kEmptyExtListMessage), MessageButtons::Ok,
                             MessageIcon::Exclamation, kCaption);
    }
    m_extList = NormalizedExtList(s);
}

QStringList ImageExplore::GetImageList(const QString& path, const QString& SearchStr) const {
    return lorvane::GetImageList(m_extList, path, SearchStr);
}

void ImageExplore::ExplorePath(const QString& path) {
    if (m_extList.isEmpty()) {
        m_prompts.messageBox(QStringLiteral("You must call function 'SetExt' first"),
                             MessageButtons::Ok, MessageIcon::Exclamation, kCaption);
        return;
    }
    const QPointer<ImageExplore> self(this);
    Q_EMIT CurrSelectedImage(QString());
    if (!self) {
        return;
    }

    stopScans();
    ScanRun run;
    run.outer = m_activeRun;
    m_activeRun = &run;
    m_StopScan = false;

    runScan(run, path);
    run.pipeline = nullptr;  // it lived in runScan
    if (!self) {
        return;
    }
    if (m_activeRun == &run) {
        m_activeRun = run.outer;
    }
    // An overtaken scan ends at once: the list shows the newer folder, which made its own report.
    if (run.stale) {
        return;
    }
    m_StopScan = true;
    if (m_ItemCount > 0) {
        SelectItem(1, true);
    }
}

void ImageExplore::stopScans() {
    for (ScanRun* run = m_activeRun; run != nullptr; run = run->outer) {
        run->stale = true;
        if (run->pipeline != nullptr) {
            run->pipeline->cancel();
        }
        if (run->waiting != nullptr) {
            run->waiting->quit();
        }
    }
}

void ImageExplore::runScan(ScanRun& run, const QString& path) {
    const QPointer<ImageExplore> self(this);
    // Every change to the items is told at once to the list and whoever else watches them; any
    // of them may start a newer scan, so the run checks after each change that it still owns the
    // list.
    const auto overtaken = [&self, &run] { return !self || run.stale; };

    // Prepare: the list at its full length, every item a placeholder.
    m_ImagePaths.clear();
    m_ItemCount = 0;
    m_Text1->hide();
    const QList<ExplorerEntry> entries = PlanScan(m_extList, path);
    m_model->resetToPlaceholders(int(entries.size()));
    if (overtaken()) {
        return;
    }

    // Fill, in item order.
    QStringList files;
    for (const ExplorerEntry& entry : entries) {
        if (!entry.isFolder) {
            files.push_back(entry.path);
        }
    }
    // A few thumbnails ahead of the one being put in keep both cores busy; more would only hold
    // memory.
    ThumbnailPipeline pipeline(m_pool, files, 2 * m_pool.maxThreadCount() + 2);
    run.pipeline = &pipeline;
    pipeline.start();

    int filePosition = 0;
    for (const ExplorerEntry& entry : entries) {
        if (run.stale) {
            return;
        }
        const int row = m_ItemCount;
        if (entry.isFolder) {
            if (!QFileInfo(entry.path).isDir()) {
                removeRow(row);
                if (overtaken()) {
                    return;
                }
                continue;
            }
            m_model->fillFolder(row, entry.path);
        } else {
            const int position = filePosition++;
            if (!pipeline.isReady(position) && !waitForThumbnail(run, position)) {
                return;
            }
            Thumbnail thumbnail = pipeline.take(position);
            if (thumbnail.vanished) {
                removeRow(row);
                if (overtaken()) {
                    return;
                }
                continue;
            }
            m_ImagePaths.push_back(entry.path);
            if (thumbnail.ok()) {
                m_model->fillThumbnail(row, entry.path, std::move(thumbnail.picture));
            } else {
                m_model->fillBroken(row, entry.path, thumbnail.reason);
            }
        }
        if (overtaken()) {
            return;
        }
        ++m_ItemCount;
        if ((m_ItemCount - 1) % kYieldEvery == 0) {
            QCoreApplication::processEvents();
            if (overtaken()) {
                return;
            }
        }
    }
    if (m_ItemCount == 0) {
        m_Text1->show();
    }
}

// False when the scan must end: a newer scan took over, or the control is gone.
bool ImageExplore::waitForThumbnail(ScanRun& run, int position) {
    const QPointer<ImageExplore> self(this);
    ThumbnailPipeline* pipeline = run.pipeline;
    QEventLoop loop;
    const QMetaObject::Connection ready =
        connect(pipeline, &ThumbnailPipeline::thumbnailReady, &loop, [&loop, position](int p) {
            if (p == position) {
                loop.quit();
            }
        });
    run.waiting = &loop;
    if (!pipeline->isReady(position)) {
        loop.exec();
    }
    run.waiting = nullptr;
    QObject::disconnect(ready);
    // Without a newer scan the wait also ends when the application quits its event loops; the
    // scan then ends with the remaining placeholders in place.
    return self && !run.stale && pipeline->isReady(position);
}

void ImageExplore::removeRow(int row) {
    m_model->removeItem(row);
    // Items before the fill position are filled ones; the fill position moves up with them.
    if (row < m_ItemCount) {
        --m_ItemCount;
    }
}

int ImageExplore::selectedRow() const {
    const QModelIndex current = m_lv->currentIndex();
    if (!current.isValid() || !m_lv->selectionModel()->isSelected(current)) {
        return -1;
    }
    return current.row();
}

void ImageExplore::reportSelected() {
    const int row = selectedRow();
    if (row >= 0) {
        Q_EMIT CurrSelectedImage(m_model->pathAt(row));
    }
}

void ImageExplore::SelectItem(int position, bool notify) {
    if (position <= 0 || position > m_model->rowCount()) {
        return;
    }
    const QModelIndex index = m_model->index(position - 1);
    m_lv->selectionModel()->setCurrentIndex(index, QItemSelectionModel::Select);
    m_lv->scrollTo(index);
    if (notify) {
        Q_EMIT CurrSelectedImage(m_model->pathAt(position - 1));
    }
    m_lv->setFocus();
}

void ImageExplore::SetAllSelected(bool flag) {
    if (m_model->rowCount() == 0) {
        return;
    }
    if (flag) {
        m_lv->selectAll();
    } else {
        m_lv->clearSelection();
    }
    m_lv->setFocus();
}

int ImageExplore::SelectedIndex() const {
    return selectedRow();
}

QString ImageExplore::SelectedPaths() const {
    QModelIndexList selected = m_lv->selectionModel()->selectedIndexes();
    std::sort(selected.begin(), selected.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    QString paths;
    for (const QModelIndex& index : std::as_const(selected)) {
        paths += m_model->pathAt(index.row());
        paths += QChar(u'\0');
    }
    return paths;
}

QString ImageExplore::SelectedPath() const {
    return m_model->pathAt(selectedRow());
}

void ImageExplore::SendArrowKey(int key) {
    // Posted, not sent: the list handles it later like a typed key, after this call has returned.
    QCoreApplication::postEvent(m_lv, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier));
    QCoreApplication::postEvent(m_lv, new QKeyEvent(QEvent::KeyRelease, key, Qt::NoModifier));
}

void ImageExplore::NextItem() {
    if (m_model->rowCount() == 0) {
        return;
    }
    m_lv->setFocus();
    SendArrowKey(Qt::Key_Right);
    reportSelected();
}

void ImageExplore::PrevItem() {
    if (m_model->rowCount() == 0) {
        return;
    }
    m_lv->setFocus();
    SendArrowKey(Qt::Key_Left);
    reportSelected();
}

void ImageExplore::SetSelectedFocus(const QString& sPath) {
    const int row = m_model->findPath(sPath, Qt::CaseInsensitive);
    SetAllSelected(false);
    if (row < 0) {
        return;
    }
    const QModelIndex index = m_model->index(row);
    m_lv->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    m_lv->scrollTo(index);
}

void ImageExplore::RemoveSelectedItem(int p) {
    // A placeholder has no file of its own to have lost.
    if (p < 0 || p >= m_model->rowCount() || m_model->pathAt(p).isEmpty()) {
        return;
    }
    QList<int> gone;
    const QModelIndexList selected = m_lv->selectionModel()->selectedIndexes();
    for (const QModelIndex& index : selected) {
        const QString path = m_model->pathAt(index.row());
        if (index.row() != p && !path.isEmpty() && !QFileInfo::exists(path)) {
            gone.push_back(index.row());
        }
    }
    const RemovalPlan plan = PlanRemoval(p, gone);

    // The list is brought up to date before anything is reported, so a host that reacts to the
    // report (even by exploring another folder) meets a list without the removed items.
    SetAllSelected(false);
    QString toSelect;
    if (plan.rowToSelect >= 0) {
        toSelect = m_model->pathAt(plan.rowToSelect);
    }
    for (auto row = plan.rows.crbegin(); row != plan.rows.crend(); ++row) {
        m_ImagePaths.removeOne(m_model->pathAt(*row));
        removeRow(*row);
    }
    if (plan.rowToSelect >= 0) {
        const auto removedBefore =
            std::count_if(plan.rows.cbegin(), plan.rows.cend(),
                          [&plan](int row) { return row < plan.rowToSelect; });
        SelectItem(plan.rowToSelect - int(removedBefore) + 1, true);
    }
    m_lv->setFocus();
}

void ImageExplore::RenameSelectedItem(const QString& newPath) {
    const int row = selectedRow();
    if (row < 0) {
        return;
    }
    const qsizetype k = m_ImagePaths.indexOf(m_model->pathAt(row));
    if (k >= 0) {
        m_ImagePaths[k] = newPath;
    }
    m_model->renameItem(row, newPath);
}

void ImageExplore::UpdateAfterOperation(const QString& path, const QString& pathTO) {
    const int row = m_model->findPath(path, Qt::CaseInsensitive);
    if (row < 0) {
        return;
    }
    const qsizetype k = m_ImagePaths.indexOf(m_model->pathAt(row));
    if (!pathTO.isEmpty()) {
        if (k >= 0) {
            m_ImagePaths[k] = pathTO;
        }
        m_model->renameItem(row, pathTO);
    } else {
        if (k >= 0) {
            m_ImagePaths.removeAt(k);
        }
        removeRow(row);
    }
    m_lv->viewport()->update();
}

void ImageExplore::onDeleteChosen(Qt::KeyboardModifiers modifiers) {
    Q_EMIT FileOperationRequested(int(DeleteOperationFor(modifiers)));
    update();
}

void ImageExplore::onKeyReleased(int key, Qt::KeyboardModifiers modifiers, bool fromList) {
    switch (KeyReleaseActionFor(key, modifiers)) {
        case KeyReleaseAction::Nothing:
            break;
        case KeyReleaseAction::ReportSelected:
            reportSelected();
            break;
        case KeyReleaseAction::SelectAndReport:
            SelectItem(selectedRow() + 1, true);
            break;
    }
    if (fromList) {
        m_lv->setFocus();
    }
}

void ImageExplore::onMouseReleased(Qt::MouseButton button, QPoint position) {
    const MouseReleaseAction action =
        MouseReleaseActionFor(m_model->rowCount() > 0, button, m_lv->indexAt(position).isValid());
    if (action.reportSelected) {
        reportSelected();
    }
    if (action.showMenu) {
        m_mnuMenu->popup(m_lv->viewport()->mapToGlobal(position));
    }
}

void ImageExplore::keyPressEvent(QKeyEvent* event) {
    if (KeyPressActionFor(event->key()) == KeyPressAction::Delete) {
        event->accept();
        if (!event->isAutoRepeat()) {
            onDeleteChosen(event->modifiers());
        }
        return;
    }
    QWidget::keyPressEvent(event);
}

void ImageExplore::keyReleaseEvent(QKeyEvent* event) {
    event->accept();
    if (!event->isAutoRepeat()) {
        onKeyReleased(event->key(), event->modifiers(), false);
    }
}

double ImageExplore::twipsPerPixel() const {
    const QScreen* where = screen();
    const double dpi = where != nullptr ? where->logicalDotsPerInchX() : 96.0;
    return 1440.0 / (dpi > 0 ? dpi : 96.0);
}

void ImageExplore::applySizing() {
    const double tpp = twipsPerPixel();
    setMinimumWidth(int(std::ceil(kMinimumWidthTwips / tpp)));
    m_lv->setGeometry(0, 0, width(), height());
    const int noteWidth = int(std::lround((width() * tpp - kNoteWidthShortfallTwips) / tpp));
    m_Text1->setGeometry(int(std::lround(kNoteLeftTwips / tpp)),
                         int(std::lround(kNoteTopTwips / tpp)), std::max(0, noteWidth),
                         int(std::lround(kNoteHeightTwips / tpp)));
}

void ImageExplore::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    applySizing();
}

void ImageExplore::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        m_lv->setCellSize(m_delegate->cellSize());
    }
}

}  // namespace lorvane
