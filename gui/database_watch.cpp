#include "gui/database_watch.h"

#include "data/connection.h"
#include "gui/shared_connection.h"

#include <QSocketNotifier>

#include <algorithm>

namespace hv {

DatabaseWatch::DatabaseWatch(QObject* parent) : QObject(parent)
{
    connect(&m_timer, &QTimer::timeout, this, &DatabaseWatch::check);
    // The first turn finds out which kind of database is open.
    m_timer.start(m_serverMs);
}

DatabaseWatch::~DatabaseWatch() = default;

void DatabaseWatch::setIntervals(int serverMs, int fileMs)
{
    m_serverMs = serverMs;
    m_fileMs = fileMs;
    m_timer.start(std::min(m_serverMs, m_fileMs));
}

void DatabaseWatch::check()
{
    if (!m_hold.mayRun()) {
        // The socket's news waits as well, unread, without waking the loop.
        if (m_notifier)
            m_notifier->setEnabled(false);
        return;
    }
    if (!SharedConnection::isSet() || SharedConnection::current().state() != data::Connection::StateOpen) {
        m_notifier.reset();
        return;
    }
    data::Connection& connection = SharedConnection::current();
    const bool elsewhere = connection.changedElsewhere();
    const int interval = connection.isServer() ? m_serverMs : m_fileMs;
    if (m_timer.interval() != interval)
        m_timer.start(interval);
    followSocket();
    if (elsewhere)
        Q_EMIT changed();
}

void DatabaseWatch::followSocket()
{
    const int socket = SharedConnection::current().changeSocket();
    if (m_notifier && m_notifier->socket() == socket) {
        m_notifier->setEnabled(true);
        return;
    }
    m_notifier.reset();
    if (socket < 0)
        return;
    m_notifier = std::make_unique<QSocketNotifier>(socket, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &DatabaseWatch::check);
}

}  // namespace hv
