#include "entries/entry_commands.h"

#include "app/error_report.h"
#include "app/main_window.h"
#include "app/shared_connection.h"
#include "app/ui_seam.h"
#include "data/connection.h"
#include "entries/entry_editor.h"

namespace hv::entries {

namespace {

const QString kOwner = QStringLiteral("Form1");

}  // namespace

void addNewWork(Form1& form1)
{
    ErrorReport err(ErrorReport::location(kOwner, QStringLiteral("PushButton2_Click")), &form1);
    Form2 editor;
    err.line(116, [&] { editor.m_ID.clear(); });
    err.line(118, [&] { editor.setWindowTitle(QStringLiteral("Add New Work")); });
    err.line(120, [&] { editor.Show(); });
    err.line(122, [&] { form1.ListData(); });
}

void editSelectedWork(Form1& form1)
{
    ErrorReport err(ErrorReport::location(kOwner, QStringLiteral("PushButton1_Click")), &form1);
    if (!err.test(100, [&] { return form1.listCount() > 0 && form1.selectedPosition() > 0; }))
        return;
    // The position is kept in 32 bits: a list may hold far more than 32,767 entries.
    qint32 position = 0;
    err.line(102, [&] { position = form1.selectedPosition(); });
    Form2 editor;
    err.line(104, [&] { editor.m_ID = form1.selectedText(0); });
    err.line(106, [&] { editor.setWindowTitle(QStringLiteral("Edit Data")); });
    err.line(108, [&] { editor.Show(); });
    err.line(110, [&] { form1.ListData(); });
    if (err.test(112, [&] { return form1.listCount() > position; }))
        err.line(114, [&] { form1.selectPosition(position); });
}

void deleteSelectedWork(Form1& form1)
{
    ErrorReport err(ErrorReport::location(kOwner, QStringLiteral("PushButton3_Click")), &form1);
    if (!err.test(100, [&] { return form1.listCount() > 0 && form1.selectedPosition() > 0; }))
        return;
    bool confirmed = false;
    err.line(102, [&] {
        confirmed = UiSeam::tell(&form1,
                                 QStringLiteral("Are you sure you want to delete [") + form1.selectedText(1)
                                     + QStringLiteral("]?"),
                                 QMessageBox::Yes | QMessageBox::No)
            == QMessageBox::Yes;
    });
    if (!confirmed)
        return;
    err.line(104, [&] {
        SharedConnection::get().Execute(QStringLiteral("delete from [Work Hours] where ID=") + form1.selectedText(0));
    });
    err.line(106, [&] { form1.ListData(); });
}

}  // namespace hv::entries
