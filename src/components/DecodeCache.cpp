#include "components/DecodeCache.h"

#include "components/ImageCodecs.h"

namespace lorvane {

struct DecodeCache::Private {};

DecodeCache::DecodeCache(QObject* parent) : QObject(parent), d(std::make_unique<Private>()) {}

DecodeCache::~DecodeCache() = default;

void DecodeCache::prefetch(const QStringList& paths) {
    Q_UNUSED(paths);
}

std::shared_ptr<const DecodedImage> DecodeCache::take(const QString& path) {
    Q_UNUSED(path);
    return nullptr;
}

void DecodeCache::clear() {}

}  // namespace lorvane
