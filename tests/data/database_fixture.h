#pragma once

#include "data/connection.h"
#include "support/test_environment.h"

#include "data/runtime_error.h"
#include "data/sqlite_handles.h"

#include <QLocale>
#include <QString>
#include <QVariant>
#include <functional>
#include <gtest/gtest.h>

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

// The bytes of a file, to check that something left it untouched.
QByteArray fileBytes(const QString& path);

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

// A fresh copy of the template, opened under the en_US locale.
class DatabaseTest : public ::testing::Test {
protected:
    DatabaseTest() { m_connection.Open(m_database.connectionString()); }

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

    ScopedLocale m_locale{QStringLiteral("en_US")};
    TemporaryDatabase m_database;
    data::Connection m_connection;
};

}  // namespace hv::test
