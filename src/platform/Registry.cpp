#include "platform/Registry.h"

namespace lorvane {

QString RegValue::text() const {
    return regStringText(data);
}

QByteArray regStringData(const QString& text) {
    QByteArray data;
    data.reserve((text.size() + 1) * 2);
    for (const QChar c : text) {
        data.append(char(c.unicode() & 0xff));
        data.append(char(c.unicode() >> 8));
    }
    data.append(2, '\0');
    return data;
}

QString regStringText(const QByteArray& data) {
    QString text;
    const qsizetype units = data.size() / 2;
    text.reserve(units);
    for (qsizetype i = 0; i < units; ++i) {
        const char16_t unit =
            char16_t(quint8(data[2 * i]) | (quint16(quint8(data[2 * i + 1])) << 8));
        if (unit == 0) {
            break;
        }
        text.append(QChar(unit));
    }
    return text;
}

long Registry::setString(const RegKey& key, const QString& name, const QString& text,
                         RegType type) {
    return setValue(key, name, type, regStringData(text));
}

}  // namespace lorvane
