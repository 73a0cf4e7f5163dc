#pragma once

#include "core/work_steps.h"

#include <QDate>
#include <QString>

class QFontMetricsF;
class QPainter;
class QPagedPaintDevice;

namespace hv::reports {

class DeviceFonts;
class ReportLines;
class ReportPageModel;
struct ReportControl;

// Draws the pages of a report: one routine for the preview, the printer and
// the PDF file. Twips become device units through the device's own
// resolution, and fonts are set in points, so the painter is never scaled.
class ReportRenderer {
public:
    // The print date shows in a page footer that asks for it.
    ReportRenderer(const ReportPageModel& pages, const ReportLines& lines, const QDate& printDate = QDate::currentDate());

    // Draws one page with the painter's origin at the paper's top-left corner
    // on a device of that resolution (dots per inch).
    void drawPage(QPainter& painter, int page, double dpiX, double dpiY) const;

    // Draws the pages from first to last (counted from 0) on a paged device
    // whose page is the paper with no margins of its own, telling `steps`
    // of each page drawn. False when the device cannot be painted on (a
    // printer that is not there, a file that cannot be written).
    bool drawPages(QPagedPaintDevice& device, int first, int last, const WorkSteps& steps = {}) const;

    // A text that fits a width in device units as it is, or else its
    // longest start that fits followed by "…", so a field never writes over
    // its neighbour.
    static QString fitting(const QString& text, double width, const QFontMetricsF& metrics);

    // The room a text leaves before the next column, in twips.
    static constexpr int kColumnGap = 45;

private:
    // The text a control shows on a page in a band; field counts the detail
    // fields drawn so far in the band.
    QString textOf(const ReportControl& control, int line, int page, int& field) const;

    // Draws a page with fonts made for the device once for all its pages.
    void drawPage(QPainter& painter, int page, double dpiX, double dpiY, DeviceFonts& fonts) const;

    const ReportPageModel& m_pages;
    const ReportLines& m_lines;
    QString m_printDate;
};

}  // namespace hv::reports
