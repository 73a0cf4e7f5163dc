#pragma once

#include <QString>

// Bringing what was written to the disk before it is relied on: a file's
// contents before it takes a name that matters, and a folder's entries after
// a rename, so that a power cut leaves either the old name or the new one.
namespace hv::data::sync {

// Each returns false when the system refused (the file could not be opened
// or synced); a caller that needs the guarantee treats that as a failure.
bool file(const QString& path);
bool folder(const QString& path);

}  // namespace hv::data::sync
