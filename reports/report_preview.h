#pragma once

#include "core/runtime_error.h"
#include "core/work_steps.h"
#include "reports/engine/report_layout.h"
#include "reports/engine/report_options.h"
#include "reports/engine/report_rows.h"

#include <QDate>
#include <QDialog>
#include <QPageLayout>
#include <QPageSize>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

class QCheckBox;
class QComboBox;
class QIODevice;
class QLabel;
class QPushButton;
class QScrollArea;

namespace hv::reports {

class OptionalDateEdit;
class ReportLines;
class ReportPageModel;
class ReportPageView;
class ReportRenderer;
class ReportRowSource;

// The modal preview of a report, captioned with its title: pages one at a
// time with page navigation and zoom, printing through the system's print
// dialog and export of the whole report to a PDF, a CSV or a spreadsheet
// (.xlsx) file. Above the
// pages the user chooses the period (a date for each end, or a quick
// choice), the employee and the work code shown, totals and page numbers;
// the pages, the print-out and both exports follow the choices, which are
// kept for the next preview (saved as the preview goes). With every choice
// at its default the report prints exactly as designed.
class ReportPreview : public QDialog {
    Q_OBJECT

public:
    // A preview of every row of a report, under the choices kept from the
    // last preview.
    ReportPreview(const ReportLayout& layout, ReportRows rows, QSize paperTwips, const QPageSize& pageSize,
                  QPageLayout::Orientation orientation, QWidget* owner);
    // A preview of the rows `source` selected for `options`, the choices it
    // starts from; as they change, the source selects the rows again (and a
    // chosen employee or work code has the choices offer the names of the
    // whole period).
    ReportPreview(const ReportLayout& layout, ReportRows rows, const ReportOptions& options, ReportRowSource& source,
                  QSize paperTwips, const QPageSize& pageSize, QPageLayout::Orientation orientation,
                  QWidget* owner);
    ~ReportPreview() override;

    int pageCount() const;
    // The page shown, counted from 0.
    int currentPage() const;
    void showPage(int page);

    // The zoom factors offered, 1.0 being the printed size.
    static QList<double> zoomFactors();
    void setZoom(double zoom);

    ReportPageView* pageView() const { return m_view; }

    // The choices in force; setting them sets the controls as well.
    const ReportOptions& options() const { return m_options; }
    void setOptions(const ReportOptions& options);
    // The lines printed under the current choices.
    const ReportLines& lines() const { return *m_lines; }

    // "Print": the print dialog, then the pages it names on its printer.
    void print();
    // "Export to PDF", "Export to CSV" and "Export to Excel (.xlsx)": ask for
    // a file name and write the report to it.
    void exportToPdf();
    void exportToCsv();
    void exportToXlsx();
    // Write the report to a file; false when the file cannot be written. A
    // regular file is replaced whole or left as it was; a pipe or a device
    // is written into as it stands. The CSV file is for spreadsheets: UTF-8
    // with a byte order mark, and no text ever taken for a formula. Each
    // file says what the report covers under its title.
    bool writePdf(const QString& fileName) const;
    bool writeCsv(const QString& fileName) const;
    bool writeXlsx(const QString& fileName) const;

protected:
    // Page Up, Page Down, Home and End page through the report.
    void keyPressEvent(QKeyEvent* event) override;

private:
    ReportPreview(const ReportLayout& layout, ReportRows rows, const ReportOptions& options, ReportRowSource* source,
                  QSize paperTwips, const QPageSize& pageSize, QPageLayout::Orientation orientation,
                  QWidget* owner);
    QPushButton* addButton(const QString& name, const QString& caption, const QString& accessibleName = {});
    QLayout* buildChoices();
    QStringList namesIn(const QString& column) const;
    // The names the filters offer: those of the rows read, or when a name
    // chose the rows, those of the period's rows the source names.
    void readNames();
    // Has the source select the rows the choices keep, unless they are read.
    void select();
    void fillFilter(QComboBox* combo, const QStringList& names, const std::optional<QString>& chosen);
    void showOptions();
    void readPeriodChoice();
    void readDates(bool fromChanged);
    void readFilters();
    void apply();
    void rebuild();
    void updateNavigation();
    QPageLayout pageLayout() const;
    // What an export writes into the file or device it is given, telling
    // `steps` how far it has come; raises a RuntimeError when the device
    // refuses it, or the user stopped it.
    using Fill = void (ReportPreview::*)(QIODevice&, const WorkSteps& steps) const;
    void fillPdf(QIODevice& device, const WorkSteps& steps) const;
    void fillCsv(QIODevice& device, const WorkSteps& steps) const;
    void fillXlsx(QIODevice& device, const WorkSteps& steps) const;
    // The pages from first to last as a PDF on paper of `layout`'s size.
    void writePdfPages(QIODevice& device, const QPageLayout& layout, int first, int last,
                       const WorkSteps& steps) const;
    // Puts what `fill` writes in place of the file, whole or not at all; the
    // failure that kept it from being written, nothing when it was.
    static std::optional<RuntimeError> writeFile(const QString& fileName,
                                                 const std::function<void(QIODevice&)>& fill);
    // Writes the file with its progress shown, and says why it could not.
    void exportTo(const QString& fileName, Fill fill);
    QString askFileName(const QString& caption, const QString& suffix, const QString& filter);

    const ReportLayout& m_design;
    ReportRows m_rows;
    // Where the rows are selected again, and the choices they were read for.
    ReportRowSource* m_source = nullptr;
    ReportOptions m_selected;
    QSize m_paperTwips;
    QPageSize m_pageSize;
    QPageLayout::Orientation m_orientation;
    QDate m_today;
    ReportOptions m_options;
    bool m_choicesChanged = false;  // saved when the preview goes
    // The names the filters offer.
    QStringList m_employeeNames;
    QStringList m_workCodeNames;
    std::unique_ptr<ReportLayout> m_layout;
    std::unique_ptr<ReportLines> m_lines;
    std::unique_ptr<ReportPageModel> m_pages;
    std::unique_ptr<ReportRenderer> m_renderer;

    ReportPageView* m_view = nullptr;
    QScrollArea* m_scroll = nullptr;
    QPushButton* m_first = nullptr;
    QPushButton* m_previous = nullptr;
    QLabel* m_pageNumber = nullptr;
    QPushButton* m_next = nullptr;
    QPushButton* m_last = nullptr;
    QComboBox* m_zoom = nullptr;
    OptionalDateEdit* m_from = nullptr;
    OptionalDateEdit* m_to = nullptr;
    QComboBox* m_period = nullptr;
    QComboBox* m_employee = nullptr;
    QComboBox* m_workCode = nullptr;
    QCheckBox* m_totals = nullptr;
    QCheckBox* m_pageNumbers = nullptr;
};

}  // namespace hv::reports
