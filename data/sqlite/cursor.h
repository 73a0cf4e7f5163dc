#pragma once

#include "data/row_cursor.h"
#include "core/runtime_error.h"
#include "data/sqlite/handles.h"

#include <functional>

namespace hv::data {

// The rows of a compiled SQLite statement, stepped one at a time.
class SqliteCursor : public RowCursor {
public:
    // `failure` turns an engine result code met while stepping into the
    // error to raise (and may turn the connection read-only).
    SqliteCursor(StatementHandle statement, std::function<RuntimeError(int)> failure);

    bool next() override;
    int columnCount() const override;
    QString columnName(int column) const override;
    ColumnKind columnKind(int column) const override;
    Cell cell(int column) const override;
    qint64 integer(int column) const override;
    double real(int column) const override;
    QByteArrayView bytes(int column) const override;
    QByteArrayView text(int column) const override;

private:
    StatementHandle m_statement;
    std::function<RuntimeError(int)> m_failure;
};

}  // namespace hv::data
