#include "app/opening_checks.h"

#include "backup/backup_folder.h"
#include "backup/database_backup.h"
#include "core/runtime_error.h"
#include "data/connection.h"
#include "gui/busy_pointer.h"
#include "gui/shared_connection.h"
#include "gui/ui_seam.h"

#include <QThread>

namespace hv {

namespace {

// How often the event loop looks for the check's verdict.
constexpr int kPollMs = 20;

bool openConnection()
{
    return SharedConnection::isSet() && SharedConnection::current().state() == data::Connection::StateOpen;
}

}  // namespace

OpeningChecks::OpeningChecks(QWidget& window, std::function<QDateTime()> now, std::function<void()> sayReadOnly,
                             std::function<void()> backupStep)
    : QObject(&window),
      m_window(window),
      m_now(std::move(now)),
      m_sayReadOnly(std::move(sayReadOnly)),
      m_backupStep(std::move(backupStep))
{
    m_poll.setInterval(kPollMs);
    connect(&m_poll, &QTimer::timeout, this, &OpeningChecks::poll);
}

OpeningChecks::~OpeningChecks()
{
    // A copy half made stops at its next step and leaves nothing behind;
    // the next start of the day makes it again.
    if (m_backup) {
        m_backup->requestInterruption();
        m_backup->wait();
    }
}

void OpeningChecks::start()
{
    finish();
    m_poll.start();
}

void OpeningChecks::settleCheck()
{
    if (!m_poll.isActive())
        return;
    const BusyPointer busy;
    SharedConnection::waitForPageCheck();
    m_poll.stop();
    afterCheck();
}

void OpeningChecks::finish()
{
    settleCheck();
    if (m_backup) {
        const BusyPointer busy;
        m_backup->wait();
        backedUp();
    }
}

void OpeningChecks::resume()
{
    if (m_poll.isActive())
        poll();
    else if (m_backup && m_backupEnded)
        backedUp();
}

void OpeningChecks::poll()
{
    if (!m_hold.mayRun() || !SharedConnection::pageCheckDone())
        return;
    m_poll.stop();
    afterCheck();
}

void OpeningChecks::afterCheck()
{
    // Damage the check found is said as the open says it.
    if (openConnection() && SharedConnection::current().isReadOnly())
        m_sayReadOnly();
    backUp();
}

void OpeningChecks::backUp()
{
    // Only a database that opened is copied; one that did not was reported
    // at its open. A database on a server is backed up by the server's own
    // tools, and a damaged one is never copied in among the sound backups.
    const bool copies = openConnection() && !SharedConnection::current().isServer()
        && !SharedConnection::current().isDamaged();
    if (!copies) {
        Q_EMIT finished();
        return;
    }
    const data::Connection& connection = SharedConnection::current();
    const auto source = connection.checkedFully() ? backup::DatabaseBackup::Source::CheckedSound
                                                  : backup::DatabaseBackup::Source::Unchecked;
    m_backupFailure.reset();
    m_backupEnded = false;
    m_backup.reset(QThread::create([this, database = connection.dataSource(), folder = backup::BackupFolder::besideDatabase(connection.dataSource()).path(),
                                    now = m_now(), source] {
        // Each step of the copy looks whether the program is going away.
        const auto steps = [this](qint64, qint64) {
            if (m_backupStep)
                m_backupStep();
            return !QThread::currentThread()->isInterruptionRequested();
        };
        try {
            backup::DatabaseBackup::daily(database, folder, now, source, steps);
        } catch (const RuntimeError& failure) {
            if (failure.number() != err::UserInterrupt)
                m_backupFailure = failure.description();
        }
    }));
    connect(m_backup.get(), &QThread::finished, this, [this, thread = m_backup.get()] {
        // Unless finish() took it in first.
        if (m_backup.get() != thread)
            return;
        m_backupEnded = true;
        if (m_hold.mayRun())
            backedUp();
    });
    m_backup->start();
}

void OpeningChecks::backedUp()
{
    m_backup->wait();
    m_backup.reset();
    if (m_backupFailure)
        UiSeam::tell(&m_window, QStringLiteral("The daily backup of the database could not be made:\r\n%1\r\n\r\n"
                                               "Hourvane goes on; the database itself is unchanged.")
                                    .arg(*std::exchange(m_backupFailure, std::nullopt)));
    Q_EMIT finished();
}

}  // namespace hv
