#include "components/DecodeCache.h"

#include <QDateTime>
#include <QEventLoop>
#include <QFileInfo>
#include <QMutex>
#include <QRunnable>
#include <QThread>
#include <QThreadPool>

#include <atomic>

#include "components/FileStamp.h"
#include "components/ImageCodecs.h"

namespace lorvane {

namespace {

// Frame 0 reduced to cover `fitIn`. Made here, on the worker, where its cost hides behind the
// user's pause.
void AddPreview(DecodedImage& decoded, QSize fitIn) {
    if (fitIn.isEmpty() || !decoded.ok()) {
        return;
    }
    const QImage& frame = decoded.frames.first();
    if (frame.width() <= fitIn.width() && frame.height() <= fitIn.height()) {
        return;
    }
    // Covering the size in both directions serves a fit to either side.
    decoded.preview = frame.scaled(fitIn, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
}

qint64 bytesOf(const DecodedImage& image) {
    qint64 bytes = 0;
    for (const QImage& frame : image.frames) {
        bytes += frame.sizeInBytes();
    }
    return bytes + image.preview.sizeInBytes();
}

// One decode, shared by the UI thread and the worker that runs it. Whoever claims it first
// decodes; the other side leaves it alone.
struct Job {
    explicit Job(const QString& file) : path(file) {}

    const QString path;
    std::atomic<bool> claimed{false};
    mutable QMutex mutex;
    std::shared_ptr<const DecodedImage> result;

    std::shared_ptr<const DecodedImage> finished() const {
        QMutexLocker lock(&mutex);
        return result;
    }
    void finish(std::shared_ptr<const DecodedImage> decoded) {
        QMutexLocker lock(&mutex);
        result = std::move(decoded);
    }
};

}  // namespace

struct DecodeCache::Private {
    struct Entry {
        QString path;
        FileStamp stamp;
        std::shared_ptr<Job> job;
        std::shared_ptr<const DecodedImage> result;
        qint64 bytes = 0;
    };

    DecodeCache* q = nullptr;
    qint64 maxBytes = kDefaultMaxBytes;
    Decoder decoder;
    QSize previewSize;
    QThreadPool pool;
    QList<Entry> entries;
    QStringList wanted;  // the last prefetch, most wanted first
    QString current;     // the file last taken

    qsizetype indexOf(const QString& path) const {
        for (qsizetype i = 0; i < entries.size(); ++i) {
            if (entries.at(i).path == path) {
                return i;
            }
        }
        return -1;
    }

    void drop(qsizetype index) {
        // A decode not yet started is cancelled; one running finishes and is thrown away.
        entries.at(index).job->claimed.store(true);
        entries.removeAt(index);
    }

    void start(const QString& path, int priority) {
        Entry entry;
        entry.path = path;
        entry.stamp = StampOf(path);
        entry.job = std::make_shared<Job>(path);
        entries.append(entry);
        pool.start(
            [job = entry.job, decode = decoder, cache = q, previewSize = previewSize] {
                if (job->claimed.exchange(true)) {
                    return;
                }
                DecodedImage decoded = decode(job->path);
                AddPreview(decoded, previewSize);
                job->finish(std::make_shared<const DecodedImage>(std::move(decoded)));
                // The cache outlives every worker (its destructor waits for them), and a call
                // queued to an object that is then deleted is discarded by Qt.
                QMetaObject::invokeMethod(
                    cache, [cache, job] { cache->d->finished(job); }, Qt::QueuedConnection);
            },
            priority);
    }

    void finished(const std::shared_ptr<Job>& job) {
        const qsizetype index = indexOf(job->path);
        if (index >= 0 && entries.at(index).job == job && !entries.at(index).result) {
            Entry& entry = entries[index];
            entry.result = job->finished();
            entry.bytes = bytesOf(*entry.result);
            enforceCap();
        }
        Q_EMIT q->decoded(job->path);
    }

    qint64 heldBytes() const {
        qint64 total = 0;
        for (const Entry& entry : entries) {
            total += entry.bytes;
        }
        return total;
    }

    // Lower is dropped first: files the last prefetch did not ask for, then the least wanted,
    // the file on screen last.
    int keepRank(const Entry& entry) const {
        if (entry.path == current) {
            return int(wanted.size()) + 1;
        }
        const qsizetype position = wanted.indexOf(entry.path);
        return position < 0 ? 0 : int(wanted.size() - position);
    }

    void enforceCap() {
        while (heldBytes() > maxBytes) {
            qsizetype victim = -1;
            for (qsizetype i = 0; i < entries.size(); ++i) {
                if (entries.at(i).result &&
                    (victim < 0 || keepRank(entries.at(i)) < keepRank(entries.at(victim)))) {
                    victim = i;
                }
            }
            if (victim < 0) {
                return;
            }
            drop(victim);
        }
    }
};

DecodeCache::DecodeCache(QObject* parent) : DecodeCache(kDefaultMaxBytes, {}, parent) {}

DecodeCache::DecodeCache(qint64 maxBytes, Decoder decoder, QObject* parent)
    : QObject(parent), d(std::make_unique<Private>()) {
    d->q = this;
    d->maxBytes = maxBytes;
    d->decoder = decoder ? std::move(decoder)
                         : Decoder([](const QString& path) { return DecodeImageFile(path); });
    d->pool.setMaxThreadCount(std::max(1, QThread::idealThreadCount()));
}

DecodeCache::~DecodeCache() {
    clear();
    d->pool.clear();
    d->pool.waitForDone();
}

void DecodeCache::prefetch(const QStringList& paths) {
    QStringList wanted;
    for (const QString& path : paths) {
        if (!path.isEmpty() && !wanted.contains(path)) {
            wanted.append(path);
        }
    }
    d->wanted = wanted;
    for (qsizetype i = d->entries.size() - 1; i >= 0; --i) {
        const Private::Entry& entry = d->entries.at(i);
        if ((!wanted.contains(entry.path) && entry.path != d->current) ||
            StampOf(entry.path) != entry.stamp) {
            d->drop(i);
        }
    }
    int priority = int(wanted.size());
    for (const QString& path : wanted) {
        if (d->indexOf(path) < 0) {
            d->start(path, priority);
        }
        --priority;
    }
    d->enforceCap();
}

std::shared_ptr<const DecodedImage> DecodeCache::take(const QString& path) {
    d->current = path;
    const qsizetype index = d->indexOf(path);
    if (index < 0) {
        return nullptr;
    }
    const FileStamp stamp = d->entries.at(index).stamp;
    if (StampOf(path) != stamp) {
        d->drop(index);
        return nullptr;
    }
    if (d->entries.at(index).result) {
        return d->entries.at(index).result;
    }

    const std::shared_ptr<Job> job = d->entries.at(index).job;
    if (!job->claimed.exchange(true)) {
        job->finish(std::make_shared<const DecodedImage>(d->decoder(path)));
        d->finished(job);
    }
    while (!job->finished()) {
        QEventLoop loop;
        connect(this, &DecodeCache::decoded, &loop, [&loop, &path](const QString& done) {
            if (done == path) {
                loop.quit();
            }
        });
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    // The file may have been rewritten while it was being decoded.
    if (StampOf(path) != stamp) {
        const qsizetype again = d->indexOf(path);
        if (again >= 0 && d->entries.at(again).job == job) {
            d->drop(again);
        }
        return nullptr;
    }
    return job->finished();
}

void DecodeCache::setPreviewSize(QSize size) {
    d->previewSize = size;
}

void DecodeCache::clear() {
    for (qsizetype i = d->entries.size() - 1; i >= 0; --i) {
        d->drop(i);
    }
    d->wanted.clear();
    d->current.clear();
}

QStringList DecodeCache::heldPaths() const {
    QStringList held;
    for (const Private::Entry& entry : d->entries) {
        if (entry.result) {
            held.append(entry.path);
        }
    }
    return held;
}

QStringList DecodeCache::wantedPaths() const {
    return d->wanted;
}

qint64 DecodeCache::heldBytes() const {
    return d->heldBytes();
}

qint64 DecodeCache::maxBytes() const {
    return d->maxBytes;
}

}  // namespace lorvane
