#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace hv::test {

// Where a test's database lives: a local file or the test server.
enum class Backend { Local, Server };

// Both, for a parameterised suite, and their names in the test names.
inline auto backends()
{
    return ::testing::Values(Backend::Local, Backend::Server);
}
std::string backendName(const ::testing::TestParamInfo<Backend>& info);

// The address of the private PostgreSQL server that scripts/test.sh starts
// (HOURVANE_TEST_SERVER); nothing when the tests run without one.
std::optional<QString> testServerAddress();

// Why a test that needs the server is skipped.
QString noTestServerReason();

// A schema of its own in the test server's database, holding the program's
// tables (unless `withTables` is false), dropped with everything in it when
// the object goes. address() reaches it as the database's only schema.
class TestServerSchema {
public:
    explicit TestServerSchema(bool withTables = true);
    ~TestServerSchema();
    TestServerSchema(const TestServerSchema&) = delete;
    TestServerSchema& operator=(const TestServerSchema&) = delete;

    QString address() const;
    QString name() const { return m_name; }
    // The address for another role (user@) of the test server, same schema.
    QString addressFor(const QString& base) const;
    // The address with another login of the test server's
    // (HOURVANE_TEST_SERVER_LOGINS), same schema.
    QString addressAs(const QString& login) const;

    // Runs SQL of the test's own on the schema, past the program's checks
    // (as another program would); returns the server's error, empty on success.
    QString run(const QByteArray& sql) const;

    // The first column of every row of `sql`, as the server gives its bytes
    // (an empty list, and a test failure, when the query fails).
    QList<QByteArray> storedBytes(const QByteArray& sql) const;

private:
    QString m_base;
    QString m_name;
};

// A server process held still (SIGSTOP) for the life of the object, as a
// server that stops answering would be; it goes on (SIGCONT) when the object
// goes, whatever the test did meanwhile.
class StoppedServerProcess {
public:
    explicit StoppedServerProcess(qint64 pid);
    ~StoppedServerProcess();
    StoppedServerProcess(const StoppedServerProcess&) = delete;
    StoppedServerProcess& operator=(const StoppedServerProcess&) = delete;

    // Lets it go on now.
    void resume();

private:
    qint64 m_pid;
    bool m_stopped = false;
};

// Waits (up to ten seconds) until the server process that served a
// connection has ended, so that whatever it would still have done is done;
// false when it has not.
bool waitUntilBackendEnds(qint64 pid);

}  // namespace hv::test
