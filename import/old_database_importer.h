#pragma once

#include "import/import_summary.h"

#include <QString>

namespace hv::data {
class Connection;
}

namespace hv::import {

// Brings the employees, work codes and entries of an old-format database
// file into the open database of this program, all or nothing: everything
// runs in one transaction, and a file that cannot be read, a missing table
// or column, or a value that cannot be converted or read whole (a long text
// shorter or longer than its declared length, a row the old-format library
// warned about) stops the import with a message naming the file (and the
// table, row and column), leaving the database exactly as it was. The old
// file is only read.
//
// Into a database without rows the old IDs are kept, gaps and all; into one
// that holds rows, every imported row gets a new ID and the entries' links
// follow their records. An entry whose employee or work code the old file
// does not hold keeps pointing at no record: its number is kept (or, among
// new IDs, given one of its own), and no record added later ever takes it.
class OldDatabaseImporter {
public:
    explicit OldDatabaseImporter(data::Connection& connection);

    // Raises an ImportError with the reason, a failure of the database
    // itself (a full disk, say) too, in the engine's words after the file's
    // name.
    ImportSummary importFile(const QString& path);

private:
    data::Connection& m_connection;
};

}  // namespace hv::import
