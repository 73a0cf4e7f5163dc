#pragma once

#include "import/import_summary.h"

#include <QString>

namespace hv::import {

// Turns a live database that is an old-format file into a database of this
// program: the old file is renamed beside it (never copied over, never
// changed), a new database is made from the template under the live name,
// and the old file's data is imported into it. Whatever fails on the way,
// the new file is removed and the old one is put back under its own name.
class DatabaseConversion {
public:
    DatabaseConversion(QString livePath, QString templatePath);

    // Where the old file is kept: "<name> (old format).mdb" beside the live
    // database, "<name> (old format 2).mdb" and so on when that is taken.
    QString keptPath() const { return m_keptPath; }

    // Raises an ImportError with the reason and where the old file is now
    // (back under its own name, unless even that rename failed).
    ImportSummary run();

private:
    ImportSummary convert();
    void undo(const QString& reason);

    QString m_livePath;
    QString m_templatePath;
    QString m_keptPath;
};

}  // namespace hv::import
