#include "core/data_places.h"

#include "core/app_config.h"
#include "core/file_system.h"

#include <QFileInfo>

namespace hv::places {

namespace {

QString& runDataFolder()
{
    static QString folder;
    return folder;
}

}  // namespace

QString firstLevelDataFolder()
{
    if (!runDataFolder().isEmpty())
        return QFileInfo(runDataFolder()).absolutePath();
    return fs::SpecialFolderPath(config::kCommonAppDataFolder) + QStringLiteral("/Harrowfen");
}

QString dataFolder()
{
    if (!runDataFolder().isEmpty())
        return runDataFolder();
    return fs::SpecialFolderPath(config::kCommonAppDataFolder) + QStringLiteral("/Harrowfen/")
        + QStringLiteral("Hourvane");
}

QString templateDatabasePath()
{
    return fs::programFolder() + QStringLiteral("/dbBlank.mdb");
}

QString manualPath()
{
    return fs::programFolder() + QStringLiteral("/manual.html");
}

void setDataFolder(const QString& folder)
{
    runDataFolder() = folder.isEmpty() ? QString() : QFileInfo(folder).absoluteFilePath();
}

bool hasRunDataFolder()
{
    return !runDataFolder().isEmpty();
}

}  // namespace hv::places
