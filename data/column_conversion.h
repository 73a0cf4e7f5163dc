#pragma once

#include "data/sql_dialect.h"

#include <QString>
#include <QtGlobal>
#include <optional>

namespace hv::data {

// A value as a statement hands it to a typed column, before conversion:
// what the engine evaluated, or the literal the statement's text holds.
struct ColumnInput {
    enum Kind { Null, Integer, Real, Text, Binary };
    Kind kind = Null;
    qint64 integer = 0;
    double real = 0.0;
    QString text;

    static ColumnInput null() { return {}; }
    static ColumnInput ofInteger(qint64 value) { return {Integer, value, 0.0, {}}; }
    static ColumnInput ofReal(double value) { return {Real, 0, value, {}}; }
    static ColumnInput ofText(QString value) { return {Text, 0, 0.0, std::move(value)}; }
};

// The stored form of a value written to a column of a kind: Null, a whole
// number (Integer columns, and -1 or 0 for yes/no), a number, or text (a date
// as "yyyy-MM-dd" or "yyyy-MM-ddTHH:mm:ss").
struct ColumnValue {
    enum Kind { Null, Integer, Real, Text };
    Kind kind = Null;
    qint64 integer = 0;
    double real = 0.0;
    QString text;
};

// Turns what a statement writes to a column of the given kind into the value
// stored, the one rule both engines follow: dates typed under the user's
// short date format (or ISO 8601, or the platform's day numbers), numbers in
// the user's number format, whole numbers, yes/no as True/Yes/On, False/No/Off
// or any number (non-zero is yes). Null stays Null; Text and Other columns
// take the input as it is. When the value cannot be stored, returns nothing
// and sets `refusal` to the sentence that names the value and the column:
// "Cannot store '<value>' in the column [<column>]: <reason>."
class ColumnConversion {
public:
    static std::optional<ColumnValue> convert(ColumnKind kind, const ColumnInput& input, const QString& column,
                                              QString& refusal);
};

}  // namespace hv::data
