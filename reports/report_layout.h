#pragma once

#include <QFont>
#include <QList>
#include <QString>

namespace hv::reports {

// How a detail field shows the value of its column.
enum class FieldFormat { AsStored, ShortDate, Number };

// The five bands of a banded report, in printing order.
enum class SectionKind { ReportHeader, PageHeader, Detail, PageFooter, ReportFooter };

// A font of a report control, in points.
struct ReportFont {
    double points = 8.25;
    bool bold = false;
    bool italic = false;

    QFont toFont() const;
    bool operator==(const ReportFont&) const = default;
};

// A label or a bound field placed in its section; every measure in twips,
// the top always 0 within the section. A label shows its caption, a field
// the value of its bound column in the current row.
struct ReportControl {
    QString name;
    QString caption;
    QString column;
    int left = 0;
    int width = 0;
    int height = 0;
    ReportFont font;
    FieldFormat format = FieldFormat::AsStored;

    bool isField() const { return !column.isEmpty(); }
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

    // The section of a kind; every layout has all five.
    const ReportSection& section(SectionKind kind) const;
    // The detail fields, left to right as listed.
    const QList<ReportControl>& fields() const { return section(SectionKind::Detail).controls; }
};

// The program's three reports over the work-hour entries.
const ReportLayout& rptBillableHoursByEmployee();
const ReportLayout& rptBillableHoursByProject();
const ReportLayout& rptNonBillableHoursByEmployee();

}  // namespace hv::reports
