#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <Magick++.h>

#include "FormatSamples.h"
#include "TestImages.h"
#include "components/EmfDecoder.h"
#include "components/ImageCodecs.h"
#include "components/ImageDocument.h"

using namespace lorvane;
namespace ti = testimages;
namespace fs = formatsamples;

namespace {

// A black-and-white PCX of 10 x 2 pixels, two bytes a line: 0x80 0xC0, then 0xC0 0x00, so the
// lines read 1000000011 and 1100000000. `palette01` is the header palette's first two entries
// (six bytes). `runAcrossLines` codes the two middle 0xC0 bytes as one run that crosses the end
// of the first line, as some writers do.
QByteArray monoPcx(const QByteArray& palette01, bool runAcrossLines = false) {
    QByteArray out(128, '\0');
    out[0] = char(0x0A);
    out[1] = char(5);
    out[2] = char(1);
    out[3] = char(1);
    out[8] = char(9);   // xmax
    out[10] = char(1);  // ymax
    out.replace(16, 6, palette01);
    out[65] = char(1);  // planes
    out[66] = char(2);  // bytes per line
    const QByteArray data = runAcrossLines ? QByteArray::fromHex("c180c2c0c100")
                                           : QByteArray::fromHex("c180c1c0c1c0c100");
    return out + data;
}

// What monoPcx shows with these two colours.
QImage monoPcxPicture(QRgb zero, QRgb one) {
    const char* lines[] = {"1000000011", "1100000000"};
    QImage image(10, 2, QImage::Format_RGB32);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 10; ++x)
            image.setPixel(x, y, lines[y][x] == '1' ? one : zero);
    }
    return image;
}

// The largest difference of any channel of any pixel; images of different sizes differ by 256.
int maxDifference(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) {
        return 256;
    }
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    int worst = 0;
    for (int row = 0; row < x.height(); ++row) {
        for (int col = 0; col < x.width(); ++col) {
            const QRgb p = x.pixel(col, row);
            const QRgb q = y.pixel(col, row);
            worst = std::max({worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                              std::abs(qBlue(p) - qBlue(q))});
        }
    }
    return worst;
}

// The largest side Debian's ImageMagick policy (policy.xml) lets any of its tools or coders touch.
constexpr int kMagickPolicySide = 16000;

// Runs an outside program set up by setup.sh; its absence is a failure, not a skip, so that a
// machine without it cannot pass silently.
QString runTool(const QString& program, const QStringList& arguments, bool* ok) {
    *ok = false;
    if (QStandardPaths::findExecutable(program).isEmpty()) {
        return program + QStringLiteral(" is not installed (setup.sh installs it)");
    }
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0) {
        return QString::fromLocal8Bit(process.readAllStandardError());
    }
    *ok = true;
    return QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
}

}  // namespace

class FormatsTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QString write(const QString& name, const QByteArray& bytes) {
        const QString file = path(name);
        if (!ti::writeFile(file, bytes)) {
            qFatal("cannot write test file %s", qPrintable(file));
        }
        return file;
    }
    // A picture written by ImageMagick itself, for the variants only it makes here.
    QString writeWithMagick(const QString& name, const QImage& picture, const char* magick,
                            MagickCore::CompressionType compression, int depth,
                            MagickCore::ImageType type = MagickCore::TrueColorType) {
        const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
        Magick::Image image(size_t(rgb.width()), size_t(rgb.height()), "BGRP", Magick::CharPixel,
                            rgb.constBits());
        image.type(type);
        image.depth(size_t(depth));
        image.compressType(compression);
        image.magick(magick);
        const QString file = path(name);
        image.write(file.toStdString());
        return file;
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        Magick::InitializeMagick(nullptr);
    }

    void savedFilesReadBackWithTheirSizeAndPixels_data();
    void savedFilesReadBackWithTheirSizeAndPixels();
    void readsFilesBuiltByteByByte_data();
    void readsFilesBuiltByteByByte();
    void monochromePcxTakesItsColoursFromThePalette_data();
    void monochromePcxTakesItsColoursFromThePalette();
    void damagedMonochromePcxIsRefused_data();
    void damagedMonochromePcxIsRefused();
    void readsVariantsOtherWritersMake_data();
    void readsVariantsOtherWritersMake();
    void iconsListEveryEntryLargestFirst();
    void metafilesOfBothKindsDecodeInOneProcess();
    void failedSaveLeavesTheTargetAlone();
    void savingReplacesAnExistingFileWhole();
    void refusesOversizedAndUndecodableFiles_data();
    void refusesOversizedAndUndecodableFiles();
    void damagedFilesEndInAPictureOrAReason();
    void fuzzRegressionsEndCleanly();
};

void FormatsTest::savedFilesReadBackWithTheirSizeAndPixels_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<int>("tolerance");  // per channel; 0 = lossless; -1 = quadrant centres only
    QTest::addColumn<bool>("mono");      // compare against the black-and-white picture

    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("refused");

    struct Writer {
        const char* name;
        int code;
        const char* suffix;
        int tolerance;
        bool mono;
    };
    const Writer writers[] = {
        {"jpeg", 1, "jpg", -1, false}, {"png", 2, "png", 0, false}, {"tiff", 3, "tif", 0, false},
        {"pcx", 4, "pcx", 0, false},   {"tga", 5, "tga", 0, false}, {"bmp", 6, "bmp", 0, false},
        {"wmf", 7, "wmf", 0, false},   {"emf", 8, "emf", 2, false}, {"psd", 9, "psd", 0, false},
        {"wbmp", 10, "wbmp", 0, true},
    };
    // An odd size, so that row padding and rounding show, and sides either side of the points
    // where a field or a run needs one more byte (WBMP's seven-bit groups, PackBits, RLE runs).
    const QSize sizes[] = {{41, 27}, {127, 129}, {128, 128}, {16384, 1}};
    for (const Writer& writer : writers) {
        for (QSize size : sizes) {
            // WMF is read back through ImageMagick, which stops at the policy's side. An EMF
            // that wide does not come back through libemf2svg and Qt SVG, a fault of that
            // reader kept apart from this table of writers.
            if (size.width() > kMagickPolicySide) {
                if (writer.code == 8) {
                    continue;
                }
                if (writer.code == 7) {
                    size.setWidth(kMagickPolicySide);
                }
            }
            // ImageMagick, behind the PCX, TGA and PSD writers, stops at Debian's policy of
            // 16000 pixels a side: those refuse with a reason instead.
            const bool refused = size.width() > kMagickPolicySide &&
                                 (writer.code == 4 || writer.code == 5 || writer.code == 9);
            QTest::addRow("%d %s %dx%d", writer.code, writer.name, size.width(), size.height())
                << writer.code << writer.suffix << writer.tolerance << writer.mono << size
                << refused;
        }
    }
}

void FormatsTest::savedFilesReadBackWithTheirSizeAndPixels() {
    QFETCH(int, code);
    QFETCH(QString, suffix);
    QFETCH(int, tolerance);
    QFETCH(bool, mono);
    QFETCH(QSize, size);
    QFETCH(bool, refused);

    const QImage picture = ti::quadrants(size.width(), size.height());
    ImageDocument document;
    document.LoadFromPicture(picture);
    const QString file = path(QStringLiteral("saved%1-%2x%3.%4")
                                  .arg(code)
                                  .arg(size.width())
                                  .arg(size.height())
                                  .arg(suffix));
    const SaveResult saved = document.SaveFile(file, code, 0, true);
    if (refused) {
        QVERIFY(!saved.ok);
        QVERIFY(!saved.reason.isEmpty());
        QVERIFY(!QFileInfo::exists(file));
        return;
    }
    QVERIFY2(saved.ok, qPrintable(saved.reason));

    const DecodedImage decoded = DecodeImageFile(file);
    QVERIFY2(decoded.ok(), qPrintable(decoded.reason));
    QCOMPARE(int(decoded.format), code);
    QCOMPARE(decoded.frames.first().size(), picture.size());
    const QImage expected =
        mono ? picture.convertToFormat(QImage::Format_Mono).convertToFormat(QImage::Format_RGB32)
             : picture;
    if (tolerance >= 0) {
        const int difference = maxDifference(decoded.frames.first(), expected);
        QVERIFY2(difference <= tolerance, qPrintable(QString::number(difference)));
    } else {
        // Lossy: edges blur, but each quadrant keeps its colour.
        const int w = size.width();
        const int h = size.height();
        for (const QPoint centre : {QPoint(w / 4, h / 4), QPoint(3 * w / 4, h / 4),
                                    QPoint(w / 4, 3 * h / 4), QPoint(3 * w / 4, 3 * h / 4)}) {
            const QRgb got = decoded.frames.first().pixel(centre);
            const QRgb want = expected.pixel(centre);
            QVERIFY(std::abs(qRed(got) - qRed(want)) < 24 &&
                    std::abs(qGreen(got) - qGreen(want)) < 24 &&
                    std::abs(qBlue(got) - qBlue(want)) < 24);
        }
    }

    // And through a reader that is not ours, where its policy lets it read the size.
    if (std::max(size.width(), size.height()) > kMagickPolicySide) {
        return;
    }
    bool ran = false;
    if (code == int(ImageFormat::Emf)) {
        // ImageMagick has no EMF reader on Linux; libemf2svg's converter states the size.
        const QString svg = path(QStringLiteral("saved%1.svg").arg(code));
        const QString message =
            runTool(QStringLiteral("emf2svg-conv"), {"-i", file, "-o", svg}, &ran);
        QVERIFY2(ran, qPrintable(message));
        QFile out(svg);
        QVERIFY(out.open(QIODevice::ReadOnly));
        const QByteArray text = out.readAll();
        // The embedded bitmap at full size. (The drawing's own size comes out one pixel short:
        // libemf2svg takes the header's inclusive bounds for exclusive ones.)
        const QByteArray image = QStringLiteral("<image width=\"%1.0000\" height=\"%2.0000\"")
                                     .arg(size.width())
                                     .arg(size.height())
                                     .toLatin1();
        QVERIFY2(text.contains(image), text.left(400));
    } else {
        // Metafiles are measured at the 96 DPI they are written for.
        QStringList arguments = {"-format", "%w %h\\n"};
        if (code == int(ImageFormat::Wmf)) {
            arguments.prepend(QStringLiteral("96"));
            arguments.prepend(QStringLiteral("-density"));
        }
        const QString output = runTool(QStringLiteral("identify"), arguments << file, &ran);
        QVERIFY2(ran, qPrintable(output));
        QCOMPARE(output.split(QLatin1Char('\n')).first(),
                 QStringLiteral("%1 %2").arg(size.width()).arg(size.height()));
    }
}

void FormatsTest::readsFilesBuiltByteByByte_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QImage>("expected");
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("bits");

    const QImage picture = ti::quadrants(37, 23);
    auto psdRow = [&](const char* name, fs::PsdMode mode, int depth, bool rle) {
        const int channels = mode == fs::PsdMode::Rgb ? 3 : mode == fs::PsdMode::Cmyk ? 4 : 1;
        QImage expected = picture;
        if (mode == fs::PsdMode::Grey) {
            // The builder's grey (qGray), not Qt's conversion, which weighs in linear light.
            for (int y = 0; y < expected.height(); ++y) {
                for (int x = 0; x < expected.width(); ++x) {
                    const int grey = qGray(picture.pixel(x, y));
                    expected.setPixel(x, y, qRgb(grey, grey, grey));
                }
            }
        }
        QTest::newRow(name) << write(QString::fromLatin1(name) + ".psd",
                                     fs::psd(picture, mode, depth, rle))
                            << expected << int(ImageFormat::Psd) << channels * depth;
    };
    psdRow("psd rgb 8 raw", fs::PsdMode::Rgb, 8, false);
    psdRow("psd rgb 8 rle", fs::PsdMode::Rgb, 8, true);
    psdRow("psd rgb 16 raw", fs::PsdMode::Rgb, 16, false);
    psdRow("psd grey 8 rle", fs::PsdMode::Grey, 8, true);
    psdRow("psd grey 16 raw", fs::PsdMode::Grey, 16, false);
    psdRow("psd indexed raw", fs::PsdMode::Indexed, 8, false);
    psdRow("psd indexed rle", fs::PsdMode::Indexed, 8, true);
    psdRow("psd cmyk 8 rle", fs::PsdMode::Cmyk, 8, true);
    psdRow("psd cmyk 16 raw", fs::PsdMode::Cmyk, 16, false);

    for (int bits : {1, 4, 8, 24}) {
        const QString name = QStringLiteral("pcx %1").arg(bits);
        const QImage expected = bits == 1   ? fs::toPalette(picture, 2)
                                : bits == 4 ? fs::toPalette(picture, 16)
                                            : picture;
        QTest::newRow(qPrintable(name)) << write(name + ".pcx", fs::pcx(picture, bits)) << expected
                                        << int(ImageFormat::Pcx) << bits;
    }
}

void FormatsTest::readsFilesBuiltByteByByte() {
    QFETCH(QString, file);
    QFETCH(QImage, expected);
    QFETCH(int, format);
    QFETCH(int, bits);

    const DecodedImage decoded = DecodeImageFile(file);
    QVERIFY2(decoded.ok(), qPrintable(decoded.reason));
    QCOMPARE(int(decoded.format), format);
    QCOMPARE(decoded.bitsPerPixel, bits);
    QCOMPARE(decoded.frames.size(), 1);
    QCOMPARE(decoded.frames.first().size(), expected.size());
    const int difference = maxDifference(decoded.frames.first(), expected);
    QVERIFY2(difference <= 1, qPrintable(QString::number(difference)));

    // The reduced decode (thumbnails) of a library-read type is a reduced copy of the same.
    const DecodedImage small = DecodeImageFile(file, QSize(8, 8));
    QVERIFY2(small.ok(), qPrintable(small.reason));
    QVERIFY(small.frames.first().width() >= 8 && small.frames.first().height() >= 8);
}

void FormatsTest::monochromePcxTakesItsColoursFromThePalette_data() {
    QTest::addColumn<QByteArray>("palette01");
    QTest::addColumn<bool>("runAcrossLines");
    QTest::addColumn<QRgb>("zero");
    QTest::addColumn<QRgb>("one");
    const QRgb black = qRgb(0, 0, 0);
    const QRgb white = qRgb(255, 255, 255);
    QTest::newRow("black and white")
        << QByteArray::fromHex("000000ffffff") << false << black << white;
    QTest::newRow("white and black: the palette holds")
        << QByteArray::fromHex("ffffff000000") << false << white << black;
    QTest::newRow("two colours") << QByteArray::fromHex("0000ffffff00") << false << qRgb(0, 0, 255)
                                 << qRgb(255, 255, 0);
    QTest::newRow("zero palette: black and white")
        << QByteArray(6, '\0') << false << black << white;
    QTest::newRow("a run across the end of a line")
        << QByteArray::fromHex("000000ffffff") << true << black << white;
}

void FormatsTest::monochromePcxTakesItsColoursFromThePalette() {
    QFETCH(QByteArray, palette01);
    QFETCH(bool, runAcrossLines);
    QFETCH(QRgb, zero);
    QFETCH(QRgb, one);
    const QString file = write(QStringLiteral("mono.pcx"), monoPcx(palette01, runAcrossLines));
    const DecodedImage decoded = DecodeImageFile(file);
    QVERIFY2(decoded.ok(), qPrintable(decoded.reason));
    QCOMPARE(decoded.format, ImageFormat::Pcx);
    QCOMPARE(decoded.bitsPerPixel, 1);
    QCOMPARE(maxDifference(decoded.frames.first(), monoPcxPicture(zero, one)), 0);
}

void FormatsTest::damagedMonochromePcxIsRefused_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reason");  // a word the reason must hold
    const QByteArray good = monoPcx(QByteArray::fromHex("000000ffffff"));
    QTest::newRow("data ends early") << good.left(good.size() - 3) << "early";
    QByteArray noWidth = good;
    noWidth[4] = char(20);  // xmin past xmax: the header reads as a huge width
    QTest::newRow("xmin past xmax") << noWidth << "large";
    QByteArray shortLines = good;
    shortLines[66] = char(1);
    QTest::newRow("lines shorter than the width") << shortLines << "shorter";
    QTest::newRow("nothing but empty runs")
        << good.left(128) + QByteArray(200000, char(0xC0)) << "early";
}

void FormatsTest::damagedMonochromePcxIsRefused() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    const DecodedImage decoded = DecodeImageFile(write(QStringLiteral("bad.pcx"), bytes));
    QVERIFY(!decoded.ok());
    QVERIFY2(decoded.reason.contains(reason), qPrintable(decoded.reason));
}

void FormatsTest::readsVariantsOtherWritersMake_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("format");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("frames");
    QTest::addColumn<int>("tolerance");  // -1: size only

    const QImage picture = ti::quadrants(33, 21);
    const QSize size = picture.size();
    using MagickCore::NoCompression;
    QTest::newRow("bmp os/2 header")
        << writeWithMagick("os2.bmp", picture, "BMP2", NoCompression, 8) << int(ImageFormat::Bmp)
        << size << 1 << 0;
    QTest::newRow("bmp rle8") << writeWithMagick("rle8.bmp", picture, "BMP3",
                                                 MagickCore::RLECompression, 8,
                                                 MagickCore::PaletteType)
                              << int(ImageFormat::Bmp) << size << 1 << 0;
    QTest::newRow("bmp 1 bit") << writeWithMagick("mono.bmp", fs::toPalette(picture, 2), "BMP",
                                                  NoCompression, 1, MagickCore::BilevelType)
                               << int(ImageFormat::Bmp) << size << 1 << -1;
    QTest::newRow("tiff lzw") << writeWithMagick("lzw.tif", picture, "TIFF",
                                                 MagickCore::LZWCompression, 8)
                              << int(ImageFormat::Tiff) << size << 1 << 0;
    QTest::newRow("tiff deflate") << writeWithMagick("zip.tif", picture, "TIFF",
                                                     MagickCore::ZipCompression, 8)
                                  << int(ImageFormat::Tiff) << size << 1 << 0;
    QTest::newRow("tiff 16 bit") << writeWithMagick("deep.tif", picture, "TIFF", NoCompression, 16)
                                 << int(ImageFormat::Tiff) << size << 1 << 1;
    {
        const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
        Magick::Image tiled(size_t(rgb.width()), size_t(rgb.height()), "BGRP", Magick::CharPixel,
                            rgb.constBits());
        tiled.defineValue("tiff", "tile-geometry", "16x16");
        tiled.compressType(MagickCore::LZWCompression);
        tiled.write(path("tiled.tif").toStdString());
        QTest::newRow("tiff tiled")
            << path("tiled.tif") << int(ImageFormat::Tiff) << size << 1 << 0;
        std::vector<Magick::Image> pages(3, tiled);
        Magick::writeImages(pages.begin(), pages.end(), path("pages.tif").toStdString());
        QTest::newRow("tiff three tiled pages")
            << path("pages.tif") << int(ImageFormat::Tiff) << size << 3 << 0;
    }
    // Photo CD stores a fixed ladder of sizes; the base one is 768 x 512.
    QTest::newRow("pcd base resolution")
        << writeWithMagick("photo.pcd", picture, "PCD", NoCompression, 8) << int(ImageFormat::Pcd)
        << QSize(768, 512) << 1 << -1;
}

void FormatsTest::readsVariantsOtherWritersMake() {
    QFETCH(QString, file);
    QFETCH(int, format);
    QFETCH(QSize, size);
    QFETCH(int, frames);
    QFETCH(int, tolerance);

    const DecodedImage decoded = DecodeImageFile(file);
    QVERIFY2(decoded.ok(), qPrintable(decoded.reason));
    QCOMPARE(int(decoded.format), format);
    QCOMPARE(decoded.frames.size(), frames);
    for (const QImage& frame : decoded.frames) {
        QCOMPARE(frame.size(), size);
        if (tolerance >= 0) {
            const int difference = maxDifference(frame, ti::quadrants(33, 21));
            QVERIFY2(difference <= tolerance, qPrintable(QString::number(difference)));
        }
    }
}

void FormatsTest::iconsListEveryEntryLargestFirst() {
    QImage small = ti::quadrants(16, 16, QImage::Format_ARGB32);
    QImage large = ti::quadrants(64, 64, QImage::Format_ARGB32);
    QImage middle = ti::quadrants(32, 32, QImage::Format_ARGB32);
    const QString file = write("png-entries.ico", fs::pngIcon({small, large, middle}));

    const DecodedImage decoded = DecodeImageFile(file);
    QVERIFY2(decoded.ok(), qPrintable(decoded.reason));
    QCOMPARE(int(decoded.format), int(ImageFormat::Ico));
    QCOMPARE(decoded.frames.size(), 3);
    QCOMPARE(decoded.frames[0].size(), QSize(64, 64));
    QCOMPARE(decoded.frames[1].size(), QSize(32, 32));
    QCOMPARE(decoded.frames[2].size(), QSize(16, 16));
    QCOMPARE(maxDifference(decoded.frames[0], large), 0);

    // A thumbnail is made from the largest entry too.
    const DecodedImage thumbnail = DecodeImageFile(file, QSize(20, 20));
    QVERIFY(thumbnail.ok());
    QCOMPARE(thumbnail.frames.size(), 1);
    QVERIFY(thumbnail.frames.first().width() >= 20);
}

void FormatsTest::metafilesOfBothKindsDecodeInOneProcess() {
    // libwmf (behind ImageMagick) and libuemf (behind libemf2svg) export the same symbol; with
    // both loaded carelessly the second kind read crashes the process. Both orders, twice.
    const QImage picture = ti::quadrants(24, 18);
    ImageDocument document;
    document.LoadFromPicture(picture);
    const QString emf = path("both.emf");
    const QString wmf = path("both.wmf");
    QVERIFY(document.SaveFile(emf, int(ImageFormat::Emf)).ok);
    QVERIFY(document.SaveFile(wmf, int(ImageFormat::Wmf)).ok);
    for (const QString& file : {emf, wmf, emf, wmf}) {
        const DecodedImage decoded = DecodeImageFile(file);
        QVERIFY2(decoded.ok(), qPrintable(file + QLatin1Char(' ') + decoded.reason));
        QVERIFY(maxDifference(decoded.frames.first(), picture) <= 2);
    }
}

void FormatsTest::failedSaveLeavesTheTargetAlone() {
    const QString target = write("keep.png", "the original bytes");
    ImageDocument document;
    QVERIFY(!document.SaveFile(target, 2).ok);  // nothing to save

    document.LoadFromPicture(QImage(40000, 1, QImage::Format_RGB32));
    const SaveResult tooWide = document.SaveFile(target, int(ImageFormat::Wmf));
    QVERIFY(!tooWide.ok);
    QVERIFY(!tooWide.reason.isEmpty());
    QVERIFY(!document.SaveFile(target, 0).ok);
    QVERIFY(!document.SaveFile(target, 11).ok);  // read-only formats have codes too

    QFile file(target);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("the original bytes"));
    // No temporary file stays behind.
    QCOMPARE(QDir(m_dir.path()).entryList({"keep*"}, QDir::Files), QStringList{"keep.png"});

    document.LoadFromPicture(ti::quadrants(4, 4));
    const SaveResult noFolder = document.SaveFile(path("no/such/folder/x.png"), 2);
    QVERIFY(!noFolder.ok);
    QVERIFY(!noFolder.reason.isEmpty());
}

void FormatsTest::savingReplacesAnExistingFileWhole() {
    const QString target = write("replace.bmp", QByteArray(100000, 'x'));
    ImageDocument document;
    document.LoadFromPicture(ti::quadrants(8, 6));
    QVERIFY(document.SaveFile(target, int(ImageFormat::Bmp)).ok);
    const DecodedImage decoded = DecodeImageFile(target);
    QVERIFY2(decoded.ok(), qPrintable(decoded.reason));
    QCOMPARE(decoded.frames.first().size(), QSize(8, 6));
    QVERIFY(QFileInfo(target).size() < 1000);
}

void FormatsTest::refusesOversizedAndUndecodableFiles_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("mentions");

    QByteArray widePsd = fs::psd(ti::quadrants(4, 4), fs::PsdMode::Rgb, 8, false);
    widePsd[18] = char(0x00);  // width 40000
    widePsd[19] = char(0x00);
    widePsd[20] = char(0x9C);
    widePsd[21] = char(0x40);
    QTest::newRow("psd 40000 wide") << write("wide.psd", widePsd) << "large";
    QByteArray widePcx = fs::pcx(ti::quadrants(4, 4), 24);
    widePcx[8] = char(0x40);  // xmax 40000
    widePcx[9] = char(0x9C);
    QTest::newRow("pcx 40001 wide") << write("wide.pcx", widePcx) << "large";
    ImageDocument document;
    document.LoadFromPicture(ti::quadrants(4, 4));
    QVERIFY(document.SaveFile(path("base.emf"), int(ImageFormat::Emf)).ok);
    QFile base(path("base.emf"));
    QVERIFY(base.open(QIODevice::ReadOnly));
    QByteArray hugeEmf = base.readAll();
    hugeEmf[34] = char(0x7F);  // frame right edge near 2^31 hundredths of a millimetre
    QTest::newRow("emf frame of kilometres") << write("huge.emf", hugeEmf) << "large";
    QVERIFY(document.SaveFile(path("base.wmf"), int(ImageFormat::Wmf)).ok);
    QFile wmfBase(path("base.wmf"));
    QVERIFY(wmfBase.open(QIODevice::ReadOnly));
    QByteArray hugeWmf = wmfBase.readAll();
    hugeWmf[10] = char(0x30);  // bounding box 30000 x 30000 at 96 units per inch
    hugeWmf[11] = char(0x75);
    hugeWmf[12] = char(0x30);
    hugeWmf[13] = char(0x75);
    quint16 checksum = 0;
    for (int i = 0; i < 10; ++i) {
        checksum ^= quint16(quint8(hugeWmf[2 * i]) | (quint8(hugeWmf[2 * i + 1]) << 8));
    }
    hugeWmf[20] = char(checksum & 0xFF);
    hugeWmf[21] = char(checksum >> 8);
    QTest::newRow("wmf of 30000 x 30000") << write("huge.wmf", hugeWmf) << "large";
    QTest::newRow("tla") << write("picture.tla", QByteArray("TLA\x01\x02\x03", 6)) << "TLA";
    QTest::newRow("psd header only")
        << write("short.psd", fs::psd(ti::quadrants(4, 4), fs::PsdMode::Rgb, 8, false).left(30))
        << "damaged";
}

void FormatsTest::refusesOversizedAndUndecodableFiles() {
    QFETCH(QString, file);
    QFETCH(QString, mentions);
    const DecodedImage decoded = DecodeImageFile(file);
    QVERIFY(!decoded.ok());
    QVERIFY(decoded.frames.isEmpty());
    QVERIFY2(decoded.reason.contains(mentions, Qt::CaseInsensitive), qPrintable(decoded.reason));
}

void FormatsTest::damagedFilesEndInAPictureOrAReason() {
    const QImage picture = ti::noise(30, 20);
    ImageDocument document;
    document.LoadFromPicture(picture);
    QVERIFY(document.SaveFile(path("d.wmf"), int(ImageFormat::Wmf)).ok);
    QVERIFY(document.SaveFile(path("d.emf"), int(ImageFormat::Emf)).ok);
    auto read = [this](const QString& name) {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    const QList<QPair<QString, QByteArray>> samples = {
        {"psd", fs::psd(picture, fs::PsdMode::Rgb, 8, true)},
        {"psd", fs::psd(picture, fs::PsdMode::Indexed, 8, false)},
        {"pcx", fs::pcx(picture, 8)},
        {"pcx", fs::pcx(picture, 4)},
        {"wmf", read("d.wmf")},
        {"emf", read("d.emf")},
    };
    QRandomGenerator random(11);
    int variant = 0;
    for (const auto& [suffix, bytes] : samples) {
        QVERIFY(!bytes.isEmpty());
        QList<QByteArray> damaged;
        for (int step = 1; step < 16; ++step) {
            damaged.append(bytes.left(bytes.size() * step / 16));
        }
        for (int flips = 0; flips < 24; ++flips) {
            QByteArray copy = bytes;
            // Most flips land in the headers, where lengths and counts live.
            for (int i = 0; i < 4; ++i) {
                const qsizetype at = random.bounded(std::min<qsizetype>(copy.size(), 160));
                copy[at] = char(random.bounded(256));
            }
            damaged.append(copy);
        }
        for (const QByteArray& copy : damaged) {
            const QString file =
                write(QStringLiteral("damaged%1.%2").arg(variant++).arg(suffix), copy);
            const DecodedImage decoded = DecodeImageFile(file);
            QVERIFY2(decoded.reason.isEmpty() != decoded.frames.isEmpty(), qPrintable(file));
        }
    }
}

void FormatsTest::fuzzRegressionsEndCleanly() {
    // Inputs that once crashed or hung a fuzz target, kept in a folder per target.
    const QDir root(QStringLiteral(LORVANE_FUZZ_REGRESSIONS_DIR));
    const QHash<QString, QString> suffixes = {{"fuzz_header", "tga"},
                                              {"fuzz_tga", "tga"},
                                              {"fuzz_emf", "emf"},
                                              {"fuzz_psd", "psd"},
                                              {"fuzz_pcx", "pcx"}};
    int replayed = 0;
    for (const QString& target : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QDir folder(root.filePath(target));
        for (const QString& name : folder.entryList(QDir::Files)) {
            QFile source(folder.filePath(name));
            QVERIFY(source.open(QIODevice::ReadOnly));
            const QString file = write(QStringLiteral("replay%1.%2")
                                           .arg(replayed++)
                                           .arg(suffixes.value(target, QStringLiteral("bin"))),
                                       source.readAll());
            const DecodedImage decoded = DecodeImageFile(file);
            QVERIFY2(decoded.reason.isEmpty() != decoded.frames.isEmpty(), qPrintable(name));
        }
    }
    if (replayed == 0) {
        QSKIP("no fuzz regression files kept");
    }
}

QTEST_MAIN(FormatsTest)
#include "tst_formats.moc"
