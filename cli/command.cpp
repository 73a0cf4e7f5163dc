#include "cli/command.h"

#include "backup/database_backup.h"

namespace hv::cli {

int CommandContext::fail(const QString& message) const
{
    QString text = message;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    err << text << Qt::endl;
    return Failure;
}

QString CommandContext::rightsNeedAServer()
{
    return QStringLiteral("Rights per login are those of a database on a server, and Hourvane uses the local file "
                          "now: choose the server database first (hourvane --use-server URI).");
}

int CommandContext::refuseOnServer(const QString& what) const
{
    return fail(backup::DatabaseBackup::serverRefusal(serverAddress, what));
}

}  // namespace hv::cli
