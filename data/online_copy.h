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
    // whole or absent, whatever happens on the way. Raises a RuntimeError that
    // names the file and the reason (the engine's or the system's); nothing is
    // left behind then.
    static void copy(const QString& source, const QString& destination);

    // Runs the engine's integrity check over a database file, read only.
    // Raises a RuntimeError naming the file and the first problems found.
    static void checkIntegrity(const QString& path);
};

}  // namespace hv::data
