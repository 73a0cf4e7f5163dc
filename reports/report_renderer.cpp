#include "reports/report_renderer.h"

#include "reports/report_page_model.h"
#include "reports/report_rows.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <deque>

namespace hv::reports {

namespace {

constexpr double kTwipsPerInch = 1440.0;

// Twips to the units of a device of a resolution.
struct DeviceScale {
    double x;
    double y;
    double toX(double twips) const { return twips * x / kTwipsPerInch; }
    double toY(double twips) const { return twips * y / kTwipsPerInch; }
};

// A report font made for one device.
struct DeviceFont {
    ReportFont spec;
    QFont font;
    QFontMetricsF metrics;
};

}  // namespace

ReportRenderer::ReportRenderer(const ReportPageModel& pages, const ReportRows& rows)
    : m_pages(pages), m_rows(rows)
{
}

QString ReportRenderer::fitting(const QString& text, double width, const QFontMetricsF& metrics)
{
    if (metrics.horizontalAdvance(text) <= width)
        return text;
    // Binary search on the length of the start that still fits.
    qsizetype fits = 0;
    qsizetype tooLong = text.size();
    while (tooLong - fits > 1) {
        const qsizetype middle = (fits + tooLong) / 2;
        if (metrics.horizontalAdvance(text.left(middle)) <= width)
            fits = middle;
        else
            tooLong = middle;
    }
    return text.left(fits);
}

void ReportRenderer::drawPage(QPainter& painter, int page, double dpiX, double dpiY) const
{
    const ReportLayout& layout = m_pages.layout();
    const DeviceScale scale{dpiX, dpiY};
    const QSize paper = m_pages.paperTwips();
    painter.save();
    // A body wider than the paper is cut at the paper's edge.
    painter.setClipRect(QRectF(0, 0, scale.toX(paper.width()), scale.toY(paper.height())));
    painter.setPen(Qt::black);

    // Fonts and their metrics on this device, made once per page; a deque
    // keeps each entry in place as more are added.
    std::deque<DeviceFont> fonts;
    const DeviceFont* current = nullptr;
    const auto fontFor = [&](const ReportFont& spec) -> const DeviceFont& {
        for (const DeviceFont& known : fonts) {
            if (known.spec == spec)
                return known;
        }
        const QFont font = spec.toFont();
        return fonts.emplace_back(DeviceFont{spec, font, QFontMetricsF(font, painter.device())});
    };

    const double left = layout.margin;
    const double top = layout.margin;
    for (const PlacedBand& band : m_pages.bands(page)) {
        int field = 0;
        for (const ReportControl& control : band.section->controls) {
            const DeviceFont& font = fontFor(control.font);
            if (current != &font) {
                painter.setFont(font.font);
                current = &font;
            }
            const QString& whole = control.isField() ? m_rows.text(band.row, field++) : control.caption;
            if (whole.isEmpty())
                continue;
            const QString shown = fitting(whole, scale.toX(control.width), font.metrics);
            const QPointF baseline(scale.toX(left + control.left), scale.toY(top + band.top) + font.metrics.ascent());
            painter.drawText(baseline, shown);
        }
    }
    painter.restore();
}

bool ReportRenderer::drawPages(QPagedPaintDevice& device, int first, int last) const
{
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    const double dpiX = device.logicalDpiX();
    const double dpiY = device.logicalDpiY();
    for (int page = first; page <= last; ++page) {
        if (page > first && !device.newPage()) {
            painter.end();
            return false;
        }
        drawPage(painter, page, dpiX, dpiY);
    }
    return painter.end();
}

bool ReportRenderer::drawAll(QPagedPaintDevice& device) const
{
    return drawPages(device, 0, m_pages.pageCount() - 1);
}

}  // namespace hv::reports
