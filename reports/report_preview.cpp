#include "reports/report_preview.h"

#include "core/app_config.h"
#include "gui/appearance.h"
#include "gui/busy_pointer.h"
#include "gui/ui_seam.h"
#include "gui/work_progress.h"
#include "core/user_collator.h"
#include "core/durable_file.h"
#include "core/runtime_error.h"
#include "gui/eliding_combo_box.h"
#include "gui/flow_layout.h"
#include "reports/optional_date_edit.h"
#include "reports/engine/report_csv.h"
#include "reports/engine/report_table.h"
#include "reports/engine/report_xlsx.h"
#include "reports/engine/report_lines.h"
#include "reports/engine/report_page_model.h"
#include "reports/report_page_view.h"
#include "reports/engine/report_renderer.h"
#include "reports/engine/report_row_source.h"
#include "reports/engine/report_rows.h"

#include <QCheckBox>
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
#include <QSet>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <algorithm>

namespace hv::reports {

namespace {

const QString kAll = QStringLiteral("All");

QLabel* captionFor(QWidget* control, const QString& caption, QWidget* parent)
{
    auto* label = new QLabel(caption, parent);
    label->setBuddy(control);
    return label;
}

// Controls that stay side by side on one row of a wrapping row.
QWidget* together(std::initializer_list<QWidget*> controls)
{
    auto* group = new QWidget;
    auto* row = new QHBoxLayout(group);
    row->setContentsMargins(0, 0, 0, 0);
    for (QWidget* control : controls)
        row->addWidget(control);
    return group;
}

}  // namespace

ReportPreview::ReportPreview(const ReportLayout& layout, ReportRows rows, QSize paperTwips,
                             const QPageSize& pageSize, QPageLayout::Orientation orientation, QWidget* owner)
    : ReportPreview(layout, std::move(rows), ReportOptions::load(QDate::currentDate(), QLocale().firstDayOfWeek()),
                    nullptr, paperTwips, pageSize, orientation, owner)
{
}

ReportPreview::ReportPreview(const ReportLayout& layout, ReportRows rows, const ReportOptions& options,
                             ReportRowSource& source, QSize paperTwips, const QPageSize& pageSize,
                             QPageLayout::Orientation orientation, QWidget* owner)
    : ReportPreview(layout, std::move(rows), options, &source, paperTwips, pageSize, orientation, owner)
{
}

ReportPreview::ReportPreview(const ReportLayout& layout, ReportRows rows, const ReportOptions& options,
                             ReportRowSource* source, QSize paperTwips, const QPageSize& pageSize,
                             QPageLayout::Orientation orientation, QWidget* owner)
    : QDialog(owner),
      m_design(layout),
      m_rows(std::move(rows)),
      m_source(source),
      m_selected(options),
      m_paperTwips(paperTwips),
      m_pageSize(pageSize),
      m_orientation(orientation),
      m_today(QDate::currentDate()),
      m_options(options)
{
    readNames();
    setObjectName(layout.name);
    setWindowTitle(layout.title);
    setWindowIcon(applicationIcon());
    setModal(true);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint
                   | Qt::WindowCloseButtonHint);
    rebuild();

    auto* bar = new FlowLayout;
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
    QPushButton* pdfButton = addButton(QStringLiteral("ExportToPdf"), QStringLiteral("Export to PDF..."));
    QPushButton* csvButton = addButton(QStringLiteral("ExportToCsv"), QStringLiteral("Export to CSV..."));
    QPushButton* xlsxButton = addButton(QStringLiteral("ExportToXlsx"), QStringLiteral("Export to Excel (.xlsx)..."));
    QPushButton* closeButton = addButton(QStringLiteral("ClosePreview"), QStringLiteral("Close"));
    // The choices wrap onto further rows where the screen is narrow; the
    // paging controls stay together, as each caption stays with its box.
    bar->addWidget(together({m_first, m_previous, m_pageNumber, m_next, m_last, m_zoom}));
    bar->addWidget(printButton);
    bar->addWidget(pdfButton);
    bar->addWidget(csvButton);
    bar->addWidget(xlsxButton);
    bar->addWidget(closeButton);

    m_view = new ReportPageView(*m_renderer, m_paperTwips);
    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("PageArea"));
    m_scroll->setAlignment(Qt::AlignCenter);
    m_scroll->setBackgroundRole(QPalette::Dark);
    m_scroll->setWidget(m_view);

    auto* layoutBox = new QVBoxLayout(this);
    layoutBox->addLayout(bar);
    layoutBox->addLayout(buildChoices());
    layoutBox->addWidget(m_scroll, 1);

    connect(m_first, &QPushButton::clicked, this, [this] { showPage(0); });
    connect(m_previous, &QPushButton::clicked, this, [this] { showPage(currentPage() - 1); });
    connect(m_next, &QPushButton::clicked, this, [this] { showPage(currentPage() + 1); });
    connect(m_last, &QPushButton::clicked, this, [this] { showPage(pageCount() - 1); });
    connect(m_zoom, &QComboBox::currentIndexChanged, this,
            [this](int index) { m_view->setZoom(m_zoom->itemData(index).toDouble()); });
    connect(printButton, &QPushButton::clicked, this, &ReportPreview::print);
    connect(pdfButton, &QPushButton::clicked, this, &ReportPreview::exportToPdf);
    connect(csvButton, &QPushButton::clicked, this, &ReportPreview::exportToCsv);
    connect(xlsxButton, &QPushButton::clicked, this, &ReportPreview::exportToXlsx);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);

    // Wide enough for the whole page at its printed size, as high as the
    // screen allows.
    QSize size = m_view->sizeHint() + QSize(60, 120);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size() * 0.9);
    resize(size);
    updateNavigation();
}

ReportPreview::~ReportPreview()
{
    // Written once, as the preview goes: each setting is a write to disk.
    if (m_choicesChanged)
        m_options.save();
}

QLayout* ReportPreview::buildChoices()
{
    m_from = new OptionalDateEdit(this);
    m_from->setObjectName(QStringLiteral("PeriodFrom"));
    m_from->setAccessibleName(QStringLiteral("From"));
    m_to = new OptionalDateEdit(this);
    m_to->setObjectName(QStringLiteral("PeriodTo"));
    m_to->setAccessibleName(QStringLiteral("To"));
    m_period = new QComboBox(this);
    m_period->setObjectName(QStringLiteral("QuickPeriod"));
    m_period->setAccessibleName(QStringLiteral("Period"));
    for (QuickPeriod choice : {QuickPeriod::AllDates, QuickPeriod::ThisWeek, QuickPeriod::LastWeek,
                               QuickPeriod::ThisMonth, QuickPeriod::LastMonth, QuickPeriod::ThisYear,
                               QuickPeriod::LastYear, QuickPeriod::Custom})
        m_period->addItem(quickPeriodCaption(choice), static_cast<int>(choice));
    m_employee = new ElidingComboBox(this);
    m_employee->setObjectName(QStringLiteral("EmployeeFilter"));
    m_workCode = new ElidingComboBox(this);
    m_workCode->setObjectName(QStringLiteral("WorkCodeFilter"));
    m_totals = new QCheckBox(QStringLiteral("Totals"), this);
    m_totals->setObjectName(QStringLiteral("Totals"));
    m_pageNumbers = new QCheckBox(QStringLiteral("Page numbers"), this);
    m_pageNumbers->setObjectName(QStringLiteral("PageNumbers"));
    showOptions();

    auto* row = new FlowLayout;
    row->addWidget(together({captionFor(m_from, QStringLiteral("From"), this), m_from}));
    row->addWidget(together({captionFor(m_to, QStringLiteral("To"), this), m_to}));
    row->addWidget(m_period);
    row->addWidget(together({captionFor(m_employee, QStringLiteral("Employee"), this), m_employee}));
    row->addWidget(together({captionFor(m_workCode, QStringLiteral("Work code"), this), m_workCode}));
    row->addWidget(m_totals);
    row->addWidget(m_pageNumbers);

    connect(m_period, &QComboBox::activated, this, [this] { readPeriodChoice(); });
    connect(m_from, &OptionalDateEdit::valueChanged, this, [this] { readDates(true); });
    connect(m_to, &OptionalDateEdit::valueChanged, this, [this] { readDates(false); });
    connect(m_employee, &QComboBox::activated, this, [this] { readFilters(); });
    connect(m_workCode, &QComboBox::activated, this, [this] { readFilters(); });
    connect(m_totals, &QCheckBox::toggled, this, [this](bool on) {
        m_options.totals = on;
        apply();
    });
    connect(m_pageNumbers, &QCheckBox::toggled, this, [this](bool on) {
        m_options.pageNumbers = on;
        apply();
    });
    return row;
}

void ReportPreview::readNames()
{
    if (m_source && (m_selected.employee || m_selected.workCode)) {
        try {
            ReportNames names = m_source->names(m_selected.period);
            std::sort(names.employees.begin(), names.employees.end(), userCollator());
            std::sort(names.workCodes.begin(), names.workCodes.end(), userCollator());
            m_employeeNames = names.employees;
            m_workCodeNames = names.workCodes;
            return;
        } catch (const RuntimeError& failure) {
            UiSeam::tell(this, QStringLiteral("The names of the report's employees and work codes could not be "
                                              "read: %1")
                                   .arg(failure.description()));
        }
    }
    m_employeeNames = namesIn(QString::fromLatin1(kEmployeeColumn));
    m_workCodeNames = namesIn(QString::fromLatin1(kWorkCodeColumn));
}

void ReportPreview::select()
{
    const ReportOptions& now = m_options;
    const bool same = now.period == m_selected.period && now.employee == m_selected.employee
        && now.workCode == m_selected.workCode;
    if (!m_source || same)
        return;
    try {
        const BusyPointer busy;
        m_rows = m_source->rows(now);
    } catch (const RuntimeError& failure) {
        // The rows read before stay, filtered as the choices say.
        UiSeam::tell(this, QStringLiteral("The report's rows could not be read again: %1").arg(failure.description()));
        return;
    }
    // Names chosen have the names of the period offered, else those of the
    // rows: only a change of name within one period keeps them.
    const auto named = [](const ReportOptions& options) { return options.employee || options.workCode; };
    const bool sameNames = now.period == m_selected.period && named(now) && named(m_selected);
    m_selected = now;
    if (!sameNames) {
        readNames();
        showOptions();
    }
}

QStringList ReportPreview::namesIn(const QString& column) const
{
    // The names the report's rows hold, each once, in the user's
    // alphabetical order.
    const int field = m_design.fieldIndex(column);
    QStringList names = field >= 0 ? m_rows.distinctTexts(field) : QStringList();
    std::sort(names.begin(), names.end(), userCollator());
    return names;
}

void ReportPreview::fillFilter(QComboBox* combo, const QStringList& names, const std::optional<QString>& chosen)
{
    // The names of the rows, and the one chosen before even when no row has
    // it now.
    QStringList offered = names;
    if (chosen && !names.contains(*chosen)) {
        offered.append(*chosen);
        std::sort(offered.begin(), offered.end(), userCollator());
    }

    const QSignalBlocker quiet(combo);
    combo->clear();
    combo->addItem(kAll);
    for (const QString& name : offered)
        combo->addItem(ReportOptions::filterCaption(name), name);
    combo->setCurrentIndex(chosen ? combo->findData(*chosen) : 0);
}

void ReportPreview::showOptions()
{
    const QSignalBlocker quietFrom(m_from);
    const QSignalBlocker quietTo(m_to);
    const QSignalBlocker quietTotals(m_totals);
    const QSignalBlocker quietPages(m_pageNumbers);
    m_from->setValue(m_options.period.from);
    m_to->setValue(m_options.period.to);
    m_period->setCurrentIndex(m_period->findData(static_cast<int>(m_options.quickPeriod)));
    fillFilter(m_employee, m_employeeNames, m_options.employee);
    fillFilter(m_workCode, m_workCodeNames, m_options.workCode);
    m_totals->setChecked(m_options.totals);
    m_pageNumbers->setChecked(m_options.pageNumbers);
}

void ReportPreview::setOptions(const ReportOptions& options)
{
    m_options = options;
    showOptions();
    apply();
}

void ReportPreview::readPeriodChoice()
{
    const auto choice = static_cast<QuickPeriod>(m_period->currentData().toInt());
    m_options.quickPeriod = choice;
    if (choice != QuickPeriod::Custom)
        m_options.period = periodOf(choice, m_today, QLocale().firstDayOfWeek());
    showOptions();
    apply();
}

void ReportPreview::readDates(bool fromChanged)
{
    DatePeriod period{m_from->value(), m_to->value()};
    // The other end moves along, so that the period is never empty.
    if (period.from.isValid() && period.to.isValid() && period.from > period.to) {
        if (fromChanged)
            period.to = period.from;
        else
            period.from = period.to;
    }
    m_options.period = period;
    m_options.quickPeriod = period.isAllDates() ? QuickPeriod::AllDates : QuickPeriod::Custom;
    showOptions();
    apply();
}

void ReportPreview::readFilters()
{
    const auto chosen = [](const QComboBox* combo) {
        const QVariant data = combo->currentData();
        return data.isValid() ? std::optional<QString>(data.toString()) : std::nullopt;
    };
    m_options.employee = chosen(m_employee);
    m_options.workCode = chosen(m_workCode);
    apply();
}

void ReportPreview::apply()
{
    m_choicesChanged = true;
    const int page = currentPage();
    select();
    rebuild();
    m_view->setRenderer(*m_renderer);
    showPage(page);
}

void ReportPreview::rebuild()
{
    auto layout = std::make_unique<ReportLayout>(
        decorated(m_design, {m_options.scope(), m_options.totals, m_options.pageNumbers}));
    auto lines = std::make_unique<ReportLines>(m_rows, *layout, m_options);
    auto pages = std::make_unique<ReportPageModel>(*layout, lines->sections(), m_paperTwips);
    auto renderer = std::make_unique<ReportRenderer>(*pages, *lines);
    // The old renderer goes before what it draws from.
    m_renderer = std::move(renderer);
    m_pages = std::move(pages);
    m_lines = std::move(lines);
    m_layout = std::move(layout);
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
    return m_pages->pageCount();
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
    WorkProgress progress(this, QStringLiteral("Printing \"%1\"...").arg(windowTitle()));
    const QString file = printer.outputFormat() == QPrinter::PdfFormat ? printer.outputFileName() : QString();
    if (!file.isEmpty()) {
        // Printed to a file, the pages are written as an export is: the whole
        // file or, stopped or failed, the one that was there.
        const QPageLayout paper(printer.pageLayout().pageSize(), printer.pageLayout().orientation(), QMarginsF());
        const std::optional<RuntimeError> failure = writeFile(
            file, [&](QIODevice& device) { writePdfPages(device, paper, first, last, progress.steps()); });
        if (failure && failure->number() != err::UserInterrupt)
            UiSeam::tell(this, QStringLiteral("The report could not be printed on \"%1\" (%2).")
                                   .arg(QDir::toNativeSeparators(file), failure->description()));
        return;
    }
    try {
        if (m_renderer->drawPages(printer, first, last, progress.steps()))
            return;
    } catch (const RuntimeError& failure) {
        if (failure.number() != err::UserInterrupt)
            throw;
        // Stopped by the user: no page more is drawn. The system takes a
        // print job whole, so the pages drawn so far reach its queue.
        return;
    }
    // With no printer installed the printer falls back to writing a file,
    // and with no file named it cannot start.
    const QString target = printer.outputFileName().isEmpty() ? printer.printerName() : printer.outputFileName();
    if (target.isEmpty() && QPrinterInfo::availablePrinters().isEmpty())
        UiSeam::tell(this, QStringLiteral("No printer is installed, so the report was not printed. "
                                          "Install a printer, or save the report with \"Export to PDF\"."));
    else
        UiSeam::tell(this, QStringLiteral("The report could not be printed on \"%1\".").arg(target));
}

QString ReportPreview::askFileName(const QString& caption, const QString& suffix, const QString& filter)
{
    QFileDialog dialog(this, caption, QDir::home().filePath(windowTitle() + QLatin1Char('.') + suffix), filter);
    dialog.setObjectName(QStringLiteral("ExportFileDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(suffix);
    if (UiSeam::showModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

void ReportPreview::exportTo(const QString& fileName, Fill fill)
{
    if (fileName.isEmpty())
        return;
    WorkProgress progress(this, QStringLiteral("Writing \"%1\"...").arg(QDir::toNativeSeparators(fileName)));
    const std::optional<RuntimeError> failure =
        writeFile(fileName, [&](QIODevice& device) { (this->*fill)(device, progress.steps()); });
    // A file the user stopped is left as it was, without a word.
    if (failure && failure->number() != err::UserInterrupt)
        UiSeam::tell(this, QStringLiteral("The report could not be written to \"%1\" (%2).")
                               .arg(QDir::toNativeSeparators(fileName), failure->description()));
}

void ReportPreview::exportToPdf()
{
    exportTo(askFileName(QStringLiteral("Export to PDF"), QStringLiteral("pdf"), QStringLiteral("PDF files (*.pdf)")),
             &ReportPreview::fillPdf);
}

void ReportPreview::exportToCsv()
{
    exportTo(askFileName(QStringLiteral("Export to CSV"), QStringLiteral("csv"), QStringLiteral("CSV files (*.csv)")),
             &ReportPreview::fillCsv);
}

void ReportPreview::exportToXlsx()
{
    exportTo(askFileName(QStringLiteral("Export to Excel"), QStringLiteral("xlsx"),
                         QStringLiteral("Excel workbooks (*.xlsx)")),
             &ReportPreview::fillXlsx);
}

bool ReportPreview::writePdf(const QString& fileName) const
{
    return !writeFile(fileName, [this](QIODevice& device) { fillPdf(device, {}); });
}

bool ReportPreview::writeCsv(const QString& fileName) const
{
    return !writeFile(fileName, [this](QIODevice& device) { fillCsv(device, {}); });
}

bool ReportPreview::writeXlsx(const QString& fileName) const
{
    return !writeFile(fileName, [this](QIODevice& device) { fillXlsx(device, {}); });
}

void ReportPreview::fillPdf(QIODevice& device, const WorkSteps& steps) const
{
    writePdfPages(device, pageLayout(), 0, pageCount() - 1, steps);
}

void ReportPreview::writePdfPages(QIODevice& device, const QPageLayout& layout, int first, int last,
                                  const WorkSteps& steps) const
{
    QPdfWriter writer(&device);
    writer.setPageLayout(layout);
    writer.setTitle(windowTitle());
    writer.setCreator(config::kProductName);
    if (!m_renderer->drawPages(writer, first, last, steps))
        throw RuntimeError(err::PathFileAccess, device.errorString());
}

void ReportPreview::fillCsv(QIODevice& device, const WorkSteps& steps) const
{
    if (!writeReportCsv(device, ReportTable(*m_lines, *m_layout, m_options.totals, m_options.scope()), steps))
        throw RuntimeError(err::PathFileAccess, device.errorString());
}

void ReportPreview::fillXlsx(QIODevice& device, const WorkSteps& steps) const
{
    writeReportXlsx(device, ReportTable(*m_lines, *m_layout, m_options.totals, m_options.scope()), steps);
}

std::optional<RuntimeError> ReportPreview::writeFile(const QString& fileName,
                                                     const std::function<void(QIODevice&)>& fill)
{
    try {
        fs::DurableFile::write(fileName, fs::DurableFile::Policy::Replace, fill);
        return std::nullopt;
    } catch (const RuntimeError& failure) {
        return failure;
    }
}

}  // namespace hv::reports
