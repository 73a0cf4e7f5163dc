#include "cli/export_command.h"

#include "cli/file_argument.h"
#include "cli/live_database.h"
#include "core/durable_file.h"
#include "core/locale_text.h"
#include "data/prepared_statement.h"
#include "core/runtime_error.h"
#include "reports/engine/csv_writer.h"

#include <QFile>
#include <QFileInfo>

#include <cmath>
#include <sys/stat.h>
#include <unistd.h>

namespace hv::cli {

namespace {

const QStringList kHeader{QStringLiteral("ID"),          QStringLiteral("Employee"), QStringLiteral("Date Worked"),
                          QStringLiteral("Work Code"),   QStringLiteral("Hours"),    QStringLiteral("Billable"),
                          QStringLiteral("Work Description")};

// A stored text as it is; a NUL cannot travel in a CSV file that other
// programs read, and is never dropped or replaced without a word.
QString exactText(const data::PreparedStatement& entries, int column, qint64 id)
{
    QString text = entries.text(column);
    if (text.contains(QChar(0)))
        throw RuntimeError(err::InvalidPropertyValue,
                           QStringLiteral("the entry with the ID %1 holds a NUL character in [%2], which a CSV file "
                                          "cannot carry; remove it in the entry editor and export again")
                               .arg(id)
                               .arg(kHeader.at(column)));
    return text;
}

// Hours as a program reads them back: the fewest digits that give the same
// number, and the usual words for what is no finite number.
QString hoursText(double hours)
{
    if (std::isnan(hours))
        return QStringLiteral("NaN");
    if (std::isinf(hours))
        return hours > 0 ? QStringLiteral("Infinity") : QStringLiteral("-Infinity");
    return text::numberToSqlText(hours);
}

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
        const qint64 id = entries.integer(0);
        const QString billable = entries.isNull(5) ? QString()
            : entries.integer(5) != 0              ? QStringLiteral("Yes")
                                                   : QStringLiteral("No");
        // Hours that are not a number are kept as the text they are.
        const QString hours = entries.isNull(4) ? QString()
            : entries.isNumber(4)               ? hoursText(entries.number(4))
                                                : exactText(entries, 4, id);
        const QStringList row{QString::number(id),
                              exactText(entries, 1, id),
                              exactText(entries, 2, id),
                              exactText(entries, 3, id),
                              hours,
                              billable,
                              exactText(entries, 6, id)};
        csv.writeRecord(row);
        if (!csv.ok())
            throw failed();
        ++rows;
    }
    return rows;
}

// True when the path names the file, pipe or terminal that standard output
// writes to (such as /dev/stdout): written through that descriptor, so a
// file opened for appending is appended to and never replaced.
bool isStandardOutput(const QString& path)
{
    struct stat named {};
    struct stat output {};
    return ::stat(QFile::encodeName(path).constData(), &named) == 0 && ::fstat(STDOUT_FILENO, &output) == 0
        && named.st_dev == output.st_dev && named.st_ino == output.st_ino;
}

}  // namespace

QCommandLineOption ExportCommand::option() const
{
    return {QStringLiteral("export"),
            QStringLiteral("Write every entry as CSV for programs and scripts to <FILE> (a file, a pipe or a "
                           "device), or to standard output for \"-\": RFC 4180, UTF-8 without a byte order mark, a "
                           "header row, every value exactly as stored (not made safe for spreadsheets)."),
            QStringLiteral("FILE")};
}

int ExportCommand::run(const QString& value, CommandContext& context)
{
    const QString cannot = QStringLiteral("Cannot export to '%1': ").arg(value);
    const bool toOutput = value == u"-" || isStandardOutput(value);
    if (!toOutput && QFileInfo(value).isDir())
        return context.fail(cannot + QStringLiteral("it is a folder."));
    if (toOutput ? isStandardOutput(context.liveDatabase) : FileArgument::isLiveDatabase(value, context.liveDatabase))
        return context.fail(cannot + QStringLiteral("it is the live database itself."));

    LiveDatabase live(context);
    data::Connection* connection = nullptr;
    try {
        live.shareUse();
        connection = &live.open();
    } catch (const RuntimeError& failure) {
        return context.fail(failure.description());
    }
    const auto failed = [&](QString reason) {
        if (!reason.endsWith(u'.'))
            reason += u'.';
        return context.fail(cannot + reason);
    };
    qint64 rows = 0;
    const auto fill = [&](QIODevice& device) { rows = writeEntries(*connection, device); };
    try {
        if (toOutput) {
            context.out.flush();
            QFile output;
            if (!output.open(STDOUT_FILENO, QIODevice::WriteOnly, QFileDevice::DontCloseHandle))
                return failed(output.errorString());
            fill(output);
            if (!output.flush() || output.error() != QFileDevice::NoError)
                return failed(output.errorString());
            return Success;
        }
        // A regular file is replaced whole or not at all; a pipe, a terminal
        // or a device is written into as it stands.
        fs::DurableFile::write(value, fs::DurableFile::Policy::Replace, fill);
    } catch (const RuntimeError& failure) {
        return failed(failure.description());
    }
    context.out << QStringLiteral("Exported %1 entries to '%2'.").arg(rows).arg(value) << Qt::endl;
    return Success;
}

}  // namespace hv::cli
