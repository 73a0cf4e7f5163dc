#include "cli/export_command.h"

#include "cli/file_argument.h"
#include "cli/live_database.h"
#include "data/locale_text.h"
#include "data/prepared_statement.h"
#include "data/runtime_error.h"
#include "reports/csv_writer.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace hv::cli {

namespace {

const QStringList kHeader{QStringLiteral("ID"),          QStringLiteral("Employee"), QStringLiteral("Date Worked"),
                          QStringLiteral("Work Code"),   QStringLiteral("Hours"),    QStringLiteral("Billable"),
                          QStringLiteral("Work Description")};

// Writes every entry in ID order; returns how many, or raises.
qint64 writeEntries(data::Connection& connection, QIODevice& device)
{
    data::PreparedStatement entries(
        connection, QStringLiteral("SELECT h.\"ID\", e.\"Employee Name\", h.\"Date Worked\", w.\"Description\", "
                                   "h.\"Hours\", w.\"Billable\", h.\"Work Description\" "
                                   "FROM \"Work Hours\" AS h "
                                   "LEFT JOIN \"Employees Extended\" AS e ON e.\"ID\" = h.\"Employee\" "
                                   "LEFT JOIN \"Work Codes\" AS w ON w.\"ID\" = h.\"Work Code\" "
                                   "ORDER BY h.\"ID\""));
    CsvWriter csv(device);
    const auto failed = [&] { return RuntimeError(err::PathFileAccess, device.errorString()); };
    csv.writeRecord(kHeader);
    if (!csv.ok())
        throw failed();
    qint64 rows = 0;
    while (entries.next()) {
        const QString billable = entries.isNull(5) ? QString()
            : entries.integer(5) != 0              ? QStringLiteral("Yes")
                                                   : QStringLiteral("No");
        const QStringList row{QString::number(entries.integer(0)),
                              entries.text(1),
                              entries.text(2),
                              entries.text(3),
                              entries.isNull(4) ? QString() : text::numberToSqlText(entries.number(4)),
                              billable,
                              entries.text(6)};
        csv.writeRecord(row);
        if (!csv.ok())
            throw failed();
        ++rows;
    }
    return rows;
}

}  // namespace

QCommandLineOption ExportCommand::option() const
{
    return {QStringLiteral("export"),
            QStringLiteral("Write every entry as CSV (UTF-8, a header row, one row per entry) to <FILE>, or to "
                           "standard output for \"-\"."),
            QStringLiteral("FILE")};
}

int ExportCommand::run(const QString& value, CommandContext& context)
{
    const QString cannot = QStringLiteral("Cannot export to '%1': ").arg(value);
    const bool toOutput = value == u"-";
    if (!toOutput && QFileInfo(value).isDir())
        return context.fail(cannot + QStringLiteral("it is a folder."));
    if (!toOutput && FileArgument::isLiveDatabase(value, context.liveDatabase))
        return context.fail(cannot + QStringLiteral("it is the live database itself."));

    LiveDatabase live(context);
    try {
        live.shareUse();
        data::Connection& connection = live.open();
        if (toOutput) {
            context.out.flush();
            QFile output;
            output.open(stdout, QIODevice::WriteOnly);
            writeEntries(connection, output);
            return Success;
        }
        QSaveFile file(value);
        if (!file.open(QIODevice::WriteOnly))
            return context.fail(cannot + file.errorString());
        const qint64 rows = writeEntries(connection, file);
        if (!file.commit())
            return context.fail(cannot + file.errorString());
        context.out << QStringLiteral("Exported %1 entries to '%2'.").arg(rows).arg(value) << Qt::endl;
        return Success;
    } catch (const RuntimeError& failure) {
        return context.fail(failure.description());
    }
}

}  // namespace hv::cli
