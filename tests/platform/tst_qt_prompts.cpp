#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "components/Skin.h"
#include "platform/QtPrompts.h"

using namespace lorvane;

namespace {

// Runs `inspect` on the file dialog once it is up; the dialog is answered there.
void whenDialogShows(std::function<void(QFileDialog*)> inspect) {
    QTimer::singleShot(0, [inspect] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            whenDialogShows(inspect);
            return;
        }
        inspect(dialog);
    });
}

// Runs `inspect` on whatever modal dialog comes up next.
void whenModalShows(std::function<void(QDialog*)> inspect) {
    QTimer::singleShot(0, [inspect] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible()) {
            whenModalShows(inspect);
            return;
        }
        inspect(dialog);
    });
}

}  // namespace

// The Qt dialogs behind the classic prompts: filter texts and flags, and their skin.
class QtPromptsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void openDialogPicksSeveralExistingFiles();
    void saveDialogStartsOnTheFilterAndReportsTheOneLeft();
    void choosingAnotherFormatChangesTheExtension();
    void everyPromptTakesTheSkinOwnedOrNot_data();
    void everyPromptTakesTheSkinOwnedOrNot();
};

void QtPromptsTest::openDialogPicksSeveralExistingFiles() {
    QTemporaryDir dir;
    for (const char* name : {"a.png", "b.png"})
        QVERIFY(QFile(dir.filePath(QLatin1String(name))).open(QIODevice::WriteOnly));
    QStringList filters;
    QFileDialog::FileMode mode = QFileDialog::AnyFile;
    QFileDialog::AcceptMode accept = QFileDialog::AcceptSave;
    QString startFolder;
    whenDialogShows([&](QFileDialog* dialog) {
        filters = dialog->nameFilters();
        mode = dialog->fileMode();
        accept = dialog->acceptMode();
        startFolder = dialog->directory().path();
        dialog->selectFile(QStringLiteral("\"a.png\" \"b.png\""));
        QMetaObject::invokeMethod(dialog, "accept");
    });
    QtPrompts prompts;
    const QStringList chosen =
        prompts.openFileNames(QStringLiteral("All Images|*.jpg;*.png|ICO Files  <ICO>|*.ICO|All "
                                             "Files|*.*"),
                              dir.path());
    QCOMPARE(filters, (QStringList{QStringLiteral("All Images (*.jpg *.png)"),
                                   QStringLiteral("ICO Files <ICO> (*.ICO)"),
                                   QStringLiteral("All Files (*)")}));
    QCOMPARE(startFolder, dir.path());
    QCOMPARE(mode, QFileDialog::ExistingFiles);
    QCOMPARE(accept, QFileDialog::AcceptOpen);
    QCOMPARE(chosen, (QStringList{dir.filePath(QStringLiteral("a.png")),
                                  dir.filePath(QStringLiteral("b.png"))}));
}

void QtPromptsTest::saveDialogStartsOnTheFilterAndReportsTheOneLeft() {
    QTemporaryDir dir;
    QString startFilter;
    QString suffix;
    bool confirmsOverwrite = false;
    QStringList suggested;
    whenDialogShows([&](QFileDialog* dialog) {
        startFilter = dialog->selectedNameFilter();
        suffix = dialog->defaultSuffix();
        confirmsOverwrite = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
        suggested = dialog->selectedFiles();
        dialog->selectNameFilter(QStringLiteral("Photoshop <PSD> (*.psd)"));
        dialog->selectFile(QStringLiteral("out"));
        QMetaObject::invokeMethod(dialog, "accept");
    });
    QtPrompts prompts;
    const SaveFileChoice choice = prompts.saveFileName(
        QStringLiteral("Joint Photographic Experts Group  <JPG>|*.jpg|Portable Network Graphics  "
                       "<PNG>|*.png|Photoshop  <PSD>|*.psd"),
        2, QStringLiteral("png"), dir.filePath(QStringLiteral("photo")));
    QCOMPARE(startFilter, QStringLiteral("Portable Network Graphics <PNG> (*.png)"));
    QCOMPARE(suffix, QStringLiteral("png"));
    QVERIFY(confirmsOverwrite);
    // The suggested name already carries the filter's extension.
    QCOMPARE(suggested, QStringList{dir.filePath(QStringLiteral("photo.png"))});
    QCOMPARE(choice.filterIndex, 3);
    QCOMPARE(choice.path, dir.filePath(QStringLiteral("out.png")));
}

void QtPromptsTest::choosingAnotherFormatChangesTheExtension() {
    QTemporaryDir dir;
    QStringList shown;
    QString suffix;
    whenDialogShows([&](QFileDialog* dialog) {
        // As the user does: the type list's third entry, chosen with the mouse.
        auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        QVERIFY(types);
        types->setCurrentIndex(2);
        Q_EMIT types->activated(2);
        Q_EMIT types->textActivated(types->currentText());
        shown = dialog->selectedFiles();
        suffix = dialog->defaultSuffix();
        QMetaObject::invokeMethod(dialog, "accept");
    });
    QtPrompts prompts;
    const SaveFileChoice choice = prompts.saveFileName(
        QStringLiteral("Joint Photographic Experts Group  <JPG>|*.jpg|Portable Network Graphics  "
                       "<PNG>|*.png|Photoshop  <PSD>|*.psd"),
        2, QStringLiteral("png"), dir.filePath(QStringLiteral("photo")));
    QCOMPARE(shown, QStringList{dir.filePath(QStringLiteral("photo.psd"))});
    QCOMPARE(suffix, QStringLiteral("psd"));
    QCOMPARE(choice.filterIndex, 3);
    QCOMPARE(choice.path, dir.filePath(QStringLiteral("photo.psd")));
}

void QtPromptsTest::everyPromptTakesTheSkinOwnedOrNot_data() {
    QTest::addColumn<bool>("inputBox");
    QTest::addColumn<bool>("owned");
    // The first box of a run (the association question) comes before any window is up.
    QTest::newRow("message box, no window up") << false << false;
    QTest::newRow("input box, no window up") << true << false;
    QTest::newRow("message box over a skinned window") << false << true;
    QTest::newRow("input box over a skinned window") << true << true;
}

void QtPromptsTest::everyPromptTakesTheSkinOwnedOrNot() {
    QFETCH(bool, inputBox);
    QFETCH(bool, owned);
    Skin skin;
    QVERIFY(skin.OpenSkinFile(QStringLiteral(LORVANE_RESOURCES_DIR "/LorvaneMain.skn")));
    const QColor skinned(0x2b, 0x2d, 0x30);  // the skin's window grey
    QWidget window;
    if (owned) {
        skin.SkinTopWindow(&window);
        window.show();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
    }
    QColor background;
    bool hadOwner = false;
    whenModalShows([&](QDialog* dialog) {
        hadOwner = dialog->parentWidget() == &window;
        background = dialog->grab().toImage().pixelColor(3, 3);
        dialog->reject();
    });
    QtPrompts prompts;
    prompts.setDialogSkinner([&skin](QWidget* dialog) { skin.SkinTopWindow(dialog); });
    if (inputBox)
        prompts.inputBox(QStringLiteral("File Name:"), QStringLiteral("Rename File"),
                         QStringLiteral("a.jpg"));
    else
        prompts.messageBox(QStringLiteral("Take the image types back?"), MessageButtons::YesNo,
                           MessageIcon::Question, QStringLiteral("Lorvane"));
    QCOMPARE(hadOwner, owned);
    QCOMPARE(background, skinned);
}

QTEST_MAIN(QtPromptsTest)
#include "tst_qt_prompts.moc"
