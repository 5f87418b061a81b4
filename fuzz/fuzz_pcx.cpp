// Our black-and-white PCX reader decodes every byte itself: header fields and run-length
// packets, runs crossing lines included.
#include <QByteArray>

#include <cstddef>
#include <cstdint>

#include "components/PcxMonoDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    // A small budget keeps the fuzzer on parsing rather than on allocating.
    const lorvane::DecodedImage decoded = lorvane::DecodePcxMono(bytes, qint64(16) * 1024 * 1024);
    if (decoded.ok() && decoded.frames.first().isNull()) {
        __builtin_trap();
    }
    return 0;
}
