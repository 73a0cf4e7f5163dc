#include "reports/engine/report_layout.h"

#include <algorithm>
#include <stdexcept>

namespace hv::reports {

namespace {

constexpr int kReportWidth = 11961;
constexpr int kMargin = 1440;
constexpr int kControlHeight = 240;

const ReportFont kTitleFont{15.75, true, true};
const ReportFont kHeadingFont{8.25, true, false};
const ReportFont kDetailFont{8.25, false, false};
const ReportFont kScopeFont{9.75, false, false};

// The bands the preview adds: each line of what the report covers under the
// title, the grand total with a little room above it, and the page footer.
constexpr int kScopeLineHeight = 330;
constexpr int kGrandTotalHeight = 480;
constexpr int kPageFooterHeight = 360;

// One column of the entry reports: its heading label above its bound field.
struct ColumnDesign {
    const char* label;
    const char* heading;
    const char* field;
    const char* column;
    int headingWidth;
    int fieldWidth;
    FieldFormat format;
    // For a column that names a record: its hidden key column and the name
    // of the group of entries whose record has gone.
    const char* key = nullptr;
    const char* withoutRecord = nullptr;
};

const ColumnDesign kEmployee{"Label2", "Employee", "Text1", kEmployeeColumn, 2736, 2736, FieldFormat::AsStored,
                             "hourvane_employee", "(no employee)"};
const ColumnDesign kDateWorked{"Label4", "Date Worked", "Text7", "Date Worked", 1440, 1440, FieldFormat::ShortDate};
const ColumnDesign kWorkCode{"Label5", "Work Code", "Text5", kWorkCodeColumn, 1440, 1440, FieldFormat::AsStored,
                             "hourvane_work_code", "(no work code)"};
const ColumnDesign kHours{"Label6", "Hours", "Text3", "Hours", 1008, 1005, FieldFormat::Number};
const ColumnDesign kWorkDescription{"Label7", "Work Description", "Text6", "Work Description", 3312, 3312,
                                    FieldFormat::AsStored};

// A column of one layout: which column, and its left edge in that layout.
struct PlacedColumn {
    const ColumnDesign& design;
    int left;
};

ReportLayout entryReport(const char* name, const char* title, std::initializer_list<PlacedColumn> columns)
{
    ReportLayout layout;
    layout.name = QString::fromLatin1(name);
    layout.title = QString::fromLatin1(title);
    // The first column names the groups: the employee, or the work code.
    const ColumnDesign& group = columns.begin()->design;
    layout.groupColumn = QString::fromLatin1(group.column);
    layout.groupKey = QString::fromLatin1(group.key);
    layout.groupWithoutRecord = QString::fromLatin1(group.withoutRecord);
    layout.reportWidth = kReportWidth;
    layout.margin = kMargin;

    ReportSection reportHeader{QStringLiteral("Section4"), SectionKind::ReportHeader, 435, {}};
    reportHeader.controls.append({QStringLiteral("Label1"), layout.title, {}, 144, 5040, 432, kTitleFont});
    ReportSection pageHeader{QStringLiteral("Section2"), SectionKind::PageHeader, 330, {}};
    ReportSection detail{QStringLiteral("Section1"), SectionKind::Detail, 360, {}};
    for (const PlacedColumn& placed : columns) {
        const ColumnDesign& c = placed.design;
        pageHeader.controls.append({QString::fromLatin1(c.label), QString::fromLatin1(c.heading), {}, placed.left,
                                    c.headingWidth, kControlHeight, kHeadingFont});
        detail.controls.append({QString::fromLatin1(c.field), {}, QString::fromLatin1(c.column), placed.left,
                                c.fieldWidth, kControlHeight, kDetailFont, c.format, ControlText::Field});
    }
    layout.sections = {reportHeader, pageHeader, detail,
                       {QStringLiteral("Section3"), SectionKind::PageFooter, 0, {}},
                       {QStringLiteral("Section5"), SectionKind::ReportFooter, 570, {}}};
    return layout;
}

}  // namespace

QFont ReportFont::toFont() const
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

namespace {

// The section of a kind in a layout's list; a list that is not const is
// detached first, so a change to the section stays with its own layout.
template <typename Sections>
auto& sectionOf(Sections& sections, SectionKind kind)
{
    for (auto& s : sections) {
        if (s.kind == kind)
            return s;
    }
    throw std::logic_error("report layout without one of its five sections");
}

template <typename Matches>
int firstField(const QList<ReportControl>& fields, Matches matches)
{
    const auto found = std::find_if(fields.cbegin(), fields.cend(), matches);
    return found == fields.cend() ? -1 : static_cast<int>(found - fields.cbegin());
}

}  // namespace

const ReportSection& ReportLayout::section(SectionKind kind) const
{
    return sectionOf(sections, kind);
}

ReportSection& ReportLayout::section(SectionKind kind)
{
    return sectionOf(sections, kind);
}

int ReportLayout::fieldIndex(const QString& column) const
{
    return firstField(fields(), [&](const ReportControl& field) { return field.column == column; });
}

int ReportLayout::fieldIndex(FieldFormat format) const
{
    return firstField(fields(), [&](const ReportControl& field) { return field.format == format; });
}

ReportLayout decorated(const ReportLayout& layout, const ReportDecoration& decoration)
{
    ReportLayout result = layout;
    // The columns span from the left edge to the right of the widest field.
    int columnsRight = 0;
    for (const ReportControl& field : layout.fields())
        columnsRight = std::max(columnsRight, field.left + field.width);

    ReportSection& header = result.section(SectionKind::ReportHeader);
    for (qsizetype i = 0; i < decoration.scope.size(); ++i) {
        ReportControl line{QStringLiteral("Scope%1").arg(i + 1), decoration.scope.at(i), {}, 144, columnsRight - 144,
                           kControlHeight, kScopeFont};
        line.top = header.height;
        header.height += kScopeLineHeight;
        header.controls.append(line);
    }

    if (decoration.totals) {
        const int hoursIndex = layout.fieldIndex(FieldFormat::Number);
        const ReportControl& hours = layout.fields().at(hoursIndex);
        const auto totalBand = [&](const QString& name, SectionKind kind, int height) {
            ReportSection band{name, kind, height, {}};
            ReportControl label{QStringLiteral("TotalLabel"), {}, {}, 0, hours.left, kControlHeight, kHeadingFont};
            label.text = ControlText::LineLabel;
            ReportControl sum{QStringLiteral("TotalHours"), {}, {}, hours.left, hours.width, kControlHeight,
                              kHeadingFont};
            sum.text = ControlText::LineHours;
            // The grand total stands a little apart from the lines above it.
            label.top = sum.top = height - kControlHeight - 120;
            band.controls = {label, sum};
            return band;
        };
        // The total bands follow the detail band.
        qsizetype detail = 0;
        while (result.sections.at(detail).kind != SectionKind::Detail)
            ++detail;
        result.sections.insert(detail + 1, totalBand(QStringLiteral("GroupTotal"), SectionKind::GroupTotal,
                                                     layout.section(SectionKind::Detail).height));
        result.sections.insert(detail + 2, totalBand(QStringLiteral("GrandTotal"), SectionKind::GrandTotal,
                                                     kGrandTotalHeight));
    }

    if (decoration.pageNumbers) {
        ReportSection& footer = result.section(SectionKind::PageFooter);
        footer.height = kPageFooterHeight;
        const int half = columnsRight / 2;
        ReportControl page{QStringLiteral("PageNumber"), {}, {}, 0, half, kControlHeight, kDetailFont};
        page.text = ControlText::PageNumber;
        page.top = kPageFooterHeight - kControlHeight;
        ReportControl printed{QStringLiteral("PrintDate"), {}, {}, half, columnsRight - half, kControlHeight,
                              kDetailFont};
        printed.text = ControlText::PrintDate;
        printed.top = page.top;
        printed.alignRight = true;
        footer.controls = {page, printed};
    }
    return result;
}

const ReportLayout& rptBillableHoursByEmployee()
{
    static const ReportLayout layout = entryReport(
        "rptBillableHoursByEmployee", "Billable Hours by Employee",
        {{kEmployee, 0}, {kDateWorked, 2736}, {kWorkCode, 4176}, {kHours, 5616}, {kWorkDescription, 6624}});
    return layout;
}

const ReportLayout& rptBillableHoursByProject()
{
    static const ReportLayout layout = entryReport(
        "rptBillableHoursByProject", "Billable Hours by Project",
        {{kWorkCode, 0}, {kEmployee, 1440}, {kDateWorked, 4176}, {kHours, 5616}, {kWorkDescription, 6624}});
    return layout;
}

const ReportLayout& rptNonBillableHoursByEmployee()
{
    static const ReportLayout layout = entryReport(
        "rptNonBillableHoursByEmployee", "Non-Billable Hours by Employee",
        {{kEmployee, 0}, {kDateWorked, 2736}, {kWorkCode, 4176}, {kHours, 5616}, {kWorkDescription, 6624}});
    return layout;
}

}  // namespace hv::reports
