#pragma once

#include <QImage>
#include <QSize>
#include <QWidget>

namespace hv::reports {

class ReportRenderer;

// One page of a report on screen at a zoom. The page is drawn only when it
// is shown, and kept as an image until the page or the zoom changes.
class ReportPageView : public QWidget {
    Q_OBJECT

public:
    ReportPageView(const ReportRenderer& renderer, QSize paperTwips, QWidget* parent = nullptr);

    // Draws with another renderer from now on (the same paper).
    void setRenderer(const ReportRenderer& renderer);
    void setPage(int page);
    int page() const { return m_page; }
    // 1.0 shows the page at its printed size.
    void setZoom(double zoom);
    double zoom() const { return m_zoom; }

    // The current page as drawn at the current zoom, drawn now if need be.
    const QImage& pageImage();
    // How many times a page has been drawn for the screen.
    int pagesDrawn() const { return m_pagesDrawn; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Resolution of the page on screen, in dots per inch.
    double screenDpi() const;

    const ReportRenderer* m_renderer;
    QSize m_paperTwips;
    int m_page = 0;
    double m_zoom = 1.0;
    QImage m_image;
    bool m_imageCurrent = false;
    int m_pagesDrawn = 0;
};

}  // namespace hv::reports
