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
    QHash<QString, int> byIdentity;
    for (std::size_t i = 0; i < shownRows.size(); ++i) {
        const int row = shownRows[i];
        Group group;
        QString identity;
        if (field >= 0) {
            const QVariant key = rows.groupKey(row);
            group.withoutRecord = key.isValid() ? key.isNull() : rows.value(row, field).isNull();
            group.name = group.withoutRecord ? layout.groupWithoutRecord : rows.text(row, field);
            group.id = key.toLongLong();
            identity = group.withoutRecord ? QStringLiteral("-")
                : key.isValid()            ? QLatin1Char('#') + QString::number(group.id)
                                           : QLatin1Char('=') + group.name;
        }
        const auto found = byIdentity.constFind(identity);
        if (found != byIdentity.constEnd()) {
            m_groupOf[i] = *found;
            continue;
        }
        m_groupOf[i] = static_cast<int>(m_groups.size());
        byIdentity.insert(identity, m_groupOf[i]);
        m_groups.push_back(std::move(group));
    }

    std::vector<int> sorted(m_groups.size());
    std::iota(sorted.begin(), sorted.end(), 0);
    const QCollator collator = userCollator();
    std::sort(sorted.begin(), sorted.end(), [&](int a, int b) {
        const Group& x = m_groups[static_cast<std::size_t>(a)];
        const Group& y = m_groups[static_cast<std::size_t>(b)];
        if (x.withoutRecord != y.withoutRecord)
            return y.withoutRecord;
        if (const int order = collator.compare(x.name, y.name); order != 0)
            return order < 0;
        return x.id < y.id;
    });
    std::vector<std::size_t> rank(m_groups.size());
    for (std::size_t place = 0; place < sorted.size(); ++place)
        rank[static_cast<std::size_t>(sorted[place])] = place;
    std::iota(m_order.begin(), m_order.end(), std::size_t{0});
    std::stable_sort(m_order.begin(), m_order.end(), [&](std::size_t a, std::size_t b) {
        return rank[static_cast<std::size_t>(m_groupOf[a])] < rank[static_cast<std::size_t>(m_groupOf[b])];
    });
}

}  // namespace hv::reports
