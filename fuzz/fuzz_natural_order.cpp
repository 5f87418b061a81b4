// The natural name order sorts every listing; std::sort needs a strict weak ordering, or it may
// read past the range. The input is split into three names at NUL bytes and every axiom is checked
// on them.
#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

#include "explorer/NaturalNameOrder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const lorvane::NaturalNameOrder order;
    const QList<QByteArray> parts =
        QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)).split('\0');
    if (parts.size() < 3) {
        return 0;
    }
    const QString a = QString::fromUtf8(parts[0]);
    const QString b = QString::fromUtf8(parts[1]);
    const QString c = QString::fromUtf8(parts[2]);
    const auto less = [](const QString& x, const QString& y) { return order.lessThan(x, y); };
    // Irreflexive, asymmetric, transitive, and incomparability transitive.
    if (less(a, a) || (less(a, b) && less(b, a))) {
        __builtin_trap();
    }
    if (less(a, b) && less(b, c) && !less(a, c)) {
        __builtin_trap();
    }
    const auto equivalent = [&less](const QString& x, const QString& y) {
        return !less(x, y) && !less(y, x);
    };
    if (equivalent(a, b) && equivalent(b, c) && !equivalent(a, c)) {
        __builtin_trap();
    }
    return 0;
}
