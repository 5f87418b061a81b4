#include <QFile>
#include <QMutex>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QtTest>

#include "TestImages.h"
#include "components/DecodeCache.h"
#include "components/EarlyDecode.h"
#include "components/ImageCodecs.h"
#include "components/ImageDocument.h"

using namespace lorvane;
namespace ti = testimages;

namespace {

// Counts decodes and where they ran; can hold decodes on worker threads back until the test
// lets them go (decodes on the test's own thread always run).
class RecordingDecoder {
public:
    DecodeCache::Decoder decoder() {
        return [this](const QString& path) {
            {
                QMutexLocker lock(&m_mutex);
                m_calls.append({path, QThread::currentThread()});
            }
            const bool worker = QThread::currentThread() != qApp->thread();
            if (worker && m_gated && !m_gate.tryAcquire(1, 10000)) {
                DecodedImage timedOut;
                timedOut.reason = QStringLiteral("gate timeout");
                return timedOut;
            }
            return DecodeImageFile(path);
        };
    }
    void holdWorkers() { m_gated = true; }
    void release(int count) { m_gate.release(count); }
    int count(const QString& path) const {
        QMutexLocker lock(&m_mutex);
        return int(std::count_if(m_calls.begin(), m_calls.end(),
                                 [&](const auto& call) { return call.first == path; }));
    }
    int total() const {
        QMutexLocker lock(&m_mutex);
        return int(m_calls.size());
    }
    QThread* threadOf(const QString& path) const {
        QMutexLocker lock(&m_mutex);
        for (const auto& call : m_calls) {
            if (call.first == path) {
                return call.second;
            }
        }
        return nullptr;
    }

private:
    mutable QMutex m_mutex;
    QList<QPair<QString, QThread*>> m_calls;
    std::atomic<bool> m_gated{false};
    QSemaphore m_gate;
};

}  // namespace

class DocumentTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString write(const QString& name, const QImage& image, const char* format = "png") {
        QString file = m_dir.filePath(name);
        if (!ti::writeFile(file, ti::encode(image, format))) {
            qFatal("cannot write %s", qPrintable(file));
        }
        return file;
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    // Document
    void loadFileHoldsEveryFrameAndDescribesTheSource();
    void failedLoadLeavesTheDocumentEmpty();
    void selectAndClearChangeTheActiveImage();
    void rotateTurnsTheActiveImageAQuarter_data();
    void rotateTurnsTheActiveImageAQuarter();
    void rotatePlusThenMinusRestoresThePixels();
    void loadFromPictureKeepsTheGivenName();

    // Decode cache
    void prefetchedFileIsTakenWithoutDecodingAgain();
    void documentLoadsAPrefetchedFileWithoutDecodingOnTheUiThread();
    void fileChangedOnDiskIsNotServedFromTheCache();
    void takeWaitsForADecodeUnderWayWhileEventsRun();
    void takeDecodesAQueuedFileAtOnce();
    void prefetchKeepsOnlyTheShownAndRequestedFiles();
    void heldBytesStayUnderTheCap();
    void takeOfAnUnrequestedFileIsNull();
    void prefetchCarriesAScreenSizedCopyUntilThePixelsChange();

    // Early decode of the photo named on the command line
    void earlyDecodeIsHandedOnceToTheDocument();
    void earlyDecodeServesTheSameFileByARelativeName();
    void earlyDecodeStartsOnlyForJpegFiles_data();
    void earlyDecodeStartsOnlyForJpegFiles();
    void earlyDecodeOfAFileReplacedSinceIsNotServed();
    void discardedEarlyDecodeIsNotServed();
};

void DocumentTest::loadFileHoldsEveryFrameAndDescribesTheSource() {
    const QString file = m_dir.filePath("anim.gif");
    QVERIFY(ti::writeFile(file, ti::gif({6, 4}, 3)));
    ImageDocument document;
    QSignalSpy changed(&document, &ImageDocument::changed);

    const LoadResult result = document.LoadFile(file);
    QVERIFY2(result.ok, qPrintable(result.reason));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(document.Count(), 3);
    QCOMPARE(document.activeIndex(), 0);
    QCOMPARE(document.Width(), 6);
    QCOMPARE(document.Height(), 4);
    QCOMPARE(document.FileName(), file);
    QCOMPARE(document.ShortName(), QStringLiteral("anim.gif"));
    QCOMPARE(document.Format(), ImageFormat::Gif);
    QCOMPARE(document.BitsPerPixel(), 8);
    QCOMPARE(document.GetPicture(), document.Item(0));
}

void DocumentTest::failedLoadLeavesTheDocumentEmpty() {
    ImageDocument document;
    QVERIFY(document.LoadFile(write("good.png", ti::quadrants(8, 8))).ok);
    QSignalSpy changed(&document, &ImageDocument::changed);

    const QString broken = m_dir.filePath("broken.png");
    QVERIFY(ti::writeFile(broken, "no picture here"));
    const LoadResult result = document.LoadFile(broken);
    QVERIFY(!result.ok);
    QVERIFY(!bool(result));
    QVERIFY(!result.reason.isEmpty());
    QVERIFY(document.isEmpty());
    QCOMPARE(document.Count(), 0);
    QCOMPARE(document.FileName(), QString());
    QCOMPARE(document.ShortName(), QString());
    QCOMPARE(document.Width(), 0);
    QCOMPARE(document.Height(), 0);
    QCOMPARE(document.BitsPerPixel(), 0);
    QVERIFY(document.GetPicture().isNull());
    QVERIFY(changed.count() >= 1);
}

void DocumentTest::selectAndClearChangeTheActiveImage() {
    const QString file = m_dir.filePath("pages.tif");
    QVERIFY(ti::writeFile(file, ti::tiff({{16, 12}, {8, 6}})));
    ImageDocument document;
    QVERIFY(document.LoadFile(file).ok);
    QSignalSpy changed(&document, &ImageDocument::changed);

    document.Select(1);
    QCOMPARE(document.activeIndex(), 1);
    QCOMPARE(document.Width(), 8);
    QCOMPARE(changed.count(), 1);
    document.Select(5);  // out of range: nothing
    QCOMPARE(document.activeIndex(), 1);
    QCOMPARE(changed.count(), 1);

    document.Clear();
    QVERIFY(document.isEmpty());
    QCOMPARE(document.FileName(), QString());
    QCOMPARE(changed.count(), 2);
}

void DocumentTest::rotateTurnsTheActiveImageAQuarter_data() {
    QTest::addColumn<double>("degrees");
    QTest::addColumn<QColor>("topLeft");
    QTest::addColumn<QColor>("topRight");
    // Quadrants: red top-left, green top-right, blue bottom-left, yellow bottom-right.
    QTest::newRow("+90 is clockwise") << 90.0 << QColor(Qt::blue) << QColor(Qt::red);
    QTest::newRow("-90 is anticlockwise") << -90.0 << QColor(Qt::green) << QColor(Qt::yellow);
    QTest::newRow("180") << 180.0 << QColor(Qt::yellow) << QColor(Qt::blue);
    QTest::newRow("450 is one quarter") << 450.0 << QColor(Qt::blue) << QColor(Qt::red);
}

void DocumentTest::rotateTurnsTheActiveImageAQuarter() {
    QFETCH(double, degrees);
    QFETCH(QColor, topLeft);
    QFETCH(QColor, topRight);
    ImageDocument document;
    document.LoadFromPicture(ti::quadrants(40, 20));
    QSignalSpy changed(&document, &ImageDocument::changed);

    document.Rotate(degrees);
    QCOMPARE(changed.count(), 1);
    const QImage turned = document.activeImage();
    const bool quarter = std::fmod(std::abs(degrees), 180.0) == 90.0;
    QCOMPARE(turned.size(), quarter ? QSize(20, 40) : QSize(40, 20));
    QCOMPARE(QColor(turned.pixel(1, 1)), topLeft);
    QCOMPARE(QColor(turned.pixel(turned.width() - 2, 1)), topRight);
}

void DocumentTest::rotatePlusThenMinusRestoresThePixels() {
    ImageDocument document;
    const QImage original = ti::noise(37, 23);
    document.LoadFromPicture(original);
    document.Rotate(90.0);
    document.Rotate(-90.0);
    QCOMPARE(document.activeImage().convertToFormat(QImage::Format_RGB32), original);
}

void DocumentTest::loadFromPictureKeepsTheGivenName() {
    ImageDocument document;
    document.LoadFromPicture(ti::quadrants(4, 4), QStringLiteral("/x/icons/app.ico"));
    QCOMPARE(document.Count(), 1);
    QCOMPARE(document.FileName(), QStringLiteral("/x/icons/app.ico"));
    QCOMPARE(document.ShortName(), QStringLiteral("app.ico"));
    document.LoadFromPicture(ti::quadrants(4, 4));
    QCOMPARE(document.FileName(), QString());
}

void DocumentTest::prefetchedFileIsTakenWithoutDecodingAgain() {
    const QString a = write("a.png", ti::noise(64, 48, 1));
    const QString b = write("b.png", ti::noise(64, 48, 2));
    RecordingDecoder recorder;
    DecodeCache cache(DecodeCache::kDefaultMaxBytes, recorder.decoder());
    QSignalSpy decoded(&cache, &DecodeCache::decoded);

    cache.prefetch({a, b});
    QTRY_COMPARE_WITH_TIMEOUT(decoded.count(), 2, 10000);
    const auto taken = cache.take(a);
    QVERIFY(taken);
    QVERIFY(taken->ok());
    QCOMPARE(taken->frames.first(), DecodeImageFile(a).frames.first());
    QCOMPARE(recorder.count(a), 1);
    QVERIFY(recorder.threadOf(a) != QThread::currentThread());

    // Asked again, still no second decode.
    cache.prefetch({b, a});
    QVERIFY(cache.take(b));
    QCOMPARE(recorder.total(), 2);
}

void DocumentTest::documentLoadsAPrefetchedFileWithoutDecodingOnTheUiThread() {
    const QString next = write("next.png", ti::noise(64, 48, 3));
    RecordingDecoder recorder;
    DecodeCache cache(DecodeCache::kDefaultMaxBytes, recorder.decoder());
    QSignalSpy decoded(&cache, &DecodeCache::decoded);
    ImageDocument document;
    document.setDecodeCache(&cache);

    cache.prefetch({next});
    QVERIFY(decoded.wait(10000));
    QVERIFY(document.LoadFile(next).ok);
    QCOMPARE(document.FileName(), next);
    QCOMPARE(document.Format(), ImageFormat::Png);
    QCOMPARE(recorder.count(next), 1);
    QVERIFY(recorder.threadOf(next) != QThread::currentThread());

    // A file the cache never saw is decoded directly.
    const QString other = write("other.png", ti::quadrants(8, 8));
    QVERIFY(document.LoadFile(other).ok);
    QCOMPARE(recorder.count(other), 0);
    QCOMPARE(document.Width(), 8);
}

void DocumentTest::prefetchCarriesAScreenSizedCopyUntilThePixelsChange() {
    const QString big = write("big.png", ti::noise(400, 300, 4));
    const QString small = write("small.png", ti::noise(40, 30, 5));
    DecodeCache cache;
    cache.setPreviewSize(QSize(160, 100));
    QSignalSpy decoded(&cache, &DecodeCache::decoded);
    ImageDocument document;
    document.setDecodeCache(&cache);

    cache.prefetch({big, small});
    QTRY_COMPARE_WITH_TIMEOUT(decoded.count(), 2, 10000);
    QVERIFY(document.LoadFile(big).ok);
    // Covers the screen both ways, so a fit to the width or to the height can use it.
    QCOMPARE(document.displayPreview().size(), QSize(160, 120));
    document.Rotate(90.0);
    QVERIFY(document.displayPreview().isNull());

    // An image smaller than the screen needs no copy.
    QVERIFY(document.LoadFile(small).ok);
    QVERIFY(document.displayPreview().isNull());
}

void DocumentTest::fileChangedOnDiskIsNotServedFromTheCache() {
    const QString file = write("changing.png", ti::quadrants(8, 8));
    RecordingDecoder recorder;
    DecodeCache cache(DecodeCache::kDefaultMaxBytes, recorder.decoder());
    QSignalSpy decoded(&cache, &DecodeCache::decoded);
    cache.prefetch({file});
    QVERIFY(decoded.wait(10000));

    write("changing.png", ti::noise(30, 20));  // another size, so also another file length
    QVERIFY(!cache.take(file));

    ImageDocument document;
    document.setDecodeCache(&cache);
    QVERIFY(document.LoadFile(file).ok);
    QCOMPARE(document.Width(), 30);

    // Prefetching it again decodes the new contents.
    cache.prefetch({file});
    QVERIFY(decoded.wait(10000));
    const auto fresh = cache.take(file);
    QVERIFY(fresh);
    QCOMPARE(fresh->frames.first().width(), 30);
}

void DocumentTest::takeWaitsForADecodeUnderWayWhileEventsRun() {
    const QString file = write("slow.png", ti::noise(64, 48, 4));
    RecordingDecoder recorder;
    recorder.holdWorkers();
    DecodeCache cache(DecodeCache::kDefaultMaxBytes, recorder.decoder());
    cache.prefetch({file});
    QTRY_COMPARE_WITH_TIMEOUT(recorder.count(file), 1, 10000);  // running on a worker

    // Only the UI thread's event loop can let the decode finish: take() must keep it running.
    bool timerRan = false;
    QTimer::singleShot(0, this, [&] {
        timerRan = true;
        recorder.release(1);
    });
    const auto taken = cache.take(file);
    QVERIFY(timerRan);
    QVERIFY(taken);
    QVERIFY2(taken->ok(), qPrintable(taken->reason));
    QCOMPARE(recorder.count(file), 1);
}

void DocumentTest::takeDecodesAQueuedFileAtOnce() {
    const int threads = std::max(1, QThread::idealThreadCount());
    QStringList busy;
    for (int i = 0; i < threads; ++i) {
        busy.append(write(QStringLiteral("busy%1.png").arg(i), ti::quadrants(8, 8)));
    }
    const QString queued = write("queued.png", ti::quadrants(10, 10));
    RecordingDecoder recorder;
    recorder.holdWorkers();
    DecodeCache cache(DecodeCache::kDefaultMaxBytes, recorder.decoder());
    cache.prefetch(busy + QStringList{queued});
    QTRY_COMPARE_WITH_TIMEOUT(recorder.total(), threads, 10000);  // every worker held

    const auto taken = cache.take(queued);
    QVERIFY(taken);
    QVERIFY2(taken->ok(), qPrintable(taken->reason));
    QCOMPARE(recorder.threadOf(queued), QThread::currentThread());
    recorder.release(threads);
}

void DocumentTest::prefetchKeepsOnlyTheShownAndRequestedFiles() {
    const QString a = write("ka.png", ti::quadrants(8, 8));
    const QString b = write("kb.png", ti::quadrants(8, 8));
    const QString c = write("kc.png", ti::quadrants(8, 8));
    DecodeCache cache;
    QSignalSpy decoded(&cache, &DecodeCache::decoded);
    cache.prefetch({a, b});
    QTRY_COMPARE_WITH_TIMEOUT(decoded.count(), 2, 10000);
    QVERIFY(cache.take(a));  // a is on screen

    cache.prefetch({c});
    QTRY_COMPARE_WITH_TIMEOUT(decoded.count(), 3, 10000);
    QStringList held = cache.heldPaths();
    held.sort();
    QCOMPARE(held, (QStringList{a, c}));
    QVERIFY(!cache.take(b));

    cache.clear();
    QVERIFY(cache.heldPaths().isEmpty());
    QCOMPARE(cache.heldBytes(), 0);
}

void DocumentTest::heldBytesStayUnderTheCap() {
    QStringList files;
    for (int i = 0; i < 4; ++i) {
        files.append(write(QStringLiteral("cap%1.png").arg(i), ti::noise(100, 100, quint32(i))));
    }
    const qint64 oneImage = qint64(100) * 100 * 4;
    DecodeCache cache(2 * oneImage + oneImage / 2, {});
    QSignalSpy decoded(&cache, &DecodeCache::decoded);
    cache.prefetch(files);
    QTRY_COMPARE_WITH_TIMEOUT(decoded.count(), 4, 10000);
    QVERIFY(cache.heldBytes() <= cache.maxBytes());
    QCOMPARE(cache.heldPaths().size(), 2);
    // The most wanted (first) files are the ones kept.
    QVERIFY(cache.heldPaths().contains(files.at(0)));
    QVERIFY(cache.heldPaths().contains(files.at(1)));

    // A file that alone exceeds the cap is not kept, but a take() waiting for it still gets it.
    DecodeCache tiny(oneImage / 2, {});
    tiny.prefetch({files.at(2)});
    const auto taken = tiny.take(files.at(2));
    QVERIFY(taken);
    QVERIFY(taken->ok());
    QCOMPARE(tiny.heldBytes(), 0);
}

void DocumentTest::takeOfAnUnrequestedFileIsNull() {
    DecodeCache cache;
    QVERIFY(!cache.take(write("never.png", ti::quadrants(4, 4))));
    QVERIFY(!cache.take(QString()));
}

void DocumentTest::earlyDecodeIsHandedOnceToTheDocument() {
    const QString file = write("early.jpg", ti::quadrants(64, 48), "jpg");
    const QString other = write("other.png", ti::quadrants(8, 8));
    StartEarlyDecode(file);
    // Loading another file leaves the early decode where it is.
    ImageDocument document;
    QVERIFY(document.LoadFile(other).ok);
    QVERIFY(document.LoadFile(file).ok);
    QCOMPARE(document.Width(), 64);
    QCOMPARE(document.Format(), ImageFormat::Jpeg);
    // Taken by the document: nothing is left to take.
    QVERIFY(!TakeEarlyDecode(file));
}

void DocumentTest::earlyDecodeServesTheSameFileByARelativeName() {
    const QString file = write("relative.jpg", ti::quadrants(40, 30), "jpg");
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_dir.path()));
    StartEarlyDecode(QStringLiteral("relative.jpg"));
    QVERIFY(QDir::setCurrent(previous));
    const std::shared_ptr<const DecodedImage> decoded = TakeEarlyDecode(file);
    QVERIFY(decoded);
    QVERIFY(decoded->ok());
    QCOMPARE(decoded->frames.first().size(), QSize(40, 30));
}

void DocumentTest::earlyDecodeStartsOnlyForJpegFiles_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<bool>("started");
    QTest::newRow("JPEG") << "photo.jpg" << QByteArray("jpg") << true;
    QTest::newRow("JPEG by content, named .png") << "named.png" << QByteArray("jpg") << true;
    QTest::newRow("PNG") << "picture.png" << QByteArray("png") << false;
    QTest::newRow("missing file") << "" << QByteArray() << false;
}

void DocumentTest::earlyDecodeStartsOnlyForJpegFiles() {
    QFETCH(QString, name);
    QFETCH(QByteArray, format);
    QFETCH(bool, started);
    const QString file = name.isEmpty() ? m_dir.filePath(QStringLiteral("nothing-here.jpg"))
                                        : write(name, ti::quadrants(16, 16), format.constData());
    StartEarlyDecode(file);
    QCOMPARE(bool(TakeEarlyDecode(file)), started);
}

void DocumentTest::earlyDecodeOfAFileReplacedSinceIsNotServed() {
    const QString file = write("replaced.jpg", ti::quadrants(32, 32), "jpg");
    StartEarlyDecode(file);
    // Another picture under the same name: the document must show the new one.
    QVERIFY(ti::writeFile(file, ti::encode(ti::noise(50, 20), "jpg")));
    ImageDocument document;
    QVERIFY(document.LoadFile(file).ok);
    QCOMPARE(document.Width(), 50);
    QVERIFY(!TakeEarlyDecode(file));
}

void DocumentTest::discardedEarlyDecodeIsNotServed() {
    const QString file = write("discarded.jpg", ti::quadrants(16, 16), "jpg");
    StartEarlyDecode(file);
    DiscardEarlyDecode();
    QVERIFY(!TakeEarlyDecode(file));
    // After a discard another decode may start.
    StartEarlyDecode(file);
    QVERIFY(TakeEarlyDecode(file));
}

QTEST_MAIN(DocumentTest)
#include "tst_document.moc"
