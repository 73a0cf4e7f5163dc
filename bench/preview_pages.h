#pragma once

#include "gui/ui_seam.h"
#include "reports/report_page_view.h"
#include "reports/report_preview.h"

#include <QDialog>
#include <benchmark/benchmark.h>

namespace hv::bench {

// From now on every report preview shown draws its first page and closes,
// adding the pages it drew to `drawn`; any other modal window closes at once.
inline void drawFirstPageOfEveryPreview(int& drawn)
{
    UiSeam::setModalHandler([&drawn](QDialog& dialog) {
        if (auto* preview = qobject_cast<reports::ReportPreview*>(&dialog)) {
            benchmark::DoNotOptimize(preview->pageView()->pageImage().constBits());
            drawn += preview->pageView()->pagesDrawn();
        }
        return 0;
    });
}

}  // namespace hv::bench
