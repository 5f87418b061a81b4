// The registry hive reads a file any program of the user can write. Whatever it accepts, it must
// write back as text that reads as the very same hive, and again as the very same bytes.
#include <QByteArray>

#include <cstddef>
#include <cstdint>

#include "platform/RegistryHive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const lorvane::RegistryHiveParse parsed = lorvane::RegistryHive::fromRegFile(bytes);
    if (!parsed.hive) {
        if (parsed.error.isEmpty()) {
            __builtin_trap();
        }
        return 0;
    }
    const QByteArray written = parsed.hive->toRegFile();
    const lorvane::RegistryHiveParse again = lorvane::RegistryHive::fromRegFile(written);
    if (!again.hive || !(*again.hive == *parsed.hive) || again.hive->toRegFile() != written) {
        __builtin_trap();
    }
    return 0;
}
