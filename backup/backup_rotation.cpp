#include "backup/backup_rotation.h"

#include <QMap>
#include <QSet>
#include <algorithm>

namespace hv::backup {

namespace {

// The newest copy of each period (a day, a month), for the most recent
// `count` periods up to the day `today`: their positions in `copies`.
template <typename Period>
QSet<qsizetype> newestOfRecent(const QList<QDateTime>& copies, const QDate& today, int count, Period period)
{
    QMap<qint64, qsizetype> newest;  // period -> position of its newest copy
    for (qsizetype i = 0; i < copies.size(); ++i) {
        if (copies[i].date() > today)
            continue;
        const qint64 key = period(copies[i].date());
        const auto found = newest.constFind(key);
        if (found == newest.constEnd() || copies[*found] < copies[i])
            newest.insert(key, i);
    }
    QSet<qsizetype> keep;
    auto it = newest.constEnd();
    for (int kept = 0; kept < count && it != newest.constBegin(); ++kept) {
        --it;
        keep.insert(*it);
    }
    return keep;
}

}  // namespace

QList<qsizetype> BackupRotation::toDelete(const QList<QDateTime>& copies, const QDateTime& now, qsizetype alwaysKeep)
{
    const QDate today = now.date();
    QSet<qsizetype> keep = newestOfRecent(copies, today, kDays, [](const QDate& d) { return d.toJulianDay(); });
    keep.unite(newestOfRecent(copies, today, kMonths, [](const QDate& d) { return qint64(d.year()) * 12 + d.month(); }));
    keep.insert(alwaysKeep);
    QList<qsizetype> doomed;
    for (qsizetype i = 0; i < copies.size(); ++i) {
        if (!keep.contains(i) && copies[i].date() < today)
            doomed << i;
    }
    return doomed;
}

}  // namespace hv::backup
