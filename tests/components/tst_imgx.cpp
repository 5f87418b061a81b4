#include <QMimeData>
#include <QPainter>
#include <QSignalSpy>
#include <QUrl>
#include <QtTest>

#include "TestImages.h"
#include "components/ImgX.h"

using namespace lorvane;
namespace ti = testimages;

class ImgXTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<ImgX> m_view;
    QColor background() {
        ImgX empty;
        empty.resize(10, 10);
        return empty.grab().toImage().pixelColor(5, 5);
    }

private Q_SLOTS:
    void init() {
        m_view = std::make_unique<ImgX>();
        m_view->resize(400, 300);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
        QCOMPARE(m_view->size(), QSize(400, 300));
    }
    void cleanup() { m_view.reset(); }

    void centresTheImageOnEachAxis_data();
    void centresTheImageOnEachAxis();
    void scrollIsClampedToTheScrollableRange();
    void zoomAndResizeKeepTheViewCentre();
    void newImageStartsCentred();
    void imageChangedFollowsImageZoomAndSize();
    void keysAreReportedNotActedOn();
    void mouseReportsButtonsPositionAndDoubleClicks();
    void handToolDragsTheImage();
    void cursorFollowsTheMouseTool();
    void dropsReportLocalFilesOnlyWhenEnabled();
    void paintsEachScreenPixelFromTheRightImagePixel();
    void paintsAReducedImageWithItsColours_data();
    void paintsAReducedImageWithItsColours();
    void transparentPixelsShowACheckerboard();
    void largeNewImageIsShownAtOnceThenSharpened();
};

void ImgXTest::centresTheImageOnEachAxis_data() {
    QTest::addColumn<QSize>("image");
    QTest::addColumn<double>("zoom");
    QTest::addColumn<QRect>("expected");
    QTest::newRow("small at 1") << QSize(100, 50) << 1.0 << QRect(150, 125, 100, 50);
    QTest::newRow("small at 2") << QSize(100, 50) << 2.0 << QRect(100, 100, 200, 100);
    QTest::newRow("wide: scrolled across, centred down")
        << QSize(1000, 100) << 1.0 << QRect(-300, 100, 1000, 100);
    QTest::newRow("tall at 0.5: centred across, scrolled down")
        << QSize(100, 1000) << 0.5 << QRect(175, -100, 50, 500);
    QTest::newRow("exact fit") << QSize(800, 600) << 0.5 << QRect(0, 0, 400, 300);
    QTest::newRow("tiny zoom keeps one pixel") << QSize(10, 10) << 0.001 << QRect(199, 149, 1, 1);
}

void ImgXTest::centresTheImageOnEachAxis() {
    QFETCH(QSize, image);
    QFETCH(double, zoom);
    QFETCH(QRect, expected);
    QImage picture(image, QImage::Format_RGB32);
    picture.fill(Qt::gray);
    m_view->document().LoadFromPicture(picture);
    m_view->setZoom(zoom);
    QCOMPARE(m_view->zoom(), zoom);
    QCOMPARE(m_view->imageRect(), expected);
}

void ImgXTest::scrollIsClampedToTheScrollableRange() {
    m_view->document().LoadFromPicture(ti::quadrants(1000, 800));
    QCOMPARE(m_view->maxScrollX(), 600);
    QCOMPARE(m_view->maxScrollY(), 500);
    m_view->setScrollX(10000);
    m_view->setScrollY(-20);
    QCOMPARE(m_view->scrollX(), 600);
    QCOMPARE(m_view->scrollY(), 0);
    QCOMPARE(m_view->imageRect().topLeft(), QPoint(-600, 0));

    // Where the image fits there is nothing to scroll.
    m_view->setZoom(0.25);
    QCOMPARE(m_view->maxScrollX(), 0);
    m_view->setScrollX(5);
    QCOMPARE(m_view->scrollX(), 0);
    QCOMPARE(m_view->imageRect(), QRect(75, 50, 250, 200));
}

void ImgXTest::zoomAndResizeKeepTheViewCentre() {
    m_view->document().LoadFromPicture(ti::quadrants(1000, 800));
    m_view->setScrollX(100);  // centre at x 300 of 1000
    m_view->setScrollY(50);   // centre at y 200 of 800
    m_view->setZoom(2.0);
    QCOMPARE(m_view->scrollX(), 400);  // 600 of 2000, less half the width
    QCOMPARE(m_view->scrollY(), 250);  // 400 of 1600, less half the height

    m_view->resize(200, 100);
    QCOMPARE(m_view->scrollX(), 500);
    QCOMPARE(m_view->scrollY(), 350);

    // Zooming out until it fits, then in again, comes back to the middle.
    m_view->setZoom(0.1);
    m_view->setZoom(2.0);
    QCOMPARE(m_view->scrollX(), 900);
    QCOMPARE(m_view->scrollY(), 750);
}

void ImgXTest::newImageStartsCentred() {
    m_view->document().LoadFromPicture(ti::quadrants(1000, 800));
    m_view->setScrollX(0);
    m_view->setScrollY(0);
    m_view->document().LoadFromPicture(ti::quadrants(600, 900));
    QCOMPARE(m_view->scrollX(), 100);
    QCOMPARE(m_view->scrollY(), 300);
    m_view->document().Rotate(90.0);
    QCOMPARE(m_view->scrollX(), 250);
    QCOMPARE(m_view->scrollY(), 150);
}

void ImgXTest::imageChangedFollowsImageZoomAndSize() {
    QSignalSpy changed(m_view.get(), &ImgX::ImageChanged);
    m_view->document().LoadFromPicture(ti::quadrants(800, 600));
    QCOMPARE(changed.count(), 1);
    m_view->setZoom(1.25);
    QCOMPARE(changed.count(), 2);
    m_view->resize(500, 400);
    QCOMPARE(changed.count(), 3);
    m_view->document().Rotate(-90.0);
    QCOMPARE(changed.count(), 4);
    m_view->document().Clear();
    QCOMPARE(changed.count(), 5);

    // Scrolling, smoothing and the mouse tool are not image changes.
    m_view->document().LoadFromPicture(ti::quadrants(800, 600));
    changed.clear();
    m_view->setScrollX(30);
    m_view->setAntiAliasDisplay(true);
    m_view->setMouseTool(ImgX::MouseHand);
    m_view->setZoom(-1.0);  // ignored
    QCOMPARE(changed.count(), 0);
}

void ImgXTest::keysAreReportedNotActedOn() {
    m_view->document().LoadFromPicture(ti::quadrants(1000, 800));
    m_view->setMouseTool(ImgX::MouseHand);
    m_view->setScrollX(100);
    m_view->setScrollY(100);
    QSignalSpy keys(m_view.get(), &ImgX::KeyDown);

    QTest::keyClick(m_view.get(), Qt::Key_Right);
    QTest::keyClick(m_view.get(), Qt::Key_Down);
    QTest::keyClick(m_view.get(), Qt::Key_Tab);
    QTest::keyClick(m_view.get(), Qt::Key_Plus, Qt::ShiftModifier);
    QTest::keyClick(m_view.get(), Qt::Key_F, Qt::ControlModifier);

    // Modifier keys are key presses too, as the host sees them.
    QList<int> pressed;
    for (const QList<QVariant>& key : keys) {
        pressed.append(key.at(0).toInt());
    }
    QCOMPARE(pressed, (QList<int>{Qt::Key_Right, Qt::Key_Down, Qt::Key_Tab, Qt::Key_Shift,
                                  Qt::Key_Plus, Qt::Key_Control, Qt::Key_F}));
    QCOMPARE(keys.at(4).at(1).value<Qt::KeyboardModifiers>(), Qt::ShiftModifier);
    QCOMPARE(keys.at(6).at(1).value<Qt::KeyboardModifiers>(), Qt::ControlModifier);
    QCOMPARE(m_view->scrollX(), 100);
    QCOMPARE(m_view->scrollY(), 100);
    QVERIFY(m_view->hasFocus());
    QCOMPARE(m_view->focusPolicy(), Qt::StrongFocus);
}

void ImgXTest::mouseReportsButtonsPositionAndDoubleClicks() {
    QSignalSpy down(m_view.get(), &ImgX::MouseDown);
    QSignalSpy doubleClicks(m_view.get(), &ImgX::DblClick);
    QTest::mousePress(m_view.get(), Qt::RightButton, Qt::ShiftModifier, QPoint(12, 34));
    QTest::mouseRelease(m_view.get(), Qt::RightButton, Qt::ShiftModifier, QPoint(12, 34));
    QCOMPARE(down.count(), 1);
    QCOMPARE(down.at(0).at(0).value<Qt::MouseButton>(), Qt::RightButton);
    QCOMPARE(down.at(0).at(1).value<Qt::KeyboardModifiers>(), Qt::ShiftModifier);
    QCOMPARE(down.at(0).at(2).toInt(), 12);
    QCOMPARE(down.at(0).at(3).toInt(), 34);

    QTest::mouseDClick(m_view.get(), Qt::LeftButton, {}, QPoint(50, 50));
    QCOMPARE(doubleClicks.count(), 1);
}

void ImgXTest::handToolDragsTheImage() {
    m_view->document().LoadFromPicture(ti::quadrants(1000, 800));
    m_view->setScrollX(100);
    m_view->setScrollY(100);

    m_view->setMouseTool(ImgX::MouseFit);
    QTest::mousePress(m_view.get(), Qt::LeftButton, {}, QPoint(200, 150));
    QTest::mouseMove(m_view.get(), QPoint(150, 120));
    QTest::mouseRelease(m_view.get(), Qt::LeftButton, {}, QPoint(150, 120));
    QCOMPARE(m_view->scrollX(), 100);

    m_view->setMouseTool(ImgX::MouseHand);
    QTest::mousePress(m_view.get(), Qt::LeftButton, {}, QPoint(200, 150));
    QCOMPARE(m_view->cursor().shape(), Qt::ClosedHandCursor);
    QTest::mouseMove(m_view.get(), QPoint(150, 120));
    QTest::mouseRelease(m_view.get(), Qt::LeftButton, {}, QPoint(150, 120));
    // The image follows the hand: moving left and up shows more of the right and bottom.
    QCOMPARE(m_view->scrollX(), 150);
    QCOMPARE(m_view->scrollY(), 130);
    QCOMPARE(m_view->cursor().shape(), Qt::OpenHandCursor);

    // Dragging past the edge stops at it.
    QTest::mousePress(m_view.get(), Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseMove(m_view.get(), QPoint(390, 290));
    QTest::mouseRelease(m_view.get(), Qt::LeftButton, {}, QPoint(390, 290));
    QCOMPARE(m_view->scrollX(), 0);
    QCOMPARE(m_view->scrollY(), 0);
}

void ImgXTest::cursorFollowsTheMouseTool() {
    m_view->setMouseTool(ImgX::MouseHand);
    QCOMPARE(m_view->cursor().shape(), Qt::OpenHandCursor);
    m_view->setMouseTool(ImgX::MouseFit);
    QCOMPARE(m_view->cursor().shape(), Qt::ArrowCursor);
    m_view->setMouseTool(ImgX::MouseNone);
    QCOMPARE(m_view->mouseTool(), int(ImgX::MouseNone));
    QCOMPARE(m_view->cursor().shape(), Qt::ArrowCursor);
}

void ImgXTest::dropsReportLocalFilesOnlyWhenEnabled() {
    QSignalSpy drops(m_view.get(), &ImgX::OLEDragDrop);
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile("/pictures/a.jpg"), QUrl("https://example.org/b.png"),
                   QUrl::fromLocalFile("/pictures/c d.png")});
    QMimeData web;
    web.setUrls({QUrl("https://example.org/b.png")});
    auto drop = [&](const QMimeData& data) {
        QDropEvent event(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(m_view.get(), &event);
    };
    auto enter = [&](const QMimeData& data) {
        QDragEnterEvent event(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(m_view.get(), &event);
        return event.isAccepted();
    };

    QVERIFY(!m_view->acceptDrops());
    drop(files);
    QCOMPARE(drops.count(), 0);

    m_view->setDropEnabled(true);
    QVERIFY(m_view->acceptDrops());
    QVERIFY(enter(files));
    QVERIFY(!enter(web));
    drop(files);
    QCOMPARE(drops.count(), 1);
    QCOMPARE(drops.at(0).at(0).toBool(), true);
    QCOMPARE(drops.at(0).at(1).toStringList(),
             (QStringList{"/pictures/a.jpg", "/pictures/c d.png"}));
}

void ImgXTest::paintsEachScreenPixelFromTheRightImagePixel() {
    // Zoomed in 10 times and scrolled to an odd offset: every screen pixel must show the image
    // pixel under it, with no shift at the edges of the part that is drawn.
    const QImage image = ti::noise(50, 40, 9);
    m_view->document().LoadFromPicture(image);
    m_view->setZoom(10.0);
    m_view->setScrollX(37);
    m_view->setScrollY(55);
    const QImage shown = m_view->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(shown.size(), QSize(400, 300));
    for (int y = 0; y < 300; y += 7) {
        for (int x = 0; x < 400; x += 7) {
            const QPoint source((x + 37) / 10, (y + 55) / 10);
            QVERIFY2(shown.pixel(x, y) == image.pixel(source),
                     qPrintable(QStringLiteral("screen %1,%2").arg(x).arg(y)));
        }
    }
}

void ImgXTest::paintsAReducedImageWithItsColours_data() {
    QTest::addColumn<bool>("smooth");
    QTest::newRow("smoothed") << true;
    QTest::newRow("not smoothed") << false;
}

void ImgXTest::paintsAReducedImageWithItsColours() {
    QFETCH(bool, smooth);
    m_view->setAntiAliasDisplay(smooth);
    m_view->document().LoadFromPicture(ti::quadrants(2000, 1000));
    m_view->setZoom(0.1);  // 200 x 100 at 100,100
    QCOMPARE(m_view->imageRect(), QRect(100, 100, 200, 100));
    for (int repaint = 0; repaint < 2; ++repaint) {
        const QImage shown = m_view->grab().toImage();
        QCOMPARE(shown.pixelColor(150, 125), QColor(Qt::red));
        QCOMPARE(shown.pixelColor(250, 125), QColor(Qt::green));
        QCOMPARE(shown.pixelColor(150, 175), QColor(Qt::blue));
        QCOMPARE(shown.pixelColor(250, 175), QColor(Qt::yellow));
        QCOMPARE(shown.pixelColor(50, 50), background());
        QCOMPARE(shown.pixelColor(350, 250), background());
    }
    // A new zoom is painted at the new size, not from the old copy.
    m_view->setZoom(0.2);  // 400 x 200 at 0,50
    const QImage shown = m_view->grab().toImage();
    QCOMPARE(shown.pixelColor(10, 60), QColor(Qt::red));
    QCOMPARE(shown.pixelColor(390, 240), QColor(Qt::yellow));
    QCOMPARE(shown.pixelColor(200, 20), background());
}

void ImgXTest::transparentPixelsShowACheckerboard() {
    QImage image(100, 100, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    m_view->document().LoadFromPicture(image);
    const QImage shown = m_view->grab().toImage();
    const QColor inside = shown.pixelColor(200, 150);
    QVERIFY(inside != background());
    QVERIFY(shown.pixelColor(200, 150) != shown.pixelColor(208, 150));  // squares alternate
    QCOMPARE(shown.pixelColor(20, 20), background());
}

void ImgXTest::largeNewImageIsShownAtOnceThenSharpened() {
    // One-pixel black and white stripes: a quick scale keeps pure black or white, a smooth one
    // averages them to grey.
    QImage stripes(1600, 1200, QImage::Format_RGB32);
    for (int y = 0; y < stripes.height(); ++y)
        for (int x = 0; x < stripes.width(); ++x)
            stripes.setPixel(x, y, x % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    m_view->setAntiAliasDisplay(true);
    m_view->setZoom(0.25);
    m_view->document().LoadFromPicture(stripes);
    const QPoint centre(m_view->width() / 2, m_view->height() / 2);
    const auto isGrey = [](QColor c) { return c.red() > 60 && c.red() < 200; };
    QVERIFY(!isGrey(m_view->grab().toImage().pixelColor(centre)));
    QTRY_VERIFY_WITH_TIMEOUT(isGrey(m_view->grab().toImage().pixelColor(centre)), 2000);
    // A zoom change of the same image is drawn smooth straight away.
    m_view->setZoom(0.2);
    QVERIFY(isGrey(m_view->grab().toImage().pixelColor(centre)));
}

QTEST_MAIN(ImgXTest)
#include "tst_imgx.moc"
