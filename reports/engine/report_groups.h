#pragma once

#include <QString>
#include <QtGlobal>
#include <vector>

namespace hv::reports {

class ReportRows;
struct ReportLayout;

// The groups of a report's rows, in printing order. A group is the rows of
// one record (an employee or a work code, known by the hidden key the rows
// carry), so that two records of one name are two groups, each named with
// its record number in brackets, "Tom Smith (4)"; from a data source
// without keys it is the rows of one name. The rows whose record has gone
// form one group of their own, named as the layout says. The groups follow
// their names in the user's alphabetical order (two of one name by their
// IDs), the group without a record first, where its Null name stands in
// the report statement's order. The rows of a group follow the
// report query's own order when the data source carries it (by date, then
// as entered), else the data source's order.
class ReportGroups {
public:
    // shownRows: the rows printed, in the data source's order.
    ReportGroups(const ReportRows& rows, const ReportLayout& layout, const std::vector<int>& shownRows);

    // Positions in shownRows, in printing order.
    const std::vector<std::size_t>& order() const { return m_order; }
    // The group of the row at a position in shownRows.
    int groupOf(std::size_t position) const { return m_groupOf[position]; }
    const QString& name(int group) const { return m_groups[static_cast<std::size_t>(group)].name; }

private:
    struct Group {
        QString name;
        qint64 id = 0;
        bool withoutRecord = false;
        bool byRecord = false;  // found by its record's ID
    };

    std::vector<Group> m_groups;
    std::vector<int> m_groupOf;
    std::vector<std::size_t> m_order;
};

}  // namespace hv::reports
