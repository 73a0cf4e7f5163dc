#pragma once

#include <QByteArrayView>
#include <QString>
#include <memory>

namespace hv::data {

class Connection;
class EngineStatement;

// One statement compiled once and run many times with new values, for the
// program's own bulk work (the import of old files, the export of entries)
// where compiling one statement per row would take most of the time. The
// text is the engine's own SQL with a ? for each value (names in double
// quotes), not the dialect of the windows' statements: these statements are
// the program's, never built from what the user typed. Values are bound by
// position, counted from 1, and stay bound until the next run.
//
// On a server the same text runs there (each ? or ?N becomes $N); it must
// then be SQL both engines read alike. A date or timestamp is read back as
// text in the local file's stored form ("yyyy-MM-dd", or with "THH:mm:ss").
// A statement still open when its connection closes is closed with it; every
// call after that raises the "connection cannot be used" error.
class PreparedStatement {
public:
    // Raises a RuntimeError with the engine's message when the text does not
    // compile or the connection is closed.
    PreparedStatement(Connection& connection, const QString& sql);
    ~PreparedStatement();
    PreparedStatement(const PreparedStatement&) = delete;
    PreparedStatement& operator=(const PreparedStatement&) = delete;

    void bindNull(int position);
    void bindInteger(int position, qint64 value);
    void bindNumber(int position, double value);
    // Text as UTF-8 bytes, copied by the engine.
    void bindText(int position, QByteArrayView utf8);
    void bindText(int position, const QString& text);

    // Runs a write to its end and makes the statement ready for the next
    // values. Raises a RuntimeError with the engine's message when refused.
    void execute();

    // Steps a read: true while standing on a row, false at the end (the
    // statement is then ready to run again).
    bool next();
    bool isNull(int column) const;
    qint64 integer(int column) const;
    double number(int column) const;
    // Text exactly as stored: a leading U+FEFF is a character of it.
    QString text(int column) const;
    // True when the value is stored as a number (not as text or Null).
    bool isNumber(int column) const;

    // The ID that the last insert on the statement's connection received.
    qint64 lastInsertId() const;

private:
    friend class Connection;

    // The engine's statement; raises the "connection cannot be used" error
    // once the connection has closed.
    EngineStatement& statement() const;
    // Lets the engine's statement go, before its connection closes.
    void release();

    Connection* m_connection;
    std::unique_ptr<EngineStatement> m_statement;
};

}  // namespace hv::data
