#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace hv::data {

// What a column holds, from its declared type: how a value written to it is
// converted, and how a value read from it comes back.
enum class ColumnKind { Text, Integer, Number, Date, YesNo, Other };

// The kind of a declared type: DATE/TIME -> Date, YESNO/BOOL -> YesNo,
// DOUBLE/REAL/FLOAT/NUMERIC/DECIMAL/CURRENCY -> Number, INT -> Integer,
// CHAR/TEXT/CLOB/MEMO -> Text, anything else (or nothing) -> Other.
ColumnKind columnKindOf(QStringView declaredType);

// The columns of one table or stored query: their names in declared order
// and the kind of each.
struct TableColumns {
    QString tableName;  // as the database spells it
    QStringList names;
    QHash<QString, ColumnKind> kindByLowerName;
};

// The engine a translation is written for.
enum class SqlTarget { Sqlite, Postgres };

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
//
// For a PostgreSQL server the same tokens are written differently: every
// name the server knows (bracketed or bare, matched without regard to case)
// becomes a quoted identifier spelt as the server spells it, First(T.c) and
// Last(T.c) pick by the order of T's IDs, and a literal written to a typed
// column is converted here, by the rule SQLite's conversions follow
// (ColumnConversion), so that the server receives a plain ISO date or number;
// a literal that cannot be stored is refused before anything is sent. A '$'
// outside a literal is refused, and a name never runs into a quoted literal,
// so nothing but the program's own text is ever read as SQL.
class SqlDialect {
public:
    // The columns of a table or stored query as the local file declares
    // them; no names when it holds no such one.
    using ColumnReader = std::function<TableColumns(const QString& table)>;

    // For the local file: the column kinds are read with `readColumns`, once
    // per table.
    explicit SqlDialect(ColumnReader readColumns);
    // The server's tables and stored queries, by lower-case name.
    SqlDialect(SqlTarget target, QHash<QString, TableColumns> tables);

    SqlTarget target() const { return m_target; }

    // What a statement is, read from its tokens (literals and names skipped):
    // its first word, whether a select writes into a table ("select ...
    // into"), and whether anything but blanks follows a ';'.
    struct Shape {
        QString verb;
        bool selectInto = false;
        bool trailingText = false;
    };
    static Shape shape(const QString& sql);

    // Raises a RuntimeError (database engine) for a name or literal that is
    // not closed.
    QString translate(const QString& sql) const;

    // The kind of a table's column, nothing when the table or column is
    // unknown. Names are matched without regard to case.
    std::optional<ColumnKind> columnKind(const QString& table, const QString& column) const;

    // The table's columns in their declared order (empty for an unknown table).
    QStringList columnNames(const QString& table) const;

    // The spelling the database gives a table, stored query or column name
    // (matched without regard to case); the name as written when unknown.
    QString knownName(const QString& name) const;
    bool isKnown(const QString& name) const;

private:
    const TableColumns& columnsOf(const QString& table) const;

    SqlTarget m_target = SqlTarget::Sqlite;
    ColumnReader m_readColumns;
    mutable QHash<QString, TableColumns> m_tables;
    // Every table, stored query and column name, by its lower-case form.
    QHash<QString, QString> m_knownNames;
};

}  // namespace hv::data
