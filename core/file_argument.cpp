#include "core/file_argument.h"

#include "core/file_kind.h"

#include <QFileInfo>

namespace hv::fs {

bool FileArgument::isLiveDatabase(const QString& file, const QString& liveDatabase)
{
    const QFileInfo a(file);
    const QFileInfo b(liveDatabase);
    if (a.exists() && b.exists())
        return a.canonicalFilePath() == b.canonicalFilePath();
    return a.absoluteFilePath() == b.absoluteFilePath();
}

std::optional<QString> FileArgument::problemWith(const QString& file, const QString& liveDatabase)
{
    // Judged without opening it: a pipe or a device is named, never waited on.
    const QString reason = fs::FileKind::of(file).notADatabaseFileReason();
    if (!reason.isEmpty())
        return reason + u'.';
    if (isLiveDatabase(file, liveDatabase))
        return QStringLiteral("it is the live database itself.");
    return std::nullopt;
}

}  // namespace hv::fs
