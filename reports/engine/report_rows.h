#pragma once

#include "reports/engine/report_layout.h"

#include <QString>
#include <QVariant>
#include <vector>

namespace hv::data {
class Recordset;
}

namespace hv::reports {

// The detail lines of a report as the texts its fields show: every row of
// the data source read once, in its order, each field's column found by name
// and its value put in the field's display format, with the hidden key of
// the record its group stands for when the data source carries one.
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

    int rowCount() const { return m_columns == 0 ? 0 : static_cast<int>(m_texts.size() / m_columns); }
    int columnCount() const { return m_columns; }
    // The text of a detail field (in the layout's field order) in a row.
    const QString& text(int row, int field) const { return m_texts[index(row, field)]; }
    // The value of a detail field in a row as the data source gave it.
    const QVariant& value(int row, int field) const { return m_values[index(row, field)]; }
    // The ID of the record a row's group stands for (the layout's group
    // key): Null when the record has gone, invalid when the data source
    // carries no such key (a database made before it did).
    QVariant groupKey(int row) const
    {
        return m_groupKeys.empty() ? QVariant() : m_groupKeys[static_cast<std::size_t>(row)];
    }
    bool hasGroupKeys() const { return !m_groupKeys.empty() || rowCount() == 0; }

private:
    std::size_t index(int row, int field) const
    {
        return static_cast<std::size_t>(row) * static_cast<std::size_t>(m_columns) + static_cast<std::size_t>(field);
    }

    int m_columns = 0;
    std::vector<QString> m_texts;
    std::vector<QVariant> m_values;
    std::vector<QVariant> m_groupKeys;
};

}  // namespace hv::reports
