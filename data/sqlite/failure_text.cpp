#include "data/sqlite/failure_text.h"

#include "core/file_system.h"

#include <sqlite3.h>

#include <cerrno>
#include <cstring>

namespace hv::data {

QString engineFailureText(sqlite3* db)
{
    const QString message = QString::fromUtf8(sqlite3_errmsg(db));
    const int code = sqlite3_extended_errcode(db);
    // The engine keeps no system error for a full disk: it is the one reason
    // it gives that code for.
    const int error = (code & 0xff) == SQLITE_FULL ? ENOSPC : sqlite3_system_errno(db);
    if (((code & 0xff) != SQLITE_FULL && (code & 0xff) != SQLITE_IOERR) || error == 0)
        return message;
    const bool reading = code == SQLITE_IOERR_READ || code == SQLITE_IOERR_SHORT_READ;
    const char* file = sqlite3_db_filename(db, "main");
    return QStringLiteral("the database '%1' cannot be %2: %3 (%4)")
        .arg(QString::fromUtf8(file ? file : ""),
             reading ? QStringLiteral("read") : QStringLiteral("written"),
             fs::systemErrorText(error), message);
}

}  // namespace hv::data
