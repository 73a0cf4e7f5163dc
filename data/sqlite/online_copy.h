#pragma once

#include <QString>

namespace hv::data {

// Consistent copies of a database file through the engine's online backup,
// which reads the source as one snapshot even while another program is
// writing to it, and never writes to the source.
class OnlineCopy {
public:
    // Copies `source` into the new file `destination`, which must not exist.
    // The copy is written under a temporary name beside the destination,
    // brought to the disk and only then given its name, so the destination is
    // whole or absent, whatever happens on the way; nothing is left behind
    // after a failure. Raises a RuntimeError whose description is the reason
    // alone, in the engine's or the system's words (the caller names the
    // files): "File not found" (53) when the source is missing, the database
    // engine's number when the source cannot be read as a database, and
    // "Path/File access error" (75) when the copy cannot be written.
    static void copy(const QString& source, const QString& destination);

    // Runs the engine's integrity check over a database file, read only.
    // Raises a RuntimeError (database engine) with the first problems found.
    static void checkIntegrity(const QString& path);
};

}  // namespace hv::data
