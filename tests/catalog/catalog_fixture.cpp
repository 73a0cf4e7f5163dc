#include "catalog_fixture.h"

#include "core/file_system.h"
#include "gui/shared_connection.h"
#include "data/component_factory.h"
#include "data/connection.h"
#include "data/recordset.h"

#include <QFile>
#include <sqlite3.h>

namespace hv::test {

void CatalogTest::SetUp()
{
    if (onServer()) {
        if (!testServerAddress())
            GTEST_SKIP() << noTestServerReason().toStdString();
        m_server = std::make_unique<TestServerSchema>();
    }
    fs::setProgramFolder(programFolder());
    SharedConnection::set(data::ComponentFactory::createConnection());
    SharedConnection::get().Open(onServer() ? m_server->address() : m_db.connectionString());
}

void CatalogTest::TearDown()
{
    if (SharedConnection::isSet()) {
        if (SharedConnection::get().state() != data::Connection::StateClosed)
            SharedConnection::get().Close();
        SharedConnection::release();
    }
    fs::setProgramFolder({});
}

void CatalogTest::execute(const QString& sql) const
{
    SharedConnection::get().Execute(sql);
}

QList<QVariantList> CatalogTest::rows(const QString& sql) const
{
    data::Recordset rs;
    rs.Open(sql, SharedConnection::get());
    QList<QVariantList> result;
    while (!rs.Eof()) {
        QVariantList row;
        for (int i = 0; i < rs.fieldCount(); ++i)
            row.append(rs.value(i));
        result.append(row);
        rs.MoveNext();
    }
    rs.Close();
    return result;
}

QString CatalogTest::lastId(const QString& table) const
{
    const QList<QVariantList> found = rows(QStringLiteral("select Max(ID) from [%1]").arg(table));
    return found.isEmpty() ? QString() : found.first().first().toString();
}

void CatalogTest::refuseWrites(const QString& table) const
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(m_db.path()).constData(), &db), SQLITE_OK);
    const QString sql = QStringLiteral(
        "create trigger refuse_insert before insert on \"%1\" begin select raise(abort, 'The disk is full'); end;"
        "create trigger refuse_update before update on \"%1\" begin select raise(abort, 'The disk is full'); end;")
                            .arg(table);
    char* message = nullptr;
    const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &message);
    EXPECT_EQ(rc, SQLITE_OK) << (message ? message : "");
    sqlite3_free(message);
    sqlite3_close(db);
}

void CatalogTest::refuseDeletes(const QString& table) const
{
    if (onServer()) {
        EXPECT_EQ(m_server->run(QStringLiteral("CREATE FUNCTION refuse_delete() RETURNS trigger LANGUAGE plpgsql AS "
                                               "$$ BEGIN RAISE EXCEPTION 'The rows are locked'; END $$; "
                                               "CREATE TRIGGER refuse_delete BEFORE DELETE ON \"%1\" "
                                               "FOR EACH ROW EXECUTE FUNCTION refuse_delete()")
                                    .arg(table)
                                    .toUtf8()),
                  QString());
        return;
    }
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(m_db.path()).constData(), &db), SQLITE_OK);
    const QString sql = QStringLiteral("create trigger refuse_delete before delete on \"%1\" "
                                       "begin select raise(abort, 'The rows are locked'); end;")
                            .arg(table);
    EXPECT_EQ(sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}

QStringList CatalogTest::messageTexts() const
{
    QStringList texts;
    for (const MessageRequest& request : m_ui.messages())
        texts.append(request.text);
    return texts;
}

}  // namespace hv::test
