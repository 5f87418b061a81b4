#pragma once

#include <QObject>
#include <QSize>
#include <QStringList>

#include <functional>
#include <memory>

namespace lorvane {

struct DecodedImage;

// Decodes files ahead of time on worker threads (the viewer's neighbours) and hands the result
// to ImageDocument::LoadFile, so that stepping to a prefetched image costs no decode on the UI
// thread. Memory is bounded: only the file last taken and the files of the last prefetch are
// kept, and together they stay under a byte cap (a file that alone exceeds it is not kept).
// UI thread API; decoding runs on the cache's own thread pool, one thread per core.
class DecodeCache : public QObject {
    Q_OBJECT

public:
    using Decoder = std::function<DecodedImage(const QString& path)>;

    // About four 12 MP images in 32-bit pixels.
    static constexpr qint64 kDefaultMaxBytes = qint64(200) * 1024 * 1024;

    explicit DecodeCache(QObject* parent = nullptr);
    // decoder replaces DecodeImageFile (tests count and slow down decodes through it); it runs
    // on worker threads and must be thread-safe.
    DecodeCache(qint64 maxBytes, Decoder decoder, QObject* parent = nullptr);
    ~DecodeCache() override;

    // Starts decoding these files (in this order of priority) unless already held or under way;
    // drops held files that are not in the list and not the file shown.
    void prefetch(const QStringList& paths);
    // The decoded file if held or under way (waits for a decode under way in an event loop that
    // keeps painting but takes no user input, so no second load can start inside the first);
    // nullptr when the file was never requested or changed on disk since.
    // A decode still waiting for a free thread is run here at once rather than queued behind
    // others.
    std::shared_ptr<const DecodedImage> take(const QString& path);
    void clear();
    // Decodes made from now on also carry frame 0 reduced to cover this size (the screen's, in
    // device pixels) when it is larger; an empty size makes none.
    void setPreviewSize(QSize size);

    // What is held, decoded, and what the last prefetch asked for (most wanted first), for
    // tests and diagnostics.
    QStringList heldPaths() const;
    QStringList wantedPaths() const;
    qint64 heldBytes() const;
    qint64 maxBytes() const;

Q_SIGNALS:
    // A worker finished a file (also when its result was then dropped).
    void decoded(const QString& path);

private:
    struct Private;
    std::unique_ptr<Private> d;
};

}  // namespace lorvane
