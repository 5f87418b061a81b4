#pragma once

#include <QObject>
#include <QStringList>

#include <memory>

#include "explorer/ThumbnailMaker.h"

class QThreadPool;

namespace lorvane {

// Makes the thumbnails of a list of files on worker threads, a bounded number ahead of the
// consumer, and hands them out by position. Results may arrive in any order; the consumer takes
// them in its own order (the explorer: strictly in item order).
//
// At most `window` results are made or waiting beyond the last one taken, so memory stays at a
// few decodes in flight however long the list is. Only the decodes running at a time hold a
// decoded image; a waiting result is a finished thumbnail.
//
// Lives on the UI thread; thumbnailReady is emitted there. cancel() (and the destructor) stop
// every job that has not started and drop every result still to come; jobs already decoding run
// to their end on their worker and are thrown away.
class ThumbnailPipeline : public QObject {
    Q_OBJECT

public:
    ThumbnailPipeline(QThreadPool& pool, QStringList paths, int window, QObject* parent = nullptr);
    ~ThumbnailPipeline() override;

    int count() const { return int(m_paths.size()); }

    // Starts the first jobs. Separate from the constructor so a consumer can connect first.
    void start();

    bool isReady(int position) const;
    // The thumbnail at position; ready or not, the position counts as taken and the window moves
    // on. A position not ready gives an empty Thumbnail.
    Thumbnail take(int position);

    void cancel();

Q_SIGNALS:
    void thumbnailReady(int position);

private:
    struct Shared;

    void submitUpTo(int end);
    void deliver(int position);

    QThreadPool& m_pool;
    QStringList m_paths;
    int m_window;
    int m_submitted = 0;
    int m_taken = 0;
    std::shared_ptr<Shared> m_shared;
};

}  // namespace lorvane
