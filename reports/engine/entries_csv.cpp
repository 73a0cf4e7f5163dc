#include "reports/engine/entries_csv.h"

#include "core/locale_text.h"
#include "core/runtime_error.h"
#include "data/prepared_statement.h"
#include "reports/engine/csv_writer.h"

#include <QIODevice>
#include <cmath>

namespace hv::reports {

namespace {

const QStringList kHeader{QStringLiteral("ID"),          QStringLiteral("Employee"), QStringLiteral("Date Worked"),
                          QStringLiteral("Work Code"),   QStringLiteral("Hours"),    QStringLiteral("Billable"),
                          QStringLiteral("Work Description")};

// A stored text as it is; a NUL cannot travel in a CSV file that other
// programs read, and is never dropped or replaced without a word.
QString exactText(const data::PreparedStatement& entries, int column, qint64 id)
{
    QString text = entries.text(column);
    if (text.contains(QChar(0)))
        throw RuntimeError(err::InvalidPropertyValue,
                           QStringLiteral("the entry with the ID %1 holds a NUL character in [%2], which a CSV file "
                                          "cannot carry; remove it in the entry editor and export again")
                               .arg(id)
                               .arg(kHeader.at(column)));
    return text;
}

// Hours as a program reads them back: the fewest digits that give the same
// number, and the usual words for what is no finite number.
QString hoursText(double hours)
{
    if (std::isnan(hours))
        return QStringLiteral("NaN");
    if (std::isinf(hours))
        return hours > 0 ? QStringLiteral("Infinity") : QStringLiteral("-Infinity");
    return text::numberToSqlText(hours);
}

}  // namespace

qint64 EntriesCsv::write(data::Connection& connection, QIODevice& device)
{
    data::PreparedStatement entries(
        connection, QStringLiteral("SELECT h.\"ID\", e.\"Employee Name\", h.\"Date Worked\", w.\"Description\", "
                                   "h.\"Hours\", w.\"Billable\", h.\"Work Description\" "
                                   "FROM \"Work Hours\" AS h "
                                   "LEFT JOIN \"Employees Extended\" AS e ON e.\"ID\" = h.\"Employee\" "
                                   "LEFT JOIN \"Work Codes\" AS w ON w.\"ID\" = h.\"Work Code\" "
                                   "ORDER BY h.\"ID\""));
    CsvWriter csv(device);
    const auto failed = [&] { return RuntimeError(err::PathFileAccess, device.errorString()); };
    csv.writeRecord(kHeader);
    if (!csv.ok())
        throw failed();
    qint64 rows = 0;
    while (entries.next()) {
        const qint64 id = entries.integer(0);
        const QString billable = entries.isNull(5) ? QString()
            : entries.integer(5) != 0              ? QStringLiteral("Yes")
                                                   : QStringLiteral("No");
        // Hours that are not a number are kept as the text they are.
        const QString hours = entries.isNull(4) ? QString()
            : entries.isNumber(4)               ? hoursText(entries.number(4))
                                                : exactText(entries, 4, id);
        const QStringList row{QString::number(id),
                              exactText(entries, 1, id),
                              exactText(entries, 2, id),
                              exactText(entries, 3, id),
                              hours,
                              billable,
                              exactText(entries, 6, id)};
        csv.writeRecord(row);
        if (!csv.ok())
            throw failed();
        ++rows;
    }
    return rows;
}

}  // namespace hv::reports
