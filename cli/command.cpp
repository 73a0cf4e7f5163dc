#include "cli/command.h"

#include "data/postgres/address.h"

namespace hv::cli {

int CommandContext::fail(const QString& message) const
{
    QString text = message;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    err << text << Qt::endl;
    return Failure;
}

int CommandContext::refuseOnServer(const QString& what) const
{
    return fail(QStringLiteral("Hourvane works on the database '%1' on a server. %2 of a server database are the "
                               "server's own job: use pg_dump to copy it (for example pg_dump --format=custom "
                               "--file=hours.dump \"%1\") and pg_restore to put a copy back, or ask the server's "
                               "administrator.")
                    .arg(data::ServerAddress::withoutPassword(serverAddress), what));
}

}  // namespace hv::cli
