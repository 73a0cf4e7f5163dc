#pragma once

#include <QString>

class QWidget;

namespace hv {

// Start-up's offer to convert a live database in the old format (its
// header carries the old engine's signature): asked before the database
// is opened. Yes converts it (the old file is kept beside it, unchanged) and
// tells the summary; No leaves everything as it is; a failed conversion
// leaves the old file as the live database and tells why. A conversion that
// was stopped part-way (the program killed, the power cut) left the old file
// in place too, and is offered again, saying so. Start-up goes on in every
// case.
class OldDatabaseOffer {
public:
    // True when the file is an old-format database that can be offered.
    static bool applies(const QString& livePath);

    static void offer(QWidget* parent, const QString& livePath);
};

}  // namespace hv
