#pragma once

#include "gui/modal_hold.h"

#include <QObject>
#include <QTimer>
#include <memory>

class QSocketNotifier;

namespace hv {

// Tells when anyone else changed the database the windows share
// (SharedConnection): another copy of the program on the same file, or
// another login on the server. The server's notice is heard as it comes; a
// local file is asked on a slow timer and whenever check() is called (the
// window's activation). Nothing is asked while the connection is closed,
// nor while a modal window or long work of the program is open: then once
// they close.
class DatabaseWatch : public QObject {
    Q_OBJECT

public:
    explicit DatabaseWatch(QObject* parent = nullptr);
    ~DatabaseWatch() override;

    // Asks the connection now; emits changed() when another changed the database.
    void check();

    // How often the connection is asked: a server's notices that came in
    // with the answers to the program's own steps are found within
    // serverMs, a file's changes within fileMs (250 and 5000 unless set).
    void setIntervals(int serverMs, int fileMs);

Q_SIGNALS:
    void changed();

private:
    // Listens on the socket the connection names now (none, after a drop).
    void followSocket();

    QTimer m_timer;
    std::unique_ptr<QSocketNotifier> m_notifier;
    int m_serverMs = 250;
    int m_fileMs = 5000;
    ModalHold m_hold{*this, [this] { check(); }};
};

}  // namespace hv
