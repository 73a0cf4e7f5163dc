#include "cli/export_command.h"

#include "core/file_argument.h"
#include "cli/live_database.h"
#include "core/durable_file.h"
#include "core/runtime_error.h"
#include "reports/engine/entries_export.h"

#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

namespace hv::cli {

namespace {

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
                           "header row, every value exactly as stored (not made safe for spreadsheets). A <FILE> "
                           "ending in .xlsx is written as a spreadsheet instead: hours as numbers, dates as dates, "
                           "texts as texts."),
            QStringLiteral("FILE")};
}

int ExportCommand::run(const QString& value, CommandContext& context)
{
    const QString cannot = QStringLiteral("Cannot export to '%1': ").arg(value);
    const bool toOutput = value == u"-" || isStandardOutput(value);
    if (!toOutput && QFileInfo(value).isDir())
        return context.fail(cannot + QStringLiteral("it is a folder."));
    if (toOutput ? isStandardOutput(context.liveDatabase) : fs::FileArgument::isLiveDatabase(value, context.liveDatabase))
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
    const auto format = toOutput ? reports::EntriesExport::Format::Csv : reports::EntriesExport::formatOf(value);
    const auto fill = [&](QIODevice& device) { rows = reports::EntriesExport::write(*connection, device, format); };
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
