#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "viewer/StatusBarText.h"
#include "viewer/ViewerGeometry.h"
#include "viewer/ViewerLogic.h"

using namespace lorvane;

Q_DECLARE_METATYPE(lorvane::WheelCommand)

class ViewerLogicTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void windowIsPlannedAroundTheImage_data();
    void windowIsPlannedAroundTheImage();
    void minimisedOrMaximisedWindowIsNotResized();
    void largeImageIsFittedOnlyWhenBothSidesOverflow_data();
    void largeImageIsFittedOnlyWhenBothSidesOverflow();
    void fitKeepsTheZoomWhileTheAreaIsEmpty();
    void imageAreaStaysInsideTheClientArea_data();
    void imageAreaStaysInsideTheClientArea();
    void zoomStepsStopPastTheirLimits_data();
    void zoomStepsStopPastTheirLimits();
    void zoomInThenOutIsNotTheStartingZoom();
    void mouseToolFollowsWhetherTheImageFits_data();
    void mouseToolFollowsWhetherTheImageFits();
    void layoutSubtractsTheBarInBothModes();
    void indexOneOutsideTheListWraps_data();
    void indexOneOutsideTheListWraps();
    void nextAndPreviousStepOverOneEmptyEntry_data();
    void nextAndPreviousStepOverOneEmptyEntry();
    void wheelScrollsALargeImageAndCtrlZooms_data();
    void wheelScrollsALargeImageAndCtrlZooms();
    void partsOfANotchAddUp();
    void slideShowDelayIsParsed_data();
    void slideShowDelayIsParsed();
    void titleNamesFileAndVersion();
    void fileSizeTexts_data();
    void fileSizeTexts();
    void zoomPercentTexts_data();
    void zoomPercentTexts();
    void statusPanelsForDecodedAndPictureLoaderFiles_data();
    void statusPanelsForDecodedAndPictureLoaderFiles();
    void statusRefreshStopsAtAVanishedFile();
};

void ViewerLogicTest::windowIsPlannedAroundTheImage_data() {
    QTest::addColumn<QSize>("image");
    QTest::addColumn<QSize>("area");
    QTest::addColumn<QSize>("window");
    const int bar = viewerDesign::kToolbarHeight;
    QTest::newRow("low narrow image gets the wide, low window")
        << QSize(300, 50) << QSize(7590, 4000) << QSize(7590, 4600);
    QTest::newRow("800x600") << QSize(800, 600) << QSize(12000, 9200) << QSize(12000, bar + 10400);
    QTest::newRow("narrow but tall")
        << QSize(200, 400) << QSize(7590, 6200) << QSize(7590, bar + 6000 + 1400);
    QTest::newRow("exactly 100 pixels high is not low")
        << QSize(500, 100) << QSize(7500, 1700) << QSize(7500, bar + 1500 + 1400);
    QTest::newRow("exactly 6000 twips wide keeps its width")
        << QSize(400, 300) << QSize(6000, 4700) << QSize(6000, bar + 4500 + 1400);
}

void ViewerLogicTest::windowIsPlannedAroundTheImage() {
    QFETCH(QSize, image);
    QFETCH(QSize, area);
    QFETCH(QSize, window);
    const QSize screen(28800, 16200);
    const ImageWindowPlan plan = PlanWindowForImage(image, {}, viewerDesign::kToolbarHeight,
                                                    WindowShowState::Normal, screen);
    QCOMPARE(plan.imageArea, area);
    QVERIFY(plan.resizeWindow);
    QCOMPARE(plan.windowSize, window);
    QCOMPARE(plan.topLeft, QPoint((screen.width() - window.width()) / 2,
                                  (screen.height() - window.height()) / 2));
}

void ViewerLogicTest::minimisedOrMaximisedWindowIsNotResized() {
    for (WindowShowState state : {WindowShowState::Minimized, WindowShowState::Maximized}) {
        const ImageWindowPlan plan =
            PlanWindowForImage(QSize(4000, 3000), {}, 495, state, QSize(28800, 16200));
        QVERIFY(!plan.resizeWindow);
    }
}

void ViewerLogicTest::largeImageIsFittedOnlyWhenBothSidesOverflow_data() {
    // Window and area as the layout gives them in full screen at 96 DPI: the area is the screen
    // less the bar and the strips above and below it.
    QTest::addColumn<QSize>("image");
    QTest::addColumn<QSize>("screen");  // pixels
    QTest::addColumn<double>("expected");
    const QSize wide(1920, 1080);
    const QSize square(1280, 1024);
    QTest::newRow("4:3 photo on a 16:9 screen: fit by height")
        << QSize(4000, 3000) << wide << 1007.0 / 3000;
    QTest::newRow("3:2 photo on a 16:9 screen: fit by height")
        << QSize(6000, 4000) << wide << 1007.0 / 4000;
    QTest::newRow("panorama on a 16:9 screen: fit by width")
        << QSize(8000, 2000) << wide << 1920.0 / 8000;
    QTest::newRow("portrait photo: fit by height") << QSize(3000, 4000) << wide << 1007.0 / 4000;
    QTest::newRow("2:1 photo on a 5:4 screen: fit by width")
        << QSize(4000, 2000) << square << 1280.0 / 4000;
    QTest::newRow("only the width overflows keeps the zoom") << QSize(4000, 100) << wide << 0.7;
    QTest::newRow("only the height overflows keeps the zoom") << QSize(100, 4000) << wide << 0.7;
    QTest::newRow("larger than the area but not the window keeps the zoom")
        << QSize(1900, 1050) << wide << 0.7;
    QTest::newRow("fits") << QSize(800, 600) << wide << 0.7;
}

void ViewerLogicTest::largeImageIsFittedOnlyWhenBothSidesOverflow() {
    QFETCH(QSize, image);
    QFETCH(QSize, screen);
    QFETCH(double, expected);
    const TwipsPerPixel tpp;
    const QSize outerTwips(screen.width() * 15, screen.height() * 15);
    const QSize area = ImageAreaPixels(outerTwips, screen, viewerDesign::kToolbarHeight, tpp);
    const double zoom = FitZoom(image, tpp, outerTwips, area, 0.7);
    QCOMPARE(zoom, expected);
    // Fitted, the whole image lies inside the area and touches it on one side.
    if (zoom != 0.7) {
        const QSize shown(int(std::lround(image.width() * zoom)),
                          int(std::lround(image.height() * zoom)));
        QVERIFY(shown.width() <= area.width() && shown.height() <= area.height());
        QVERIFY(shown.width() == area.width() || shown.height() == area.height());
    }
}

void ViewerLogicTest::fitKeepsTheZoomWhileTheAreaIsEmpty() {
    QCOMPARE(FitZoom(QSize(4000, 3000), {}, QSize(6000, 1000), QSize(400, 0), 1.0), 1.0);
}

void ViewerLogicTest::imageAreaStaysInsideTheClientArea_data() {
    QTest::addColumn<QSize>("outer");   // twips
    QTest::addColumn<QSize>("client");  // pixels
    QTest::addColumn<QSize>("area");    // pixels
    QTest::newRow("full screen: the layout's height")
        << QSize(28800, 16200) << QSize(1920, 1080) << QSize(1920, (16200 - 495 - 600) / 15);
    QTest::newRow("window: the status bar's top is the limit")
        << QSize(9000, 10000) << QSize(596, 560) << QSize(596, 560 - 38);
    QTest::newRow("too low for any area") << QSize(9000, 900) << QSize(600, 20) << QSize(600, 0);
}

void ViewerLogicTest::imageAreaStaysInsideTheClientArea() {
    QFETCH(QSize, outer);
    QFETCH(QSize, client);
    QFETCH(QSize, area);
    QCOMPARE(ImageAreaPixels(outer, client, viewerDesign::kToolbarHeight, {}), area);
}

void ViewerLogicTest::zoomStepsStopPastTheirLimits_data() {
    QTest::addColumn<double>("zoom");
    QTest::addColumn<double>("in");
    QTest::addColumn<double>("out");
    QTest::newRow("100 %") << 1.0 << 1.25 << 0.75;
    QTest::newRow("1600 % still steps in") << 16.0 << 20.0 << 12.0;
    QTest::newRow("1650 % does not") << 16.5 << 16.5 << 12.375;
    QTest::newRow("0.5 % still steps out") << 0.005 << 0.00625 << 0.00375;
    QTest::newRow("below 0.5 % does not") << 0.0049 << 0.006125 << 0.0049;
}

void ViewerLogicTest::zoomStepsStopPastTheirLimits() {
    QFETCH(double, zoom);
    QFETCH(double, in);
    QFETCH(double, out);
    QCOMPARE(ZoomInStep(zoom), in);
    QCOMPARE(ZoomOutStep(zoom), out);
}

void ViewerLogicTest::zoomInThenOutIsNotTheStartingZoom() {
    QCOMPARE(ZoomOutStep(ZoomInStep(1.0)), 0.9375);
    double zoom = 1.0;
    for (int i = 0; i < 100; ++i)
        zoom = ZoomInStep(zoom);
    QVERIFY(qFuzzyCompare(zoom, std::pow(1.25, 13)));
}

void ViewerLogicTest::mouseToolFollowsWhetherTheImageFits_data() {
    QTest::addColumn<double>("zoom");
    QTest::addColumn<QSize>("image");
    QTest::addColumn<int>("mode");
    QTest::newRow("800x600 at 100 % fits") << 1.0 << QSize(800, 600) << 3;
    QTest::newRow("one step in is 15000 twips wide") << 1.25 << QSize(800, 600) << 2;
    QTest::newRow("exactly as wide as the window fits") << 1.0 << QSize(800, 100) << 3;
    QTest::newRow("too high") << 1.0 << QSize(100, 700) << 2;
    QTest::newRow("turned 600x800 is too high") << 1.0 << QSize(600, 800) << 2;
}

void ViewerLogicTest::mouseToolFollowsWhetherTheImageFits() {
    QFETCH(double, zoom);
    QFETCH(QSize, image);
    QFETCH(int, mode);
    QCOMPARE(MouseToolFor(zoom, image, {}, QSize(12000, 10000)), mode);
}

void ViewerLogicTest::layoutSubtractsTheBarInBothModes() {
    const ViewerLayout layout = LayoutForWindow(QSize(9000, 10000), 495);
    QCOMPARE(layout.imageAreaHeight, 8905);
    QCOMPARE(layout.imageAreaWidth, 9000);
    QCOMPARE(layout.toolbarWidth, 9000);
}

void ViewerLogicTest::indexOneOutsideTheListWraps_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("expected");
    QTest::newRow("one past the end") << 3 << 0;
    QTest::newRow("one before the start") << -1 << 2;
    QTest::newRow("inside") << 1 << 1;
    QTest::newRow("two past is the caller's error, kept") << 4 << 4;
}

void ViewerLogicTest::indexOneOutsideTheListWraps() {
    QFETCH(int, index);
    QFETCH(int, expected);
    QCOMPARE(NormalizeIndex(index, 3), expected);
}

void ViewerLogicTest::nextAndPreviousStepOverOneEmptyEntry_data() {
    QTest::addColumn<QStringList>("paths");
    QTest::addColumn<int>("current");
    QTest::addColumn<int>("next");  // -100: none
    QTest::addColumn<int>("previous");
    const int none = -100;
    QTest::newRow("middle") << QStringList{"a", "b", "c"} << 1 << 2 << 0;
    QTest::newRow("last has no next") << QStringList{"a", "b", "c"} << 2 << none << 1;
    QTest::newRow("first has no previous") << QStringList{"a", "b", "c"} << 0 << 1 << none;
    QTest::newRow("one image") << QStringList{"a"} << 0 << none << none;
    QTest::newRow("empty entry skipped") << QStringList{"a", "", "c"} << 0 << 2 << none;
    QTest::newRow("empty entry skipped backwards") << QStringList{"a", "", "c"} << 2 << none << 0;
    QTest::newRow("only one empty entry skipped")
        << QStringList{"a", "", "", "d"} << 0 << 2 << none;
    QTest::newRow("empty last entry steps one past the end")
        << QStringList{"a", "b", ""} << 1 << 3 << 0;
}

void ViewerLogicTest::nextAndPreviousStepOverOneEmptyEntry() {
    QFETCH(QStringList, paths);
    QFETCH(int, current);
    QFETCH(int, next);
    QFETCH(int, previous);
    QCOMPARE(NextImageIndex(paths, current).value_or(-100), next);
    QCOMPARE(PreviousImageIndex(paths, current).value_or(-100), previous);
}

void ViewerLogicTest::wheelScrollsALargeImageAndCtrlZooms_data() {
    QTest::addColumn<QPoint>("delta");
    QTest::addColumn<bool>("control");
    QTest::addColumn<bool>("shift");
    QTest::addColumn<bool>("large");  // the image is larger than the window
    QTest::addColumn<WheelCommand>("command");
    QTest::newRow("away from the user shows what is above")
        << QPoint(0, 120) << false << false << true << WheelCommand{0, -60, 0};
    QTest::newRow("towards the user shows what is below")
        << QPoint(0, -240) << false << false << true << WheelCommand{0, 120, 0};
    QTest::newRow("shift turns it sideways")
        << QPoint(0, -120) << false << true << true << WheelCommand{60, 0, 0};
    QTest::newRow("a sideways wheel scrolls sideways")
        << QPoint(120, 0) << false << false << true << WheelCommand{-60, 0, 0};
    QTest::newRow("an image that fits does not scroll")
        << QPoint(0, -120) << false << false << false << WheelCommand{};
    QTest::newRow("ctrl away zooms in a step per notch")
        << QPoint(0, 240) << true << false << false << WheelCommand{0, 0, 2};
    QTest::newRow("ctrl towards zooms out, large image too")
        << QPoint(0, -120) << true << false << true << WheelCommand{0, 0, -1};
    QTest::newRow("ctrl with shift still zooms")
        << QPoint(0, 120) << true << true << true << WheelCommand{0, 0, 1};
}

void ViewerLogicTest::wheelScrollsALargeImageAndCtrlZooms() {
    QFETCH(QPoint, delta);
    QFETCH(bool, control);
    QFETCH(bool, shift);
    QFETCH(bool, large);
    QFETCH(WheelCommand, command);
    WheelMapper wheel;
    const WheelCommand got = wheel.map(delta, control, shift, large);
    QCOMPARE(got.scrollX, command.scrollX);
    QCOMPARE(got.scrollY, command.scrollY);
    QCOMPARE(got.zoomSteps, command.zoomSteps);
}

void ViewerLogicTest::partsOfANotchAddUp() {
    // A touchpad's small steps: four of 30 make one notch, and one zoom step.
    WheelMapper wheel;
    int steps = 0;
    for (int i = 0; i < 4; ++i)
        steps += wheel.map(QPoint(0, 30), true, false, false).zoomSteps;
    QCOMPARE(steps, 1);
    // A leftover does not swallow the first notch the other way.
    QCOMPARE(wheel.map(QPoint(0, 90), true, false, false).zoomSteps, 0);
    QCOMPARE(wheel.map(QPoint(0, -120), true, false, false).zoomSteps, -1);
    int scrolled = 0;
    for (int i = 0; i < 8; ++i)
        scrolled += wheel.map(QPoint(0, -15), false, false, true).scrollY;
    QCOMPARE(scrolled, 60);
}

void ViewerLogicTest::slideShowDelayIsParsed_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected");  // -1: refused
    QTest::newRow("plain") << "1500" << 1500;
    QTest::newRow("half rounds to even down") << "1500.5" << 1500;
    QTest::newRow("2.5 to 2") << "2.5" << 2;
    QTest::newRow("3.5 to 4") << "3.5" << 4;
    QTest::newRow("exponent") << "1e3" << 1000;
    QTest::newRow("blanks around") << " 250 " << 250;
    QTest::newRow("zero is accepted") << "0" << 0;
    QTest::newRow("highest") << "32767" << 32767;
    QTest::newRow("above the 16-bit range") << "32768" << -1;
    QTest::newRow("negative") << "-5" << -1;
    QTest::newRow("empty (Cancel)") << "" << -1;
    QTest::newRow("words") << "fast" << -1;
    QTest::newRow("number with text") << "12ms" << -1;
}

void ViewerLogicTest::slideShowDelayIsParsed() {
    QFETCH(QString, text);
    QFETCH(int, expected);
    QCOMPARE(ParseSlideShowDelay(text).value_or(-1), expected);
}

void ViewerLogicTest::titleNamesFileAndVersion() {
    // The version is 1.1, as the About box's "Version 1.1.0.0" says.
    QCOMPARE(ViewerTitle(QStringLiteral("/pictures/photo.jpg")),
             QStringLiteral("photo.jpg- Lorvane 1.1"));
}

void ViewerLogicTest::fileSizeTexts_data() {
    QTest::addColumn<double>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("0") << 0.0 << "0 Bytes";
    QTest::newRow("1023") << 1023.0 << "1023 Bytes";
    QTest::newRow("1024") << 1024.0 << "1. KB";
    QTest::newRow("1536") << 1536.0 << "1.5 KB";
    QTest::newRow("2048") << 2048.0 << "2. KB";
    QTest::newRow("1 MB less a byte") << 1048575.0 << "1024. KB";
    QTest::newRow("1048576") << 1048576.0 << "1. MB";
    QTest::newRow("2.25 MB rounds up") << 2.25 * 1048576 << "2.3 MB";
    QTest::newRow("5.97 MB") << 6260000.0 << "6. MB";
}

void ViewerLogicTest::fileSizeTexts() {
    QFETCH(double, bytes);
    QFETCH(QString, text);
    QCOMPARE(FormatFileSize(bytes), text);
}

void ViewerLogicTest::zoomPercentTexts_data() {
    QTest::addColumn<double>("zoom");
    QTest::addColumn<QString>("text");
    QTest::newRow("100") << 1.0 << "100 %";
    QTest::newRow("33") << 0.333 << "33 %";
    QTest::newRow("below half a percent") << 0.004 << " %";
    QTest::newRow("1819") << std::pow(1.25, 13) << "1819 %";
}

void ViewerLogicTest::zoomPercentTexts() {
    QFETCH(double, zoom);
    QFETCH(QString, text);
    QCOMPARE(FormatZoomPercent(zoom), text);
}

void ViewerLogicTest::statusPanelsForDecodedAndPictureLoaderFiles_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("panel2");
    QTest::addColumn<QString>("panel4");
    QTest::newRow("decoded jpg") << "photo.JPG"
                                 << "decoded-name"
                                 << "800x600x24b JPG";
    QTest::newRow("ico goes by the list entry") << "icon.ico"
                                                << "icon.ico"
                                                << "";
    QTest::newRow("dib goes by the list entry") << "pic.dib"
                                                << "pic.dib"
                                                << "";
    QTest::newRow("cur takes the decoded branch") << "arrow.cur"
                                                  << "decoded-name"
                                                  << "800x600x24b cur";
}

void ViewerLogicTest::statusPanelsForDecodedAndPictureLoaderFiles() {
    QFETCH(QString, name);
    QFETCH(QString, panel2);
    QFETCH(QString, panel4);
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(1536, 'x'));
    file.close();

    StatusBarInput input;
    input.position = 3;
    input.count = 12;
    input.path = path;
    input.shortName = QStringLiteral("decoded-name");
    input.decodedFileName = path;
    input.width = 800;
    input.height = 600;
    input.bitsPerPixel = 24;
    input.zoom = 1.0;
    QStringList panels;
    QVERIFY(FillStatusPanels(input, panels, [](const QString& p) -> qint64 {
        return QFileInfo::exists(p) ? QFileInfo(p).size() : -1;
    }));
    QCOMPARE(panels, (QStringList{"3/12", panel2, "1.5 KB", panel4, "100 %"}));
}

void ViewerLogicTest::statusRefreshStopsAtAVanishedFile() {
    StatusBarInput input;
    input.position = 1;
    input.count = 2;
    input.path = QStringLiteral("/nowhere/gone.jpg");
    input.decodedFileName = input.path;
    input.shortName = QStringLiteral("gone.jpg");
    QStringList panels{"old1", "old2", "old3", "old4", "old5"};
    QVERIFY(!FillStatusPanels(input, panels, [](const QString&) -> qint64 { return -1; }));
    QCOMPARE(panels, (QStringList{"1/2", "gone.jpg", "old3", "old4", "old5"}));
}

QTEST_GUILESS_MAIN(ViewerLogicTest)
#include "tst_viewer_logic.moc"
