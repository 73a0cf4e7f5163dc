#pragma once

#include "reports/report_renderer.h"

#include <QDialog>
#include <QPageLayout>
#include <QPageSize>

class QComboBox;
class QLabel;
class QPushButton;
class QScrollArea;

namespace hv::reports {

class ReportPageModel;
class ReportPageView;
class ReportRows;

// The modal preview of a report, captioned with its title: pages one at a
// time with page navigation and zoom, printing through the system's print
// dialog and export of the whole report to a PDF file.
class ReportPreview : public QDialog {
    Q_OBJECT

public:
    ReportPreview(const ReportPageModel& pages, const ReportRows& rows, const QPageSize& pageSize,
                  QPageLayout::Orientation orientation, QWidget* owner);

    int pageCount() const;
    // The page shown, counted from 0.
    int currentPage() const;
    void showPage(int page);

    // The zoom factors offered, 1.0 being the printed size.
    static QList<double> zoomFactors();
    void setZoom(double zoom);

    ReportPageView* pageView() const { return m_view; }

    // "Print": the print dialog, then the pages it names on its printer.
    void print();
    // "Export to PDF": asks for a file name and writes every page to it.
    void exportToPdf();
    // Writes every page to a PDF file; false when the file cannot be written.
    bool writePdf(const QString& fileName) const;

protected:
    // Page Up, Page Down, Home and End page through the report.
    void keyPressEvent(QKeyEvent* event) override;

private:
    QPushButton* addButton(const QString& name, const QString& caption, const QString& accessibleName = {});
    void updateNavigation();
    QPageLayout pageLayout() const;

    const ReportPageModel& m_pages;
    ReportRenderer m_renderer;
    QPageSize m_pageSize;
    QPageLayout::Orientation m_orientation;
    ReportPageView* m_view = nullptr;
    QScrollArea* m_scroll = nullptr;
    QPushButton* m_first = nullptr;
    QPushButton* m_previous = nullptr;
    QLabel* m_pageNumber = nullptr;
    QPushButton* m_next = nullptr;
    QPushButton* m_last = nullptr;
    QComboBox* m_zoom = nullptr;
};

}  // namespace hv::reports
