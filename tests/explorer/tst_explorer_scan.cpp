#include <QBuffer>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <QThreadPool>

#include "ExplorerSandbox.h"
#include "explorer/ExtensionLists.h"
#include "explorer/FolderListing.h"
#include "explorer/ScanPlan.h"
#include "explorer/SelectionRules.h"
#include "explorer/ThumbnailGeometry.h"
#include "explorer/ThumbnailMaker.h"
#include "explorer/ThumbnailPipeline.h"

namespace lorvane {

namespace {

const QString kExplorerList = NormalizedExtList(ExplorerExtensions);

QStringList NamesOf(const QList<ExplorerEntry>& entries) {
    QStringList names;
    for (const ExplorerEntry& entry : entries) {
        names.push_back((entry.isFolder ? QStringLiteral("[") : QString()) +
                        entry.path.mid(entry.path.lastIndexOf(QLatin1Char('/')) + 1) +
                        (entry.isFolder ? QStringLiteral("]") : QString()));
    }
    return names;
}

bool IsWhite(QRgb pixel) {
    return qRed(pixel) > 250 && qGreen(pixel) > 250 && qBlue(pixel) > 250;
}

bool IsNear(QRgb pixel, QColor colour) {
    return std::abs(qRed(pixel) - colour.red()) < 12 &&
           std::abs(qGreen(pixel) - colour.green()) < 12 &&
           std::abs(qBlue(pixel) - colour.blue()) < 12;
}

}  // namespace

class TestExplorerScan : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void roundingTakesHalvesToEven_data();
    void roundingTakesHalvesToEven();
    void thumbnailGeometryFollowsTheRatioRule_data();
    void thumbnailGeometryFollowsTheRatioRule();

    void thumbnailIsMadeAtItsFinalSize_data();
    void thumbnailIsMadeAtItsFinalSize();
    void palettedImageKeepsItsColoursWhenReduced_data();
    void palettedImageKeepsItsColoursWhenReduced();
    void orientationTagTurnsTheThumbnail();
    void iconKeepsItsPictureAsLoaded();
    void undecodableFileGivesReasonAndMissingFileCountsAsVanished();

    void planListsFoldersFirstThenImagesInNameOrder();
    void planOfMissingFolderIsEmptyAndTrailingSeparatorChangesNothing();

    void pipelineHandsOutEveryThumbnailByPosition();
    void pipelineMakesNoMoreThanItsWindowAhead();
    void cancelledPipelineDeliversNothing();

    void keyReleaseRules_data();
    void keyReleaseRules();
    void mouseReleaseRules_data();
    void mouseReleaseRules();
    void deleteIsPermanentOnlyWithShift();
    void removalPlan_data();
    void removalPlan();
};

void TestExplorerScan::roundingTakesHalvesToEven_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("expected");
    QTest::newRow("46.5 down") << 46.5 << 46;
    QTest::newRow("47.5 up") << 47.5 << 48;
    QTest::newRow("46.67 nearest") << 46.67 << 47;
    QTest::newRow("0.5 to zero") << 0.5 << 0;
    QTest::newRow("-2.5 to even") << -2.5 << -2;
}

void TestExplorerScan::roundingTakesHalvesToEven() {
    QFETCH(double, value);
    QFETCH(int, expected);
    QCOMPARE(RoundHalfEven(value), expected);
}

void TestExplorerScan::thumbnailGeometryFollowsTheRatioRule_data() {
    QTest::addColumn<QSize>("image");
    QTest::addColumn<QSize>("scaled");
    QTest::addColumn<QSize>("canvas");
    QTest::addColumn<QPoint>("offset");

    const QSize square(140, 140);
    QTest::newRow("400x300 ratio 1.33: no canvas")
        << QSize(400, 300) << QSize(140, 105) << QSize(140, 105) << QPoint(0, 0);
    QTest::newRow("300x400 portrait: taller than 140")
        << QSize(300, 400) << QSize(140, 187) << QSize(140, 187) << QPoint(0, 0);
    QTest::newRow("300x100 ratio 3: y 46.5 to 46")
        << QSize(300, 100) << QSize(140, 47) << square << QPoint(0, 46);
    QTest::newRow("100x300 tall: 46.67 wide at x 46")
        << QSize(100, 300) << QSize(47, 140) << square << QPoint(46, 0);
    QTest::newRow("180x100 ratio exactly 1.8 takes the canvas")
        << QSize(180, 100) << QSize(140, 78) << square << QPoint(0, 31);
    QTest::newRow("179x100 just below 1.8")
        << QSize(179, 100) << QSize(140, 78) << QSize(140, 78) << QPoint(0, 0);
    QTest::newRow("100x180 tall at exactly 1.8")
        << QSize(100, 180) << QSize(78, 140) << square << QPoint(31, 0);
    QTest::newRow("100x179 portrait just below 1.8")
        << QSize(100, 179) << QSize(140, 251) << QSize(140, 251) << QPoint(0, 0);
    QTest::newRow("square") << QSize(50, 50) << square << square << QPoint(0, 0);
    QTest::newRow("10000x1 strip keeps one pixel")
        << QSize(10000, 1) << QSize(140, 1) << square << QPoint(0, 70);
    QTest::newRow("large panorama beyond 16 bits")
        << QSize(40000, 2000) << QSize(140, 7) << square << QPoint(0, 66);
    QTest::newRow("empty") << QSize(0, 10) << QSize() << QSize() << QPoint(0, 0);
}

void TestExplorerScan::thumbnailGeometryFollowsTheRatioRule() {
    QFETCH(QSize, image);
    QFETCH(QSize, scaled);
    QFETCH(QSize, canvas);
    QFETCH(QPoint, offset);
    const ThumbnailGeometry geometry = ThumbnailGeometryFor(image);
    QCOMPARE(geometry.scaledSize, scaled);
    QCOMPARE(geometry.canvasSize, canvas);
    QCOMPARE(geometry.offset, offset);
    QCOMPARE(geometry.hasCanvas, canvas == QSize(140, 140) && scaled != canvas);
}

void TestExplorerScan::thumbnailIsMadeAtItsFinalSize_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("image");
    QTest::addColumn<QSize>("thumbnail");
    QTest::addColumn<QPoint>("whiteAt");  // a canvas pixel, or (-1,-1) without canvas

    QTest::newRow("png 400x300") << "a.png" << QSize(400, 300) << QSize(140, 105) << QPoint(-1, -1);
    QTest::newRow("bmp 300x100 on canvas")
        << "b.bmp" << QSize(300, 100) << QSize(140, 140) << QPoint(70, 10);
    QTest::newRow("tif 100x300 on canvas")
        << "c.tif" << QSize(100, 300) << QSize(140, 140) << QPoint(10, 70);
    // Large enough for the decoder to scale in the DCT (1/8 still covers 140 x 105).
    QTest::newRow("jpg 1600x1200 reduced decode")
        << "d.jpg" << QSize(1600, 1200) << QSize(140, 105) << QPoint(-1, -1);
    QTest::newRow("jpg 1200x1600 portrait")
        << "e.jpg" << QSize(1200, 1600) << QSize(140, 187) << QPoint(-1, -1);
    QTest::newRow("tiny png enlarged to 140")
        << "f.tif" << QSize(20, 15) << QSize(140, 105) << QPoint(-1, -1);
}

void TestExplorerScan::thumbnailIsMadeAtItsFinalSize() {
    QFETCH(QString, name);
    QFETCH(QSize, image);
    QFETCH(QSize, thumbnail);
    QFETCH(QPoint, whiteAt);
    ExplorerSandbox sandbox;
    const QColor colour(200, 40, 30);
    const QString file = sandbox.addImage(name, image, colour);

    const Thumbnail made = MakeThumbnail(file);
    QVERIFY2(made.ok(), qPrintable(made.reason));
    QCOMPARE(made.picture.size(), thumbnail);
    QVERIFY(!made.picture.hasAlphaChannel());
    const QPoint centre(thumbnail.width() / 2, thumbnail.height() / 2);
    QVERIFY(IsNear(made.picture.pixel(centre), colour));
    if (whiteAt != QPoint(-1, -1)) {
        QVERIFY(IsWhite(made.picture.pixel(whiteAt)));
    }
}

void TestExplorerScan::palettedImageKeepsItsColoursWhenReduced_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("bits");  // the depth the file must store
    QTest::addColumn<QSize>("image");
    QTest::addColumn<bool>("magick");  // written by ImageMagick, else by Qt

    // Qt writes every palette PNG at 8 bits; ImageMagick writes what it is told.
    QTest::newRow("magick png 1-bit 400x300") << "p1.png" << 1 << QSize(400, 300) << true;
    QTest::newRow("magick png 2-bit 400x300") << "p2.png" << 2 << QSize(400, 300) << true;
    QTest::newRow("magick png 4-bit 400x300") << "p4.png" << 4 << QSize(400, 300) << true;
    QTest::newRow("magick bmp 1-bit 600x450") << "m1.bmp" << 1 << QSize(600, 450) << true;
    QTest::newRow("qt png 1-bit 1000x3000 on canvas")
        << "tall.png" << 1 << QSize(1000, 3000) << false;
    QTest::newRow("qt png 8-bit 400x300") << "p8.png" << 8 << QSize(400, 300) << false;
    QTest::newRow("qt bmp 1-bit 600x450") << "b1.bmp" << 1 << QSize(600, 450) << false;
    QTest::newRow("qt bmp 4-bit 600x450") << "b4.bmp" << 4 << QSize(600, 450) << false;
    QTest::newRow("qt bmp 8-bit 600x450") << "b8.bmp" << 8 << QSize(600, 450) << false;
}

void TestExplorerScan::palettedImageKeepsItsColoursWhenReduced() {
    QFETCH(QString, name);
    QFETCH(int, bits);
    QFETCH(QSize, image);
    QFETCH(bool, magick);
    const QColor colour(0, 40, 200);
    ExplorerSandbox sandbox;
    const QString file = sandbox.pathOf(name);
    const bool png = name.endsWith(QLatin1String(".png"));
    if (magick) {
        QProcess convert;
        QStringList arguments{QStringLiteral("-size"),
                              QStringLiteral("%1x%2").arg(image.width()).arg(image.height()),
                              QStringLiteral("xc:rgb(0,40,200)")};
        if (png) {
            arguments << QStringLiteral("-define") << QStringLiteral("png:color-type=3")
                      << QStringLiteral("-define") << QStringLiteral("png:bit-depth=%1").arg(bits)
                      << file;
        } else {
            arguments << QStringLiteral("-type") << QStringLiteral("palette")
                      << QStringLiteral("BMP3:") + file;
        }
        convert.start(QStringLiteral("convert"), arguments);
        QVERIFY2(convert.waitForFinished(30000) && convert.exitCode() == 0,
                 "convert (ImageMagick, which setup.sh installs) failed");
    } else {
        // A palette of colours only (neither black nor white), the picture in one of them.
        const int colours = 1 << bits;
        QImage picture(image, bits == 1 ? QImage::Format_Mono : QImage::Format_Indexed8);
        QList<QRgb> palette;
        for (int i = 0; i < colours; ++i) {
            palette.append(qRgb(200 - (i * 7) % 150, 40 + (i * 13) % 100, 30 + (i * 29) % 170));
        }
        palette[colours - 1] = colour.rgb();
        picture.setColorTable(palette);
        picture.fill(uint(colours - 1));
        QVERIFY(picture.save(file));
    }
    QFile written(file);
    QVERIFY(written.open(QIODevice::ReadOnly));
    const QByteArray head = written.read(32);
    QCOMPARE(int(uchar(head.at(png ? 24 : 28))), bits);

    const Thumbnail made = MakeThumbnail(file);
    QVERIFY2(made.ok(), qPrintable(made.reason));
    const ThumbnailGeometry geometry = ThumbnailGeometryFor(image);
    QCOMPARE(made.picture.size(), geometry.canvasSize);
    for (int y = 0; y < geometry.scaledSize.height(); ++y) {
        for (int x = 0; x < geometry.scaledSize.width(); ++x) {
            const QRgb pixel = made.picture.pixel(geometry.offset + QPoint(x, y));
            QVERIFY2(IsNear(pixel, colour),
                     qPrintable(QStringLiteral("(%1, %2) is %3").arg(x).arg(y).arg(pixel, 8, 16)));
        }
    }
}

void TestExplorerScan::orientationTagTurnsTheThumbnail() {
    ExplorerSandbox sandbox;
    // A landscape picture whose EXIF tag says "turn a quarter clockwise" (orientation 6): left
    // half red, right half blue, so the turned picture is red on top.
    QImage picture(800, 600, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width() / 2; ++x) {
            picture.setPixelColor(x, y, Qt::red);
        }
    }
    QByteArray jpeg;
    {
        QBuffer buffer(&jpeg);
        buffer.open(QIODevice::WriteOnly);
        QVERIFY(picture.save(&buffer, "jpg"));
    }
    const QByteArray tiff(
        "II*\0\x08\0\0\0"                     // little endian, IFD at 8
        "\x01\0"                              // one entry
        "\x12\x01\x03\0\x01\0\0\0\x06\0\0\0"  // orientation, SHORT, 6
        "\0\0\0\0",                           // no next IFD
        26);
    const QByteArray payload = QByteArray("Exif\0\0", 6) + tiff;
    QByteArray app1("\xFF\xE1", 2);
    app1.append(char((payload.size() + 2) >> 8)).append(char((payload.size() + 2) & 0xFF));
    jpeg.insert(2, app1 + payload);
    const QString file = sandbox.addFile(QStringLiteral("turned.jpg"), jpeg);

    const Thumbnail made = MakeThumbnail(file);
    QVERIFY2(made.ok(), qPrintable(made.reason));
    QCOMPARE(made.picture.size(), QSize(140, 187));
    QVERIFY(IsNear(made.picture.pixel(70, 20), Qt::red));
    QVERIFY(IsNear(made.picture.pixel(70, 166), Qt::blue));
}

void TestExplorerScan::iconKeepsItsPictureAsLoaded() {
    ExplorerSandbox sandbox;
    const Thumbnail small = MakeThumbnail(sandbox.addIcon(QStringLiteral("small.ico"), 48));
    QVERIFY2(small.ok(), qPrintable(small.reason));
    QCOMPARE(small.picture.size(), QSize(48, 48));
    QVERIFY(small.picture.hasAlphaChannel());
    QCOMPARE(qAlpha(small.picture.pixel(0, 0)), 0);

    // Larger than the cell shows: kept at the size the cell shows it, not at full size.
    const Thumbnail large = MakeThumbnail(sandbox.addIcon(QStringLiteral("large.ico"), 256));
    QVERIFY2(large.ok(), qPrintable(large.reason));
    QCOMPARE(large.picture.size(), QSize(140, 140));
}

void TestExplorerScan::undecodableFileGivesReasonAndMissingFileCountsAsVanished() {
    ExplorerSandbox sandbox;
    const Thumbnail corrupt = MakeThumbnail(sandbox.addCorrupt(QStringLiteral("bad.jpg")));
    QVERIFY(!corrupt.ok());
    QVERIFY(!corrupt.vanished);
    QVERIFY(!corrupt.reason.isEmpty());

    const Thumbnail empty = MakeThumbnail(sandbox.addFile(QStringLiteral("empty.png")));
    QVERIFY(!empty.ok());
    QVERIFY(!empty.vanished);

    const Thumbnail missing = MakeThumbnail(sandbox.pathOf(QStringLiteral("gone.png")));
    QVERIFY(!missing.ok());
    QVERIFY(missing.vanished);
}

void TestExplorerScan::planListsFoldersFirstThenImagesInNameOrder() {
    ExplorerSandbox sandbox;
    for (const char* name : {"img10.jpg", "img2.JPG", "Img1.png", ".hidden.gif", "notes.txt",
                             "photo.jpeg", "scan.tif"}) {
        sandbox.addFile(QLatin1String(name), "x");
    }
    for (const char* name : {"x.jpg", "Beta", "alpha", "album10", "album9"}) {
        sandbox.addFolder(QLatin1String(name));
    }

    const QList<ExplorerEntry> plan = PlanScan(kExplorerList, sandbox.path());
    const QStringList expected{
        "[album9]",    "[album10]", "[alpha]",  "[Beta]",    "[x.jpg]",
        ".hidden.gif", "Img1.png",  "img2.JPG", "img10.jpg", "scan.tif",
    };
    QCOMPARE(NamesOf(plan), expected);
    QCOMPARE(plan.first().path, sandbox.pathOf(QStringLiteral("album9")));

    // The image items come in the order of the image list the viewer gets.
    QStringList files;
    for (const ExplorerEntry& entry : plan) {
        if (!entry.isFolder) {
            files.push_back(entry.path);
        }
    }
    QCOMPARE(files, GetImageList(kExplorerList, sandbox.path(), QStringLiteral("*.*")));
}

void TestExplorerScan::planOfMissingFolderIsEmptyAndTrailingSeparatorChangesNothing() {
    ExplorerSandbox sandbox;
    sandbox.addFile(QStringLiteral("a.jpg"), "x");
    sandbox.addFolder(QStringLiteral("sub"));
    QVERIFY(PlanScan(kExplorerList, sandbox.pathOf(QStringLiteral("missing"))).isEmpty());
    QVERIFY(PlanScan(QString(), sandbox.path()).size() == 1);  // folders need no extension
    const QList<ExplorerEntry> plain = PlanScan(kExplorerList, sandbox.path());
    QCOMPARE(PlanScan(kExplorerList, sandbox.path() + QLatin1Char('/')), plain);
    QCOMPARE(plain.last().path, sandbox.path() + QStringLiteral("/a.jpg"));
    QCOMPARE(FolderWithSeparator(QString()), QStringLiteral("/"));
}

void TestExplorerScan::pipelineHandsOutEveryThumbnailByPosition() {
    ExplorerSandbox sandbox;
    QStringList files;
    for (int i = 0; i < 7; ++i) {
        files.push_back(sandbox.addImage(QStringLiteral("p%1.png").arg(i), QSize(40 + i, 30)));
    }
    files.insert(3, sandbox.addCorrupt(QStringLiteral("bad.png")));
    QThreadPool pool;
    pool.setMaxThreadCount(2);
    ThumbnailPipeline pipeline(pool, files, 3);
    QSignalSpy ready(&pipeline, &ThumbnailPipeline::thumbnailReady);
    pipeline.start();

    for (int position = 0; position < files.size(); ++position) {
        QTRY_VERIFY_WITH_TIMEOUT(pipeline.isReady(position), 10000);
        const Thumbnail thumbnail = pipeline.take(position);
        QCOMPARE(thumbnail.ok(), position != 3);
        QVERIFY(!pipeline.isReady(position));
    }
    QTRY_COMPARE(ready.count(), int(files.size()));
}

void TestExplorerScan::pipelineMakesNoMoreThanItsWindowAhead() {
    ExplorerSandbox sandbox;
    QStringList files;
    for (int i = 0; i < 6; ++i) {
        files.push_back(sandbox.addImage(QStringLiteral("w%1.png").arg(i), QSize(30, 30)));
    }
    QThreadPool pool;
    pool.setMaxThreadCount(2);
    ThumbnailPipeline pipeline(pool, files, 2);
    pipeline.start();
    QVERIFY(pool.waitForDone(10000));
    QVERIFY(pipeline.isReady(0) && pipeline.isReady(1));
    QVERIFY(!pipeline.isReady(2));

    // Taking one makes room for exactly one more.
    pipeline.take(0);
    QVERIFY(pool.waitForDone(10000));
    QVERIFY(pipeline.isReady(2));
    QVERIFY(!pipeline.isReady(3));
}

void TestExplorerScan::cancelledPipelineDeliversNothing() {
    ExplorerSandbox sandbox;
    QStringList files;
    for (int i = 0; i < 4; ++i) {
        files.push_back(sandbox.addImage(QStringLiteral("c%1.png").arg(i), QSize(30, 30)));
    }
    QThreadPool pool;
    auto pipeline = std::make_unique<ThumbnailPipeline>(pool, files, 4);
    QSignalSpy ready(pipeline.get(), &ThumbnailPipeline::thumbnailReady);
    pipeline->start();
    pipeline->cancel();
    QVERIFY(pool.waitForDone(10000));
    QCoreApplication::processEvents();
    QCOMPARE(ready.count(), 0);
    QVERIFY(!pipeline->isReady(0));

    // Jobs still running when their pipeline goes away finish harmlessly.
    auto second = std::make_unique<ThumbnailPipeline>(pool, files, 4);
    second->start();
    second.reset();
    QVERIFY(pool.waitForDone(10000));
    QCoreApplication::processEvents();
}

void TestExplorerScan::keyReleaseRules_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<KeyReleaseAction>("expected");
    QTest::newRow("Control itself")
        << int(Qt::Key_Control) << Qt::KeyboardModifiers(Qt::ControlModifier)
        << KeyReleaseAction::Nothing;
    QTest::newRow("Control itself, no modifier left")
        << int(Qt::Key_Control) << Qt::KeyboardModifiers() << KeyReleaseAction::Nothing;
    QTest::newRow("Right with Control held")
        << int(Qt::Key_Right) << Qt::KeyboardModifiers(Qt::ControlModifier)
        << KeyReleaseAction::ReportSelected;
    QTest::newRow("keypad key with Control held")
        << int(Qt::Key_Right) << (Qt::ControlModifier | Qt::KeypadModifier)
        << KeyReleaseAction::ReportSelected;
    QTest::newRow("Right with Control and Shift held")
        << int(Qt::Key_Right) << (Qt::ControlModifier | Qt::ShiftModifier)
        << KeyReleaseAction::SelectAndReport;
    QTest::newRow("Right alone") << int(Qt::Key_Right) << Qt::KeyboardModifiers()
                                 << KeyReleaseAction::SelectAndReport;
    QTest::newRow("Shift itself") << int(Qt::Key_Shift) << Qt::KeyboardModifiers(Qt::ShiftModifier)
                                  << KeyReleaseAction::SelectAndReport;
    QTest::newRow("a letter") << int(Qt::Key_B) << Qt::KeyboardModifiers()
                              << KeyReleaseAction::SelectAndReport;
}

void TestExplorerScan::keyReleaseRules() {
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(KeyReleaseAction, expected);
    QCOMPARE(KeyReleaseActionFor(key, modifiers), expected);
}

void TestExplorerScan::mouseReleaseRules_data() {
    QTest::addColumn<bool>("hasItems");
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<bool>("overItem");
    QTest::addColumn<bool>("report");
    QTest::addColumn<bool>("menu");
    QTest::newRow("left on item") << true << Qt::LeftButton << true << true << false;
    QTest::newRow("left on empty space") << true << Qt::LeftButton << false << true << false;
    QTest::newRow("right on item") << true << Qt::RightButton << true << false << true;
    QTest::newRow("right on empty space") << true << Qt::RightButton << false << false << false;
    QTest::newRow("middle on item") << true << Qt::MiddleButton << true << false << false;
    QTest::newRow("empty list") << false << Qt::RightButton << true << false << false;
}

void TestExplorerScan::mouseReleaseRules() {
    QFETCH(bool, hasItems);
    QFETCH(Qt::MouseButton, button);
    QFETCH(bool, overItem);
    QFETCH(bool, report);
    QFETCH(bool, menu);
    const MouseReleaseAction action = MouseReleaseActionFor(hasItems, button, overItem);
    QCOMPARE(action.reportSelected, report);
    QCOMPARE(action.showMenu, menu);
}

void TestExplorerScan::deleteIsPermanentOnlyWithShift() {
    QCOMPARE(int(DeleteOperationFor(Qt::NoModifier)), 2);
    QCOMPARE(int(DeleteOperationFor(Qt::ShiftModifier)), 3);
    QCOMPARE(int(DeleteOperationFor(Qt::ShiftModifier | Qt::ControlModifier)), 3);
    QCOMPARE(int(DeleteOperationFor(Qt::ControlModifier)), 2);
}

void TestExplorerScan::removalPlan_data() {
    QTest::addColumn<int>("focused");
    QTest::addColumn<QList<int>>("goneSelected");
    QTest::addColumn<QList<int>>("rows");
    QTest::addColumn<int>("select");
    QTest::newRow("third of five") << 2 << QList<int>{} << QList<int>{2} << 1;
    QTest::newRow("first: nothing selected") << 0 << QList<int>{} << QList<int>{0} << -1;
    QTest::newRow("several gone, focused last")
        << 3 << QList<int>{1, 2} << QList<int>{1, 2, 3} << 0;
    QTest::newRow("several gone, focused first")
        << 1 << QList<int>{2, 4} << QList<int>{1, 2, 4} << 0;
    QTest::newRow("everything before the focused one gone")
        << 2 << QList<int>{0, 1} << QList<int>{0, 1, 2} << -1;
    QTest::newRow("focused listed twice") << 2 << QList<int>{2} << QList<int>{2} << 1;
    QTest::newRow("no focused item") << -1 << QList<int>{1} << QList<int>{} << -1;
}

void TestExplorerScan::removalPlan() {
    QFETCH(int, focused);
    QFETCH(QList<int>, goneSelected);
    QFETCH(QList<int>, rows);
    QFETCH(int, select);
    const RemovalPlan plan = PlanRemoval(focused, goneSelected);
    QCOMPARE(plan.rows, rows);
    QCOMPARE(plan.rowToSelect, select);
}

}  // namespace lorvane

QTEST_GUILESS_MAIN(lorvane::TestExplorerScan)
#include "tst_explorer_scan.moc"
