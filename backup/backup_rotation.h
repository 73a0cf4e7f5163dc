#pragma once

#include <QDateTime>
#include <QList>

namespace hv::backup {

// Which backups to keep: the newest copy of each of the last 14 days that
// have copies, the newest copy of each of the last 12 months that have
// copies, and every copy made today (so that the copy made before an import
// or a restore survives a second one on the same day). Days and months are
// counted among those that have copies, so a program left unused for a year
// never loses its last copies to the calendar alone. Copies dated after
// `now` (a clock set back) are kept.
class BackupRotation {
public:
    // The positions, in `copies`, of the copies to delete.
    static QList<qsizetype> toDelete(const QList<QDateTime>& copies, const QDateTime& now);

    static constexpr int kDays = 14;
    static constexpr int kMonths = 12;
};

}  // namespace hv::backup
