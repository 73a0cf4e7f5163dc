#include "catalog/record_editor.h"

#include "gui/error_report.h"

namespace hv {

void RecordEditor::Form_Load()
{
    ErrorReport err(ErrorReport::location(objectName(), QStringLiteral("Form_Load")), this);
    loadAppearance(err);
    if (err.test(108, [&] { return !m_ID.isEmpty(); }))
        err.line(110, [&] { LoadData(); });
}

}  // namespace hv
