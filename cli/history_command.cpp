#include "cli/history_command.h"

#include "cli/live_database.h"
#include "core/runtime_error.h"
#include "data/change_journal.h"
#include "data/connection.h"
#include "data/postgres/journal.h"

namespace hv::cli {

QCommandLineOption HistoryCommand::option() const
{
    return {QStringLiteral("history"),
            QStringLiteral("List the changes the database keeps for Undo (a local file at least the last %1, a "
                           "server those of the last %2 days unless it is set otherwise), newest first, one a "
                           "line: when, who and what, separated by tabs.")
                .arg(data::ChangeJournal::kKept)
                .arg(data::PostgresJournal::kHistoryDays)};
}

int HistoryCommand::run(const QString&, CommandContext& context)
{
    LiveDatabase live(context);
    try {
        live.shareUse();
        data::Connection& connection = live.open();
        for (const data::JournalChange& change : connection.journal().recent(data::ChangeJournal::kKept * 10)) {
            context.out << change.madeAt.toLocalTime().toString(Qt::ISODate) << '\t' << change.madeBy << '\t'
                        << change.description << (change.undone ? QStringLiteral(" (undone)") : QString()) << '\n';
        }
        context.out.flush();
    } catch (const RuntimeError& failure) {
        return context.fail(failure.description());
    }
    return Success;
}

}  // namespace hv::cli
