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
    const auto closeGroup = [&] {
        if (!subtotal)
            return;
        subtotal->label = subtotal->group.isEmpty() ? QStringLiteral("Total") : QStringLiteral("Total for ") + subtotal->group;
        m_lines.push_back(std::move(*subtotal));
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
        m_lines.push_back(ReportLine{ReportLine::Entry, row, {}, {}, {}});
    }
    if (options.totals) {
        closeGroup();
        m_lines.push_back(ReportLine{ReportLine::GrandTotal, -1, {}, QStringLiteral("Grand total"), grandTotal});
    }
}

std::vector<SectionKind> ReportLines::sections() const
{
    std::vector<SectionKind> kinds;
    kinds.reserve(m_lines.size());
    for (const ReportLine& line : m_lines) {
        switch (line.kind) {
        case ReportLine::Entry: kinds.push_back(SectionKind::Detail); break;
        case ReportLine::Subtotal: kinds.push_back(SectionKind::GroupTotal); break;
        case ReportLine::GrandTotal: kinds.push_back(SectionKind::GrandTotal); break;
        }
    }
    return kinds;
}

}  // namespace hv::reports
