#pragma once

#include <QFont>
#include <QList>
#include <QString>
#include <QStringList>

namespace hv::reports {

// How a detail field shows the value of its column.
enum class FieldFormat { AsStored, ShortDate, Number };

// The bound columns of the employee and of the work code, by which the
// report choices filter the lines.
inline constexpr char kEmployeeColumn[] = "Employee Name";
inline constexpr char kWorkCodeColumn[] = "Work Code Description";

// The bands of a banded report. Every layout has the five of its design;
// the two total bands are added when the user asks for totals: one after
// each group of rows with the same name, one at the end of the report.
enum class SectionKind { ReportHeader, PageHeader, Detail, GroupTotal, GrandTotal, PageFooter, ReportFooter };

// What a control shows: its caption, the value of its bound column in the
// row printed, the label or hours of a total line, the page's number, or
// the date the report is printed.
enum class ControlText { Caption, Field, LineLabel, LineHours, PageNumber, PrintDate };

// A font of a report control, in points.
struct ReportFont {
    double points = 8.25;
    bool bold = false;
    bool italic = false;

    QFont toFont() const;
    bool operator==(const ReportFont&) const = default;
};

// A label or a bound field placed in its section; every measure in twips,
// the top within the section (0 in the designed layouts). A label shows its
// caption, a field the value of its bound column in the current row.
struct ReportControl {
    QString name;
    QString caption;
    QString column;
    int left = 0;
    int width = 0;
    int height = 0;
    ReportFont font;
    FieldFormat format = FieldFormat::AsStored;
    ControlText text = ControlText::Caption;
    int top = 0;
    bool alignRight = false;
};

// One band of a report: its height in twips and the controls it prints.
struct ReportSection {
    QString name;
    SectionKind kind = SectionKind::Detail;
    int height = 0;
    QList<ReportControl> controls;
};

// A fixed report layout, held as data: page set-up, the sections in printing
// order and their controls. The renderer draws any layout the same way.
struct ReportLayout {
    QString name;
    QString title;
    int reportWidth = 0;
    int margin = 0;  // top, bottom, left and right alike
    QList<ReportSection> sections;
    // The column that names the groups of the totals, the hidden key column
    // of the record each group is (an employee or a work code: two of one
    // name are two groups), and the name of the group of the entries whose
    // record has gone.
    QString groupColumn;
    QString groupKey;
    QString groupWithoutRecord;

    // The section of a kind; every layout has the five of its design.
    const ReportSection& section(SectionKind kind) const;
    ReportSection& section(SectionKind kind);
    // The detail fields, left to right as listed.
    const QList<ReportControl>& fields() const { return section(SectionKind::Detail).controls; }
    // The detail field bound to a column, counted from 0; -1 for none.
    int fieldIndex(const QString& column) const;
    // The first detail field of a format; -1 for none.
    int fieldIndex(FieldFormat format) const;
};

// What the preview adds to a layout: under the title what the report covers
// (the period and the filters in force, a line each, so that none is ever
// cut short by another), the total bands, page numbers and the print date in
// the page footer.
struct ReportDecoration {
    QStringList scope;  // empty: no line under the title
    bool totals = false;
    bool pageNumbers = false;
};

// The layout with the additions; with none it is the layout as designed.
ReportLayout decorated(const ReportLayout& layout, const ReportDecoration& decoration);

// The program's three reports over the work-hour entries.
const ReportLayout& rptBillableHoursByEmployee();
const ReportLayout& rptBillableHoursByProject();
const ReportLayout& rptNonBillableHoursByEmployee();

}  // namespace hv::reports
