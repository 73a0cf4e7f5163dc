#pragma once

#include <QDateTime>
#include <QList>

namespace hv::backup {

// Which backups to keep: the newest copy of each of the last 14 days that
// have copies, the newest copy of each of the last 12 months that have
// copies, and every copy made today (so that the copy made before an import
// or a restore survives a second one on the same day). Days and months are
// counted among those that have copies, so a program left unused for a year
// never loses its last copies to the calendar alone. Copies dated after the
// day of `now` (named while the clock ran ahead) are kept, but they take no
// place among the last days and months, so they never push out the copies
// made since. The newest copy known to be sound is kept whatever its age.
class BackupRotation {
public:
    // The positions, in `copies`, of the copies to delete; `alwaysKeep`, when
    // not -1, is the position of the newest copy known to be sound.
    static QList<qsizetype> toDelete(const QList<QDateTime>& copies, const QDateTime& now, qsizetype alwaysKeep = -1);

    static constexpr int kDays = 14;
    static constexpr int kMonths = 12;
};

}  // namespace hv::backup
