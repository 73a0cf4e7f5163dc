#pragma once

#include "data/sql_dialect.h"

#include <QByteArrayView>
#include <QString>

namespace hv::data {

// The rows of one running query as an engine yields them, read front to back:
// what a Recordset walks, whichever engine the connection reaches. Each cell
// is read by its class; a column's kind says what the recordset makes of it.
class RowCursor {
public:
    enum class Cell { Null, Integer, Real, Text, Binary };

    virtual ~RowCursor() = default;

    // Moves to the next row (the first, at the first call); false past the
    // last. Raises a RuntimeError with the engine's message on a failure.
    virtual bool next() = 0;

    virtual int columnCount() const = 0;
    virtual QString columnName(int column) const = 0;
    virtual ColumnKind columnKind(int column) const = 0;

    // The current row's cells; a column's index is in range.
    virtual Cell cell(int column) const = 0;
    virtual qint64 integer(int column) const = 0;
    virtual double real(int column) const = 0;
    // Text as UTF-8, or binary data; valid until the cursor moves.
    virtual QByteArrayView bytes(int column) const = 0;
    // The same for a cell known to hold text (cell() said so), which an
    // engine may hand over with less work.
    virtual QByteArrayView text(int column) const { return bytes(column); }
};

}  // namespace hv::data
