#include "entries/entry_commands.h"

#include "gui/error_report.h"
#include "gui/shared_connection.h"
#include "gui/ui_seam.h"
#include "core/runtime_error.h"
#include "data/connection.h"
#include "entries/entry_editor.h"
#include "entries/entry_statements.h"
#include "entries/entry_list.h"

namespace hv::entries {

namespace {

const QString kOwner = QStringLiteral("Form1");

}  // namespace

void addNewWork(EntryList& list)
{
    ErrorReport err(ErrorReport::location(kOwner, QStringLiteral("PushButton2_Click")), list.listWindow());
    Form2 editor;
    err.line(116, [&] { editor.m_ID.clear(); });
    err.line(118, [&] { editor.setWindowTitle(QStringLiteral("Add New Work")); });
    err.line(120, [&] { editor.Show(); });
    err.line(122, [&] { list.ListData(); });
}

void editSelectedWork(EntryList& list)
{
    ErrorReport err(ErrorReport::location(kOwner, QStringLiteral("PushButton1_Click")), list.listWindow());
    if (!err.test(100, [&] { return list.listCount() > 0 && list.selectedPosition() > 0; }))
        return;
    // The position is kept in 32 bits: a list may hold far more than 32,767 entries.
    qint32 position = 0;
    err.line(102, [&] { position = list.selectedPosition(); });
    Form2 editor;
    err.line(104, [&] { editor.m_ID = list.selectedText(0); });
    err.line(106, [&] { editor.setWindowTitle(QStringLiteral("Edit Data")); });
    err.line(108, [&] { editor.Show(); });
    err.line(110, [&] { list.ListData(); });
    if (err.test(112, [&] { return list.listCount() > position; }))
        err.line(114, [&] { list.selectPosition(position); });
}

void deleteSelectedWork(EntryList& list)
{
    ErrorReport err(ErrorReport::location(kOwner, QStringLiteral("PushButton3_Click")), list.listWindow());
    if (!err.test(100, [&] { return list.listCount() > 0 && list.selectedPosition() > 0; }))
        return;
    // A database that takes no writes refuses the delete before anyone is
    // asked whether to make it.
    if (!err.line(104, [] {
            const data::Connection& connection = SharedConnection::get();
            if (connection.isReadOnly())
                throw RuntimeError(err::DatabaseEngine, connection.readOnlyReason());
        }))
        return;
    // The question names the entry as the list shows it and defaults to No,
    // so that Delete and Enter never remove an entry unseen.
    bool confirmed = false;
    err.line(102, [&] {
        const QString hours = list.selectedText(4);
        const QString entry = QStringLiteral("%1, %2, %3 %4")
                                  .arg(list.selectedText(2), list.selectedText(3), hours,
                                       hours == QStringLiteral("1") ? QStringLiteral("hour") : QStringLiteral("hours"));
        confirmed = UiSeam::confirm(list.listWindow(), QStringLiteral("Are you sure you want to delete [")
                                                           + list.selectedText(1) + QStringLiteral("]?\r\n") + entry);
    });
    if (!confirmed)
        return;
    err.line(104, [&] {
        SharedConnection::get().Execute(EntryStatements::remove(list.selectedText(0)));
    });
    err.line(106, [&] { list.ListData(); });
}

}  // namespace hv::entries
