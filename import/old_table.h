#pragma once

#include "import/old_value.h"

#include <QString>
#include <QStringList>
#include <memory>

struct S_MdbTableDef;

namespace hv::import {

class LibraryMessages;

// The rows of one table of an old-format file, read front to back through
// the old-format library. Columns are found by name; only the columns asked
// for with use() are read, each value with its kind, Null kept apart from
// empty text. Belongs to the OldDatabase that opened it and must not outlive it.
class OldTable {
public:
    // Takes over the library's table definition (with its columns read).
    OldTable(S_MdbTableDef* table, QString file, const LibraryMessages& messages);
    ~OldTable();
    OldTable(const OldTable&) = delete;
    OldTable& operator=(const OldTable&) = delete;

    QString name() const;
    QStringList columnNames() const;
    // The position of a column, its name matched without regard to case; -1
    // when the table has none of that name.
    int column(const QString& name) const;

    // The kind the column's values come as (Null for a type this program
    // cannot take, such as binary data or a replication ID), and the type's
    // name for messages.
    OldValue::Kind kindOf(int column) const;
    QString typeName(int column) const;

    // Marks a column to be read with each row.
    void use(int column);

    // Moves to the next row: false after the last. Raises an ImportError that
    // names the file when the table cannot be read to its end (fewer rows
    // than the table says it holds: a truncated or damaged file).
    bool next();

    // The position of the current row in the table, counted from 1.
    qint64 rowNumber() const;

    // A value of the current row from a used column. Raises an ImportError
    // for a text longer than the program can take.
    OldValue value(int column) const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace hv::import
