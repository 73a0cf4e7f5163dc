#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <optional>

struct sqlite3;

namespace hv::data {

// What a column holds, from its declared type: how a value written to it is
// converted, and how a value read from it comes back.
enum class ColumnKind { Text, Integer, Number, Date, YesNo, Other };

// The kind of a declared type: DATE/TIME -> Date, YESNO/BOOL -> YesNo,
// DOUBLE/REAL/FLOAT/NUMERIC/DECIMAL/CURRENCY -> Number, INT -> Integer,
// CHAR/TEXT/CLOB/MEMO -> Text, anything else (or nothing) -> Other.
ColumnKind columnKindOf(QStringView declaredType);

// The program's SQL texts are written in the old desktop engine's dialect;
// this class turns one such text into the SQL that SQLite runs:
//   [Name With Blanks]      -> "Name With Blanks"
//   'text' (quotes doubled) -> unchanged; nothing inside a literal is touched
//   "text"                  -> 'text' (a string literal in the old dialect)
//   TRUE / FALSE            -> -1 / 0
//   First(T.c) / Last(T.c)  -> hv_first(T.c, T.rowid) / hv_last(T.c, T.rowid)
// and, for "insert into T (cols) values (vals)" and "update T set c=v, ...",
// wraps each value in the conversion of its target column's kind (hv_date,
// hv_number, hv_integer, hv_bool; see sql_functions.h), so that "7,5" typed
// under a German locale is stored as 7.5 and "12/7/2026" as a date.
// Everything after a ';' is copied as it stands: the caller refuses it.
class SqlDialect {
public:
    // The column kinds are read from `db` (PRAGMA table_info), once per table.
    explicit SqlDialect(sqlite3* db);

    // Raises a RuntimeError (database engine) for a name or literal that is
    // not closed.
    QString translate(const QString& sql) const;

    // The kind of a table's column, nothing when the table or column is
    // unknown. Names are matched without regard to case.
    std::optional<ColumnKind> columnKind(const QString& table, const QString& column) const;

    // The table's columns in their declared order (empty for an unknown table).
    QStringList columnNames(const QString& table) const;

private:
    struct TableColumns {
        QStringList names;
        QHash<QString, ColumnKind> kindByLowerName;
    };
    const TableColumns& columnsOf(const QString& table) const;

    sqlite3* m_db;
    mutable QHash<QString, TableColumns> m_tables;
};

}  // namespace hv::data
