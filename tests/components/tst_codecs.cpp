#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QImageWriter>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <thread>

#include "TestImages.h"
#include "components/ImageCodecs.h"
#include "components/PictureLoader.h"

using namespace lorvane;
namespace ti = testimages;

class CodecsTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QString write(const QString& name, const QByteArray& bytes) {
        QString file = path(name);
        if (!ti::writeFile(file, bytes)) {
            qFatal("cannot write test file %s", qPrintable(file));
        }
        return file;
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void decodesEveryFrameWithFormatAndFileDepth_data();
    void decodesEveryFrameWithFormatAndFileDepth();
    void failsWithAReasonAndNeverCrashes_data();
    void failsWithAReasonAndNeverCrashes();
    void reducedDecodeCoversTheRequestedSize_data();
    void reducedDecodeCoversTheRequestedSize();
    void jpegIsTurnedAsItsExifOrientationSays();
    void tgaRowsAndColoursLandWhereTheyBelong_data();
    void tgaRowsAndColoursLandWhereTheyBelong();
    void survivesEveryTruncation();
    void decodesConcurrently();
    void pictureLoaderReturnsTheLargestIcon();
    void pictureLoaderReadsDibFiles();
    void pictureLoaderExplainsFailure();
};

void CodecsTest::decodesEveryFrameWithFormatAndFileDepth_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("frames");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("bits");

    const QImage picture = ti::quadrants(40, 30);
    auto row = [&](const char* name, const QString& file, int frames, QSize size,
                   ImageFormat format, int bits) {
        QTest::newRow(name) << file << frames << size << int(format) << bits;
    };
    row("png rgb", write("rgb.png", ti::encode(picture, "png")), 1, {40, 30}, ImageFormat::Png, 24);
    row("png rgba",
        write("rgba.png", ti::encode(picture.convertToFormat(QImage::Format_ARGB32), "png")), 1,
        {40, 30}, ImageFormat::Png, 32);
    // A full palette, so that writers keep 8 bits (Qt writes 4-bit BMPs for up to 16 colours).
    QImage indexed(40, 30, QImage::Format_Indexed8);
    indexed.setColorCount(256);
    for (int i = 0; i < 256; ++i) {
        indexed.setColor(i, qRgb(i, 255 - i, (i * 7) & 0xFF));
    }
    for (int y = 0; y < indexed.height(); ++y) {
        for (int x = 0; x < indexed.width(); ++x) {
            indexed.setPixel(x, y, uint((x * 31 + y * 17) & 0xFF));
        }
    }
    row("png palette", write("palette.png", ti::encode(indexed, "png")), 1, {40, 30},
        ImageFormat::Png, 8);
    row("jpeg colour", write("colour.jpg", ti::encode(picture, "jpeg")), 1, {40, 30},
        ImageFormat::Jpeg, 24);
    row("jpeg grey",
        write("grey.jpg", ti::encode(picture.convertToFormat(QImage::Format_Grayscale8), "jpeg")),
        1, {40, 30}, ImageFormat::Jpeg, 8);
    row("bmp 8", write("eight.bmp", ti::encode(indexed, "bmp")), 1, {40, 30}, ImageFormat::Bmp, 8);
    row("bmp 4",
        write("four.bmp", ti::encode(picture.convertToFormat(QImage::Format_Indexed8), "bmp")), 1,
        {40, 30}, ImageFormat::Bmp, 4);
    row("bmp 24", write("rgb.bmp", ti::encode(picture, "bmp")), 1, {40, 30}, ImageFormat::Bmp, 24);
    row("gif three frames", write("anim.gif", ti::gif({6, 4}, 3)), 3, {6, 4}, ImageFormat::Gif, 8);
    row("tiff two pages", write("pages.tif", ti::tiff({{16, 12}, {8, 6}})), 2, {16, 12},
        ImageFormat::Tiff, 24);
    // The largest entry comes first, wherever the file keeps it.
    row("ico three sizes", write("multi.ico", ti::icon({{16, 16}, {48, 48}, {32, 32}})), 3,
        {48, 48}, ImageFormat::Ico, 32);
    row("cur", write("pointer.cur", ti::icon({{32, 32}}, true)), 1, {32, 32}, ImageFormat::Cur, 32);
    row("tga 24", write("plain.tga", ti::tga(picture, 24, false)), 1, {40, 30}, ImageFormat::Tga,
        24);
    row("tga 32 rle", write("packed.tga", ti::tga(picture, 32, true)), 1, {40, 30},
        ImageFormat::Tga, 32);
    row("wbmp",
        write("mono.wbmp", ti::encode(picture.convertToFormat(QImage::Format_Mono), "wbmp")), 1,
        {40, 30}, ImageFormat::Wbmp, 1);
    // Contents decide, not the name: a PNG called .jpg, a BMP called .dib, a TGA whose first
    // bytes look like a cursor's.
    row("png named jpg", write("png.jpg", ti::encode(picture, "png")), 1, {40, 30},
        ImageFormat::Png, 24);
    row("bmp named dib", write("bitmap.dib", ti::encode(picture, "bmp")), 1, {40, 30},
        ImageFormat::Bmp, 24);
    row("splash shipped as .spl", QStringLiteral(LORVANE_RESOURCES_DIR "/viewer.spl"), 1,
        {480, 270}, ImageFormat::Png, 24);
}

void CodecsTest::decodesEveryFrameWithFormatAndFileDepth() {
    QFETCH(QString, file);
    QFETCH(int, frames);
    QFETCH(QSize, size);
    QFETCH(int, format);
    QFETCH(int, bits);

    const DecodedImage decoded = DecodeImageFile(file);
    QVERIFY2(decoded.ok(), qPrintable(decoded.reason));
    QVERIFY(decoded.reason.isEmpty());
    QCOMPARE(decoded.frames.size(), frames);
    QCOMPARE(decoded.frames.first().size(), size);
    QCOMPARE(int(decoded.format), format);
    QCOMPARE(decoded.bitsPerPixel, bits);
}

void CodecsTest::failsWithAReasonAndNeverCrashes_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("mentions");  // a word the reason must hold

    const QByteArray jpeg = ti::encode(ti::noise(256, 256), "jpeg", 90);
    const QByteArray png = ti::encode(ti::noise(64, 64), "png");
    QByteArray junk(4096, '\0');
    QRandomGenerator random(7);
    for (char& byte : junk) {
        byte = char(random.bounded(256));
    }
    junk[0] = char(0x37);  // not a signature by accident

    QTest::newRow("missing") << path("nothing-here.png") << "exist";
    QTest::newRow("folder") << m_dir.path() << "folder";
    QTest::newRow("empty") << write("empty.png", {}) << "empty";
    // Neither is ever read: a FIFO would block, /dev/zero never ends.
    const QString fifo = path("pipe.jpg");
    if (!QFileInfo::exists(fifo)) {
        QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
    }
    QTest::newRow("a FIFO named like an image") << fifo << "regular";
    const QString zero = path("zero.png");
    QFile::link(QStringLiteral("/dev/zero"), zero);
    QTest::newRow("/dev/zero linked in as an image") << zero << "regular";
    QTest::newRow("jpeg cut in its scan")
        << write("cut.jpg", jpeg.left(jpeg.size() * 6 / 10)) << "truncated";
    QTest::newRow("jpeg cut in its header") << write("head.jpg", jpeg.left(40)) << "";
    QTest::newRow("png cut short") << write("cut.png", png.left(png.size() * 6 / 10)) << "";
    QTest::newRow("random bytes named jpg") << write("junk.jpg", junk) << "JPG";
    QTest::newRow("text named png") << write("text.png", "not a picture at all\n") << "";
    QTest::newRow("png declaring 100000 x 100000")
        << write("huge.png", ti::pngHeaderOnly(100000, 100000)) << "large";
    QTest::newRow("bmp declaring 60000 x 60000")
        << write("huge.bmp", ti::bmpHeaderOnly(60000, 60000)) << "large";
    QTest::newRow("jpeg declaring 60000 x 60000")
        << write("huge.jpg", jpeg.left(jpeg.indexOf("\xFF\xC0") + 5) +
                                 QByteArray("\xEA\x60\xEA\x60", 4) +
                                 jpeg.mid(jpeg.indexOf("\xFF\xC0") + 9))
        << "large";
    QTest::newRow("photoshop header only")
        << write("layers.psd", QByteArray("8BPS\0\1", 6) + QByteArray(40, '\0')) << "damaged";
    QTest::newRow("tga cut short")
        << write("cut.tga", ti::tga(ti::noise(30, 30), 24, false).left(500)) << "truncated";
    // Sparse: the zeros take no disk, but a decoder that reads them all takes a minute.
    const QString zeros = write("zeros.jpg", QByteArray("\xFF\xD8\xFF", 3));
    QVERIFY(QFile::resize(zeros, qint64(4) << 30));
    QTest::newRow("jpeg marker then 4 GiB of zeros") << zeros << "truncated or damaged";
}

void CodecsTest::failsWithAReasonAndNeverCrashes() {
    QFETCH(QString, file);
    QFETCH(QString, mentions);

    const DecodedImage decoded = DecodeImageFile(file);
    QVERIFY(!decoded.ok());
    QVERIFY(decoded.frames.isEmpty());
    QVERIFY(!decoded.reason.isEmpty());
    QVERIFY2(decoded.reason.contains(mentions, Qt::CaseInsensitive), qPrintable(decoded.reason));
    // The reduced path must fail the same way, not crash or hang on the same bytes.
    QVERIFY(!DecodeImageFile(file, QSize(16, 16)).ok());
}

void CodecsTest::reducedDecodeCoversTheRequestedSize_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QSize>("maxSize");
    QTest::addColumn<QSize>("expected");

    const QImage photo = ti::noise(800, 600);
    const QString jpeg = write("reduce.jpg", ti::encode(photo, "jpeg"));
    const QString odd = write("odd.jpg", ti::encode(ti::noise(801, 599), "jpeg"));
    const QString png = write("reduce.png", ti::encode(photo, "png"));
    // JPEG scales by 1/2, 1/4 or 1/8 in the decoder: the smallest that still covers the request.
    QTest::newRow("jpeg to an eighth") << jpeg << QSize(100, 60) << QSize(100, 75);
    QTest::newRow("jpeg to a quarter") << jpeg << QSize(200, 100) << QSize(200, 150);
    QTest::newRow("jpeg wide request") << jpeg << QSize(390, 10) << QSize(400, 300);
    QTest::newRow("jpeg odd size rounds up") << odd << QSize(100, 70) << QSize(101, 75);
    QTest::newRow("jpeg request above full size") << jpeg << QSize(1920, 1080) << QSize(800, 600);
    QTest::newRow("png scaled after decoding") << png << QSize(100, 100) << QSize(134, 100);
    QTest::newRow("png request above full size") << png << QSize(900, 500) << QSize(800, 600);
}

void CodecsTest::reducedDecodeCoversTheRequestedSize() {
    QFETCH(QString, file);
    QFETCH(QSize, maxSize);
    QFETCH(QSize, expected);

    const DecodedImage reduced = DecodeImageFile(file, maxSize);
    QVERIFY2(reduced.ok(), qPrintable(reduced.reason));
    QCOMPARE(reduced.frames.size(), 1);
    const QSize size = reduced.frames.first().size();
    QCOMPARE(size, expected);
    QVERIFY(size.width() >= std::min(maxSize.width(), 800));
    QVERIFY(size.height() >= std::min(maxSize.height(), 600));
}

void CodecsTest::jpegIsTurnedAsItsExifOrientationSays() {
    // Left half red, right half blue; orientation 6 means "turn clockwise to show".
    QImage image(64, 32, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QPainter(&image).fillRect(0, 0, 32, 32, Qt::red);
    const QString file =
        write("turned.jpg", ti::withExifOrientation(ti::encode(image, "jpeg", 95), 6));

    const DecodedImage decoded = DecodeImageFile(file);
    QVERIFY2(decoded.ok(), qPrintable(decoded.reason));
    const QImage shown = decoded.frames.first();
    QCOMPARE(shown.size(), QSize(32, 64));
    QVERIFY(qRed(shown.pixel(16, 8)) > 200 && qBlue(shown.pixel(16, 8)) < 60);
    QVERIFY(qBlue(shown.pixel(16, 56)) > 200 && qRed(shown.pixel(16, 56)) < 60);

    const DecodedImage reduced = DecodeImageFile(file, QSize(8, 16));
    QVERIFY(reduced.ok());
    QCOMPARE(reduced.frames.first().size(), QSize(8, 16));
}

void CodecsTest::tgaRowsAndColoursLandWhereTheyBelong_data() {
    QTest::addColumn<int>("bits");
    QTest::addColumn<bool>("rle");
    QTest::newRow("24 plain") << 24 << false;
    QTest::newRow("24 rle") << 24 << true;
    QTest::newRow("32 plain") << 32 << false;
    QTest::newRow("32 rle") << 32 << true;
}

void CodecsTest::tgaRowsAndColoursLandWhereTheyBelong() {
    QFETCH(int, bits);
    QFETCH(bool, rle);
    const QImage picture = ti::quadrants(40, 30);
    const QString file =
        write(QStringLiteral("q%1%2.tga").arg(bits).arg(rle), ti::tga(picture, bits, rle));
    const DecodedImage decoded = DecodeImageFile(file);
    QVERIFY2(decoded.ok(), qPrintable(decoded.reason));
    const QImage image = decoded.frames.first().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(image, picture.convertToFormat(QImage::Format_RGB32));
}

void CodecsTest::survivesEveryTruncation() {
    // Whatever a cut leaves, the answer is a picture or a reason: no crash, no hang, no
    // "success" without frames.
    const QImage picture = ti::noise(48, 32);
    const QList<QPair<QString, QByteArray>> samples = {
        {"t.jpg", ti::encode(picture, "jpeg")},
        {"t.png", ti::encode(picture, "png")},
        {"t.gif", ti::gif({12, 8})},
        {"t.tif", ti::tiff({{12, 8}, {6, 4}})},
        {"t.ico", ti::icon({{16, 16}, {32, 32}})},
        {"t.bmp", ti::encode(picture, "bmp")},
        {"t.tga", ti::tga(picture, 24, true)},
        {"t.wbmp", ti::encode(picture.convertToFormat(QImage::Format_Mono), "wbmp")},
    };
    for (const auto& [name, bytes] : samples) {
        for (int step = 0; step < 24; ++step) {
            const qsizetype length = bytes.size() * step / 24;
            const QString file =
                write(QStringLiteral("cut-%1-%2").arg(step).arg(name), bytes.left(length));
            for (QSize maxSize : {QSize(), QSize(4, 4)}) {
                const DecodedImage decoded = DecodeImageFile(file, maxSize);
                // Either frames and no reason, or a reason and no frames.
                QVERIFY2(decoded.reason.isEmpty() != decoded.frames.isEmpty(), qPrintable(file));
                for (const QImage& frame : decoded.frames) {
                    QVERIFY2(!frame.isNull(), qPrintable(file));
                }
            }
        }
    }
}

void CodecsTest::decodesConcurrently() {
    const QString jpeg = write("threads.jpg", ti::encode(ti::noise(300, 200), "jpeg"));
    const QString gif = write("threads.gif", ti::gif({10, 10}));
    const QImage expected = DecodeImageFile(jpeg).frames.value(0);
    QVERIFY(!expected.isNull());
    std::atomic<int> wrong{0};
    auto work = [&] {
        for (int i = 0; i < 20; ++i) {
            if (DecodeImageFile(jpeg).frames.value(0) != expected ||
                DecodeImageFile(gif).frames.size() != 3) {
                ++wrong;
            }
        }
    };
    std::thread a(work);
    std::thread b(work);
    a.join();
    b.join();
    QCOMPARE(wrong.load(), 0);
}

void CodecsTest::pictureLoaderReturnsTheLargestIcon() {
    const PictureResult icon =
        LoadPicture(write("pick.ico", ti::icon({{16, 16}, {48, 48}, {32, 32}})));
    QVERIFY2(icon.ok(), qPrintable(icon.reason));
    QCOMPARE(icon.picture.size(), QSize(48, 48));

    const PictureResult cursor =
        LoadPicture(write("pick.cur", ti::icon({{32, 32}, {24, 24}}, true)));
    QVERIFY2(cursor.ok(), qPrintable(cursor.reason));
    QCOMPARE(cursor.picture.size(), QSize(32, 32));
}

void CodecsTest::pictureLoaderReadsDibFiles() {
    const QImage picture = ti::quadrants(20, 10);
    const QByteArray bmp = ti::encode(picture, "bmp");

    const PictureResult withHeader = LoadPicture(write("file.dib", bmp));
    QVERIFY2(withHeader.ok(), qPrintable(withHeader.reason));
    QCOMPARE(withHeader.picture.convertToFormat(QImage::Format_RGB32), picture);

    // The clipboard's packed form: the same bitmap without its 14-byte file header.
    const PictureResult packed = LoadPicture(write("packed.dib", bmp.mid(14)));
    QVERIFY2(packed.ok(), qPrintable(packed.reason));
    QCOMPARE(packed.picture.convertToFormat(QImage::Format_RGB32), picture);

    // No extension: any picture, by its contents.
    const PictureResult bare = LoadPicture(write("noextension", ti::encode(picture, "png")));
    QVERIFY2(bare.ok(), qPrintable(bare.reason));
    QCOMPARE(bare.picture.size(), picture.size());
}

void CodecsTest::pictureLoaderExplainsFailure() {
    const PictureResult missing = LoadPicture(path("absent.ico"));
    QVERIFY(!missing.ok());
    QVERIFY(!missing.reason.isEmpty());
    const PictureResult broken = LoadPicture(write("broken.ico", QByteArray("\0\0\1\0", 4)));
    QVERIFY(!broken.ok());
    QVERIFY(!broken.reason.isEmpty());
}

QTEST_GUILESS_MAIN(CodecsTest)
#include "tst_codecs.moc"
