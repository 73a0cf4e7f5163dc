#include "reports/engine/report_lines.h"

#include "reports/engine/report_groups.h"
#include "reports/engine/report_period.h"
#include "reports/engine/report_rows.h"

#include <QDateTime>
#include <optional>

namespace hv::reports {

ReportLines::ReportLines(const ReportRows& rows, const ReportLayout& layout, const ReportOptions& options)
    : m_rows(&rows)
{
    const int dateField = layout.fieldIndex(FieldFormat::ShortDate);
    const int hoursField = layout.fieldIndex(FieldFormat::Number);
    const int employeeField = layout.fieldIndex(QString::fromLatin1(kEmployeeColumn));
    const int workCodeField = layout.fieldIndex(QString::fromLatin1(kWorkCodeColumn));

    const auto shown = [&](int row) {
        if (options.employee && employeeField >= 0 && rows.text(row, employeeField) != *options.employee)
            return false;
        if (options.workCode && workCodeField >= 0 && rows.text(row, workCodeField) != *options.workCode)
            return false;
        return options.period.isAllDates() || (dateField >= 0 && options.period.contains(dayOf(rows.value(row, dateField))));
    };
    std::optional<ReportLine> subtotal;  // the group being summed
    HoursTotal grandTotal;
    const auto addTotal = [this](ReportLine total) {
        m_lines.push_back(-1 - static_cast<qint32>(m_totals.size()));
        m_totals.push_back(std::move(total));
    };
    const auto closeGroup = [&] {
        if (!subtotal)
            return;
        subtotal->label = subtotal->group.isEmpty() ? QStringLiteral("Total") : QStringLiteral("Total for ") + subtotal->group;
        addTotal(std::move(*subtotal));
        subtotal.reset();
    };

    std::vector<int> shownRows;
    for (int row = 0; row < rows.rowCount(); ++row) {
        if (shown(row))
            shownRows.push_back(row);
    }
    const ReportGroups groups(rows, layout, shownRows);
    int current = -1;
    for (std::size_t i = 0; i < shownRows.size(); ++i) {
        const int row = shownRows[groups.order()[i]];
        const int group = groups.groupOf(groups.order()[i]);
        if (options.totals) {
            if (subtotal && group != current)
                closeGroup();
            if (!subtotal)
                subtotal = ReportLine{ReportLine::Subtotal, -1, groups.name(group), {}, {}};
            current = group;
            if (const std::optional<double> hours = hoursField >= 0 ? hoursOf(rows.value(row, hoursField)) : std::nullopt) {
                subtotal->hours.add(*hours);
                grandTotal.add(*hours);
            }
        }
        m_lines.push_back(row);
    }
    if (options.totals) {
        closeGroup();
        addTotal(ReportLine{ReportLine::GrandTotal, -1, {}, QStringLiteral("Grand total"), grandTotal});
    }
    m_lines.shrink_to_fit();
}

ReportLine ReportLines::at(int line) const
{
    const qint32 held = m_lines[static_cast<std::size_t>(line)];
    if (held >= 0)
        return ReportLine{ReportLine::Entry, held, {}, {}, {}};
    return m_totals[static_cast<std::size_t>(-1 - held)];
}

std::vector<SectionKind> ReportLines::sections() const
{
    std::vector<SectionKind> kinds;
    kinds.reserve(m_lines.size());
    for (const qint32 held : m_lines) {
        if (held >= 0)
            kinds.push_back(SectionKind::Detail);
        else if (m_totals[static_cast<std::size_t>(-1 - held)].kind == ReportLine::Subtotal)
            kinds.push_back(SectionKind::GroupTotal);
        else
            kinds.push_back(SectionKind::GrandTotal);
    }
    return kinds;
}

}  // namespace hv::reports
