#include "reports/report_page_view.h"

#include "core/twips.h"
#include "reports/engine/report_renderer.h"

#include <QPainter>

namespace hv::reports {

namespace {
constexpr double kInchesPerMetre = 1.0 / 0.0254;

// The paper at a resolution, in whole dots.
QSize paperAt(QSize paperTwips, double dotsPerInch)
{
    return QSizeF(twips::atResolution(paperTwips.width(), dotsPerInch),
                  twips::atResolution(paperTwips.height(), dotsPerInch))
        .toSize();
}
}  // namespace

ReportPageView::ReportPageView(const ReportRenderer& renderer, QSize paperTwips, QWidget* parent)
    : QWidget(parent), m_renderer(&renderer), m_paperTwips(paperTwips)
{
    setObjectName(QStringLiteral("PageView"));
    setFixedSize(sizeHint());
}

void ReportPageView::setRenderer(const ReportRenderer& renderer)
{
    m_renderer = &renderer;
    m_imageCurrent = false;
    update();
}

void ReportPageView::setPage(int page)
{
    if (page == m_page)
        return;
    m_page = page;
    m_imageCurrent = false;
    update();
}

void ReportPageView::setZoom(double zoom)
{
    if (zoom == m_zoom || zoom <= 0)
        return;
    m_zoom = zoom;
    m_imageCurrent = false;
    setFixedSize(sizeHint());
    update();
}

double ReportPageView::screenDpi() const
{
    return logicalDpiX() * m_zoom;
}

QSize ReportPageView::sizeHint() const
{
    return paperAt(m_paperTwips, screenDpi());
}

const QImage& ReportPageView::pageImage()
{
    if (m_imageCurrent)
        return m_image;
    // The image has the screen's pixels (device pixels on a high-density
    // screen) and says its own resolution, so the fonts take their size in
    // points from it.
    const double ratio = devicePixelRatioF();
    const double dpi = screenDpi() * ratio;
    m_image = QImage(paperAt(m_paperTwips, dpi), QImage::Format_RGB32);
    const int dotsPerMetre = static_cast<int>(dpi * kInchesPerMetre + 0.5);
    m_image.setDotsPerMeterX(dotsPerMetre);
    m_image.setDotsPerMeterY(dotsPerMetre);
    m_image.fill(Qt::white);
    QPainter painter(&m_image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    m_renderer->drawPage(painter, m_page, dpi, dpi);
    painter.end();
    m_image.setDevicePixelRatio(ratio);
    m_imageCurrent = true;
    ++m_pagesDrawn;
    return m_image;
}

void ReportPageView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(QPointF(0, 0), pageImage());
    painter.setPen(Qt::darkGray);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace hv::reports
