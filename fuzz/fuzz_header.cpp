// Header sniffing runs on the first 64 KiB of every file the explorer lists.
#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

#include "components/ImageHeader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    // Suffix-dependent types (TGA, WBMP, WMF) take a different road; try each.
    for (const char* suffix : {"", "tga", "wbmp", "wmf"}) {
        const lorvane::ImageHeader header =
            lorvane::SniffImageHeader(bytes, QString::fromLatin1(suffix));
        (void)header;
    }
    return 0;
}
