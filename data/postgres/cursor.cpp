#include "data/postgres/cursor.h"

#include <charconv>

namespace hv::data {

namespace {

// The server's built-in type numbers (pg_type.oid) the program meets.
enum : Oid {
    BoolOid = 16,
    Int8Oid = 20,
    Int2Oid = 21,
    Int4Oid = 23,
    TextOid = 25,
    OidOid = 26,
    Float4Oid = 700,
    Float8Oid = 701,
    BpcharOid = 1042,
    VarcharOid = 1043,
    DateOid = 1082,
    TimestampOid = 1114,
    NumericOid = 1700,
};

ColumnKind kindOfType(Oid type)
{
    switch (type) {
    case Int2Oid:
    case Int4Oid:
    case Int8Oid:
    case OidOid:
        return ColumnKind::Integer;
    case Float4Oid:
    case Float8Oid:
    case NumericOid:
        return ColumnKind::Number;
    case DateOid:
    case TimestampOid:
        return ColumnKind::Date;
    case BoolOid:
        return ColumnKind::YesNo;
    case TextOid:
    case VarcharOid:
    case BpcharOid:
        return ColumnKind::Text;
    default:
        return ColumnKind::Other;
    }
}

}  // namespace

PostgresCursor::PostgresCursor(ServerResultHandle result, const QSet<QPair<Oid, int>>& yesNoColumns)
    : m_result(std::move(result)), m_rows(PQntuples(m_result.get()))
{
    const int columns = PQnfields(m_result.get());
    for (int c = 0; c < columns; ++c) {
        if (qstrcmp(PQfname(m_result.get(), c), "hourvane_order") == 0)
            continue;
        m_columns << c;
        const Oid type = PQftype(m_result.get(), c);
        ColumnKind kind = kindOfType(type);
        if (kind == ColumnKind::Integer && yesNoColumns.contains({PQftable(m_result.get(), c), PQftablecol(m_result.get(), c)}))
            kind = ColumnKind::YesNo;
        m_kinds << kind;
        switch (kind) {
        case ColumnKind::Integer:
        case ColumnKind::YesNo:
            m_cells << Cell::Integer;
            break;
        case ColumnKind::Number:
            m_cells << Cell::Real;
            break;
        default:
            m_cells << Cell::Text;
            break;
        }
    }
}

bool PostgresCursor::next()
{
    if (m_row < m_rows)
        ++m_row;
    return m_row < m_rows;
}

int PostgresCursor::columnCount() const
{
    return static_cast<int>(m_kinds.size());
}

QString PostgresCursor::columnName(int column) const
{
    return QString::fromUtf8(PQfname(m_result.get(), m_columns.at(column)));
}

ColumnKind PostgresCursor::columnKind(int column) const
{
    return m_kinds.at(column);
}

RowCursor::Cell PostgresCursor::cell(int column) const
{
    if (PQgetisnull(m_result.get(), m_row, m_columns.at(column)))
        return Cell::Null;
    return m_cells.at(column);
}

qint64 PostgresCursor::integer(int column) const
{
    const char* text = PQgetvalue(m_result.get(), m_row, m_columns.at(column));
    if (text[0] == 't' || text[0] == 'f')
        return text[0] == 't' ? -1 : 0;  // a boolean reads as yes/no
    qint64 value = 0;
    std::from_chars(text, text + PQgetlength(m_result.get(), m_row, m_columns.at(column)), value);
    return value;
}

double PostgresCursor::real(int column) const
{
    const char* text = PQgetvalue(m_result.get(), m_row, m_columns.at(column));
    double value = 0.0;
    // The server writes numbers with a '.', whatever the program's locale.
    std::from_chars(text, text + PQgetlength(m_result.get(), m_row, m_columns.at(column)), value);
    return value;
}

QByteArrayView PostgresCursor::bytes(int column) const
{
    return {PQgetvalue(m_result.get(), m_row, m_columns.at(column)), PQgetlength(m_result.get(), m_row, m_columns.at(column))};
}

}  // namespace hv::data
