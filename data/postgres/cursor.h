#pragma once

#include "data/postgres/handles.h"
#include "data/row_cursor.h"

#include <QSet>
#include <QVector>

namespace hv::data {

// The rows of one query answered by a PostgreSQL server, taken as one result
// in text form and read front to back. Each column's kind comes from its type
// on the server: whole numbers, numbers, timestamps and dates (read as ISO
// text), text; a column of the yes/no type (`yesNoColumns`, by table and
// column number) reads as yes/no. A column named hourvane_order (a stored
// query's place of each row in its own order) is not shown.
class PostgresCursor : public RowCursor {
public:
    PostgresCursor(ServerResultHandle result, const QSet<QPair<Oid, int>>& yesNoColumns);

    bool next() override;
    int columnCount() const override;
    QString columnName(int column) const override;
    ColumnKind columnKind(int column) const override;
    Cell cell(int column) const override;
    qint64 integer(int column) const override;
    double real(int column) const override;
    QByteArrayView bytes(int column) const override;

private:
    ServerResultHandle m_result;
    int m_rows = 0;
    int m_row = -1;
    // The result's column of each column shown.
    QVector<int> m_columns;
    QVector<ColumnKind> m_kinds;
    QVector<Cell> m_cells;
};

}  // namespace hv::data
