#pragma once

#include <QObject>
#include <QStringList>

#include <memory>

namespace lorvane {

struct DecodedImage;

// Decodes files ahead of time on worker threads (the viewer's neighbours) and hands the result
// to ImageDocument::LoadFile, so that stepping to a prefetched image costs no decode on the UI
// thread. Memory is bounded: only the most recently requested files are kept. UI thread API.
class DecodeCache : public QObject {
    Q_OBJECT

public:
    explicit DecodeCache(QObject* parent = nullptr);
    ~DecodeCache() override;

    // Starts decoding these files (in this order of priority) unless already held or under way;
    // drops held files that are not in the list and not the file shown.
    void prefetch(const QStringList& paths);
    // The decoded file if held or under way (waits for a decode under way, in an event loop);
    // nullptr when the file was never requested or changed on disk since.
    std::shared_ptr<const DecodedImage> take(const QString& path);
    void clear();

private:
    struct Private;
    std::unique_ptr<Private> d;
};

}  // namespace lorvane
