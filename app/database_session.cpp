#include "app/database_session.h"

#include "app/list_fill.h"
#include "app/opening_checks.h"
#include "app/startup_log.h"
#include "core/app_config.h"
#include "data/connection.h"
#include "database/database_choice.h"
#include "database/local_database.h"
#include "gui/busy_pointer.h"
#include "gui/error_report.h"
#include "gui/shared_connection.h"
#include "gui/ui_seam.h"

#include <QGuiApplication>
#include <QPointer>
#include <QScopeGuard>
#include <QWidget>
#include <utility>

namespace hv {

namespace {

const QString kOwner = QStringLiteral("Form1");

}  // namespace

DatabaseSession::DatabaseSession(QWidget& window, ListFill& fill, Options options)
    : m_window(window), m_fill(fill), m_options(std::move(options))
{
    m_openingChecks = new OpeningChecks(
        window, [this] { return now(); }, [this] { sayReadOnlyState(); }, m_options.backupStep);
    QObject::connect(m_openingChecks, &OpeningChecks::finished, &window,
                     [] { qCInfo(lcStartup, "opening checks done"); });
}

DatabaseSession::~DatabaseSession() = default;

bool DatabaseSession::takeIntoUse()
{
    const QString live = database::LocalDatabase().path();
    for (;;) {
        {
            const BusyPointer busy;
            if (m_useLock.shareUse(live, m_options.waitForRestoreMs))
                return true;
        }
        // A lock that cannot even be made (a folder that cannot be written)
        // guards nothing: the database opens as the system allows.
        if (!m_useLock.busy())
            return true;
        const QMessageBox::StandardButton answer = UiSeam::message(
            &m_window, {QStringLiteral("The database '%1' is being restored by another copy of Hourvane, or another "
                                       "program is using it alone, so Hourvane cannot open it now.\n\n"
                                       "Choose Retry to wait until it is free, or Cancel to end Hourvane and start it "
                                       "again later.")
                            .arg(live),
                        UiSeam::applicationTitle(), QMessageBox::Warning, QMessageBox::Retry | QMessageBox::Cancel});
        if (answer != QMessageBox::Retry)
            return false;
    }
}

void DatabaseSession::open()
{
    watchReadOnlyState();
    askForServerPasswords();
    m_readOnlySaid = false;
    SharedConnection::open(connectionString());
    if (!SharedConnection::current().isReadOnly())
        m_window.setWindowTitle(caption());
    sayReadOnlyState();
}

void DatabaseSession::watchOpening()
{
    m_openingChecks->start();
}

void DatabaseSession::run(Needs needs, const std::function<void()>& command)
{
    if (needs.letGo) {
        withDatabaseClosed(command);
        return;
    }
    ready(needs);
    if (!needs.wholeList) {
        command();
        return;
    }
    ++m_wholeListHolds;
    const auto release = qScopeGuard([this] { --m_wholeListHolds; });
    command();
}

void DatabaseSession::ready(Needs needs)
{
    // Letting the database go gives up the list and the checks instead.
    if (needs.letGo)
        return;
    if ((needs.wholeList || needs.write || needs.backupDone) && m_fill.pending()) {
        const BusyPointer busy;
        m_fill.complete();
    }
    if (needs.backupDone)
        m_openingChecks->finish();
    else if (needs.write)
        m_openingChecks->settleCheck();
}

bool DatabaseSession::isReady(Needs needs) const
{
    if (needs.letGo)
        return true;
    if ((needs.wholeList || needs.write || needs.backupDone) && m_fill.pending())
        return false;
    if (needs.backupDone)
        return m_openingChecks->done();
    return !needs.write || m_openingChecks->checkSettled();
}

void DatabaseSession::withDatabaseClosed(const std::function<void()>& work)
{
    // The list is read again afterwards, and no copy of the database may be
    // in the making while it is let go.
    m_fill.abandon();
    m_openingChecks->finish();
    ErrorReport err(ErrorReport::location(kOwner, QStringLiteral("withDatabaseClosed")), &m_window);
    err.line(100, [&] {
        if (SharedConnection::isSet() && SharedConnection::current().state() != data::Connection::StateClosed)
            SharedConnection::current().Close();
    });
    m_useLock.release();
    const auto reopen = qScopeGuard([&] {
        // The user chose to end rather than wait: the window closes as usual.
        if (!takeIntoUse()) {
            m_window.close();
            return;
        }
        err.line(102, [&] { open(); });
        refill();
        watchOpening();
    });
    work();
}

QString DatabaseSession::connectionString()
{
    // A database on a server, once chosen, instead of the local file.
    const QString server = database::DatabaseChoice::serverAddress();
    if (!server.isEmpty())
        return server;
    return database::LocalDatabase().connectionString();
}

void DatabaseSession::watchReadOnlyState()
{
    // The title says so whenever the connection turns read-only: at this
    // open, at a later one that succeeds, or when damage is met later on.
    SharedConnection::current().setReadOnlyHandler([window = QPointer<QWidget>(&m_window)] {
        if (window)
            window->setWindowTitle(caption() + QStringLiteral(" (read-only)"));
    });
}

QString DatabaseSession::caption()
{
    // On a server the title names it, so nobody takes it for the local file.
    if (SharedConnection::isSet() && SharedConnection::current().isServer()) {
        const data::Connection& connection = SharedConnection::current();
        return config::kProductName
            + (connection.plainTextBeyondThisComputer() ? QStringLiteral(" (server %1, not encrypted)")
                                                        : QStringLiteral(" (server %1)"))
                  .arg(connection.serverHost());
    }
    return config::kProductName;
}

void DatabaseSession::askForServerPasswords()
{
    data::Connection::setPasswordProvider([window = QPointer<QWidget>(&m_window)](const QString& address) {
        // The open shows the hourglass; the box is for typing in.
        const bool busy = QGuiApplication::overrideCursor() != nullptr;
        if (busy)
            QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
        const auto restore = qScopeGuard([busy] {
            if (busy)
                QGuiApplication::restoreOverrideCursor();
        });
        return UiSeam::askPassword(window, {QStringLiteral("The database server for %1 asks for a password.\n\n"
                                                           "Hourvane keeps it only until it ends, and never "
                                                           "writes it anywhere.")
                                                .arg(address),
                                            config::kProductName});
    });
}

void DatabaseSession::sayReadOnlyState()
{
    const data::Connection& connection = SharedConnection::current();
    if (!connection.isReadOnly() || std::exchange(m_readOnlySaid, true))
        return;
    UiSeam::message(&m_window, {connection.readOnlyReason(), UiSeam::applicationTitle(), QMessageBox::Warning,
                                QMessageBox::Ok});
}

}  // namespace hv
