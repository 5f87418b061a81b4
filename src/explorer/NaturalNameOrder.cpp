#include "explorer/NaturalNameOrder.h"

#include <QLocale>

namespace lorvane {

namespace {

QCollator MakeCollator() {
    QLocale locale;
    // Qt's collator for the C locale compares code points and silently ignores numeric mode, and
    // C is what a session without LANG (or with C.UTF-8) reports. Fall back to a real collation.
    if (locale.language() == QLocale::C) {
        locale = QLocale(QLocale::English, QLocale::UnitedStates);
    }
    QCollator collator(locale);
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setIgnorePunctuation(false);
    return collator;
}

}  // namespace

NaturalNameOrder::NaturalNameOrder() : m_collator(MakeCollator()) {}

bool NaturalNameOrder::lessThan(const QString& a, const QString& b) const {
    const int order = m_collator.compare(a, b);
    if (order != 0) {
        return order < 0;
    }
    return a < b;
}

QStringList NaturalNameOrder::sorted(QStringList names) const {
    return sorted(std::move(names), [](const QString& name) { return name; });
}

bool NaturalNameOrder::keyedLess(const Keyed& a, const Keyed& b) {
    const int order = a.key.compare(b.key);
    if (order != 0) {
        return order < 0;
    }
    if (a.name != b.name) {
        return a.name < b.name;
    }
    return a.index < b.index;
}

}  // namespace lorvane
