#include "data/change_journal.h"

#include "core/runtime_error.h"
#include "data/engine.h"

#include <QStringList>
#include <map>

namespace hv::data {

namespace {

RuntimeError journalError(const QString& description)
{
    return {err::DatabaseEngine, description};
}

QString plural(const QString& table, qint64 count)
{
    const QString noun = ChangeJournal::rowNoun(table);
    if (count == 1)
        return QStringLiteral("1 ") + noun;
    const QString many = noun == u"entry" ? QStringLiteral("entries") : noun + u's';
    return QString::number(count) + u' ' + many;
}

QString verb(ChangeTouch::Kind kind)
{
    switch (kind) {
    case ChangeTouch::Added: return QStringLiteral("Add");
    case ChangeTouch::Deleted: return QStringLiteral("Delete");
    case ChangeTouch::Edited: break;
    }
    return QStringLiteral("Edit");
}

// "employee Tom Smith", "work code Support", "entry 42".
QString oneRow(const ChangeTouch& touch)
{
    const QString noun = ChangeJournal::rowNoun(touch.table);
    if (touch.table != u"Work Hours" && !touch.firstName.trimmed().isEmpty())
        return noun + u' ' + touch.firstName.trimmed();
    return noun + u' ' + QString::number(touch.firstId);
}

// When a change was made, as its refusal says it: the time of day for
// today, with the date before it otherwise.
QString when(const QDateTime& madeAt)
{
    const QDateTime local = madeAt.toLocalTime();
    if (local.date() == QDate::currentDate())
        return local.toString(QStringLiteral("HH:mm"));
    return local.toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

}  // namespace

QString ChangeJournal::rowNoun(const QString& table)
{
    if (table == u"Employees")
        return QStringLiteral("employee");
    if (table == u"Work Codes")
        return QStringLiteral("work code");
    if (table == u"hourvane_terms")
        return QStringLiteral("setting");
    return QStringLiteral("entry");
}

QString ChangeJournal::describe(const std::vector<ChangeTouch>& touches)
{
    std::vector<ChangeTouch> records;
    std::vector<ChangeTouch> entries;
    std::vector<ChangeTouch> settings;
    for (const ChangeTouch& touch : touches)
        (touch.table == u"Work Hours" ? entries : touch.table == u"hourvane_terms" ? settings : records).push_back(touch);
    // A setting saved with its employee or work code is part of that edit.
    if (records.empty())
        records = settings;
    // One employee or work code, with the entries that went (or came back) with it.
    if (records.size() == 1 && records.front().count == 1
        && (entries.empty() || (entries.size() == 1 && entries.front().kind == records.front().kind))) {
        QString text = verb(records.front().kind) + u' ' + oneRow(records.front());
        if (!entries.empty())
            text += QStringLiteral(" (") + plural(entries.front().table, entries.front().count) + u')';
        return text;
    }
    if (records.empty() && entries.size() == 1) {
        const ChangeTouch& touch = entries.front();
        return verb(touch.kind) + u' ' + (touch.count == 1 ? oneRow(touch) : plural(touch.table, touch.count));
    }
    // Anything else: what was done to how many, kind by kind.
    QStringList parts;
    for (const ChangeTouch::Kind kind : {ChangeTouch::Added, ChangeTouch::Edited, ChangeTouch::Deleted}) {
        QStringList counts;
        for (const char* table : {"Employees", "Work Codes", "Work Hours", "hourvane_terms"}) {
            qint64 count = 0;
            for (const ChangeTouch& touch : touches) {
                if (touch.kind == kind && touch.table == QLatin1String(table))
                    count += touch.count;
            }
            if (count > 0)
                counts << plural(QString::fromLatin1(table), count);
        }
        if (!counts.isEmpty())
            parts << verb(kind) + u' ' + counts.join(QStringLiteral(", "));
    }
    return parts.isEmpty() ? QStringLiteral("Change") : parts.join(QStringLiteral("; "));
}

QString ChangeJournal::refusal(const JournalChange& change, const ReplayConflict& conflict, bool redo)
{
    QString what = rowNoun(conflict.table) + u' ' + QString::number(conflict.rowId) + QStringLiteral(" was changed");
    if (conflict.known) {
        if (!conflict.madeBy.isEmpty())
            what += QStringLiteral(" by ") + conflict.madeBy;
        what += QStringLiteral(" at ") + when(conflict.madeAt);
    }
    what += QStringLiteral(" after it");
    if (!conflict.known)
        what += QStringLiteral(" (by another program)");
    return QStringLiteral("Cannot %1 \"%2\": %3.").arg(redo ? QStringLiteral("redo") : QStringLiteral("undo"),
                                                     change.description, what);
}

QString ChangeJournal::staleRefusal(const QString& named, const std::optional<JournalChange>& next, bool redo)
{
    QString why;
    if (!redo && next && !next->undone) {
        why = u'"' + next->description + QStringLiteral("\" is the newest change now (made");
        if (!next->madeBy.isEmpty())
            why += QStringLiteral(" by ") + next->madeBy;
        why += QStringLiteral(" at ") + when(next->madeAt) + u')';
    } else {
        why = redo ? QStringLiteral("it is no longer the change to redo") : QStringLiteral("it is no longer the newest change");
    }
    return QStringLiteral("Cannot %1 \"%2\": %3. The Edit menu now names what %4 would do.")
        .arg(redo ? QStringLiteral("redo") : QStringLiteral("undo"), named, why,
             redo ? QStringLiteral("Redo") : QStringLiteral("Undo"));
}

void ChangeJournal::describeAll(std::vector<JournalChange>& changes)
{
    std::vector<qint64> missing;
    for (const JournalChange& change : changes) {
        if (change.description.isEmpty())
            missing.push_back(change.id);
    }
    if (missing.empty())
        return;
    std::map<qint64, std::vector<ChangeTouch>> byChange;
    for (const ChangeTouch& touch : touches(missing))
        byChange[touch.change].push_back(touch);
    for (JournalChange& change : changes) {
        if (change.description.isEmpty())
            change.description = describe(byChange[change.id]);
    }
}

std::vector<JournalChange> ChangeJournal::recent(int count)
{
    if (count <= 0 || !exists())
        return {};
    std::vector<JournalChange> changes = stored(count);
    describeAll(changes);
    return changes;
}

std::optional<JournalChange> ChangeJournal::next(bool forward)
{
    if (!exists())
        return std::nullopt;
    const qint64 id = target(forward);
    if (id == 0)
        return std::nullopt;
    std::optional<JournalChange> change = storedChange(id);
    if (change) {
        std::vector<JournalChange> one{*change};
        describeAll(one);
        change = one.front();
    }
    return change;
}

std::optional<JournalChange> ChangeJournal::nextUndo()
{
    return next(false);
}

std::optional<JournalChange> ChangeJournal::nextRedo()
{
    return next(true);
}

JournalChange ChangeJournal::replay(bool forward, qint64 named)
{
    const QString reason = m_engine.readOnlyReason();
    if (!reason.isEmpty())
        throw journalError(reason);
    if (!exists())
        throw journalError(QStringLiteral("This database keeps no journal of changes, so nothing can be undone."));
    if (m_engine.inTransaction())
        throw journalError(QStringLiteral("A change cannot be undone or redone inside a transaction."));
    m_engine.begin();
    try {
        const std::optional<JournalChange> change = next(forward);
        if (named != 0 && (!change || change->id != named)) {
            std::vector<JournalChange> offered;
            if (std::optional<JournalChange> stored = storedChange(named))
                offered.push_back(*stored);
            describeAll(offered);
            const RuntimeError refused = journalError(staleRefusal(
                offered.empty() ? QStringLiteral("the change it named") : offered.front().description, change,
                forward));
            // Opening the transaction may have made another program's writes
            // a change of their own: kept, the journal offers that change next.
            m_engine.commit();
            throw refused;
        }
        if (!change)
            throw journalError(forward ? QStringLiteral("There is no undone change to redo.")
                                       : QStringLiteral("There is no change to undo."));
        if (const std::optional<ReplayConflict> found = conflict(change->id, forward))
            throw journalError(refusal(*change, *found, forward));
        apply(change->id, forward);
        m_engine.commit();
        JournalChange done = *change;
        done.undone = !forward;
        return done;
    } catch (...) {
        try {
            if (m_engine.inTransaction())
                m_engine.rollback();
        } catch (const RuntimeError&) {
            // The failure that stopped the replay is the one to report.
        }
        throw;
    }
}

JournalChange ChangeJournal::undo(qint64 named)
{
    return replay(false, named);
}

JournalChange ChangeJournal::redo(qint64 named)
{
    return replay(true, named);
}

}  // namespace hv::data
