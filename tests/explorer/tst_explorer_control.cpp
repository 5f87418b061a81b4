#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QPointer>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyle>
#include <QTest>
#include <QTimer>

#include <cmath>
#include <memory>

#include "ExplorerSandbox.h"
#include "explorer/ExplorerItemDelegate.h"
#include "explorer/ExplorerItemModel.h"
#include "explorer/ExtensionLists.h"
#include "explorer/ImageExplore.h"
#include "platform/fakes/ScriptedPrompts.h"

namespace lorvane {

namespace {

using Kind = ExplorerItemModel::ItemKind;

QStringList Reports(const QSignalSpy& spy) {
    QStringList paths;
    for (const QList<QVariant>& call : spy) {
        paths.push_back(call.at(0).toString());
    }
    return paths;
}

QList<int> Ints(const QSignalSpy& spy) {
    QList<int> values;
    for (const QList<QVariant>& call : spy) {
        values.push_back(call.at(0).toInt());
    }
    return values;
}

void SendKey(QWidget* target, QEvent::Type type, int key, Qt::KeyboardModifiers modifiers) {
    QKeyEvent event(type, key, modifiers);
    QApplication::sendEvent(target, &event);
}

// The control on a folder of one subfolder and five images, wide enough for one row of six.
class Fixture {
public:
    Fixture() {
        explore.SetExt(QString(ExplorerExtensions));
        explore.resize(1100, 600);
    }

    // "sub", a.png ... e.png: rows 0 to 5.
    void makeStandardFolder() {
        sandbox.addFolder(QStringLiteral("sub"));
        for (const char* name : {"a.png", "b.png", "c.png", "d.png", "e.png"}) {
            sandbox.addImage(QLatin1String(name), QSize(60, 45));
        }
    }

    bool showAndExplore() {
        explore.show();
        if (!QTest::qWaitForWindowActive(&explore)) {
            return false;
        }
        explore.ExplorePath(sandbox.path());
        return true;
    }

    QString path(const QString& name) const { return sandbox.pathOf(name); }
    QModelIndex index(int row) const { return explore.items()->index(row); }
    QPoint centreOf(int row) const { return explore.lv()->visualRect(index(row)).center(); }

    QStringList names() const {
        QStringList result;
        for (int row = 0; row < explore.items()->rowCount(); ++row) {
            result.push_back(explore.items()->nameAt(row));
        }
        return result;
    }

    QList<int> selectedRows() const {
        QList<int> rows;
        for (int row = 0; row < explore.items()->rowCount(); ++row) {
            if (explore.lv()->selectionModel()->isSelected(index(row))) {
                rows.push_back(row);
            }
        }
        return rows;
    }

    // Selects the rows, the last one as the list's selected item.
    void select(const QList<int>& rows) {
        QItemSelectionModel* selection = explore.lv()->selectionModel();
        selection->clearSelection();
        for (int row : rows) {
            selection->setCurrentIndex(index(row), QItemSelectionModel::Select);
        }
    }

    ExplorerSandbox sandbox;
    ScriptedPrompts prompts;
    ImageExplore explore{prompts};
};

}  // namespace

class TestExplorerControl : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void explorePathBeforeSetExtOnlyWarns();
    void scanFillsPlaceholdersInItemOrderAndReportsFirstItem();
    void folderWithoutItemsShowsTheNote_data();
    void folderWithoutItemsShowsTheNote();
    void vanishedEntriesLeaveNoPlaceholder();
    void newerExplorePathStopsTheOlderScan_data();
    void newerExplorePathStopsTheOlderScan();
    void controlDestroyedDuringScanEndsItSafely();

    void keyReleaseReports_data();
    void keyReleaseReports();
    void mouseReleaseReportsAndOpensMenu_data();
    void mouseReleaseReportsAndOpensMenu();
    void nextAndPrevItemReportNowAndAfterThePostedKey();
    void nextItemOnEmptyListDoesNothing();
    void setSelectedFocusIgnoresLetterCase();

    void menuHasItsEntriesInOrder();
    void menuEntriesChooseOperations_data();
    void menuEntriesChooseOperations();
    void deleteKeyChoosesRecycleBinOrPermanent_data();
    void deleteKeyChoosesRecycleBinOrPermanent();

    void removeSelectedItem_data();
    void removeSelectedItem();
    void removingTheOnlyItemKeepsTheNoteHidden();
    void updateAfterOperation_data();
    void updateAfterOperation();

    void controlKeepsItsMinimumWidthAndPlacesTheNote();
    void everyWidthShowsTheColumnsItHolds();
    void gridHoldsStillWhileAButtonIsDown();
};

void TestExplorerControl::explorePathBeforeSetExtOnlyWarns() {
    ScriptedPrompts prompts;
    ImageExplore explore(prompts);
    QSignalSpy reports(&explore, &ImageExplore::CurrSelectedImage);
    explore.ExplorePath(QDir::tempPath());
    QCOMPARE(prompts.messages().size(), 1);
    QCOMPARE(prompts.messages().first().text,
             QStringLiteral("You must call function 'SetExt' first"));
    QCOMPARE(prompts.messages().first().icon, MessageIcon::Exclamation);
    QCOMPARE(reports.count(), 0);
    QCOMPARE(explore.items()->rowCount(), 0);
}

void TestExplorerControl::scanFillsPlaceholdersInItemOrderAndReportsFirstItem() {
    Fixture f;
    f.sandbox.addFolder(QStringLiteral("sub10"));
    f.sandbox.addFolder(QStringLiteral("sub2"));
    f.sandbox.addFolder(QStringLiteral("x.jpg"));
    f.sandbox.addImage(QStringLiteral("b.png"), QSize(400, 300));
    f.sandbox.addImage(QStringLiteral("a10.jpg"), QSize(120, 90));
    f.sandbox.addImage(QStringLiteral("a2.bmp"), QSize(300, 100));
    f.sandbox.addIcon(QStringLiteral("icon.ico"), 32);
    f.sandbox.addCorrupt(QStringLiteral("zbad.jpg"));
    f.sandbox.addFile(QStringLiteral("notes.txt"), "text");

    ExplorerItemModel* items = f.explore.items();
    QList<int> placeholdersAtReset;
    connect(items, &QAbstractItemModel::modelReset, this, [&] {
        for (int row = 0; row < items->rowCount(); ++row) {
            if (items->kindAt(row) == Kind::Placeholder && items->pathAt(row).isEmpty() &&
                items->nameAt(row).isEmpty()) {
                placeholdersAtReset.push_back(row);
            }
        }
    });
    QList<int> filledRows;
    connect(items, &QAbstractItemModel::dataChanged, this,
            [&](const QModelIndex& from) { filledRows.push_back(from.row()); });
    QSignalSpy reports(&f.explore, &ImageExplore::CurrSelectedImage);

    QVERIFY(f.showAndExplore());

    const QStringList expected{"sub2",    "sub10", "x.jpg",    "a2.bmp",
                               "a10.jpg", "b.png", "icon.ico", "zbad.jpg"};
    QCOMPARE(f.names(), expected);
    QCOMPARE(placeholdersAtReset, (QList<int>{0, 1, 2, 3, 4, 5, 6, 7}));
    QCOMPARE(filledRows, (QList<int>{0, 1, 2, 3, 4, 5, 6, 7}));
    QCOMPARE(Reports(reports), (QStringList{QString(), f.path(QStringLiteral("sub2"))}));
    QCOMPARE(f.selectedRows(), QList<int>{0});
    QCOMPARE(f.explore.SelectedIndex(), 0);

    QCOMPARE(f.explore.ImagePaths(),
             (QStringList{f.path(QStringLiteral("a2.bmp")), f.path(QStringLiteral("a10.jpg")),
                          f.path(QStringLiteral("b.png")), f.path(QStringLiteral("icon.ico")),
                          f.path(QStringLiteral("zbad.jpg"))}));
    QCOMPARE(f.explore.ItemCount(), 8);
    QVERIFY(f.explore.StopScan());
    QVERIFY(!f.explore.Text1()->isVisible());

    QCOMPARE(items->kindAt(2), Kind::Folder);
    QCOMPARE(items->pathAt(2), f.path(QStringLiteral("x.jpg")));
    QCOMPARE(items->pictureAt(3).size(), QSize(140, 140));
    QCOMPARE(items->pictureAt(4).size(), QSize(140, 105));
    QCOMPARE(items->pictureAt(6).size(), QSize(32, 32));

    // The undecodable file: a broken picture with its name, path and reason, and no message.
    QCOMPARE(items->kindAt(7), Kind::Broken);
    QCOMPARE(items->pathAt(7), f.path(QStringLiteral("zbad.jpg")));
    QVERIFY(!items->data(f.index(7), Qt::ToolTipRole).toString().isEmpty());
    QVERIFY(!items->pictureAt(7).isNull());
    QVERIFY(f.prompts.messages().isEmpty());
}

void TestExplorerControl::folderWithoutItemsShowsTheNote_data() {
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("subfolder");
    QTest::newRow("empty folder") << QStringList{} << QString();
    QTest::newRow("only other files") << QStringList{"a.txt", "b.jpeg", "c.cur"} << QString();
    QTest::newRow("missing folder") << QStringList{} << QStringLiteral("missing");
}

void TestExplorerControl::folderWithoutItemsShowsTheNote() {
    QFETCH(QStringList, files);
    QFETCH(QString, subfolder);
    Fixture f;
    for (const QString& name : files) {
        f.sandbox.addFile(name, "x");
    }
    f.explore.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.explore));
    QSignalSpy reports(&f.explore, &ImageExplore::CurrSelectedImage);
    f.explore.ExplorePath(subfolder.isEmpty() ? f.sandbox.path() : f.path(subfolder));
    QCOMPARE(Reports(reports), QStringList{QString()});
    QCOMPARE(f.explore.items()->rowCount(), 0);
    QVERIFY(f.explore.Text1()->isVisible());
    QCOMPARE(f.explore.Text1()->text(), QStringLiteral("there are no items to show."));
    QVERIFY(f.explore.StopScan());

    // The next folder with items hides it again.
    f.sandbox.addImage(QStringLiteral("new.png"), QSize(10, 10));
    f.explore.ExplorePath(f.sandbox.path());
    QVERIFY(!f.explore.Text1()->isVisible());
}

void TestExplorerControl::vanishedEntriesLeaveNoPlaceholder() {
    Fixture f;
    f.makeStandardFolder();
    // Between listing the folder and filling its items, another program removes two entries.
    connect(f.explore.items(), &QAbstractItemModel::modelReset, this, [&] {
        QFile::remove(f.path(QStringLiteral("c.png")));
        QDir().rmdir(f.path(QStringLiteral("sub")));
    });
    QSignalSpy reports(&f.explore, &ImageExplore::CurrSelectedImage);
    QVERIFY(f.showAndExplore());
    QCOMPARE(f.names(), (QStringList{"a.png", "b.png", "d.png", "e.png"}));
    QCOMPARE(f.explore.ImagePaths(),
             (QStringList{f.path(QStringLiteral("a.png")), f.path(QStringLiteral("b.png")),
                          f.path(QStringLiteral("d.png")), f.path(QStringLiteral("e.png"))}));
    QCOMPARE(f.explore.ItemCount(), 4);
    QCOMPARE(Reports(reports), (QStringList{QString(), f.path(QStringLiteral("a.png"))}));
    QVERIFY(f.prompts.messages().isEmpty());
}

void TestExplorerControl::newerExplorePathStopsTheOlderScan_data() {
    QTest::addColumn<bool>("fromEventLoop");
    QTest::newRow("user picks a folder while the scan waits") << true;
    QTest::newRow("a slot called by the scan itself") << false;
}

void TestExplorerControl::newerExplorePathStopsTheOlderScan() {
    QFETCH(bool, fromEventLoop);
    Fixture f;
    const QString older = f.sandbox.addFolder(QStringLiteral("older"));
    for (int i = 0; i < 30; ++i) {
        f.sandbox.addImage(QStringLiteral("older/o%1.jpg").arg(i), QSize(320, 240));
    }
    const QString newer = f.sandbox.addFolder(QStringLiteral("newer"));
    for (const char* name : {"n1.png", "n2.png", "n3.png"}) {
        f.sandbox.addImage(QStringLiteral("newer/") + QLatin1String(name), QSize(30, 20));
    }

    bool started = false;
    QStringList filledAfterNewer;
    connect(f.explore.items(), &QAbstractItemModel::dataChanged, this,
            [&](const QModelIndex& from) {
                if (started) {
                    filledAfterNewer.push_back(f.explore.items()->pathAt(from.row()));
                    return;
                }
                started = true;
                if (fromEventLoop) {
                    QTimer::singleShot(0, &f.explore, [&] { f.explore.ExplorePath(newer); });
                } else {
                    f.explore.ExplorePath(newer);
                }
            });
    QSignalSpy reports(&f.explore, &ImageExplore::CurrSelectedImage);
    f.explore.show();
    QVERIFY(QTest::qWaitForWindowActive(&f.explore));
    f.explore.ExplorePath(older);

    const QStringList newerFiles{newer + "/n1.png", newer + "/n2.png", newer + "/n3.png"};
    QCOMPARE(f.names(), (QStringList{"n1.png", "n2.png", "n3.png"}));
    QCOMPARE(f.explore.ImagePaths(), newerFiles);
    QCOMPARE(filledAfterNewer, newerFiles);
    QCOMPARE(f.explore.ItemCount(), 3);
    QVERIFY(f.explore.StopScan());
    // The older scan reported its start and nothing after; the newer one its start and first item.
    QCOMPARE(Reports(reports), (QStringList{QString(), QString(), newerFiles.first()}));
    QCOMPARE(f.selectedRows(), QList<int>{0});
}

void TestExplorerControl::controlDestroyedDuringScanEndsItSafely() {
    ExplorerSandbox sandbox;
    for (int i = 0; i < 12; ++i) {
        sandbox.addImage(QStringLiteral("p%1.jpg").arg(i), QSize(320, 240));
    }
    ScriptedPrompts prompts;
    QPointer<ImageExplore> explore = new ImageExplore(prompts);
    explore->SetExt(QString(ExplorerExtensions));
    connect(
        explore->items(), &QAbstractItemModel::dataChanged, explore,
        [&explore] { explore->deleteLater(); }, Qt::SingleShotConnection);
    explore->ExplorePath(sandbox.path());
    QVERIFY(explore.isNull());
}

void TestExplorerControl::keyReleaseReports_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<bool>("press");
    QTest::addColumn<QStringList>("reported");  // names
    QTest::addColumn<QList<int>>("selected");

    const Qt::KeyboardModifiers none;
    QTest::newRow("Right moves and reports the new item")
        << int(Qt::Key_Right) << none << true << QStringList{"b.png"} << QList<int>{2};
    QTest::newRow("Left at the first item reports it again")
        << int(Qt::Key_Left) << none << true << QStringList{"sub"} << QList<int>{0};
    QTest::newRow("Control alone reports nothing")
        << int(Qt::Key_Control) << Qt::KeyboardModifiers(Qt::ControlModifier) << true
        << QStringList{} << QList<int>{1};
    QTest::newRow("Right released with Control held reports the selected item")
        << int(Qt::Key_Right) << Qt::KeyboardModifiers(Qt::ControlModifier) << false
        << QStringList{"a.png"} << QList<int>{1};
    // Control+Right moves only the focus mark; without the select step nothing is selected
    // there, so there is nothing to report.
    QTest::newRow("Control+Right does not select the item it moves to")
        << int(Qt::Key_Right) << Qt::KeyboardModifiers(Qt::ControlModifier) << true << QStringList{}
        << QList<int>{1};
    QTest::newRow("Shift+Right extends and reports")
        << int(Qt::Key_Right) << Qt::KeyboardModifiers(Qt::ShiftModifier) << true
        << QStringList{"b.png"} << QList<int>{1, 2};
    QTest::newRow("a letter reports the selected item")
        << int(Qt::Key_Q) << none << false << QStringList{"a.png"} << QList<int>{1};
}

void TestExplorerControl::keyReleaseReports() {
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(bool, press);
    QFETCH(QStringList, reported);
    QFETCH(QList<int>, selected);
    Fixture f;
    f.makeStandardFolder();
    QVERIFY(f.showAndExplore());
    if (key == Qt::Key_Left) {
        f.select({0});
    } else {
        f.select({1});
    }
    QSignalSpy reports(&f.explore, &ImageExplore::CurrSelectedImage);
    QListView* lv = f.explore.lv();
    if (press) {
        SendKey(lv, QEvent::KeyPress, key, modifiers);
    }
    SendKey(lv, QEvent::KeyRelease, key, modifiers);

    QStringList expected;
    for (const QString& name : reported) {
        expected.push_back(f.path(name));
    }
    QCOMPARE(Reports(reports), expected);
    QCOMPARE(f.selectedRows(), selected);
    QVERIFY(lv->hasFocus());
}

void TestExplorerControl::mouseReleaseReportsAndOpensMenu_data() {
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<int>("row");  // -1: empty space
    QTest::addColumn<QStringList>("reported");
    QTest::addColumn<bool>("menu");
    QTest::newRow("left on an image") << Qt::LeftButton << 3 << QStringList{"c.png"} << false;
    QTest::newRow("left on a folder reports the folder")
        << Qt::LeftButton << 0 << QStringList{"sub"} << false;
    QTest::newRow("left on empty space: nothing left selected")
        << Qt::LeftButton << -1 << QStringList{} << false;
    QTest::newRow("right on an item opens the menu")
        << Qt::RightButton << 2 << QStringList{} << true;
    QTest::newRow("right on empty space opens no menu")
        << Qt::RightButton << -1 << QStringList{} << false;
}

void TestExplorerControl::mouseReleaseReportsAndOpensMenu() {
    QFETCH(Qt::MouseButton, button);
    QFETCH(int, row);
    QFETCH(QStringList, reported);
    QFETCH(bool, menu);
    Fixture f;
    f.makeStandardFolder();
    QVERIFY(f.showAndExplore());
    QSignalSpy reports(&f.explore, &ImageExplore::CurrSelectedImage);

    const QPoint where = row >= 0 ? f.centreOf(row) : QPoint(30, 450);
    QVERIFY(!f.explore.lv()->indexAt(where).isValid() || row >= 0);
    QTest::mouseClick(f.explore.lv()->viewport(), button, {}, where);

    QStringList expected;
    for (const QString& name : reported) {
        expected.push_back(f.path(name));
    }
    QCOMPARE(Reports(reports), expected);
    QCOMPARE(f.explore.mnuMenu()->isVisible(), menu);
    f.explore.mnuMenu()->hide();
}

void TestExplorerControl::nextAndPrevItemReportNowAndAfterThePostedKey() {
    Fixture f;
    f.makeStandardFolder();
    QVERIFY(f.showAndExplore());
    const QString c = f.path(QStringLiteral("c.png"));
    const QString d = f.path(QStringLiteral("d.png"));
    const QString e = f.path(QStringLiteral("e.png"));

    f.select({3});
    QSignalSpy reports(&f.explore, &ImageExplore::CurrSelectedImage);
    f.explore.NextItem();
    QCOMPARE(Reports(reports), QStringList{c});
    QTRY_COMPARE(Reports(reports), (QStringList{c, d}));
    QCOMPARE(f.selectedRows(), QList<int>{4});

    reports.clear();
    f.explore.PrevItem();
    QCOMPARE(Reports(reports), QStringList{d});
    QTRY_COMPARE(Reports(reports), (QStringList{d, c}));
    QCOMPARE(f.selectedRows(), QList<int>{3});

    // No wrap-around at the end: the same item is reported again.
    f.select({5});
    reports.clear();
    f.explore.NextItem();
    QTRY_COMPARE(Reports(reports), (QStringList{e, e}));
    QCOMPARE(f.selectedRows(), QList<int>{5});
}

void TestExplorerControl::nextItemOnEmptyListDoesNothing() {
    Fixture f;
    QVERIFY(f.showAndExplore());
    QSignalSpy reports(&f.explore, &ImageExplore::CurrSelectedImage);
    f.explore.NextItem();
    f.explore.PrevItem();
    QCoreApplication::processEvents();
    QCOMPARE(reports.count(), 0);
}

void TestExplorerControl::setSelectedFocusIgnoresLetterCase() {
    Fixture f;
    f.makeStandardFolder();
    QVERIFY(f.showAndExplore());
    QSignalSpy reports(&f.explore, &ImageExplore::CurrSelectedImage);

    f.explore.SetSelectedFocus(f.path(QStringLiteral("D.PNG")));
    QCOMPARE(f.selectedRows(), QList<int>{4});
    QCOMPARE(f.explore.SelectedPath(), f.path(QStringLiteral("d.png")));

    f.explore.SetSelectedFocus(f.path(QStringLiteral("nothing.png")));
    QCOMPARE(f.selectedRows(), QList<int>{});
    QCOMPARE(f.explore.SelectedIndex(), -1);
    QCOMPARE(reports.count(), 0);
}

void TestExplorerControl::menuHasItsEntriesInOrder() {
    Fixture f;
    QMenu* menu = f.explore.mnuMenu();
    QCOMPARE(menu->title(), QStringLiteral("MENU"));
    QStringList entries;
    for (const QAction* action : menu->actions()) {
        entries.push_back(action->objectName() + QLatin1Char('=') +
                          (action->isSeparator() ? QStringLiteral("-") : action->text()));
        QVERIFY(action->isEnabled() && action->isVisible());
    }
    QCOMPARE(entries, (QStringList{"mnuCopyImage=Copy Image", "mnuSep1=-", "mnuCopyTo=Copy To",
                                   "mnuMoveTo=Move To", "mnuDelete=Delete", "mnuRename=Rename"}));
}

void TestExplorerControl::menuEntriesChooseOperations_data() {
    QTest::addColumn<QString>("entry");
    QTest::addColumn<Qt::KeyboardModifiers>("keyState");
    QTest::addColumn<QList<int>>("operations");
    QTest::addColumn<int>("rowSelected");
    const Qt::KeyboardModifiers none;
    QTest::newRow("Copy To") << "mnuCopyTo" << none << QList<int>{1} << 2;
    QTest::newRow("Move To") << "mnuMoveTo" << none << QList<int>{4} << 2;
    QTest::newRow("Delete") << "mnuDelete" << none << QList<int>{2} << 2;
    QTest::newRow("Delete with Shift down")
        << "mnuDelete" << Qt::KeyboardModifiers(Qt::ShiftModifier) << QList<int>{3} << 2;
    QTest::newRow("Rename") << "mnuRename" << none << QList<int>{5} << 2;
    QTest::newRow("Rename on a folder item") << "mnuRename" << none << QList<int>{5} << 0;
    QTest::newRow("Copy Image") << "mnuCopyImage" << none << QList<int>{} << 2;
}

void TestExplorerControl::menuEntriesChooseOperations() {
    QFETCH(QString, entry);
    QFETCH(Qt::KeyboardModifiers, keyState);
    QFETCH(QList<int>, operations);
    QFETCH(int, rowSelected);
    Fixture f;
    f.makeStandardFolder();
    QVERIFY(f.showAndExplore());
    f.explore.setKeyStateQuery([keyState] { return keyState; });
    QTest::mouseClick(f.explore.lv()->viewport(), Qt::RightButton, {}, f.centreOf(rowSelected));
    QVERIFY(f.explore.mnuMenu()->isVisible());

    QSignalSpy chosen(&f.explore, &ImageExplore::FileOperationRequested);
    QSignalSpy copyImage(&f.explore, &ImageExplore::CopyImageRequested);
    QAction* action = f.explore.mnuMenu()->findChild<QAction*>(entry);
    QVERIFY(action != nullptr);
    action->trigger();
    f.explore.mnuMenu()->hide();

    QCOMPARE(Ints(chosen), operations);
    QCOMPARE(Reports(copyImage), entry == QStringLiteral("mnuCopyImage")
                                     ? QStringList{f.explore.items()->pathAt(rowSelected)}
                                     : QStringList{});
}

void TestExplorerControl::deleteKeyChoosesRecycleBinOrPermanent_data() {
    QTest::addColumn<bool>("onList");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<int>("operation");
    QTest::newRow("Delete on the list") << true << Qt::KeyboardModifiers() << 2;
    QTest::newRow("Shift+Delete on the list")
        << true << Qt::KeyboardModifiers(Qt::ShiftModifier) << 3;
    QTest::newRow("Delete on the control") << false << Qt::KeyboardModifiers() << 2;
    QTest::newRow("Shift+Delete on the control")
        << false << Qt::KeyboardModifiers(Qt::ShiftModifier) << 3;
}

void TestExplorerControl::deleteKeyChoosesRecycleBinOrPermanent() {
    QFETCH(bool, onList);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(int, operation);
    Fixture f;
    f.makeStandardFolder();
    QVERIFY(f.showAndExplore());
    // The key's own modifiers decide, whatever the key state query would say.
    f.explore.setKeyStateQuery([] { return Qt::KeyboardModifiers(); });
    QSignalSpy chosen(&f.explore, &ImageExplore::FileOperationRequested);
    QTest::keyClick(onList ? static_cast<QWidget*>(f.explore.lv()) : &f.explore, Qt::Key_Delete,
                    modifiers);
    QCOMPARE(Ints(chosen), QList<int>{operation});
}

void TestExplorerControl::removeSelectedItem_data() {
    QTest::addColumn<QList<int>>("selected");  // the last one is the list's selected item
    QTest::addColumn<QStringList>("removeFiles");
    QTest::addColumn<QStringList>("remaining");
    QTest::addColumn<QStringList>("reported");
    QTest::addColumn<QList<int>>("selectedAfter");

    QTest::newRow("third image: the one before is selected and reported")
        << QList<int>{3} << QStringList{"c.png"}
        << QStringList{"sub", "a.png", "b.png", "d.png", "e.png"} << QStringList{"b.png"}
        << QList<int>{2};
    QTest::newRow("first item, a folder: nothing selected, ImagePaths unchanged")
        << QList<int>{0} << QStringList{"sub"}
        << QStringList{"a.png", "b.png", "c.png", "d.png", "e.png"} << QStringList{}
        << QList<int>{};
    QTest::newRow("several selected, all gone")
        << QList<int>{2, 3, 4} << QStringList{"b.png", "c.png", "d.png"}
        << QStringList{"sub", "a.png", "e.png"} << QStringList{"a.png"} << QList<int>{1};
    QTest::newRow("several selected, one still there")
        << QList<int>{2, 3, 4} << QStringList{"c.png", "d.png"}
        << QStringList{"sub", "a.png", "b.png", "e.png"} << QStringList{"b.png"} << QList<int>{2};
    QTest::newRow("focused item first of several")
        << QList<int>{4, 5, 2} << QStringList{"b.png", "d.png", "e.png"}
        << QStringList{"sub", "a.png", "c.png"} << QStringList{"a.png"} << QList<int>{1};
}

void TestExplorerControl::removeSelectedItem() {
    QFETCH(QList<int>, selected);
    QFETCH(QStringList, removeFiles);
    QFETCH(QStringList, remaining);
    QFETCH(QStringList, reported);
    QFETCH(QList<int>, selectedAfter);
    Fixture f;
    f.makeStandardFolder();
    QVERIFY(f.showAndExplore());
    f.select(selected);
    const int focused = selected.last();
    QCOMPARE(f.explore.SelectedIndex(), focused);
    for (const QString& name : removeFiles) {
        const QString file = f.path(name);
        QVERIFY(QFileInfo(file).isDir() ? QDir().rmdir(file) : QFile::remove(file));
    }
    QSignalSpy reports(&f.explore, &ImageExplore::CurrSelectedImage);

    f.explore.RemoveSelectedItem(f.explore.SelectedIndex());

    QCOMPARE(f.names(), remaining);
    QStringList expectedPaths;
    for (const QString& name : remaining) {
        if (name != QStringLiteral("sub")) {
            expectedPaths.push_back(f.path(name));
        }
    }
    QCOMPARE(f.explore.ImagePaths(), expectedPaths);
    QStringList expectedReports;
    for (const QString& name : reported) {
        expectedReports.push_back(f.path(name));
    }
    QCOMPARE(Reports(reports), expectedReports);
    QCOMPARE(f.selectedRows(), selectedAfter);
}

void TestExplorerControl::removingTheOnlyItemKeepsTheNoteHidden() {
    Fixture f;
    const QString only = f.sandbox.addImage(QStringLiteral("only.png"), QSize(10, 10));
    QVERIFY(f.showAndExplore());
    QVERIFY(QFile::remove(only));
    QSignalSpy reports(&f.explore, &ImageExplore::CurrSelectedImage);
    f.explore.RemoveSelectedItem(0);
    QCOMPARE(f.explore.items()->rowCount(), 0);
    QVERIFY(f.explore.ImagePaths().isEmpty());
    QVERIFY(!f.explore.Text1()->isVisible());
    QCOMPARE(reports.count(), 0);
}

void TestExplorerControl::updateAfterOperation_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("pathTO");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("imageNames");
    QTest::addColumn<bool>("sameThumbnail");

    QTest::newRow("rename, path in other letter case")
        << "C.PNG"
        << "renamed.png" << QStringList{"sub", "a.png", "b.png", "renamed.png", "d.png", "e.png"}
        << QStringList{"a.png", "b.png", "renamed.png", "d.png", "e.png"} << true;
    QTest::newRow("delete or move, path in other letter case")
        << "c.Png"
        << "" << QStringList{"sub", "a.png", "b.png", "d.png", "e.png"}
        << QStringList{"a.png", "b.png", "d.png", "e.png"} << false;
    QTest::newRow("a path no item carries")
        << "zzz.png"
        << "" << QStringList{"sub", "a.png", "b.png", "c.png", "d.png", "e.png"}
        << QStringList{"a.png", "b.png", "c.png", "d.png", "e.png"} << true;
}

void TestExplorerControl::updateAfterOperation() {
    QFETCH(QString, path);
    QFETCH(QString, pathTO);
    QFETCH(QStringList, names);
    QFETCH(QStringList, imageNames);
    QFETCH(bool, sameThumbnail);
    Fixture f;
    f.makeStandardFolder();
    QVERIFY(f.showAndExplore());
    f.select({5});
    const qint64 thumbnailKey = f.explore.items()->pictureAt(3).cacheKey();
    QSignalSpy reports(&f.explore, &ImageExplore::CurrSelectedImage);

    f.explore.UpdateAfterOperation(f.path(path), pathTO.isEmpty() ? QString() : f.path(pathTO));

    QCOMPARE(f.names(), names);
    QStringList expectedPaths;
    for (const QString& name : imageNames) {
        expectedPaths.push_back(f.path(name));
    }
    QCOMPARE(f.explore.ImagePaths(), expectedPaths);
    if (!pathTO.isEmpty()) {
        QCOMPARE(f.explore.items()->pathAt(3), f.path(pathTO));
    }
    QCOMPARE(f.explore.items()->pictureAt(3).cacheKey() == thumbnailKey, sameThumbnail);
    QCOMPARE(reports.count(), 0);
    QCOMPARE(f.explore.SelectedPath(), f.path(QStringLiteral("e.png")));
}

void TestExplorerControl::controlKeepsItsMinimumWidthAndPlacesTheNote() {
    Fixture f;
    f.explore.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.explore));
    const double twipsPerPixel = 1440.0 / f.explore.screen()->logicalDotsPerInchX();
    f.explore.resize(int(1000 / twipsPerPixel), 300);
    QCOMPARE(f.explore.width(), int(std::ceil(1600 / twipsPerPixel)));

    f.explore.resize(600, 400);
    QCOMPARE(f.explore.lv()->geometry(), QRect(0, 0, 600, 400));
    const QRect note = f.explore.Text1()->geometry();
    QCOMPARE(note.left(), int(std::lround(285 / twipsPerPixel)));
    QCOMPARE(note.top(), int(std::lround(1155 / twipsPerPixel)));
    QCOMPARE(note.width(), int(std::lround(600 - 400 / twipsPerPixel)));
}

}  // namespace lorvane

namespace lorvane {

namespace {

// Items in the list's first row.
int ColumnsShown(const ImageExplore& explore) {
    const QListView* list = explore.lv();
    const int top = list->visualRect(explore.items()->index(0)).top();
    int columns = 0;
    while (columns < explore.items()->rowCount() &&
           list->visualRect(explore.items()->index(columns)).top() == top) {
        ++columns;
    }
    return columns;
}

}  // namespace

void TestExplorerControl::everyWidthShowsTheColumnsItHolds() {
    // One list that needs no scroll bar and one that does, side by side at every width.
    Fixture shortList;
    Fixture longList;
    for (Fixture* f : {&shortList, &longList}) {
        for (int i = 0; i < 8; ++i) {
            f->sandbox.addImage(QStringLiteral("p%1.png").arg(i, 2, 10, QLatin1Char('0')),
                                QSize(40, 30));
        }
    }
    shortList.explore.resize(1100, 1800);
    longList.explore.resize(1100, 300);
    QVERIFY(shortList.showAndExplore());
    QVERIFY(longList.showAndExplore());
    const auto* delegate =
        qobject_cast<ExplorerItemDelegate*>(longList.explore.lv()->itemDelegate());
    QVERIFY(delegate);
    const int cell = delegate->cellSize().width();
    const QListView* list = shortList.explore.lv();
    const int barExtent =
        list->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list->verticalScrollBar());

    for (int width = 240; width <= 1100; width += 7) {
        shortList.explore.resize(width, 1800);
        longList.explore.resize(width, 300);
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        QVERIFY(!shortList.explore.lv()->verticalScrollBar()->isVisible());
        QVERIFY(longList.explore.lv()->verticalScrollBar()->isVisible());
        const int columns = ColumnsShown(shortList.explore);
        const QString at = QStringLiteral("at width %1: %2 columns").arg(width).arg(columns);
        // The scroll bar showing or not never changes the columns.
        QVERIFY2(ColumnsShown(longList.explore) == columns, qPrintable(at));
        // The columns shown fit, and one more would not beside the scroll bar's room.
        const int room = list->viewport()->width();
        QVERIFY2(columns * cell <= room, qPrintable(at));
        QVERIFY2((columns + 1) * cell >= room - barExtent, qPrintable(at));
    }
}

void TestExplorerControl::gridHoldsStillWhileAButtonIsDown() {
    Fixture f;
    f.makeStandardFolder();
    f.explore.resize(1000, 400);
    QVERIFY(f.showAndExplore());
    QListView* list = f.explore.lv();
    const QSize before = list->gridSize();
    const QPoint where = f.centreOf(2);
    QTest::mousePress(list->viewport(), Qt::LeftButton, {}, where);
    f.explore.resize(600, 400);
    QCoreApplication::processEvents();
    QCOMPARE(list->gridSize(), before);
    QCOMPARE(list->indexAt(where).row(), 2);
    QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, where);
    QCOMPARE(f.selectedRows(), QList<int>{2});
    // Once the click is over the list fits its new width.
    QVERIFY(list->gridSize() != before);
}

}  // namespace lorvane

QTEST_MAIN(lorvane::TestExplorerControl)
#include "tst_explorer_control.moc"
