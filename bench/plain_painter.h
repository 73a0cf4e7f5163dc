#pragma once

#include "core/durable_file.h"
#include "reports/data_report.h"
#include "reports/engine/report_rows.h"

#include <QPainter>
#include <QPdfWriter>

namespace hv::bench {

// The reference the report's PDF export is measured against: the rows'
// texts drawn with a plain loop, one font, at fixed steps, `perPage` lines a
// page, onto a PDF writer with the report's paper, and written to the disk
// as the export writes its files (beside its place, synced, renamed).
inline void drawRowsPlainly(const QString& pdf, const DataReport& report, const reports::ReportRows& rows, int perPage)
{
    fs::DurableFile::write(pdf, fs::DurableFile::Policy::Replace, [&](QIODevice& device) {
        QPdfWriter writer(&device);
        writer.setPageLayout(QPageLayout(report.pageSize(), report.pageOrientation(), QMarginsF()));
        QPainter painter(&writer);
        QFont font(QStringLiteral("Arial"));
        font.setPointSizeF(8.25);
        painter.setFont(font);
        const double unit = writer.resolution() / 1440.0;
        for (int r = 0; r < rows.rowCount(); ++r) {
            if (r > 0 && r % perPage == 0)
                writer.newPage();
            const double y = (1440 + 330 + (r % perPage) * 360) * unit + 10 * unit * 20;
            for (int f = 0; f < rows.columnCount(); ++f)
                painter.drawText(QPointF((1440 + f * 1900) * unit, y), rows.text(r, f));
        }
        painter.end();
    });
}

}  // namespace hv::bench
