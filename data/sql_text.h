#pragma once

#include <QString>

namespace hv::sql {

// Text typed by the user, ready to stand between single quotes in an SQL
// text: every single quote doubled, nothing else changed.
inline QString quoteDoubled(QString text)
{
    return text.replace(QLatin1Char('\''), QStringLiteral("''"));
}

// The position of the first character that a text value cannot hold, or -1.
// That is NUL: the engine ends a statement's text at the first NUL, so a
// value holding one would be cut short or break the statement around it.
inline qsizetype firstUnstorableCharacter(const QString& text)
{
    return text.indexOf(QChar(0));
}

}  // namespace hv::sql
