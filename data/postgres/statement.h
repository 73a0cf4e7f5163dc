#pragma once

#include "data/engine_statement.h"
#include "data/postgres/handles.h"
#include "data/postgres/server_values.h"

#include <QByteArray>
#include <optional>
#include <vector>

namespace hv::data {

class PostgresSession;

// A statement of the program's own prepared on a PostgreSQL server under a
// name of its own (each ? or ?N written as the server's $N), run with the
// values bound; the rows of a run come back as one result, walked here.
class PostgresStatement : public ServerValues<EngineStatement> {
public:
    // Raises the server's message when the text does not compile there.
    PostgresStatement(PostgresSession& session, const QString& sql);
    // Releases the statement on the server.
    ~PostgresStatement() override;

    void execute() override;
    bool next() override;
    bool isNull(int column) const override;
    qint64 integer(int column) const override;
    double number(int column) const override;
    QString text(int column) const override;
    bool isNumber(int column) const override;
    qint64 lastInsertId() const override;

private:
    const char* cell(int column) const;
    int cellLength(int column) const;

    PostgresSession& m_session;
    QByteArray m_name;
    // The rows of the present run and the row stood on.
    ServerResultHandle m_result;
    int m_row = -1;
};

}  // namespace hv::data
