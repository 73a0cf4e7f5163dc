#pragma once

#include "data/postgres/server_values.h"
#include "data/row_copy.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace hv::data {

class PostgresSession;

// Rows copied into a table on a PostgreSQL server with the COPY protocol, in
// the server's text form (a tab between values, \N for Null, backslash,
// tab, line feed and carriage return escaped), sent in large pieces inside
// the session's transaction. A copy ended early (destroyed before finish(),
// or refused) leaves the transaction as it was before the copy began.
class PostgresRowCopy : public ServerValues<RowCopy> {
public:
    // Starts the copy into `table`, naming `columns` in order; raises the
    // server's message (no such table or column, a read-only server, no
    // transaction open).
    PostgresRowCopy(PostgresSession& session, const QString& table, const QStringList& columns);
    ~PostgresRowCopy() override;

    void add() override;
    long finish() override;

private:
    // Sends the rows gathered so far.
    void send();

    PostgresSession& m_session;
    QByteArray m_pending;
    // Between the start and the end of the copy on the server.
    bool m_open = false;
};

}  // namespace hv::data
