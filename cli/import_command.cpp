#include "cli/import_command.h"

#include "core/file_argument.h"
#include "cli/live_database.h"
#include "import/import_error.h"
#include "import/old_database_importer.h"
#include "backup/database_backup.h"
#include "core/runtime_error.h"

namespace hv::cli {

QCommandLineOption ImportCommand::option() const
{
    return {QStringLiteral("import"),
            QStringLiteral("Import the old-format database <FILE> (.mdb) into the current database, after a backup "
                           "of it, and print a summary."),
            QStringLiteral("FILE")};
}

int ImportCommand::run(const QString& value, CommandContext& context)
{
    if (const std::optional<QString> problem = fs::FileArgument::problemWith(value, context.liveDatabase))
        return context.fail(QStringLiteral("Cannot import '%1': %2").arg(value, *problem));

    LiveDatabase live(context);
    try {
        live.create();
        live.shareUse();
        // A server database is backed up by the server's own tools.
        if (!live.created() && context.serverAddress.isEmpty())
            backup::DatabaseBackup::intoFolder(context.liveDatabase, context.backupsFolder, context.now);
        const import::ImportSummary summary = import::OldDatabaseImporter(live.open()).importFile(value);
        context.out << QString(summary.text()).replace(QStringLiteral("\r\n"), QStringLiteral("\n")) << Qt::endl;
        return Success;
    } catch (const import::ImportError& failure) {
        live.discardCreated();
        return context.fail(failure.message());
    } catch (const RuntimeError& failure) {
        live.discardCreated();
        return context.fail(failure.description());
    }
}

}  // namespace hv::cli
