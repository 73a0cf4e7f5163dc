#pragma once

#include "core/list_column.h"
#include "reports/engine/report_layout.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <limits>
#include <vector>

namespace hv::data {
class Recordset;
}

namespace hv::reports {

// The detail lines of a report: every row of the data source read once, in
// its order, each field's column found by name, with the hidden key of the
// record its group stands for and the row's place in the report query's own
// order when the data source carries them. The values are kept as read, a
// few bytes a cell (a million rows fit in tens of megabytes), and put in the
// field's display format when a text is asked for; a format's texts are made
// once for each distinct value.
class ReportRows {
public:
    ReportRows() = default;

    // Reads the recordset from its current row to its end. Raises the
    // recordset's own RuntimeError when it is closed or lacks a bound column;
    // nothing is kept then.
    static ReportRows read(data::Recordset& source, const ReportLayout& layout);

    // A value of a column as a field of that format shows it: a date in the
    // short date format with a four-digit year, a number in general format,
    // anything else (text, Null) as stored.
    static QString display(const QVariant& value, FieldFormat format);

    int rowCount() const { return m_rows; }
    int columnCount() const { return static_cast<int>(m_fields.size()); }
    // The text of a detail field (in the layout's field order) in a row.
    QString text(int row, int field) const;
    // The texts a field shows, each once, in the order the rows first show them.
    QStringList distinctTexts(int field) const;
    // The value of a detail field in a row as the data source gave it.
    QVariant value(int row, int field) const;
    // The ID of the record a row's group stands for (the layout's group
    // key): Null when the record has gone, invalid when the data source
    // carries no such key (a database made before it did).
    QVariant groupKey(int row) const;
    bool hasGroupKeys() const { return m_keyed || m_rows == 0; }
    // Whether the data source carries its rows' own order (by the day and
    // time worked, then in the order the entries were made): the report puts
    // the rows its statement's sort finds equal in that order.
    bool hasOwnOrder() const { return !m_places.empty(); }
    // Whether a row comes before another in that order.
    bool placedBefore(int row, int other) const
    {
        const Place& a = m_places[static_cast<std::size_t>(row)];
        const Place& b = m_places[static_cast<std::size_t>(other)];
        return a.moment != b.moment ? a.moment < b.moment : a.entry < b.entry;
    }

private:
    struct Field {
        ListColumn cells;
        FieldFormat format;
        // The texts of the values that are not texts, by their cells' words.
        mutable QHash<quint32, QString> texts;
    };

    // A row's place in the report query's own order: the moment worked in
    // seconds (a date without a time of day at its midnight, no date first)
    // and the entry's ID.
    struct Place {
        qint64 moment;
        qint64 entry;
    };

    // The text a field shows for a cell's word.
    static QString textOf(const Field& field, quint32 word);

    static constexpr qint64 kNoRecord = std::numeric_limits<qint64>::min();

    int m_rows = 0;
    std::vector<Field> m_fields;
    bool m_keyed = false;
    std::vector<qint64> m_groupKeys;  // kNoRecord: the record has gone
    std::vector<Place> m_places;       // empty without the query's own order
};

}  // namespace hv::reports
