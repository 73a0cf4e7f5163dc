#include "database/local_database.h"

#include "core/data_places.h"
#include "core/file_system.h"
#include "data/connection.h"
#include "data/sqlite/file_check.h"
#include "core/runtime_error.h"

#include <QDir>
#include <QFileInfo>

namespace hv::database {

LocalDatabase::LocalDatabase() : LocalDatabase(places::dataFolder())
{
}

LocalDatabase::LocalDatabase(QString dataFolder) : m_dataFolder(std::move(dataFolder))
{
}

QString LocalDatabase::path() const
{
    return m_dataFolder + QStringLiteral("/dbData.mdb");
}

QString LocalDatabase::connectionString() const
{
    return connectionStringOf(path());
}

QString LocalDatabase::connectionStringOf(const QString& databaseFile)
{
    return QStringLiteral("provider=microsoft.jet.oledb.4.0;data source=") + data::Connection::quoted(databaseFile)
        + QStringLiteral(";JET OLEDB:Database Password=");
}

void LocalDatabase::create() const
{
    if (!QDir().mkpath(m_dataFolder) || !QFileInfo(m_dataFolder).isDir())
        throw RuntimeError(err::PathFileAccess,
                           QStringLiteral("Path/File access error: cannot create the data folder '%1'").arg(m_dataFolder));
    copyTemplateTo(path());
}

void LocalDatabase::copyTemplateTo(const QString& destination)
{
    // A bad template is named and nothing is made from it, so that the next
    // attempt tries again instead of using a damaged copy for ever.
    const QString source = places::templateDatabasePath();
    const data::DatabaseFileVerdict verdict = data::DatabaseFileCheck::inspectThoroughly(source, data::Connection::lockTimeout());
    if (!verdict.isSound())
        throw RuntimeError(verdict.kind == data::DatabaseFileVerdict::Missing ? err::FileNotFound : err::PathFileAccess,
                           verdict.reason
                               + QStringLiteral(" It is the empty database that Hourvane copies on its first start, "
                                                "so no database was made from it; reinstalling Hourvane replaces it, "
                                                "and the next start tries again."));
    fs::copyFile(source, destination);
}

}  // namespace hv::database
