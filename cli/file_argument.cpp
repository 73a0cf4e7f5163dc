#include "cli/file_argument.h"

#include <QFileInfo>

namespace hv::cli {

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
    const QFileInfo info(file);
    if (!info.exists())
        return QStringLiteral("the file does not exist.");
    if (info.isDir())
        return QStringLiteral("it is a folder, not a database file.");
    if (isLiveDatabase(file, liveDatabase))
        return QStringLiteral("it is the live database itself.");
    return std::nullopt;
}

}  // namespace hv::cli
