#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <functional>

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

}  // namespace

// The Qt file dialogs behind the classic filter texts and flags.
class QtPromptsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void openDialogPicksSeveralExistingFiles();
    void saveDialogStartsOnTheFilterAndReportsTheOneLeft();
    void choosingAnotherFormatChangesTheExtension();
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

QTEST_MAIN(QtPromptsTest)
#include "tst_qt_prompts.moc"
