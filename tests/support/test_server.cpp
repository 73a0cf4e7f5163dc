#include "support/test_server.h"

#include "data/postgres/handles.h"
#include "data/postgres/session.h"
#include "data/postgres/schema.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QThread>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/types.h>

namespace hv::test {

std::string backendName(const ::testing::TestParamInfo<Backend>& info)
{
    return info.param == Backend::Local ? "Local" : "Server";
}

std::optional<QString> testServerAddress()
{
    const QByteArray address = qgetenv("HOURVANE_TEST_SERVER");
    if (address.isEmpty())
        return std::nullopt;
    return QString::fromUtf8(address);
}

QString noTestServerReason()
{
    // The test command starts a server: there, a missing one is a failure.
    if (qEnvironmentVariableIntValue("HOURVANE_REQUIRE_TEST_SERVER") == 1)
        ADD_FAILURE() << "HOURVANE_REQUIRE_TEST_SERVER is set, but HOURVANE_TEST_SERVER is not";
    return QStringLiteral("no test server: HOURVANE_TEST_SERVER is not set (scripts/test.sh starts a private "
                          "PostgreSQL server and sets it)");
}

TestServerSchema::TestServerSchema(bool withTables)
    : m_base(testServerAddress().value_or(QString())),
      m_name(QStringLiteral("hv_test_%1_%2")
                 .arg(QCoreApplication::applicationPid())
                 .arg(QRandomGenerator::global()->generate64(), 0, 36))
{
    if (m_base.isEmpty())
        return;
    const QString failure = run("CREATE SCHEMA " + m_name.toUtf8());
    if (!failure.isEmpty()) {
        ADD_FAILURE() << "cannot create a schema on the test server: " << failure.toStdString();
        return;
    }
    if (withTables) {
        data::PostgresSession session(address(), false);
        data::ServerSchema::create(session);
    }
}

TestServerSchema::~TestServerSchema()
{
    if (m_base.isEmpty())
        return;
    run("DROP SCHEMA IF EXISTS " + m_name.toUtf8() + " CASCADE");
    // The schema's groups of rights, with every login's membership in them.
    const QByteArray group = "current_database() || '." + m_name.toUtf8() + " ";
    run("DO $$ BEGIN EXECUTE format('DROP ROLE IF EXISTS %I, %I', " + group + "editors', " + group
        + "readers'); END $$");
}

QString TestServerSchema::address() const
{
    return addressFor(m_base);
}

QString TestServerSchema::addressFor(const QString& base) const
{
    return base + (base.contains(u'?') ? u'&' : u'?') + QStringLiteral("options=-c%20search_path%3D") + m_name;
}

QString TestServerSchema::addressAs(const QString& login) const
{
    QString base = m_base;
    return addressFor(base.replace(QStringLiteral("://hourvane@"), QStringLiteral("://%1@").arg(login)));
}

namespace {

// Runs the SQL on the schema; the result of its last statement, and the
// server's error (empty on success).
data::ServerResultHandle runOn(const QString& base, const QString& schema, const QByteArray& sql, QString& error)
{
    const data::ServerConnectionHandle connection(PQconnectdb(base.toUtf8().constData()));
    if (PQstatus(connection.get()) != CONNECTION_OK) {
        error = QString::fromUtf8(PQerrorMessage(connection.get()));
        return nullptr;
    }
    const QByteArray text = "SET client_min_messages = error; SET search_path = " + schema.toUtf8() + "; " + sql;
    data::ServerResultHandle result(PQexec(connection.get(), text.constData()));
    const ExecStatusType status = PQresultStatus(result.get());
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
        error = QString::fromUtf8(PQresultErrorMessage(result.get()));
    return result;
}

}  // namespace

QString TestServerSchema::run(const QByteArray& sql) const
{
    QString error;
    runOn(m_base, m_name, sql, error);
    return error;
}

QList<QByteArray> TestServerSchema::storedBytes(const QByteArray& sql) const
{
    QString error;
    const data::ServerResultHandle result = runOn(m_base, m_name, sql, error);
    QList<QByteArray> values;
    if (!error.isEmpty()) {
        ADD_FAILURE() << sql.constData() << ": " << error.toStdString();
        return values;
    }
    for (int row = 0; row < PQntuples(result.get()); ++row)
        values << QByteArray(PQgetvalue(result.get(), row, 0), PQgetlength(result.get(), row, 0));
    return values;
}

StoppedServerProcess::StoppedServerProcess(qint64 pid) : m_pid(pid)
{
    m_stopped = pid > 0 && ::kill(static_cast<pid_t>(pid), SIGSTOP) == 0;
    if (!m_stopped)
        ADD_FAILURE() << "cannot stop the server process " << pid;
}

StoppedServerProcess::~StoppedServerProcess()
{
    resume();
}

void StoppedServerProcess::resume()
{
    if (m_stopped)
        ::kill(static_cast<pid_t>(m_pid), SIGCONT);
    m_stopped = false;
}

bool waitUntilBackendEnds(qint64 pid)
{
    const std::optional<QString> base = testServerAddress();
    if (!base)
        return false;
    const QByteArray sql = "SELECT count(*) FROM pg_stat_activity WHERE pid = " + QByteArray::number(pid);
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 10000) {
        const data::ServerConnectionHandle connection(PQconnectdb(base->toUtf8().constData()));
        const data::ServerResultHandle result(PQexec(connection.get(), sql.constData()));
        if (PQresultStatus(result.get()) == PGRES_TUPLES_OK && qstrcmp(PQgetvalue(result.get(), 0, 0), "0") == 0)
            return true;
        QThread::msleep(20);
    }
    return false;
}

}  // namespace hv::test
