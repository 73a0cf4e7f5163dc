#include "database_fixture.h"

#include "core/locale_text.h"
#include "data/recordset.h"
#include "core/runtime_error.h"

#include <QFile>

namespace hv::test {

RuntimeError errorOf(const std::function<void()>& call)
{
    try {
        call();
    } catch (const RuntimeError& error) {
        return error;
    }
    return {0, QString()};
}

QList<QVariantList> readRows(data::Connection& connection, const QString& sql)
{
    data::Recordset recordset;
    recordset.Open(sql, connection, data::Recordset::adOpenStatic, data::Recordset::adLockReadOnly);
    QList<QVariantList> result;
    while (!recordset.Eof()) {
        QVariantList row;
        for (int i = 0; i < recordset.fieldCount(); ++i)
            row << recordset.value(i);
        result << row;
        recordset.MoveNext();
    }
    recordset.Close();
    return result;
}

QVariant readValue(data::Connection& connection, const QString& sql, const QString& field)
{
    data::Recordset recordset;
    recordset.Open(sql, connection);
    return recordset.Eof() ? QVariant() : recordset.Fields(field);
}

data::DatabaseHandle openRawDatabase(const QString& path)
{
    sqlite3* raw = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    sqlite3_busy_timeout(raw, 5000);
    return data::DatabaseHandle(raw);
}

void DatabaseTest::SetUp()
{
    if (m_backend == Backend::Local) {
        m_connection.Open(m_database.connectionString());
        return;
    }
    if (!testServerAddress())
        GTEST_SKIP() << noTestServerReason().toStdString();
    m_server = std::make_unique<TestServerSchema>();
    m_connection.Open(m_server->address());
}

QString DatabaseTest::failureOf(const QString& sql)
{
    try {
        m_connection.Execute(sql);
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), err::DatabaseEngine) << error.what();
        return error.description();
    }
    return {};
}

qint64 DatabaseTest::addEmployee(const QString& first, const QString& last, const QString& company)
{
    execute(QStringLiteral("insert into Employees ([First Name],[Last Name],[E-mail Address],Company,[Job Title]) "
                           "values ('")
            + first + QStringLiteral("','") + last + QStringLiteral("','','") + company
            + QStringLiteral("','')"));
    return lastId(QStringLiteral("Employees"));
}

qint64 DatabaseTest::addWorkCode(const QString& description, bool billable)
{
    execute(QStringLiteral("insert into [Work Codes] (Description,Billable) values ('") + description
            + QStringLiteral("',") + (billable ? QStringLiteral("TRUE") : QStringLiteral("FALSE"))
            + QStringLiteral(")"));
    return lastId(QStringLiteral("Work Codes"));
}

qint64 DatabaseTest::addEntry(qint64 employee, const QDate& date, qint64 workCode, const QString& hours,
                              const QString& description)
{
    execute(QStringLiteral("insert into [Work Hours] (Employee,[Date Worked],[Work Code],Hours,[Work "
                           "Description]) values (")
            + QString::number(employee) + QStringLiteral(",'") + text::dateToText(date) + QStringLiteral("',")
            + QString::number(workCode) + QStringLiteral(",'") + hours + QStringLiteral("','") + description
            + QStringLiteral("')"));
    return lastId(QStringLiteral("Work Hours"));
}

qint64 DatabaseTest::lastId(const QString& table)
{
    return value(QStringLiteral("select max(ID) as [Newest] from [") + table + QStringLiteral("]"),
                 QStringLiteral("Newest"))
        .toLongLong();
}

}  // namespace hv::test
