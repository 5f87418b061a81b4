#include "explorer/WildcardPattern.h"

namespace lorvane {

namespace {

QString ExpressionFor(const QString& pattern) {
    QString body = pattern;
    bool optionalExtension = false;
    if (body.endsWith(QLatin1String(".*"))) {
        body.chop(2);
        optionalExtension = true;
    }
    QString expression;
    QString literal;  // escaped as a whole so surrogate pairs stay together
    const auto flushLiteral = [&] {
        expression += QRegularExpression::escape(literal);
        literal.clear();
    };
    for (const QChar c : body) {
        if (c == QLatin1Char('*')) {
            flushLiteral();
            expression += QLatin1String(".*");
        } else if (c == QLatin1Char('?')) {
            flushLiteral();
            expression += QLatin1Char('.');
        } else {
            literal += c;
        }
    }
    flushLiteral();
    if (optionalExtension) {
        expression += QLatin1String("(?:\\..*)?");
    }
    return QRegularExpression::anchoredPattern(expression);
}

}  // namespace

WildcardPattern::WildcardPattern(const QString& pattern)
    : m_expression(ExpressionFor(pattern), QRegularExpression::CaseInsensitiveOption |
                                               QRegularExpression::DotMatchesEverythingOption),
      m_matchesEverything(pattern == QLatin1String("*") || pattern == QLatin1String("*.*")) {}

bool WildcardPattern::matches(const QString& name) const {
    return m_matchesEverything || m_expression.match(name).hasMatch();
}

bool WildcardPattern::HasWildcards(const QString& text) {
    return text.contains(QLatin1Char('*')) || text.contains(QLatin1Char('?'));
}

}  // namespace lorvane
