#include <QApplication>
#include <QBuffer>
#include <QDataStream>
#include <QDir>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QWheelEvent>
#include <QtTest>

#include <cmath>

#include "components/ImgX.h"
#include "components/Skin.h"
#include "fileops/DestinationPicker.h"
#include "fileops/FileOperationRunner.h"
#include "platform/XdgShellFileOperation.h"
#include "platform/fakes/FakeRegistry.h"
#include "platform/fakes/ScriptedPrompts.h"
#include "settings/CRegister.h"
#include "viewer/StatusBarText.h"
#include "viewer/ViewerGeometry.h"
#include "viewer/ViewerHost.h"
#include "viewer/frmViwer.h"

using namespace lorvane;

namespace {

const QString kSettingsKey = QStringLiteral("SOFTWARE\\Harrowdale\\Lorvane Settings\\");

struct QuietHost : ViewerHost {
    void showBrowser() override {}
    void CheckPath(const QString&) override {}
    void viewerUnloaded() override {}
    void endProgram() override {}
};

struct NoPicker : DestinationPicker {
    QString ShowFileForm(int, const QString&) override { return {}; }
};

QAction* editAction(QMenuBar* bar, const QString& caption) {
    for (QAction* menu : bar->actions()) {
        if (menu->text() != QStringLiteral("Edit") || !menu->menu())
            continue;
        for (QAction* action : menu->menu()->actions()) {
            if (action->text() == caption)
                return action;
        }
    }
    return nullptr;
}

// One PNG chunk: length, type, data and the CRC-32 of type and data.
QByteArray PngChunk(const char* type, const QByteArray& data) {
    QByteArray body = QByteArray(type) + data;
    quint32 crc = 0xffffffffu;
    for (const char byte : std::as_const(body)) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    crc ^= 0xffffffffu;
    QByteArray chunk;
    QDataStream out(&chunk, QIODevice::WriteOnly);
    out << quint32(data.size());
    out.writeRawData(body.constData(), int(body.size()));
    out << crc;
    return chunk;
}

void turnWheel(QWidget* widget, QPoint angleDelta, Qt::KeyboardModifiers modifiers = {}) {
    const QPointF at(widget->width() / 2.0, widget->height() / 2.0);
    QWheelEvent event(at, widget->mapToGlobal(at), QPoint(), angleDelta, Qt::NoButton, modifiers,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &event);
}

}  // namespace

// What the viewer window shows of an image: the fit of a large one, the wheel, the status bar's
// panels and the title. The logic under these is tested in tst_viewer_logic.
class ViewerDisplayTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void largePhotoIsShownWhole_data();
    void largePhotoIsShownWhole();
    void wheelScrollsALargeImage();
    void ctrlWheelZoomsByTheZoomSteps();
    void statusPanelsShowTheirWholeTextInTheSmallestWindow();
    void widestStatusTextsAreTheWidestShown();
    void failedRenameKeepsTheImageInTheTitle_data();
    void failedRenameKeepsTheImageInTheTitle();

private:
    QString writeImage(const QString& name, QSize size);
    void storeSetting(const QString& name, const QString& value);
    frmViwer& viewer(Skin* skin = nullptr);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<FakeRegistry> m_registry;
    std::unique_ptr<ScriptedPrompts> m_prompts;
    std::unique_ptr<QuietHost> m_host;
    std::unique_ptr<frmViwer> m_viewer;
};

void ViewerDisplayTest::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    m_registry = std::make_unique<FakeRegistry>();
    m_prompts = std::make_unique<ScriptedPrompts>();
    m_host = std::make_unique<QuietHost>();
}

void ViewerDisplayTest::cleanup() {
    m_viewer.reset();
    m_host.reset();
    m_prompts.reset();
    m_registry.reset();
    m_dir.reset();
}

QString ViewerDisplayTest::writeImage(const QString& name, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::gray);
    const QString path = m_dir->filePath(name);
    if (!image.save(path))
        qWarning("cannot write %s", qPrintable(path));
    return path;
}

void ViewerDisplayTest::storeSetting(const QString& name, const QString& value) {
    QVERIFY(
        CRegister(*m_registry).REGSaveSetting(RegRoot::LocalMachine, kSettingsKey, name, value));
}

frmViwer& ViewerDisplayTest::viewer(Skin* skin) {
    if (!m_viewer)
        m_viewer = std::make_unique<frmViwer>(*m_registry, *m_prompts, skin, *m_host);
    return *m_viewer;
}

void ViewerDisplayTest::largePhotoIsShownWhole_data() {
    QTest::addColumn<bool>("fullScreen");
    QTest::addColumn<QSize>("image");
    // The image area is lower than the screen by the bar and the strips above and below it; a
    // fit by the width alone cut every photo less wide than the area at top and bottom (the test
    // screen is square, so a square or portrait photo; on a 16:9 screen a 4:3 one).
    QTest::newRow("full screen, square photo") << true << QSize(1600, 1600);
    QTest::newRow("full screen, portrait photo") << true << QSize(1200, 1600);
    QTest::newRow("window, portrait photo") << false << QSize(1200, 1600);
    QTest::newRow("full screen, 4:3 photo") << true << QSize(1600, 1200);
    QTest::newRow("full screen, panorama") << true << QSize(3200, 1000);
}

void ViewerDisplayTest::largePhotoIsShownWhole() {
    QFETCH(bool, fullScreen);
    QFETCH(QSize, image);
    storeSetting(QStringLiteral("FullScreen"),
                 fullScreen ? QStringLiteral("-1") : QStringLiteral("0"));
    const QString path = writeImage(QStringLiteral("photo.png"), image);
    int index = 0;
    viewer().imgX().setZoom(1.0);
    viewer().ViewImage({path}, index);
    QVERIFY2(viewer().imgX().zoom() < 1.0,
             qPrintable(QStringLiteral("zoom %1, window %2x%3, image %4x%5")
                            .arg(viewer().imgX().zoom())
                            .arg(viewer().frameGeometry().width())
                            .arg(viewer().frameGeometry().height())
                            .arg(viewer().imgX().document().Width())
                            .arg(viewer().imgX().document().Height())));
    // Once the window has its final size, the image lies inside the area and touches it.
    QTRY_VERIFY_WITH_TIMEOUT(viewer().imgX().rect().contains(viewer().imgX().imageRect()), 2000);
    const QRect shown = viewer().imgX().imageRect();
    const QSize area = viewer().imgX().size();
    // (Within the few pixels of frame the test platform adds around a full-screen window.)
    QVERIFY2(area.width() - shown.width() <= 4 || area.height() - shown.height() <= 4,
             qPrintable(QStringLiteral("image %1x%2 in an area of %3x%4")
                            .arg(shown.width())
                            .arg(shown.height())
                            .arg(area.width())
                            .arg(area.height())));
    // Seen whole, there is nothing to pan.
    QCOMPARE(viewer().imgX().mouseTool(), int(ImgX::MouseFit));
}

void ViewerDisplayTest::wheelScrollsALargeImage() {
    storeSetting(QStringLiteral("FullScreen"), QStringLiteral("0"));
    const QString path = writeImage(QStringLiteral("big.png"), QSize(300, 200));
    int index = 0;
    viewer().ViewImage({path}, index);
    ImgX& imgX = viewer().imgX();
    QCOMPARE(imgX.mouseTool(), int(ImgX::MouseFit));
    turnWheel(&imgX, QPoint(0, -120));
    QCOMPARE(imgX.scrollY(), 0);  // an image that fits does not move

    for (int i = 0; i < 8; ++i)
        viewer().ZoomIn();
    QCOMPARE(imgX.mouseTool(), int(ImgX::MouseHand));
    const int x = imgX.scrollX();
    const int y = imgX.scrollY();
    turnWheel(&imgX, QPoint(0, -120));
    QCOMPARE(imgX.scrollY(), y + WheelMapper::kPixelsPerNotch);
    QCOMPARE(imgX.scrollX(), x);
    turnWheel(&imgX, QPoint(0, 120));
    QCOMPARE(imgX.scrollY(), y);
    turnWheel(&imgX, QPoint(0, -120), Qt::ShiftModifier);
    QCOMPARE(imgX.scrollX(), x + WheelMapper::kPixelsPerNotch);
    QCOMPARE(imgX.scrollY(), y);
    QCOMPARE(imgX.zoom(), std::pow(1.25, 8));  // scrolling never zooms
}

void ViewerDisplayTest::ctrlWheelZoomsByTheZoomSteps() {
    storeSetting(QStringLiteral("FullScreen"), QStringLiteral("0"));
    const QString path = writeImage(QStringLiteral("small.png"), QSize(60, 40));
    int index = 0;
    viewer().ViewImage({path}, index);
    ImgX& imgX = viewer().imgX();
    imgX.setZoom(1.0);
    turnWheel(&imgX, QPoint(0, 120), Qt::ControlModifier);
    QCOMPARE(imgX.zoom(), 1.25);
    turnWheel(&imgX, QPoint(0, -240), Qt::ControlModifier);
    QCOMPARE(imgX.zoom(), 1.25 * 0.75 * 0.75);
    QCOMPARE(viewer().statusPanels().at(4), FormatZoomPercent(1.25 * 0.75 * 0.75));
    // The same limits as + and keypad minus: past 1600 % in, below 0.5 % out, nothing.
    imgX.setZoom(16.5);
    turnWheel(&imgX, QPoint(0, 120), Qt::ControlModifier);
    QCOMPARE(imgX.zoom(), 16.5);
    imgX.setZoom(16.0);
    turnWheel(&imgX, QPoint(0, 120), Qt::ControlModifier);
    QCOMPARE(imgX.zoom(), 20.0);
    imgX.setZoom(0.0049);
    turnWheel(&imgX, QPoint(0, -120), Qt::ControlModifier);
    QCOMPARE(imgX.zoom(), 0.0049);
}

void ViewerDisplayTest::statusPanelsShowTheirWholeTextInTheSmallestWindow() {
    // The skin's padding is what made "1023 Bytes" too wide for its panel.
    Skin skin;
    QVERIFY(skin.OpenSkinFile(QStringLiteral(LORVANE_RESOURCES_DIR "/LorvaneMain.skn")));
    storeSetting(QStringLiteral("FullScreen"), QStringLiteral("0"));
    // A 10 x 10 PNG of exactly 1023 bytes, filled up with an uncompressed text chunk: the
    // smallest window, and the longest text in bytes.
    const QString path = m_dir->filePath(QStringLiteral("tiny.png"));
    QImage image(10, 10, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    QByteArray png;
    {
        QBuffer buffer(&png);
        QVERIFY(buffer.open(QIODevice::WriteOnly));
        QVERIFY(image.save(&buffer, "png"));
    }
    const qsizetype header = 8 + 25;  // signature and IHDR: the text goes right after them
    const QByteArray padding =
        "pad" + QByteArray(1, '\0') + QByteArray(int(1023 - png.size() - 12 - 4), 'x');
    png.insert(header, PngChunk("tEXt", padding));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(png);
    file.close();
    QCOMPARE(QFileInfo(path).size(), 1023);
    int index = 0;
    viewer(&skin).ViewImage({path}, index);
    QCOMPARE(viewer().statusPanels().at(2), QStringLiteral("1023 Bytes"));
    QTRY_VERIFY_WITH_TIMEOUT(viewer().isVisible(), 2000);
    QCoreApplication::processEvents();

    // Each panel is as wide as its text needs: first the texts shown, then the widest it shows.
    const QList<QLabel*> panels = viewer().statusBar()->findChildren<QLabel*>();
    QCOMPARE(panels.size(), 5);
    const auto check = [](QLabel* panel, int number, const QString& text) {
        const QString shownText = panel->text();
        panel->setText(text);
        const int needed = panel->sizeHint().width();
        panel->setText(shownText);
        return panel->width() >= needed ? QString()
                                        : QStringLiteral("panel %1 is %2 wide, \"%3\" needs %4")
                                              .arg(number)
                                              .arg(panel->width())
                                              .arg(text)
                                              .arg(needed);
    };
    for (bool widest : {false, true}) {
        for (QLabel* panel : panels) {
            const int number = panel->objectName().mid(5).toInt();
            if (number == 2)
                continue;  // the name takes what is left
            const QStringList texts =
                widest ? WidestStatusTexts(number, int(viewer().ImagePaths().size()))
                       : QStringList{panel->text()};
            for (const QString& text : texts) {
                const QString complaint = check(panel, number, text);
                QVERIFY2(complaint.isEmpty(), qPrintable(complaint));
            }
        }
    }
}

void ViewerDisplayTest::widestStatusTextsAreTheWidestShown() {
    // Every text a panel shows is measured against the panel's widest texts, in the fonts the
    // panels may get.
    const QList<QFont> fonts = {QApplication::font(),
                                QFontDatabase::systemFont(QFontDatabase::FixedFont)};
    const auto widest = [](const QFontMetrics& metrics, int panel, int count = 32768) {
        int width = 0;
        for (const QString& text : WidestStatusTexts(panel, count))
            width = std::max(width, metrics.horizontalAdvance(text));
        return width;
    };
    for (const QFont& font : fonts) {
        const QFontMetrics metrics(font);
        for (int count : {1, 9, 10, 99, 100, 999, 1000, 9999, 10000, 32767, 32768}) {
            const int positions = widest(metrics, 1, count);
            for (int position : {1, count / 3 + 1, count / 2 + 1, count - 1, count})
                QVERIFY(metrics.horizontalAdvance(FormatPosition(std::max(1, position), count)) <=
                        positions);
        }
        const int sizes = widest(metrics, 3);
        for (double bytes = 0; bytes < 1e11; bytes = bytes * 1.37 + 1) {
            const QString text = FormatFileSize(bytes);
            QVERIFY2(metrics.horizontalAdvance(text) <= sizes, qPrintable(text));
        }
        for (double bytes : {1023.0, 1048575.0, 1048576.0, 1073741823.0})
            QVERIFY(metrics.horizontalAdvance(FormatFileSize(bytes)) <= sizes);
        const int formats = widest(metrics, 4);
        for (const char* extension : {"jpg", "JPEG", "tif", "TIFF", "wbmp", "WBMP", "psd", "pcx"})
            for (int bits : {1, 8, 24, 32, 48, 64})
                QVERIFY(metrics.horizontalAdvance(FormatPixelFormat(
                            40000, 30000, bits, QLatin1String(extension))) <= formats);
        // Every zoom the steps reach from 100 %, in and out.
        const int zooms = widest(metrics, 5);
        for (double zoom = 1.0; ZoomInStep(zoom) != zoom; zoom = ZoomInStep(zoom))
            QVERIFY(metrics.horizontalAdvance(FormatZoomPercent(ZoomInStep(zoom))) <= zooms);
        for (double zoom = 1.0; ZoomOutStep(zoom) != zoom; zoom = ZoomOutStep(zoom))
            QVERIFY(metrics.horizontalAdvance(FormatZoomPercent(ZoomOutStep(zoom))) <= zooms);
    }
}

void ViewerDisplayTest::failedRenameKeepsTheImageInTheTitle_data() {
    QTest::addColumn<bool>("leftFullScreen");
    QTest::addColumn<QString>("typed");
    QTest::newRow("name of another file") << false << "other.png";
    QTest::newRow("a slash in the name") << false << "sub/new.png";
    QTest::newRow("cancelled") << false << "";
    // Leaving full screen empties the title; a rename that fails names the image again.
    QTest::newRow("after leaving full screen, name of another file") << true << "other.png";
    QTest::newRow("after leaving full screen, a slash") << true << "sub/new.png";
}

void ViewerDisplayTest::failedRenameKeepsTheImageInTheTitle() {
    QFETCH(bool, leftFullScreen);
    QFETCH(QString, typed);
    storeSetting(QStringLiteral("FullScreen"),
                 leftFullScreen ? QStringLiteral("-1") : QStringLiteral("0"));
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir->filePath(QStringLiteral("data"))));
    XdgShellFileOperation shell(*m_prompts);
    NoPicker picker;
    FileOperationRunner runner(shell, *m_prompts, picker);
    const QString shown = writeImage(QStringLiteral("shown.png"), QSize(40, 30));
    const QString other = writeImage(QStringLiteral("other.png"), QSize(30, 40));
    viewer().setFileOperations(&runner);
    int index = 0;
    viewer().ViewImage({shown, other}, index);
    if (leftFullScreen) {
        viewer().ToggleFullScreen();
        QVERIFY(!viewer().IsFullScreen());
    }

    m_prompts->scriptInput(typed);
    editAction(viewer().menuBar(), QStringLiteral("Rename"))->trigger();
    QVERIFY(QFileInfo::exists(shown));
    QCOMPARE(viewer().ImagePaths(), QStringList({shown, other}));
    QCOMPARE(viewer().windowTitle(), QStringLiteral("shown.png- Lorvane 1.1"));
    viewer().setFileOperations(nullptr);
}

QTEST_MAIN(ViewerDisplayTest)
#include "tst_viewer_display.moc"
