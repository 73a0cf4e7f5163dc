#include "support/test_environment.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <gtest/gtest.h>
#include <sqlite3.h>

namespace hv::test {

QString programFolder()
{
    return QStringLiteral(HOURVANE_TEST_PROGRAM_DIR);
}

void pinLocaleAndPaper()
{
    // Every category the C library or Qt reads, so none is left to the machine.
    for (const char* variable : {"LC_ALL", "LC_CTYPE", "LC_NUMERIC", "LC_TIME", "LC_COLLATE", "LC_MONETARY",
                                 "LC_MESSAGES", "LC_PAPER", "LC_NAME", "LC_ADDRESS", "LC_TELEPHONE",
                                 "LC_MEASUREMENT", "LC_IDENTIFICATION", "LANGUAGE", "PAPERCONF"})
        qunsetenv(variable);
    qputenv("LANG", "C.UTF-8");
    // A paper named outright comes before the system's paper file, which the
    // C locale would otherwise read.
    qputenv("PAPERSIZE", "letter");
    qputenv("TZ", "UTC");
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    EXPECT_EQ(file.write(bytes), bytes.size()) << path.toStdString();
    return path;
}

TemporaryDatabase::TemporaryDatabase()
{
    const QString source = programFolder() + QStringLiteral("/dbBlank.mdb");
    if (!QFile::copy(source, path()))
        ADD_FAILURE() << "cannot copy the template " << source.toStdString();
    QFile::setPermissions(path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

QString TemporaryDatabase::path() const
{
    return m_dir.filePath(QStringLiteral("dbData.mdb"));
}

QString TemporaryDatabase::folder() const
{
    return m_dir.path();
}

QString TemporaryDatabase::connectionString() const
{
    return QStringLiteral("provider=microsoft.jet.oledb.4.0;data source=") + path()
        + QStringLiteral(";JET OLEDB:Database Password=");
}

QList<QByteArray> storedBytes(const QString& databasePath, const QByteArray& sql)
{
    QList<QByteArray> values;
    sqlite3* raw = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(databasePath).constData(), &raw, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        ADD_FAILURE() << "cannot read " << databasePath.toStdString();
        sqlite3_close(raw);
        return values;
    }
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(raw, sql.constData(), static_cast<int>(sql.size()), &statement, nullptr) != SQLITE_OK)
        ADD_FAILURE() << sqlite3_errmsg(raw);
    while (statement && sqlite3_step(statement) == SQLITE_ROW) {
        const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement, 0));
        values.append(QByteArray(bytes, sqlite3_column_bytes(statement, 0)));
    }
    sqlite3_finalize(statement);
    sqlite3_close(raw);
    return values;
}

IsolatedUserFolders::IsolatedUserFolders()
    : m_oldData(qgetenv("XDG_DATA_HOME")), m_oldConfig(qgetenv("XDG_CONFIG_HOME"))
{
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_data.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
    // QSettings reads the configuration folder once per process; point it here.
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_config.path());
}

IsolatedUserFolders::~IsolatedUserFolders()
{
    qputenv("XDG_DATA_HOME", m_oldData);
    qputenv("XDG_CONFIG_HOME", m_oldConfig);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, QString::fromLocal8Bit(m_oldConfig));
}

QString IsolatedUserFolders::dataHome() const
{
    return m_data.path();
}

QString IsolatedUserFolders::configHome() const
{
    return m_config.path();
}

}  // namespace hv::test
