#pragma once

#include "reports/engine/hours_total.h"
#include "reports/engine/report_period.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace hv {

class ListColumn;

// What the find bar looks for in the work-hours list: an employee and a work
// code by their names as the list shows them (empty: any), a period of days,
// and a text the work description holds (without regard to case; empty:
// any). It works on the list's own cells, so no query runs as it changes.
struct EntryFilter {
    QString employee;
    QString workCode;
    reports::DatePeriod period;
    QString text;

    bool operator==(const EntryFilter&) const = default;

    // The rows that match, in the order given, with their hours added up
    // exactly. `columns` are the list's six, in the list's order.
    struct Result {
        std::vector<quint32> rows;
        reports::HoursTotal total;
    };
    Result apply(const std::vector<ListColumn>& columns, const std::vector<quint32>& order) const;

    // The texts a column's cells show, each once, in the user's collation
    // (the find bar's choices of employees and work codes).
    static QStringList valuesIn(const ListColumn& column);
};

}  // namespace hv
