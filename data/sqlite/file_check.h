#pragma once

#include "data/engine_options.h"

#include <QString>
#include <atomic>

struct sqlite3;

namespace hv::data {

// What a look at a file found about it as a database of this program: its
// kind, and a sentence for the user that names the file and says what is
// wrong (empty when the file is sound).
struct DatabaseFileVerdict {
    enum Kind {
        Sound,
        Missing,            // nothing at the path
        BrokenLink,         // a symbolic link whose target does not exist
        Folder,
        NotAFile,           // a named pipe, a device or a socket
        Unreadable,         // the system refuses to let it be read
        Empty,
        NotADatabase,       // no database header at its start
        OtherProgram,       // a database, but not marked as this program's
        NewerVersion,       // made by a newer version of the program or engine
        Incomplete,         // marked as ours, but without the program's tables or queries
        UnfinishedChanges,  // a left-over journal that cannot be undone here
        Damaged,            // ours, but its pages do not hold together
        Locked,             // another program keeps it locked
        EngineFailure,      // the engine failed for another reason
    };

    Kind kind = Sound;
    QString reason;

    bool isSound() const { return kind == Sound; }
};

// Decides whether a file is a database of this program before anything is
// written to it. inspect() reads only the file's own first 100 bytes (and
// looks for a left-over journal beside it), so another program's file is
// refused before the engine ever opens it; inspectThoroughly() then opens a
// sound-looking file strictly read-only and checks its tables, its queries
// and every page. The engine-level steps are offered separately for a
// connection that has the file open already.
class DatabaseFileCheck {
public:
    static DatabaseFileVerdict inspect(const QString& path);
    // Sound, or NotAFile when the place of the file's journal (or
    // write-ahead log) beside it holds a pipe, a device or a socket: the
    // engine opens those as files, and would wait on a pipe for ever.
    // inspect() includes it; for a caller that hands the file to the engine
    // without inspect().
    static DatabaseFileVerdict inspectCompanions(const QString& path);
    // Locks another program holds are waited for up to `lockTimeoutMs`, as a
    // connection waits (Connection::lockTimeout()).
    static DatabaseFileVerdict inspectThoroughly(const QString& path, int lockTimeoutMs);

    // On a file the engine has open: Incomplete when the program's tables or
    // queries are missing, Sound when they are all there; reading the list
    // of them may also find the file Damaged or Locked.
    static DatabaseFileVerdict checkSchema(sqlite3* db, const QString& path);
    // Sound, or Damaged with the engine's first finding (or Locked). The
    // pages are walked on a read-only handle of its own, where the engine's
    // walk is several times faster than on a handle that may write; a journal
    // left by an interrupted write of this program must have been undone
    // first (by any read on a handle that may write). A walk that `stop`
    // (when given) asks to stop, from another thread, ends early with an
    // EngineFailure that means nothing about the file.
    static DatabaseFileVerdict checkPages(const QString& path, PageCheck depth, int lockTimeoutMs,
                                          std::atomic<bool>* stop = nullptr);

    // The verdict for an engine result code met while reading or writing
    // the file: Damaged for the codes that say the file is damaged or cannot
    // be read back (corrupt, not a database, input/output errors), Locked
    // for a lock that did not end in time, EngineFailure otherwise.
    static DatabaseFileVerdict engineVerdict(sqlite3* db, int resultCode, const QString& path);
};

}  // namespace hv::data
