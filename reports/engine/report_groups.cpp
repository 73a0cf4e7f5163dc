#include "reports/engine/report_groups.h"

#include "core/user_collator.h"
#include "reports/engine/report_layout.h"
#include "reports/engine/report_rows.h"

#include <QHash>
#include <algorithm>
#include <numeric>

namespace hv::reports {

ReportGroups::ReportGroups(const ReportRows& rows, const ReportLayout& layout, const std::vector<int>& shownRows)
    : m_groupOf(shownRows.size()), m_order(shownRows.size())
{
    const int field = layout.fieldIndex(layout.groupColumn);
    // A group is found by its record's ID, by its name in a data source
    // without keys, or is the one of the rows whose record has gone.
    QHash<qint64, int> byRecord;
    QHash<QString, int> byName;
    int withoutRecord = -1;
    const auto add = [this](Group group) {
        m_groups.push_back(std::move(group));
        return static_cast<int>(m_groups.size()) - 1;
    };
    for (std::size_t i = 0; i < shownRows.size(); ++i) {
        const int row = shownRows[i];
        int& group = m_groupOf[i];
        if (field < 0) {
            group = m_groups.empty() ? add({}) : 0;
            continue;
        }
        const QVariant key = rows.groupKey(row);
        const bool gone = key.isValid() ? key.isNull() : rows.value(row, field).isNull();
        if (gone) {
            if (withoutRecord < 0)
                withoutRecord = add({layout.groupWithoutRecord, 0, true});
            group = withoutRecord;
        } else if (key.isValid()) {
            const qint64 id = key.toLongLong();
            const auto found = byRecord.constFind(id);
            group = found != byRecord.constEnd() ? *found : *byRecord.insert(id, add({rows.text(row, field), id, false, true}));
        } else {
            const QString name = rows.text(row, field);
            const auto found = byName.constFind(name);
            group = found != byName.constEnd() ? *found : *byName.insert(name, add({name, 0, false}));
        }
    }

    std::vector<int> sorted(m_groups.size());
    std::iota(sorted.begin(), sorted.end(), 0);
    const QCollator collator = userCollator();
    std::sort(sorted.begin(), sorted.end(), [&](int a, int b) {
        const Group& x = m_groups[static_cast<std::size_t>(a)];
        const Group& y = m_groups[static_cast<std::size_t>(b)];
        // The report statements sort by the name, where a Null comes first.
        if (x.withoutRecord != y.withoutRecord)
            return x.withoutRecord;
        if (const int order = collator.compare(x.name, y.name); order != 0)
            return order < 0;
        return x.id < y.id;
    });
    // Two records of one name read apart: each name followed by its record
    // number in brackets.
    QHash<QString, int> sameName;
    for (const Group& group : m_groups) {
        if (group.byRecord)
            ++sameName[group.name];
    }
    for (Group& group : m_groups) {
        if (group.byRecord && sameName.value(group.name) > 1)
            group.name += QStringLiteral(" (%1)").arg(group.id);
    }
    std::vector<std::size_t> rank(m_groups.size());
    for (std::size_t place = 0; place < sorted.size(); ++place)
        rank[static_cast<std::size_t>(sorted[place])] = place;
    // The rows group by group (a counting sort, which keeps their order)...
    std::vector<std::size_t> start(m_groups.size() + 1, 0);
    for (const int group : m_groupOf)
        ++start[rank[static_cast<std::size_t>(group)] + 1];
    std::partial_sum(start.begin(), start.end(), start.begin());
    std::vector<std::size_t> next(start.begin(), start.end() - 1);
    for (std::size_t position = 0; position < m_groupOf.size(); ++position)
        m_order[next[rank[static_cast<std::size_t>(m_groupOf[position])]]++] = position;
    if (!rows.hasOwnOrder())
        return;
    // ...and within a group in the report query's own order.
    for (std::size_t g = 0; g + 1 < start.size(); ++g) {
        const auto first = m_order.begin() + static_cast<std::ptrdiff_t>(start[g]);
        const auto last = m_order.begin() + static_cast<std::ptrdiff_t>(start[g + 1]);
        const auto before = [&](std::size_t a, std::size_t b) { return rows.placedBefore(shownRows[a], shownRows[b]); };
        // The engine mostly hands equal rows on in the order it read them.
        if (!std::is_sorted(first, last, before))
            std::sort(first, last, before);
    }
}

}  // namespace hv::reports
