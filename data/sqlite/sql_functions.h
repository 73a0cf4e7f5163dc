#pragma once

#include <QDateTime>
#include <QString>

struct sqlite3;

namespace hv::data {

// The functions that the translated SQL calls, registered on every open
// connection:
//   hv_date(value, column)     a date typed as text under the user's short date
//                              format (or ISO 8601) -> ISO text for storage
//   hv_number(value, column)   a number, or text the user's locale reads as one
//   hv_integer(value, column)  a whole number, or text holding one
//   hv_bool(value, column)     any non-zero number (or True/Yes) -> -1, zero -> 0
//   hv_first(value, rowid)     aggregate: the value of the row read first
//   hv_last(value, rowid)      aggregate: the value of the row read last
// Null passes through every conversion unchanged. A value that cannot be
// converted fails the statement with a description that names the value and
// the column, so the statement writes nothing. Returns the engine's result code.
int registerSqlFunctions(sqlite3* db);

}  // namespace hv::data
