#include "cli/undo_command.h"

#include "cli/live_database.h"
#include "core/runtime_error.h"
#include "data/change_journal.h"
#include "data/connection.h"

namespace hv::cli {

QCommandLineOption UndoCommand::option() const
{
    return {QStringLiteral("undo"),
            QStringLiteral("Undo the newest change not yet undone (on a server: your newest), as Edit > Undo does, "
                           "and say which.")};
}

int UndoCommand::run(const QString&, CommandContext& context)
{
    LiveDatabase live(context);
    try {
        live.shareUse();
        const data::JournalChange undone = live.open().journal().undo();
        context.out << QStringLiteral("Undone: %1").arg(undone.description) << Qt::endl;
    } catch (const RuntimeError& failure) {
        return context.fail(failure.description());
    }
    return Success;
}

}  // namespace hv::cli
