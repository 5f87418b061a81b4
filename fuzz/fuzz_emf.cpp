// The record walk that stands between a file and libemf2svg: whatever it accepts, the library
// will be handed.
#include <QByteArray>

#include <cstddef>
#include <cstdint>

#include "components/EmfDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QSize frame = lorvane::EmfFrameSize(bytes);
    if (frame.isValid() && (frame.width() <= 0 || frame.height() <= 0)) {
        __builtin_trap();
    }
    return 0;
}
