// Our TGA reader decodes every byte itself: colour maps, run-length packets, origins.
#include <QByteArray>

#include <cstddef>
#include <cstdint>

#include "components/TgaDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    // A small budget keeps the fuzzer on parsing rather than on allocating.
    const lorvane::DecodedImage decoded = lorvane::DecodeTga(bytes, qint64(16) * 1024 * 1024);
    if (decoded.ok() && decoded.frames.first().isNull()) {
        __builtin_trap();
    }
    return 0;
}
