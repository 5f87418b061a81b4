#include "explorer/ThumbnailPipeline.h"

#include <QHash>
#include <QMetaObject>
#include <QMutex>
#include <QMutexLocker>
#include <QThreadPool>

#include <algorithm>
#include <atomic>

namespace lorvane {

// What the jobs share with the pipeline. A job may outlive the pipeline (it cannot be stopped
// once decoding), so it holds this, not the pipeline.
struct ThumbnailPipeline::Shared {
    std::atomic_bool cancelled{false};
    QMutex mutex;
    QHash<int, Thumbnail> results;          // guarded by mutex
    ThumbnailPipeline* receiver = nullptr;  // guarded by mutex; null once cancelled
};

ThumbnailPipeline::ThumbnailPipeline(QThreadPool& pool, QStringList paths, int window,
                                     QObject* parent)
    : QObject(parent),
      m_pool(pool),
      m_paths(std::move(paths)),
      m_window(std::max(1, window)),
      m_shared(std::make_shared<Shared>()) {
    m_shared->receiver = this;
}

ThumbnailPipeline::~ThumbnailPipeline() {
    cancel();
}

void ThumbnailPipeline::start() {
    submitUpTo(m_window);
}

void ThumbnailPipeline::cancel() {
    m_shared->cancelled = true;
    QMutexLocker lock(&m_shared->mutex);
    m_shared->receiver = nullptr;
    m_shared->results.clear();
}

bool ThumbnailPipeline::isReady(int position) const {
    QMutexLocker lock(&m_shared->mutex);
    return m_shared->results.contains(position);
}

Thumbnail ThumbnailPipeline::take(int position) {
    Thumbnail thumbnail;
    {
        QMutexLocker lock(&m_shared->mutex);
        thumbnail = m_shared->results.take(position);
    }
    m_taken = std::max(m_taken, position + 1);
    submitUpTo(m_taken + m_window);
    return thumbnail;
}

void ThumbnailPipeline::submitUpTo(int end) {
    end = std::min(end, count());
    if (m_shared->cancelled) {
        return;
    }
    for (; m_submitted < end; ++m_submitted) {
        const int position = m_submitted;
        const QString path = m_paths.at(position);
        std::shared_ptr<Shared> shared = m_shared;
        m_pool.start([shared, position, path] {
            if (shared->cancelled) {
                return;
            }
            Thumbnail thumbnail = MakeThumbnail(path);
            QMutexLocker lock(&shared->mutex);
            if (shared->receiver == nullptr) {
                return;
            }
            shared->results.insert(position, std::move(thumbnail));
            // Posted while the lock is held: the receiver cannot be destroyed in between, since
            // its destructor takes the lock first, and deleting it drops the posted call.
            QMetaObject::invokeMethod(
                shared->receiver,
                [receiver = shared->receiver, position] { receiver->deliver(position); },
                Qt::QueuedConnection);
        });
    }
}

void ThumbnailPipeline::deliver(int position) {
    if (!m_shared->cancelled) {
        Q_EMIT thumbnailReady(position);
    }
}

}  // namespace lorvane
