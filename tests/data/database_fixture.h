#pragma once

#include "data/connection.h"
#include "support/test_environment.h"
#include "support/test_server.h"

#include "core/runtime_error.h"
#include "data/sqlite/handles.h"

#include <QLocale>
#include <QString>
#include <QVariant>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <tuple>

namespace hv::test {

// The failure that `call` raises; number 0 when it raises none.
RuntimeError errorOf(const std::function<void()>& call);

// Every read of a recordset: the rows of `sql`, each as its values by column.
QList<QVariantList> readRows(data::Connection& connection, const QString& sql);

// The first row's value of `field`, or an invalid QVariant when there is no row.
QVariant readValue(data::Connection& connection, const QString& sql, const QString& field);

// A bare engine handle on a file, as another program would hold it (created
// when missing), waiting up to five seconds for locks.
data::DatabaseHandle openRawDatabase(const QString& path);

// Sets the program's locale for the life of the object.
class ScopedLocale {
public:
    explicit ScopedLocale(const QString& name) { QLocale::setDefault(QLocale(name)); }
    ~ScopedLocale() { QLocale::setDefault(m_previous); }
    ScopedLocale(const ScopedLocale&) = delete;
    ScopedLocale& operator=(const ScopedLocale&) = delete;

private:
    QLocale m_previous;
};

// A fresh database of the program's tables, opened under the en_US locale: a
// copy of the template, or a schema of its own on the test server (skipped,
// saying so, when there is no test server).
class DatabaseTest : public ::testing::Test {
protected:
    explicit DatabaseTest(Backend backend = Backend::Local) : m_backend(backend) {}
    void SetUp() override;

    bool onServer() const { return m_backend == Backend::Server; }

    data::Connection& db() { return m_connection; }
    QList<QVariantList> rows(const QString& sql) { return readRows(m_connection, sql); }
    QVariant value(const QString& sql, const QString& field) { return readValue(m_connection, sql, field); }
    void execute(const QString& sql) { m_connection.Execute(sql); }
    // Runs `sql` and returns the description it fails with (empty if it did not).
    QString failureOf(const QString& sql);

    // Inserts the way the program's editors do; returns the new ID.
    qint64 addEmployee(const QString& first, const QString& last, const QString& company = QString());
    qint64 addWorkCode(const QString& description, bool billable);
    qint64 addEntry(qint64 employee, const QDate& date, qint64 workCode, const QString& hours,
                    const QString& description);
    qint64 lastId(const QString& table);

    Backend m_backend;
    ScopedLocale m_locale{QStringLiteral("en_US")};
    TemporaryDatabase m_database;
    std::unique_ptr<TestServerSchema> m_server;
    data::Connection m_connection;
};

// A statement test run on both backends.
class StatementTest : public DatabaseTest, public ::testing::WithParamInterface<Backend> {
protected:
    StatementTest() : DatabaseTest(GetParam()) {}
};

// A statement test of many cases, each run on both backends.
template <class Case>
class StatementCaseTest : public DatabaseTest, public ::testing::WithParamInterface<std::tuple<Backend, Case>> {
protected:
    StatementCaseTest() : DatabaseTest(std::get<0>(this->GetParam())) {}
    const Case& param() const { return std::get<1>(this->GetParam()); }
};

// Names a case of StatementCaseTest by its backend and index.
struct BackendCaseName {
    template <class Param>
    std::string operator()(const ::testing::TestParamInfo<Param>& info) const
    {
        return (std::get<0>(info.param) == Backend::Local ? "Local_" : "Server_") + std::to_string(info.index);
    }
};

// Instantiates a StatementCaseTest suite over both backends and the cases.
#define HV_STATEMENT_CASES(prefix, suite, ...)                                                                      \
    INSTANTIATE_TEST_SUITE_P(prefix, suite, ::testing::Combine(::hv::test::backends(), ::testing::Values(__VA_ARGS__)), \
                             ::hv::test::BackendCaseName())

}  // namespace hv::test
