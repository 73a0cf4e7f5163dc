#pragma once

#include "core/work_steps.h"

#include <QString>

namespace hv::data {

// Consistent copies of a database file through the engine's online backup,
// which reads the source as one snapshot even while another program is
// writing to it, and never writes to the source. The copy reads a few
// megabytes at a time, and a writer of the source goes on between two of
// them; the copy then starts over, so that it holds one state of the source.
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
    // `steps` is told of the pages copied (the pages there are); answering
    // that the copy is to stop leaves nothing behind.
    static void copy(const QString& source, const QString& destination, const WorkSteps& steps = {});

    // Whether a copy is being written into `partial` (the temporary name of
    // a copy) now, by any program on this computer: the engine holds the
    // file locked from the copy's first step to its end.
    static bool isBeingWritten(const QString& partial);

    // Runs the engine's integrity check over a database file, read only.
    // Raises a RuntimeError (database engine) with the first problems found.
    static void checkIntegrity(const QString& path);
};

}  // namespace hv::data
