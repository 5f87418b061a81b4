#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QRegularExpression>
#include <QSplitter>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

#include "TestImages.h"
#include "components/Skin.h"

using namespace lorvane;

class SkinTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString write(const QString& name, const QByteArray& text) {
        QString file = m_dir.filePath(name);
        if (!testimages::writeFile(file, text)) {
            qFatal("cannot write %s", qPrintable(file));
        }
        return file;
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void sectionsAreParsedAndApplied();
    void brokenOrMissingFileLeavesTheNativeLook_data();
    void brokenOrMissingFileLeavesTheNativeLook();
    void sheetStaysWithTheSkinnedWidget();
    void shippedSkinHasEveryObjectAndParses();
    void fileDialogToolButtonsShowTheirWholeIcons();
};

void SkinTest::sectionsAreParsedAndApplied() {
    const QString file = write("good.skn",
                               "; a comment\n"
                               "[TopWindow]\n"
                               "QMainWindow { background: #202020; }\n"
                               "\n"
                               "[Toolbar]\n"
                               "QToolBar {\n"
                               "    background: #303030;\n"
                               "}\n"
                               "#special { color: red; }\n"
                               "[StatusBar]\n"
                               "QStatusBar { color: #a0a0a0; }\n");
    Skin skin;
    QVERIFY(skin.OpenSkinFile(file));
    QVERIFY(skin.isLoaded());
    QCOMPARE(skin.styleFor("TopWindow"), QStringLiteral("QMainWindow { background: #202020; }"));
    QCOMPARE(skin.styleFor("Toolbar"),
             QStringLiteral("QToolBar {\n    background: #303030;\n}\n#special { color: red; }"));
    QCOMPARE(skin.styleFor("statusbar"), skin.styleFor("StatusBar"));
    QCOMPARE(skin.styleFor("Label"), QString());

    QMainWindow window;
    auto* toolbar = window.addToolBar("tools");
    skin.SkinTopWindow(&window);
    skin.SkinControlWindow("Toolbar", toolbar);
    skin.SkinControlWindow("StatusBar", window.statusBar());
    QCOMPARE(window.styleSheet(), skin.styleFor("TopWindow"));
    QCOMPARE(toolbar->styleSheet(), skin.styleFor("Toolbar"));
    QCOMPARE(toolbar->property("skinObject").toString(), QStringLiteral("Toolbar"));
    QCOMPARE(window.statusBar()->styleSheet(), skin.styleFor("StatusBar"));

    // A section the file lacks leaves the control alone.
    QLabel label;
    skin.SkinControlWindow("Label", &label);
    QCOMPARE(label.styleSheet(), QString());
    skin.SkinControlWindow("Toolbar", nullptr);
    skin.SkinTopWindow(nullptr);
}

void SkinTest::brokenOrMissingFileLeavesTheNativeLook_data() {
    QTest::addColumn<QString>("file");
    QTest::newRow("missing") << m_dir.filePath("absent.skn");
    QTest::newRow("folder") << m_dir.path();
    QTest::newRow("empty") << write("empty.skn", "");
    QTest::newRow("comments only") << write("comments.skn", "; nothing\n; here\n");
    QTest::newRow("text before any section")
        << write("orphan.skn", "QWidget { color: red; }\n[Toolbar]\nQToolBar {}\n");
    QTest::newRow("section named twice")
        << write("twice.skn", "[Toolbar]\nQToolBar {}\n[toolbar]\nQToolButton {}\n");
    QTest::newRow("unclosed brace") << write("open.skn", "[Toolbar]\nQToolBar { color: red;\n");
    QTest::newRow("stray closing brace") << write("close.skn", "[Toolbar]\n}\nQToolBar {}\n");
    QTest::newRow("empty section name") << write("noname.skn", "[]\nQToolBar {}\n");
    QTest::newRow("binary") << write("binary.skn", QByteArray("\xFF\xD8\xFF\xE0\x00\x10JFIF", 10));
}

void SkinTest::brokenOrMissingFileLeavesTheNativeLook() {
    QFETCH(QString, file);
    Skin skin;
    QVERIFY(skin.OpenSkinFile(write("first.skn", "[TopWindow]\nQMainWindow {}\n")));
    QVERIFY(!skin.OpenSkinFile(file));  // a failed open also drops the skin before it
    QVERIFY(!skin.isLoaded());

    QMainWindow window;
    QPushButton button;
    skin.SkinTopWindow(&window);
    skin.SkinControlWindow("Button", &button);
    skin.SkinControlWindow("TopWindow", &button);
    QCOMPARE(window.styleSheet(), QString());
    QCOMPARE(button.styleSheet(), QString());
    QVERIFY(!button.property("skinObject").isValid());
}

void SkinTest::sheetStaysWithTheSkinnedWidget() {
    Skin skin;
    QVERIFY(skin.OpenSkinFile(write("button.skn", "[Button]\nQPushButton { color: #ff0000; }\n")));
    QWidget form;
    auto* skinned = new QPushButton("OK", &form);
    auto* plain = new QPushButton("Cancel", &form);
    skin.SkinControlWindow("Button", skinned);
    form.ensurePolished();
    skinned->ensurePolished();
    plain->ensurePolished();
    QCOMPARE(skinned->palette().color(QPalette::ButtonText), QColor(0xff, 0, 0));
    QVERIFY(plain->palette().color(QPalette::ButtonText) != QColor(0xff, 0, 0));
    QCOMPARE(form.styleSheet(), QString());
}

void SkinTest::shippedSkinHasEveryObjectAndParses() {
    Skin skin;
    QVERIFY(skin.OpenSkinFile(QStringLiteral(LORVANE_RESOURCES_DIR "/LorvaneMain.skn")));
    // Qt reports a sheet it cannot parse only as a warning, when a widget using it is polished.
    QTest::failOnWarning(QRegularExpression(QStringLiteral("Could not parse")));
    for (const char* name :
         {"TopWindow", "Toolbar", "Splitter", "StatusBar", "smallform", "Button", "Label"}) {
        QVERIFY2(!skin.styleFor(QLatin1String(name)).isEmpty(), name);
    }
    QMainWindow window;
    auto* toolbar = window.addToolBar("tools");
    toolbar->addAction("Zoom In");
    auto* splitter = new QSplitter(&window);
    splitter->addWidget(new QLabel("left"));
    splitter->addWidget(new QLabel("right"));
    window.setCentralWidget(splitter);
    auto* button = new QPushButton("OK", splitter);
    auto* label = new QLabel("Lorvane", splitter);
    QWidget form;
    skin.SkinTopWindow(&window);
    skin.SkinControlWindow("Toolbar", toolbar);
    skin.SkinControlWindow("Splitter", splitter);
    skin.SkinControlWindow("StatusBar", window.statusBar());
    skin.SkinControlWindow("Button", button);
    skin.SkinControlWindow("Label", label);
    skin.SkinControlWindow("smallform", &form);
    window.show();
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        widget->ensurePolished();
    }
}

void SkinTest::fileDialogToolButtonsShowTheirWholeIcons() {
    // The Open and Save dialogs inherit the skinned window's sheet; the bar buttons' padding
    // once left their Up, New Folder and view buttons a dot of an icon.
    Skin skin;
    QVERIFY(skin.OpenSkinFile(QStringLiteral(LORVANE_RESOURCES_DIR "/LorvaneMain.skn")));
    QMainWindow window;
    skin.SkinTopWindow(&window);
    window.show();
    QFileDialog dialog(&window, QString(), m_dir.path());
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    int checked = 0;
    for (QToolButton* button : dialog.findChildren<QToolButton*>()) {
        if (!button->isVisible() || !button->isEnabled() || button->icon().isNull())
            continue;
        // Pixels of the icon: those that stand out from the button's face.
        const QImage face = button->grab().toImage();
        const QColor background = face.pixelColor(1, face.height() / 2);
        int iconPixels = 0;
        for (int y = 0; y < face.height(); ++y) {
            for (int x = 0; x < face.width(); ++x) {
                const QColor c = face.pixelColor(x, y);
                if (std::abs(c.red() - background.red()) +
                        std::abs(c.green() - background.green()) +
                        std::abs(c.blue() - background.blue()) >
                    60)
                    ++iconPixels;
            }
        }
        QVERIFY2(iconPixels >= 30, qPrintable(QStringLiteral("%1: %2 pixels of icon in %3x%4")
                                                  .arg(button->objectName())
                                                  .arg(iconPixels)
                                                  .arg(face.width())
                                                  .arg(face.height())));
        ++checked;
    }
    QVERIFY(checked >= 3);
}

QTEST_MAIN(SkinTest)
#include "tst_skin.moc"
