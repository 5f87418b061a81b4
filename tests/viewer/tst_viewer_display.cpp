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

QTEST_MAIN(ViewerDisplayTest)
#include "tst_viewer_display.moc"
