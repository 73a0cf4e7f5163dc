#include "app/old_database_offer.h"

#include "gui/ui_seam.h"
#include "import/database_conversion.h"
#include "import/import_error.h"
#include "import/old_format_signature.h"

#include <QFileInfo>

namespace hv {

bool OldDatabaseOffer::applies(const QString& livePath)
{
    const import::OldFormatSignature::Kind kind = import::OldFormatSignature::of(livePath);
    return kind == import::OldFormatSignature::Jet3 || kind == import::OldFormatSignature::Jet4;
}

void OldDatabaseOffer::offer(QWidget* parent, const QString& livePath)
{
    import::DatabaseConversion conversion(livePath);
    const QString keptName = QFileInfo(conversion.keptPath()).fileName();
    const QString interrupted = conversion.wasInterrupted()
        ? QStringLiteral("An earlier conversion of it was stopped before it finished, and the database is still the "
                         "original file. ")
        : QString();
    const QMessageBox::StandardButton answer = UiSeam::tell(
        parent,
        interrupted
            + QStringLiteral("This database was written by an older version of the program. Convert it now? The "
                             "original file is kept unchanged as %1.")
                  .arg(keptName),
        QMessageBox::Yes | QMessageBox::No);
    if (answer != QMessageBox::Yes)
        return;
    try {
        const import::ImportSummary summary = conversion.run();
        UiSeam::tell(parent, QStringLiteral("The database was converted. The original file is kept unchanged as "
                                            "%1.\r\n\r\n%2")
                                 .arg(keptName, summary.text()));
    } catch (const import::ImportError& failure) {
        UiSeam::tell(parent, QStringLiteral("The database could not be converted.\r\n\r\n%1").arg(failure.message()));
    }
}

}  // namespace hv
