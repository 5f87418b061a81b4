#include "components/Skin.h"

#include <QFile>
#include <QStringList>
#include <QVariant>
#include <QWidget>

#include <optional>

namespace lorvane {

namespace {

constexpr qint64 kMaxSkinBytes = qint64(1024) * 1024;
constexpr char kTopWindow[] = "TopWindow";

// Sections of a skin file, or nothing when the file is broken.
std::optional<QHash<QString, QString>> parseSkin(const QString& text) {
    QHash<QString, QString> sections;
    QString name;
    QStringList lines;
    int depth = 0;
    auto close = [&]() -> bool {
        if (name.isEmpty()) {
            return true;
        }
        if (depth != 0 || sections.contains(name.toLower())) {
            return false;
        }
        sections.insert(name.toLower(), lines.join(QLatin1Char('\n')).trimmed());
        return true;
    };
    for (const QString& raw : text.split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        // Not '#': that starts an object-name selector in a style sheet.
        if (depth == 0 && (line.isEmpty() || line.startsWith(QLatin1Char(';')))) {
            continue;
        }
        if (depth == 0 && line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            if (!close()) {
                return std::nullopt;
            }
            name = line.mid(1, line.size() - 2).trimmed();
            lines.clear();
            if (name.isEmpty()) {
                return std::nullopt;
            }
            continue;
        }
        if (name.isEmpty()) {
            return std::nullopt;
        }
        depth += int(line.count(QLatin1Char('{'))) - int(line.count(QLatin1Char('}')));
        if (depth < 0) {
            return std::nullopt;
        }
        lines.append(raw);
    }
    if (!close() || sections.isEmpty()) {
        return std::nullopt;
    }
    return sections;
}

}  // namespace

bool Skin::OpenSkinFile(const QString& path) {
    m_loaded = false;
    m_sections.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text) || file.size() > kMaxSkinBytes) {
        return false;
    }
    const QByteArray bytes = file.readAll();
    const QString text = QString::fromUtf8(bytes);
    if (text.contains(QChar::ReplacementCharacter)) {
        return false;  // not text
    }
    std::optional<QHash<QString, QString>> sections = parseSkin(text);
    if (!sections) {
        return false;
    }
    m_sections = std::move(*sections);
    m_loaded = true;
    return true;
}

void Skin::SkinTopWindow(QWidget* window) {
    if (window != nullptr) {
        apply(QString::fromLatin1(kTopWindow), window->window());
    }
}

void Skin::SkinControlWindow(const QString& objectName, QWidget* control) {
    apply(objectName, control);
}

QString Skin::styleFor(const QString& objectName) const {
    return m_loaded ? m_sections.value(objectName.toLower()) : QString();
}

void Skin::apply(const QString& objectName, QWidget* widget) const {
    if (!m_loaded || widget == nullptr || !m_sections.contains(objectName.toLower())) {
        return;
    }
    widget->setProperty("skinObject", objectName);
    const QString sheet = styleFor(objectName);
    // Windows are skinned again each time they leave full screen; setting an unchanged sheet
    // would only restyle every child for nothing.
    if (widget->styleSheet() != sheet) {
        widget->setStyleSheet(sheet);
    }
}

}  // namespace lorvane
