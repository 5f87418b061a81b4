// Our indexed Photoshop reader: header, palette, skipped sections and PackBits rows.
#include <QByteArray>

#include <cstddef>
#include <cstdint>

#include "components/PsdIndexedDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    if (!lorvane::IsIndexedPsd(bytes)) {
        return 0;
    }
    const lorvane::DecodedImage decoded =
        lorvane::DecodePsdIndexed(bytes, qint64(16) * 1024 * 1024);
    if (decoded.ok() && decoded.frames.first().isNull()) {
        __builtin_trap();
    }
    return 0;
}
