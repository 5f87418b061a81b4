#pragma once

#include <QRegularExpression>
#include <QString>

namespace lorvane {

// A file-name pattern with the directory-search meaning of "*" (any run of characters) and "?"
// (one character), matched without regard to letter case. Every other character is literal,
// brackets included. A pattern ending in ".*" also matches the name without any dot, so "*.*"
// matches every name and "photo.*" matches "photo"; QDir's name filters would need a dot there.
class WildcardPattern {
public:
    explicit WildcardPattern(const QString& pattern);

    bool matches(const QString& name) const;

    // True when the pattern matches every name, so a caller can skip matching altogether.
    bool matchesEverything() const { return m_matchesEverything; }

    static bool HasWildcards(const QString& text);

private:
    QRegularExpression m_expression;
    bool m_matchesEverything = false;
};

}  // namespace lorvane
