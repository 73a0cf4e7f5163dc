#pragma once

#include <QByteArray>
#include <sqlite3.h>

namespace hv::data {

// The values of a table row as the engine held them at one moment, packed in
// one block (its type and bytes a value) so that a large change keeps little
// in memory: appended from the engine's values, bound back to a statement's
// parameters exactly as they were.
class RowImage {
public:
    void append(sqlite3_value* value);
    // Binds the values, in order, to the parameters of `statement` from
    // `first` on.
    void bindTo(sqlite3_stmt* statement, int first) const;

private:
    QByteArray m_bytes;
};

}  // namespace hv::data
