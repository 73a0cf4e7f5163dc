#pragma once

#include <QString>

// The program's few file-system operations: the special-folder lookup, the
// existence test used by every window, and the folder creation and copy of
// start-up. Failures of the last two raise RuntimeError for the caller's report.
namespace hv::fs {

// The path of a special folder: number 35 is the common application-data
// folder (the user's generic data location, which honours XDG_DATA_HOME).
// The folder is created when it does not exist yet. Any other number, or a
// folder that cannot be determined, gives empty text.
QString SpecialFolderPath(int folder);

// True when a file (or folder) can be found at the path. Never raises.
bool FileExists(const QString& path);

// True when a listing of the path, folders included, finds nothing there.
bool nothingAt(const QString& path);

// True when a listing of the path, files only, finds a file there: a folder
// of that name is passed over.
bool fileListed(const QString& path);

// Creates one folder; raises "Path/File access error" (75) when it cannot.
void makeFolder(const QString& path);

// Copies a file to a destination that must not exist yet (not even as a
// link to nowhere). The copy is made under a temporary name, synced, renamed
// when complete and the folder synced after the rename, so neither an
// interruption nor a power cut leaves a partial file at the destination.
// Raises "File not found" (53) when the source is missing and "Path/File
// access error" (75) otherwise, with the reason the system gave (a full
// disk, a file that cannot be read, a link to nowhere).
void copyFile(const QString& source, const QString& destination);

// Makes a rename or a new file in the folder survive a power cut; raises
// "Path/File access error" (75) with the system's reason when the folder
// cannot be synced (a file system that cannot sync folders at all is taken
// as synced).
void syncFolder(const QString& folder);

// The system's words for an error number (errno), as strerror gives them,
// safe on any thread.
QString systemErrorText(int error);

// The folder that holds the program file. Tests may point it elsewhere.
QString programFolder();
void setProgramFolder(const QString& folder);

}  // namespace hv::fs
