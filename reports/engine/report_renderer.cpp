#include "reports/engine/report_renderer.h"

#include "core/twips.h"
#include "reports/engine/report_page_model.h"
#include "core/locale_text.h"
#include "reports/engine/report_lines.h"
#include "reports/engine/report_rows.h"

#include <QFontMetricsF>
#include <QHash>
#include <QPagedPaintDevice>
#include <QPainter>
#include <algorithm>
#include <deque>

namespace hv::reports {

namespace {

// Twips to the units of a device of a resolution.
struct DeviceScale {
    double x;
    double y;
    double toX(double value) const { return twips::atResolution(value, x); }
    double toY(double value) const { return twips::atResolution(value, y); }
};

// A report font made for one device, with the widths of the texts measured
// in it so far: names, dates and work codes repeat from line to line and are
// measured once.
struct DeviceFont {
    ReportFont design;
    QFont font;
    QFontMetricsF metrics;
    QHash<QString, double> widths;

    double width(const QString& text)
    {
        const auto known = widths.constFind(text);
        if (known != widths.constEnd())
            return *known;
        return *widths.insert(text, metrics.horizontalAdvance(text));
    }
};

}  // namespace

// The fonts of a report on one device, kept while its pages are drawn; a
// deque keeps each entry in place as more are added.
class DeviceFonts {
public:
    explicit DeviceFonts(QPaintDevice* device) : m_device(device) {}

    DeviceFont& get(const ReportFont& wanted)
    {
        for (DeviceFont& known : m_fonts) {
            if (known.design == wanted)
                return known;
        }
        const QFont font = wanted.toFont();
        return m_fonts.emplace_back(DeviceFont{wanted, font, QFontMetricsF(font, m_device), {}});
    }

private:
    QPaintDevice* m_device;
    std::deque<DeviceFont> m_fonts;
};

ReportRenderer::ReportRenderer(const ReportPageModel& pages, const ReportLines& lines, const QDate& printDate)
    : m_pages(pages), m_lines(lines), m_printDate(QStringLiteral("Printed ") + text::dateToText(printDate))
{
}

QString ReportRenderer::fitting(const QString& text, double width, const QFontMetricsF& metrics)
{
    if (metrics.horizontalAdvance(text) <= width)
        return text;
    const QString ellipsis(QChar(0x2026));
    // Binary search on the length of the start that still fits with "…".
    qsizetype fits = 0;
    qsizetype tooLong = text.size();
    while (tooLong - fits > 1) {
        const qsizetype middle = (fits + tooLong) / 2;
        if (metrics.horizontalAdvance(text.left(middle) + ellipsis) <= width)
            fits = middle;
        else
            tooLong = middle;
    }
    // A cut between words leaves no blank before the ellipsis.
    const QString start = text.left(fits).trimmed();
    if (start.isEmpty())
        return metrics.horizontalAdvance(ellipsis) <= width ? ellipsis : QString();
    return start + ellipsis;
}

QString ReportRenderer::textOf(const ReportControl& control, int line, int page, int& field) const
{
    switch (control.text) {
    case ControlText::Caption: return control.caption;
    case ControlText::Field: return m_lines.rows().text(m_lines.at(line).row, field++);
    case ControlText::LineLabel: return m_lines.at(line).label;
    case ControlText::LineHours: return m_lines.at(line).hours.toText();
    case ControlText::PageNumber: return QStringLiteral("Page %1 of %2").arg(page + 1).arg(m_pages.pageCount());
    case ControlText::PrintDate: return m_printDate;
    }
    return {};
}

void ReportRenderer::drawPage(QPainter& painter, int page, double dpiX, double dpiY) const
{
    DeviceFonts fonts(painter.device());
    drawPage(painter, page, dpiX, dpiY, fonts);
}

void ReportRenderer::drawPage(QPainter& painter, int page, double dpiX, double dpiY, DeviceFonts& fonts) const
{
    const ReportLayout& layout = m_pages.layout();
    const DeviceScale scale{dpiX, dpiY};
    const QSize paper = m_pages.paperTwips();
    painter.save();
    // Nothing is drawn right of the report's width, and a body wider than
    // the paper is cut at the paper's edge.
    const double right = std::min<double>(paper.width(), layout.margin + layout.reportWidth);
    painter.setClipRect(QRectF(0, 0, scale.toX(right), scale.toY(paper.height())));
    painter.setPen(Qt::black);

    const DeviceFont* current = nullptr;
    const double left = layout.margin;
    const double top = layout.margin;
    for (const PlacedBand& band : m_pages.bands(page)) {
        int field = 0;
        for (const ReportControl& control : band.section->controls) {
            DeviceFont& font = fonts.get(control.font);
            if (current != &font) {
                painter.setFont(font.font);
                current = &font;
            }
            const QString whole = textOf(control, band.line, page, field);
            if (whole.isEmpty())
                continue;
            const double width = scale.toX(control.width - kColumnGap);
            const double wholeWidth = font.width(whole);
            const bool fits = wholeWidth <= width;
            const QString shown = fits ? whole : fitting(whole, width, font.metrics);
            double x = scale.toX(left + control.left);
            if (control.alignRight)
                x += scale.toX(control.width) - (fits ? wholeWidth : font.width(shown));
            const QPointF baseline(x, scale.toY(top + band.top + control.top) + font.metrics.ascent());
            painter.drawText(baseline, shown);
        }
    }
    painter.restore();
}

bool ReportRenderer::drawPages(QPagedPaintDevice& device, int first, int last, const WorkSteps& steps) const
{
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    const double dpiX = device.logicalDpiX();
    const double dpiY = device.logicalDpiY();
    DeviceFonts fonts(&device);
    for (int page = first; page <= last; ++page) {
        if (page > first && !device.newPage()) {
            painter.end();
            return false;
        }
        drawPage(painter, page, dpiX, dpiY, fonts);
        stepDone(steps, page - first + 1, last - first + 1);
    }
    return painter.end();
}

}  // namespace hv::reports
