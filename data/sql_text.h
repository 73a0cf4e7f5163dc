#pragma once

#include <QString>

namespace hv::sql {

// Text typed by the user, ready to stand between single quotes in an SQL
// text: every single quote doubled, nothing else changed.
inline QString quoteDoubled(QString text)
{
    return text.replace(QLatin1Char('\''), QStringLiteral("''"));
}

}  // namespace hv::sql
