#pragma once

#include <QString>

// Where the program keeps its data: the data folder under the common
// application-data folder (LocalDatabase turns it into the live database;
// BackupFolder puts the backups beside that), and the template and the manual in the program
// folder. Each path is built afresh each time it is asked for. A data folder
// named on the command line takes the place of the standard one for that run.
namespace hv::places {

// The common application-data folder followed by "/Harrowfen"; with a data
// folder of the run's own, the folder that holds it.
QString firstLevelDataFolder();
QString dataFolder();
QString templateDatabasePath();
// The manual as a web page, made from the same source as the manual page.
QString manualPath();

// The data folder for this run only; empty text returns to the standard one.
void setDataFolder(const QString& folder);
// True while a data folder of the run's own is set.
bool hasRunDataFolder();

}  // namespace hv::places
