#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <QtConcurrent>

#include "TestImages.h"
#include "components/EmfDecoder.h"
#include "components/ImageCodecs.h"
#include "components/MagickCodec.h"
#include "components/MetafileWriter.h"
#include "components/sandbox/SandboxedDecoder.h"

using namespace lorvane;
using namespace std::chrono_literals;

namespace {

const QString kDamaged = QStringLiteral("The file is truncated or damaged");

QString helper(const char* name) {
    return QStringLiteral(LORVANE_DECODER_DIR "/") + QLatin1String(name);
}

QByteArray sample(ImageFormat format) {
    const QImage picture = testimages::quadrants(37, 23);
    switch (format) {
        case ImageFormat::Wmf:
            return EncodeWmf(picture);
        case ImageFormat::Emf:
            return EncodeEmf(picture);
        default:
            return EncodeWithMagick(picture, format).bytes;
    }
}

DecodedImage inProcess(const QByteArray& data, ImageFormat format) {
    return format == ImageFormat::Emf ? DecodeEmf(data, qint64(1) << 30)
                                      : DecodeWithMagick(data, format);
}

}  // namespace

class TestSandbox : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void samePixelsAsInProcess_data() {
        QTest::addColumn<int>("format");
        QTest::newRow("psd") << int(ImageFormat::Psd);
        QTest::newRow("pcx") << int(ImageFormat::Pcx);
        QTest::newRow("wmf") << int(ImageFormat::Wmf);
        QTest::newRow("emf") << int(ImageFormat::Emf);
    }
    void samePixelsAsInProcess() {
        QFETCH(int, format);
        const QByteArray bytes = sample(ImageFormat(format));
        QVERIFY(!bytes.isEmpty());
        const DecodedImage local = inProcess(bytes, ImageFormat(format));
        QVERIFY2(local.ok(), qPrintable(local.reason));
        SandboxedDecoder sandbox(helper("lorvane-decoder"));
        const DecodedImage remote = sandbox.Decode(bytes, ImageFormat(format));
        QVERIFY2(remote.ok(), qPrintable(remote.reason));
        QCOMPARE(remote.frames.size(), local.frames.size());
        QCOMPARE(remote.frames.first().format(), local.frames.first().format());
        QCOMPARE(remote.frames.first(), local.frames.first());
        QCOMPARE(remote.bitsPerPixel, local.bitsPerPixel);
        QCOMPARE(int(remote.format), format);
    }

    // The codec layer's reasons cross the process boundary unchanged.
    void failuresKeepTheirReason_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("format");
        QByteArray psd = sample(ImageFormat::Psd);
        QTest::newRow("cut psd") << psd.left(40) << int(ImageFormat::Psd);
        QTest::newRow("garbage emf") << QByteArray(300, 'x') << int(ImageFormat::Emf);
        QTest::newRow("garbage wmf") << QByteArray(300, '\x01') << int(ImageFormat::Wmf);
    }
    void failuresKeepTheirReason() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, format);
        const DecodedImage local = inProcess(bytes, ImageFormat(format));
        QVERIFY(!local.ok());
        SandboxedDecoder sandbox(helper("lorvane-decoder"));
        const DecodedImage remote = sandbox.Decode(bytes, ImageFormat(format));
        QVERIFY(!remote.ok());
        QCOMPARE(remote.reason, local.reason);
        QVERIFY(remote.frames.isEmpty());
        // A failed decode does not cost the helper.
        const qint64 pid = sandbox.HelperPid();
        QVERIFY(sandbox.Decode(sample(ImageFormat::Psd), ImageFormat::Psd).ok());
        QCOMPARE(sandbox.HelperPid(), pid);
    }

    void helperIsReused() {
        SandboxedDecoder sandbox(helper("lorvane-decoder"));
        QCOMPARE(sandbox.HelperPid(), 0);
        QVERIFY(sandbox.Decode(sample(ImageFormat::Psd), ImageFormat::Psd).ok());
        const qint64 pid = sandbox.HelperPid();
        QVERIFY(pid > 0);
        QVERIFY(sandbox.Decode(sample(ImageFormat::Wmf), ImageFormat::Wmf).ok());
        QVERIFY(sandbox.Decode(sample(ImageFormat::Emf), ImageFormat::Emf).ok());
        QCOMPARE(sandbox.HelperPid(), pid);
    }

    // A helper that crashes, spins, sleeps or eats memory costs that file only: the caller gets
    // the damaged-file reason within the limits and the next file decodes in a new helper.
    void misbehavingHelperEndsCleanly_data() {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<int>("wallMs");
        QTest::newRow("crash") << QByteArray("LORVANE-TEST crash") << 60000;
        QTest::newRow("endless loop, stopped by the CPU limit")
            << QByteArray("LORVANE-TEST spin") << 60000;
        QTest::newRow("waits forever, stopped by the wall clock")
            << QByteArray("LORVANE-TEST sleep") << 1500;
        QTest::newRow("allocates without end, stopped by the memory limit")
            << QByteArray("LORVANE-TEST allocate") << 60000;
    }
    void misbehavingHelperEndsCleanly() {
        QFETCH(QByteArray, input);
        QFETCH(int, wallMs);
#if defined(__SANITIZE_ADDRESS__)
        if (input.endsWith("allocate")) {
            QSKIP("a sanitizer build of the helper runs without its address-space limit");
        }
#endif
        SandboxedDecoder::Limits limits;
        limits.memoryBytes = qint64(1) << 30;
        limits.cpuSeconds = 1;
        limits.wallClock = std::chrono::milliseconds(wallMs);
        SandboxedDecoder sandbox(helper("lorvane-decoder-test"), limits);
        QVERIFY(sandbox.Decode(sample(ImageFormat::Psd), ImageFormat::Psd).ok());
        const qint64 first = sandbox.HelperPid();

        QElapsedTimer timer;
        timer.start();
        const DecodedImage bad = sandbox.Decode(input, ImageFormat::Psd);
        QCOMPARE(bad.reason, kDamaged);
        QVERIFY(bad.frames.isEmpty());
        QVERIFY(timer.elapsed() < wallMs + 5000);
        QCOMPARE(sandbox.HelperPid(), 0);

        const DecodedImage next = sandbox.Decode(sample(ImageFormat::Wmf), ImageFormat::Wmf);
        QVERIFY2(next.ok(), qPrintable(next.reason));
        QVERIFY(sandbox.HelperPid() != first);
    }

    void lockedDownHelperCannotOpenFiles_data() {
        QTest::addColumn<QByteArray>("input");
        QTest::newRow("read a file") << QByteArray("LORVANE-TEST open");
        QTest::newRow("create a file") << QByteArray("LORVANE-TEST create");
        QTest::newRow("open a network socket") << QByteArray("LORVANE-TEST socket");
    }
    void lockedDownHelperCannotOpenFiles() {
        QFETCH(QByteArray, input);
        SandboxedDecoder sandbox(helper("lorvane-decoder-test"));
        const DecodedImage result = sandbox.Decode(input, ImageFormat::Psd);
        QVERIFY2(result.reason.startsWith(QLatin1String("refused: ")), qPrintable(result.reason));
    }

    void decodesFromSeveralThreads() {
        SandboxedDecoder sandbox(helper("lorvane-decoder"));
        const QList<int> formats = {int(ImageFormat::Psd), int(ImageFormat::Wmf),
                                    int(ImageFormat::Emf), int(ImageFormat::Pcx),
                                    int(ImageFormat::Psd), int(ImageFormat::Wmf),
                                    int(ImageFormat::Emf), int(ImageFormat::Pcx)};
        QThreadPool pool;
        pool.setMaxThreadCount(4);
        const QList<bool> done =
            QtConcurrent::blockingMapped(&pool, formats, [&sandbox](int format) {
                const DecodedImage image =
                    sandbox.Decode(sample(ImageFormat(format)), ImageFormat(format));
                return image.ok() && image.frames.first().size() == QSize(37, 23);
            });
        QCOMPARE(done, QList<bool>(formats.size(), true));
    }

    // The codec layer itself goes through the helper beside the program.
    void decodeImageFileUsesTheHelper() {
        QVERIFY(SandboxedDecoder::Shared().Available());
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("a.psd"));
        QVERIFY(testimages::writeFile(file, sample(ImageFormat::Psd)));
        const DecodedImage image = DecodeImageFile(file);
        QVERIFY2(image.ok(), qPrintable(image.reason));
        QVERIFY(SandboxedDecoder::Shared().HelperPid() > 0);
    }
};

QTEST_MAIN(TestSandbox)
#include "tst_sandbox.moc"
