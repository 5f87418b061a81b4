#include "tst_frmfile.h"

#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

#include "fileops/FileOperationProgress.h"
#include "fileops/frmFile.h"
#include "platform/fakes/FakeSpecialFolders.h"

namespace lorvane {

namespace {

// Acts on the picker once it is shown modally, then lets ShowFileForm return.
void whenShown(frmFile& form, std::function<void()> act) {
    QTimer::singleShot(0, &form, [&form, act = std::move(act)] {
        QVERIFY(form.isVisible());
        act();
    });
}

}  // namespace

void TestFrmFile::answersByButton() {
    FakeSpecialFolders folders;
    frmFile form(folders, nullptr);
    QCOMPARE(form.cmdOK()->text(), QStringLiteral("&Ok"));
    QCOMPARE(form.cmdCancel()->text(), QStringLiteral(" &Cancel"));

    whenShown(form, [&form] {
        form.txtDestination()->setText("/photos/");
        QTest::mouseClick(form.cmdCancel(), Qt::LeftButton);
    });
    QCOMPARE(form.ShowFileForm(1, "/a/b.jpg"), QString());
    QCOMPARE(form.windowTitle(), QStringLiteral("Copy To"));
    QCOMPARE(form.txtSource()->text(), QStringLiteral("/a/b.jpg"));

    // Each showing starts not cancelled, and the destination stays from the last use.
    whenShown(form, [&form] { QTest::mouseClick(form.cmdOK(), Qt::LeftButton); });
    QCOMPARE(form.ShowFileForm(4, "/a/c.jpg"), QStringLiteral("/photos/"));
    QCOMPARE(form.windowTitle(), QStringLiteral("Move To"));

    whenShown(form, [&form] {
        form.txtDestination()->clear();
        QTest::mouseClick(form.cmdOK(), Qt::LeftButton);
    });
    QCOMPARE(form.ShowFileForm(1, "/a/c.jpg"), QString());
}

void TestFrmFile::closeBoxCancels() {
    FakeSpecialFolders folders;
    frmFile form(folders, nullptr);
    whenShown(form, [&form] {
        form.txtDestination()->setText("/photos");
        form.close();
    });
    QCOMPARE(form.ShowFileForm(1, "/a/b.jpg"), QString());
}

void TestFrmFile::keysAnswerWhereverTheFocusIs_data() {
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("answer");
    const QString chosen = QStringLiteral("/photos/");
    QTest::newRow("Enter in the tree") << "FolderTree" << int(Qt::Key_Return) << chosen;
    QTest::newRow("keypad Enter in the tree") << "FolderTree" << int(Qt::Key_Enter) << chosen;
    QTest::newRow("Enter in the destination") << "txtDestination" << int(Qt::Key_Return) << chosen;
    QTest::newRow("Enter in the source") << "txtSource" << int(Qt::Key_Return) << chosen;
    QTest::newRow("Esc in the tree") << "FolderTree" << int(Qt::Key_Escape) << QString();
    QTest::newRow("Esc in the destination") << "txtDestination" << int(Qt::Key_Escape) << QString();
}

void TestFrmFile::keysAnswerWhereverTheFocusIs() {
    QFETCH(QString, focus);
    QFETCH(int, key);
    QFETCH(QString, answer);
    FakeSpecialFolders folders;
    frmFile form(folders, nullptr);
    bool answeredByKey = false;
    whenShown(form, [&form, &answeredByKey, focus, key] {
        auto* target = form.findChild<QWidget*>(focus);
        QVERIFY(target);
        target->setFocus();
        form.txtDestination()->setText("/photos/");
        QTest::keyClick(target, Qt::Key(key));
        answeredByKey = !form.isVisible();
        // A key that answers nothing must not leave the test waiting.
        if (form.isVisible())
            form.close();
    });
    const QString result = form.ShowFileForm(1, "/a/b.jpg");
    QVERIFY(answeredByKey);
    QCOMPARE(result, answer);
}

void TestFrmFile::treeAndRootFillDestination() {
    FakeSpecialFolders folders;
    folders.setPath(SpecialFolders::kDesktop, "/home/me/Desktop/");
    frmFile form(folders, nullptr);
    form.FolderSelected("/data/pictures");
    QCOMPARE(form.txtDestination()->text(), QStringLiteral("/data/pictures"));
    form.FolderSelected(QString());  // a node without a path
    QCOMPARE(form.txtDestination()->text(), QStringLiteral("/data/pictures"));
    form.RootSelected();
    QCOMPARE(form.txtDestination()->text(), QStringLiteral("/home/me/Desktop/"));
}

void TestFrmFile::progressDialogCancels() {
    FileOperationProgress progress(0);
    QVERIFY(progress.update({0, 100, "/a/big.jpg"}));
    QVERIFY(progress.dialog());
    QVERIFY(progress.dialog()->isVisible());
    QCOMPARE(progress.dialog()->labelText(), QStringLiteral("big.jpg"));
    QVERIFY(progress.update({50, 100, "/a/big.jpg"}));
    QCOMPARE(progress.dialog()->value(), 500);
    progress.dialog()->cancel();
    QVERIFY(!progress.update({60, 100, "/a/big.jpg"}));
    progress.finish();
    QVERIFY(!progress.dialog());
    QVERIFY(progress.update({0, 100, "/a/next.jpg"}));  // the next operation starts afresh
}

}  // namespace lorvane
