#include "data/sqlite/handles.h"

#include <QByteArray>
#include <QThread>
#include <algorithm>

namespace hv::data {

int openHandle(const char* path, int flags, DatabaseHandle& handle)
{
    // Settled once, before the engine's first use starts it up; a program
    // that started it already keeps its count.
    static const int counting = sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
    (void)counting;
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(path, &raw, flags | SQLITE_OPEN_NOMUTEX, nullptr);
    handle.reset(raw);
    return rc;
}

void sortOnHelperThreads(sqlite3* db)
{
    const QByteArray threads = QByteArray::number(std::clamp(QThread::idealThreadCount(), 1, 4));
    sqlite3_exec(db, ("PRAGMA threads = " + threads).constData(), nullptr, nullptr, nullptr);
}

}  // namespace hv::data
