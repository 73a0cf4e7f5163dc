#pragma once

#include "backup/database_use_lock.h"

#include <QDateTime>
#include <QString>
#include <functional>

class QWidget;

namespace hv {

class ListFill;
class OpeningChecks;

// The main window's hold on the database: taking it into shared use (the
// in-use lock that a restore by another copy of the program waits for), its
// open with the passwords a server asks for, the read-only state and the
// server named in the title, the checks that follow each open, letting it go
// for a while, and the one place the window's commands wait through for what
// they need.
class DatabaseSession {
public:
    // What a command needs before it runs.
    struct Needs {
        // It reads positions or counts of the list: every row is read
        // first, and every row of a refill it makes as well.
        bool wholeList = false;
        // It may change the database: the rest of the list is read and the
        // page check's verdict waited for; a daily backup being made goes
        // on beside the change.
        bool write = false;
        // It copies the database or brings entries into it: the daily
        // backup that follows the open is made first, as well.
        bool backupDone = false;
        // It needs the database let go (the connection and the in-use
        // lock) while it runs: the database is taken again, opened and the
        // list refilled afterwards, whatever the command did.
        bool letGo = false;
    };

    // What the session reaches outside itself.
    struct Options {
        // The time of day, for the daily backup.
        std::function<QDateTime()> now;
        // How long a restore by another copy of the program is waited for
        // before the user is asked whether to wait longer.
        int waitForRestoreMs = 10000;
        // Runs on the daily backup's thread after each step of its copy.
        std::function<void()> backupStep;
        // Reads the window's list again.
        std::function<void()> refill;
    };

    // `fill` is the reading of the window's list, which commands wait for.
    DatabaseSession(QWidget& window, ListFill& fill, Options options);
    ~DatabaseSession();
    DatabaseSession(const DatabaseSession&) = delete;
    DatabaseSession& operator=(const DatabaseSession&) = delete;

    // Takes the database into shared use, waiting while a restore (or
    // another program) holds it alone and asking whether to go on waiting;
    // false when the user chose to end the program instead.
    bool takeIntoUse();
    // Opens the shared connection on the chosen database: passwords a server
    // asks for are asked of the user in a password box, a database that
    // cannot be written shows in the title whenever it turns so and says
    // once why, and a server is named in the title.
    void open();
    // Starts what follows an open of the database beside the window: the
    // page check's verdict and the daily backup.
    void watchOpening();

    // Runs a command of the window once what it needs is there.
    void run(Needs needs, const std::function<void()>& command);
    // Does now, with the hourglass, what a command with these needs waits for.
    void ready(Needs needs);
    // True when a command with these needs would not wait.
    bool isReady(Needs needs) const;
    // True while a command runs that needs every row of the list.
    bool holdsWholeList() const { return m_wholeListHolds > 0; }

    // Reads the window's list again, after a change made beside it.
    void refill() const { m_options.refill(); }
    // The time of day as the window's environment tells it.
    QDateTime now() const { return m_options.now(); }

    // The window's caption: the product name, and the server's host name
    // while the database is on a server.
    static QString caption();

private:
    static QString connectionString();
    // Lets the database go, runs the work, then takes the database again,
    // opens it and refills the list, whatever the work did.
    void withDatabaseClosed(const std::function<void()>& work);
    void watchReadOnlyState();
    void askForServerPasswords();
    void sayReadOnlyState();

    QWidget& m_window;
    ListFill& m_fill;
    Options m_options;
    OpeningChecks* m_openingChecks = nullptr;
    // Why the database is read-only has been said since it was opened.
    bool m_readOnlySaid = false;
    // Commands running that need every row of the list, refills included.
    int m_wholeListHolds = 0;
    // Held while the window lives, so that a restore by another copy of the
    // program waits for it to close.
    backup::DatabaseUseLock m_useLock;
};

}  // namespace hv
