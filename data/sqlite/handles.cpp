#include "data/sqlite/handles.h"

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

}  // namespace hv::data
