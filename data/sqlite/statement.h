#pragma once

#include "data/engine_statement.h"
#include "data/sqlite/handles.h"

namespace hv::data {

class SqliteSession;

// A statement of the program's own compiled once by SQLite (and kept
// compiled for many runs), stepped and read with the engine's own calls.
class SqliteStatement : public EngineStatement {
public:
    // Raises the engine's message when the text does not compile.
    SqliteStatement(SqliteSession& session, sqlite3* db, const QString& sql);

    void bindNull(int position) override;
    void bindInteger(int position, qint64 value) override;
    void bindNumber(int position, double value) override;
    void bindText(int position, QByteArrayView utf8) override;
    void execute() override;
    bool next() override;
    bool isNull(int column) const override;
    qint64 integer(int column) const override;
    double number(int column) const override;
    QString text(int column) const override;
    bool isNumber(int column) const override;
    qint64 lastInsertId() const override;

private:
    // Raises the engine's message for a result code other than SQLITE_OK.
    void check(int resultCode) const;
    // Ends a run at its last step: resets the statement, raises on a failure.
    void finishRun(int stepResult);

    SqliteSession& m_session;
    sqlite3* m_db;
    StatementHandle m_statement;
};

}  // namespace hv::data
