#include "entries/week_sheet_command.h"

#include "data/component_factory.h"
#include "data/recordset.h"
#include "entries/entry_list.h"
#include "entries/entry_statements.h"
#include "gui/error_report.h"
#include "gui/shared_connection.h"

namespace hv::entries {

void openWeekSheet(EntryList& list, const WeekSheet::ShowEntries& showEntries)
{
    ErrorReport err(ErrorReport::location(QStringLiteral("Form1"), QStringLiteral("WeekSheet_Click")),
                    list.listWindow());
    QString employee;
    QDate day = QDate::currentDate();
    const int position = list.selectedPosition();
    qint64 current = 0;
    if (list.listCount() > 0 && position > 0) {
        current = list.selectedText(0).toLongLong();
        err.line(100, [&] {
            const std::unique_ptr<data::Recordset> rs = data::ComponentFactory::createRecordset();
            rs->Open(EntryStatements::employeeAndDate(list.selectedText(0)), SharedConnection::get());
            if (!rs->Eof()) {
                employee = QString::number(rs->Fields(QStringLiteral("Employee")).toLongLong());
                const QVariant worked = rs->Fields(QStringLiteral("Date Worked"));
                const QDate stored = worked.typeId() == QMetaType::QDateTime ? worked.toDateTime().date() : worked.toDate();
                if (stored.isValid())
                    day = stored;
            }
            rs->Close();
        });
    }
    WeekSheet sheet(employee, day, showEntries, list.listWindow());
    err.line(102, [&] { sheet.Show(); });
    if (!sheet.wroteAny())
        return;
    err.line(104, [&] { list.ListData(); });
    // The entry that was current stays current wherever the refill puts it;
    // one the sheet deleted leaves its place to the next.
    const int again = current > 0 ? list.positionOfEntry(current) : 0;
    if (again > 0)
        err.line(106, [&] { list.selectPosition(again); });
    else if (position > 0 && list.listCount() >= position)
        err.line(106, [&] { list.selectPosition(position); });
}

}  // namespace hv::entries
