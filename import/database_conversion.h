#pragma once

#include "import/import_summary.h"

#include <QString>

namespace hv::import {

// Turns a live database that is an old-format file into a database of this
// program. The new database is made from the template beside the live one,
// under "<name>.converting", and the old file's data imported into it; only
// when that is complete and on the disk does the old file get its kept name
// (a second name for the same file, which is never copied over or changed)
// and the new database take the live name, in one rename. Until that rename
// the live database is the old file, unchanged: a failure, a kill or a power
// cut at any moment leaves it in place, so that the next start finds it and
// offers the conversion again, and never an empty or half-filled database
// under the live name.
class DatabaseConversion {
public:
    explicit DatabaseConversion(QString livePath);

    // Where the old file is kept: "<name> (old format).mdb" beside the live
    // database, "<name> (old format 2).mdb" and so on when that is taken (by
    // another file than the old one itself).
    QString keptPath() const { return m_keptPath; }

    // True when a conversion of this file was stopped before it finished:
    // what it had made is still beside the live database.
    bool wasInterrupted() const;

    // Raises an ImportError with the reason and that the original file is
    // still the live database, unchanged; nothing the conversion made is
    // left behind.
    ImportSummary run();

private:
    ImportSummary convert();
    void keepOriginal();
    // True while the live database is still the old file.
    bool originalIsLive() const;
    void discardWork() const;

    QString m_livePath;
    QString m_workPath;
    QString m_keptPath;
    // True once run() gave the original its kept name.
    bool m_madeKept = false;
};

}  // namespace hv::import
