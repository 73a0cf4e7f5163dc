#pragma once

#include "core/stored_value.h"

#include <QString>
#include <QVariant>
#include <memory>

namespace hv::data {

class Connection;

// The rows of one query, read front to back; the stand-in for the platform's
// read-only, static recordset. Each value keeps its kind: a date column reads
// back as a QDate (QDateTime when it carries a time of day, marked
// Qt::UTC only so that no zone shifts it), a number as a double, a whole
// number as qint64, a yes/no as bool, text as QString, and an empty column as
// a null QVariant. A stored date text that cannot be read as a date comes
// back as that text.
//
// Rows are read from the engine one at a time as the recordset moves, never
// gathered up front, so a list of 100,000 entries costs little more than the
// engine's own stepping. (A server hands the rows of a query over in one
// result, which the recordset then walks the same way.) The recordset therefore sees the table as it stands
// while it is walked: the program reads each recordset in one pass and writes
// nothing in between. A recordset still open when its connection closes is
// closed with it.
class Recordset {
public:
    enum State { StateClosed = 0, StateOpen = 1 };
    static constexpr int adOpenStatic = 3;
    static constexpr int adLockReadOnly = 1;

    Recordset();
    ~Recordset();
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    // Runs the query text (the program's SQL dialect) on the active connection
    // and stands on its first row. Raises a RuntimeError carrying the engine's
    // message when the query cannot run, when the connection is closed, or when
    // the recordset is already open. Only cursor type 3 (static) and lock type 1
    // (read-only) are offered; anything else raises "Invalid property value".
    // A statement that would change data, or text after the end of the query
    // ("Characters found after end of SQL statement."), is refused.
    void Open(const QString& source, Connection& activeConnection,
              int cursorType = adOpenStatic, int lockType = adLockReadOnly);

    // True when there is no current row (no rows at all, or past the last).
    // Raises "Operation is not allowed when the object is closed." when closed.
    bool Eof() const;

    // The value of the named column in the current row; names are matched
    // without regard to case. Raises "Item cannot be found in the collection
    // corresponding to the requested name or ordinal." for an unknown name and
    // the "no current record" error at end of file.
    QVariant Fields(const QString& name) const;

    // The same, by position: resolve a name once with fieldIndex() and read
    // many rows with value() or text().
    int fieldIndex(const QString& name) const;
    // The columns shown: those a stored query carries for the program alone
    // (named hourvane_..., after the others) are not among them.
    int fieldCount() const;
    QString fieldName(int index) const;
    QVariant value(int index) const;
    // The position of such a column for value(), found by its name without
    // regard to case; -1 when the query carries none of that name.
    int keyIndex(const QString& name) const;

    // The value "joined to empty text" (hv::text::valueToText under the locale
    // in force at Open), computed without building a QVariant on the way; the
    // list fill's fast path.
    QString text(int index) const;

    // The value as stored, with no QVariant and no text made on the way: the
    // kind value() would give it and its number, date or bytes. For a Text or
    // Other value, text() gives its decoded text.
    StoredValue stored(int index) const;

    // Moves to the next row; raises the "no current record" error at end of file.
    void MoveNext();

    // Releases the query; raises "Operation is not allowed when the object is
    // closed." when it is not open.
    void Close();

    int state() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace hv::data
