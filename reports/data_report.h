#pragma once

#include "reports/engine/report_layout.h"
#include "reports/engine/report_options.h"
#include "reports/engine/report_query.h"

#include <QPageLayout>
#include <QPageSize>
#include <QSize>
#include <optional>

class QWidget;

namespace hv::data {
class Recordset;
}

namespace hv {

// The report component: one report layout bound to a recordset as its data
// source, laid out in pages and shown in a modal preview window from which
// the user pages, zooms, prints and exports to PDF.
class DataReport {
public:
    // Values of the orientation setting.
    static constexpr int kPortrait = 1;
    static constexpr int kLandscape = 2;
    // Show mode: modal over its owner.
    static constexpr int kModal = 1;

    explicit DataReport(const reports::ReportLayout& layout);

    const reports::ReportLayout& layout() const { return m_layout; }

    // The recordset the report reads when shown; it stays the caller's.
    void setDataSource(data::Recordset* source) { m_source = source; }

    // The report query the data source was opened with, for the choices the
    // preview starts from: the preview has the database select the rows
    // again as the choices change.
    void setSelection(const reports::ReportQuery& query, const reports::ReportOptions& options);

    // Portrait (1) or landscape (2); any other value raises "Invalid property value".
    void setOrientation(int orientation);
    int orientation() const { return m_orientation; }

    // The paper: the system printer's default size, or when there is no
    // printer or it names none, the usual paper of the user's paper locale
    // (LC_ALL, LC_PAPER or LANG: A4, or Letter in the United States and
    // Canada; under the C locale the system's /etc/papersize), in the
    // report's orientation.
    QPageSize pageSize() const { return m_pageSize; }
    QPageLayout::Orientation pageOrientation() const;
    QSize paperTwips() const;

    // Reads the data source from its current row to its end, lays out the
    // pages and shows the preview, captioned with the report's title, modally
    // over the owner; returns when the preview has closed. Raises a
    // RuntimeError, before anything is shown, when there is no data source or
    // it cannot be read, or when the mode is not modal.
    int Show(int mode, QWidget* owner);

private:
    const reports::ReportLayout& m_layout;
    data::Recordset* m_source = nullptr;
    std::optional<reports::ReportQuery> m_query;
    reports::ReportOptions m_options;
    int m_orientation = kPortrait;
    QPageSize m_pageSize;
};

}  // namespace hv
