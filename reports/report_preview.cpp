#include "reports/report_preview.h"

#include "app/app_config.h"
#include "app/appearance.h"
#include "app/ui_seam.h"
#include "reports/report_page_model.h"
#include "reports/report_page_view.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>

namespace hv::reports {

ReportPreview::ReportPreview(const ReportPageModel& pages, const ReportRows& rows, const QPageSize& pageSize,
                             QPageLayout::Orientation orientation, QWidget* owner)
    : QDialog(owner), m_pages(pages), m_renderer(pages, rows), m_pageSize(pageSize), m_orientation(orientation)
{
    setObjectName(pages.layout().name);
    setWindowTitle(pages.layout().title);
    setWindowIcon(applicationIcon());
    setModal(true);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint
                   | Qt::WindowCloseButtonHint);

    auto* bar = new QHBoxLayout;
    m_first = addButton(QStringLiteral("FirstPage"), QStringLiteral("|<"), QStringLiteral("First page"));
    m_previous = addButton(QStringLiteral("PreviousPage"), QStringLiteral("<"), QStringLiteral("Previous page"));
    m_pageNumber = new QLabel(this);
    m_pageNumber->setObjectName(QStringLiteral("PageNumber"));
    m_next = addButton(QStringLiteral("NextPage"), QStringLiteral(">"), QStringLiteral("Next page"));
    m_last = addButton(QStringLiteral("LastPage"), QStringLiteral(">|"), QStringLiteral("Last page"));
    m_zoom = new QComboBox(this);
    m_zoom->setObjectName(QStringLiteral("Zoom"));
    m_zoom->setAccessibleName(QStringLiteral("Zoom"));
    for (double factor : zoomFactors())
        m_zoom->addItem(QStringLiteral("%1%").arg(qRound(factor * 100)), factor);
    m_zoom->setCurrentIndex(static_cast<int>(zoomFactors().indexOf(1.0)));
    QPushButton* printButton = addButton(QStringLiteral("Print"), QStringLiteral("Print..."));
    QPushButton* exportButton = addButton(QStringLiteral("ExportToPdf"), QStringLiteral("Export to PDF..."));
    QPushButton* closeButton = addButton(QStringLiteral("ClosePreview"), QStringLiteral("Close"));
    for (QWidget* control : {static_cast<QWidget*>(m_first), static_cast<QWidget*>(m_previous),
                             static_cast<QWidget*>(m_pageNumber), static_cast<QWidget*>(m_next),
                             static_cast<QWidget*>(m_last), static_cast<QWidget*>(m_zoom)})
        bar->addWidget(control);
    bar->addStretch();
    bar->addWidget(printButton);
    bar->addWidget(exportButton);
    bar->addWidget(closeButton);

    m_view = new ReportPageView(m_renderer, pages.paperTwips());
    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("PageArea"));
    m_scroll->setAlignment(Qt::AlignCenter);
    m_scroll->setBackgroundRole(QPalette::Dark);
    m_scroll->setWidget(m_view);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(m_scroll, 1);

    connect(m_first, &QPushButton::clicked, this, [this] { showPage(0); });
    connect(m_previous, &QPushButton::clicked, this, [this] { showPage(currentPage() - 1); });
    connect(m_next, &QPushButton::clicked, this, [this] { showPage(currentPage() + 1); });
    connect(m_last, &QPushButton::clicked, this, [this] { showPage(pageCount() - 1); });
    connect(m_zoom, &QComboBox::currentIndexChanged, this,
            [this](int index) { m_view->setZoom(m_zoom->itemData(index).toDouble()); });
    connect(printButton, &QPushButton::clicked, this, &ReportPreview::print);
    connect(exportButton, &QPushButton::clicked, this, &ReportPreview::exportToPdf);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);

    // Wide enough for the whole page at its printed size, as high as the
    // screen allows.
    QSize size = m_view->sizeHint() + QSize(60, 90);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size() * 0.9);
    resize(size);
    updateNavigation();
}

QPushButton* ReportPreview::addButton(const QString& name, const QString& caption, const QString& accessibleName)
{
    auto* button = new QPushButton(caption, this);
    button->setObjectName(name);
    // Symbols such as "|<" are read out by their purpose.
    if (!accessibleName.isEmpty())
        button->setAccessibleName(accessibleName);
    button->setAutoDefault(false);
    return button;
}

int ReportPreview::pageCount() const
{
    return m_pages.pageCount();
}

int ReportPreview::currentPage() const
{
    return m_view->page();
}

void ReportPreview::showPage(int page)
{
    m_view->setPage(std::clamp(page, 0, pageCount() - 1));
    m_scroll->verticalScrollBar()->setValue(0);
    updateNavigation();
}

void ReportPreview::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_PageDown: showPage(currentPage() + 1); break;
    case Qt::Key_PageUp: showPage(currentPage() - 1); break;
    case Qt::Key_Home: showPage(0); break;
    case Qt::Key_End: showPage(pageCount() - 1); break;
    default: QDialog::keyPressEvent(event); return;
    }
    event->accept();
}

QList<double> ReportPreview::zoomFactors()
{
    return {0.5, 0.75, 1.0, 1.5, 2.0};
}

void ReportPreview::setZoom(double zoom)
{
    const int index = m_zoom->findData(zoom);
    if (index >= 0)
        m_zoom->setCurrentIndex(index);
}

void ReportPreview::updateNavigation()
{
    const int page = currentPage();
    m_pageNumber->setText(QStringLiteral("Page %1 of %2").arg(page + 1).arg(pageCount()));
    m_first->setEnabled(page > 0);
    m_previous->setEnabled(page > 0);
    m_next->setEnabled(page + 1 < pageCount());
    m_last->setEnabled(page + 1 < pageCount());
}

QPageLayout ReportPreview::pageLayout() const
{
    // The report places its own margins; the device's page is the paper.
    return QPageLayout(m_pageSize, m_orientation, QMarginsF());
}

void ReportPreview::print()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setFullPage(true);
    printer.setPageLayout(pageLayout());
    printer.setDocName(windowTitle());
    QPrintDialog dialog(&printer, this);
    dialog.setObjectName(QStringLiteral("PrintDialog"));
    dialog.setMinMax(1, pageCount());
    if (UiSeam::showModal(dialog) != QDialog::Accepted)
        return;

    int first = 0;
    int last = pageCount() - 1;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        first = std::clamp(printer.fromPage() - 1, 0, last);
        last = std::clamp(printer.toPage() - 1, first, last);
    }
    if (m_renderer.drawPages(printer, first, last))
        return;
    // With no printer installed the printer falls back to writing a file,
    // and with no file named it cannot start.
    const QString target = printer.outputFileName().isEmpty() ? printer.printerName() : printer.outputFileName();
    if (target.isEmpty() && QPrinterInfo::availablePrinters().isEmpty())
        UiSeam::tell(this, QStringLiteral("No printer is installed, so the report was not printed. "
                                          "Install a printer, or save the report with \"Export to PDF\"."));
    else
        UiSeam::tell(this, QStringLiteral("The report could not be printed on \"%1\".").arg(target));
}

void ReportPreview::exportToPdf()
{
    QFileDialog dialog(this, QStringLiteral("Export to PDF"), QDir::home().filePath(windowTitle() + QStringLiteral(".pdf")),
                       QStringLiteral("PDF files (*.pdf)"));
    dialog.setObjectName(QStringLiteral("ExportFileDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    if (UiSeam::showModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString fileName = dialog.selectedFiles().constFirst();
    if (!writePdf(fileName))
        UiSeam::tell(this, QStringLiteral("The report could not be written to \"%1\".")
                               .arg(QDir::toNativeSeparators(fileName)));
}

bool ReportPreview::writePdf(const QString& fileName) const
{
    QPdfWriter writer(fileName);
    writer.setPageLayout(pageLayout());
    writer.setTitle(windowTitle());
    writer.setCreator(config::kProductName);
    return m_renderer.drawAll(writer);
}

}  // namespace hv::reports
