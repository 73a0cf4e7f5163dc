// The editors' own terms: "No longer active" in the employee and work-code
// editors, saved with the record as one change and shown again when it is
// opened; and the employee's contracted hours in a dialog of their own.
#include "catalog/contract_dialog.h"
#include "catalog/employee_editor.h"
#include "catalog/work_code_editor.h"

#include "data/change_journal.h"
#include "data/connection.h"
#include "data/record_terms.h"
#include "fixtures/catalog_fixture.h"
#include "gui/shared_connection.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QDoubleSpinBox>
#include <QPushButton>
#include <QTableWidget>

namespace hv::test {
namespace {

using data::RecordTerms;

class RecordTermsEditorTest : public CatalogTest {
protected:
    data::ChangeJournal& journal() { return SharedConnection::get().journal(); }

    // Opens the editor of the record, sets its check box and saves.
    template <class Editor>
    void saveMarked(const QString& id, bool inactive)
    {
        open<Editor>(id, [&](Editor& form) {
            ASSERT_TRUE(form.inactive()->isEnabled());
            EXPECT_EQ(form.inactive()->isChecked(), !inactive);
            form.inactive()->setChecked(inactive);
            press(form, QStringLiteral("PushButton2"));
        });
    }
};

TEST_F(RecordTermsEditorTest, AnEmployeeMarkedNoLongerActiveIsOneChangeAndCanBeMadeActiveAgain)
{
    execute(QStringLiteral("insert into Employees ([First Name],[Last Name]) values ('Tom','Smith')"));
    const QString id = lastId(QStringLiteral("Employees"));
    saveMarked<Form3>(id, true);
    EXPECT_EQ(RecordTerms::inactive(SharedConnection::get(), RecordTerms::Record::Employee), QSet<qint64>{id.toLongLong()});
    EXPECT_EQ(journal().nextUndo()->description, QStringLiteral("Edit employee Tom Smith"));

    saveMarked<Form3>(id, false);
    EXPECT_TRUE(RecordTerms::inactive(SharedConnection::get(), RecordTerms::Record::Employee).isEmpty());
    journal().undo();
    EXPECT_FALSE(RecordTerms::inactive(SharedConnection::get(), RecordTerms::Record::Employee).isEmpty());
}

TEST_F(RecordTermsEditorTest, AWorkCodeMarkedNoLongerActiveIsSavedWithIt)
{
    execute(QStringLiteral("insert into [Work Codes] (Description,Billable) values ('Travel',0)"));
    const QString id = lastId(QStringLiteral("Work Codes"));
    saveMarked<Form5>(id, true);
    EXPECT_EQ(RecordTerms::inactive(SharedConnection::get(), RecordTerms::Record::WorkCode), QSet<qint64>{id.toLongLong()});
    EXPECT_TRUE(RecordTerms::inactive(SharedConnection::get(), RecordTerms::Record::Employee).isEmpty());
}

TEST_F(RecordTermsEditorTest, ARecordNotYetSavedHasNoTermsToSet)
{
    open<Form3>({}, [](Form3& form) {
        EXPECT_FALSE(form.inactive()->isEnabled());
        EXPECT_FALSE(form.contractButton()->isEnabled());
    });
    open<Form5>({}, [](Form5& form) { EXPECT_FALSE(form.inactive()->isEnabled()); });
}

TEST_F(RecordTermsEditorTest, ContractLinesAreKeptInTheOrderOfTheirDaysAndSavedAsOneChange)
{
    execute(QStringLiteral("insert into Employees ([First Name],[Last Name]) values ('Ann','Berg')"));
    const qint64 id = lastId(QStringLiteral("Employees")).toLongLong();
    RecordTerms::setContracts(SharedConnection::get(), id, {{QDate(2025, 1, 1), 40}});
    ContractDialog dialog(id, QStringLiteral("Ann Berg"));
    ASSERT_EQ(dialog.lines()->rowCount(), 1);
    // A later contract, an earlier one, and the later one's hours changed.
    for (const auto& [day, hours] : {std::pair{QDate(2026, 3, 4), 20.0}, std::pair{QDate(2024, 6, 1), 30.0},
                                     std::pair{QDate(2026, 3, 4), 24.0}}) {
        dialog.fromBox()->setDate(day);
        dialog.hoursBox()->setValue(hours);
        dialog.addLine();
    }
    const RecordTerms::Contracts expected = {{QDate(2024, 6, 1), 30}, {QDate(2025, 1, 1), 40}, {QDate(2026, 3, 4), 24}};
    EXPECT_EQ(dialog.contracts(), expected);
    dialog.lines()->setCurrentCell(0, 0);
    dialog.removeLine();
    dialog.save();
    EXPECT_EQ(RecordTerms::contracts(SharedConnection::get(), id),
              (RecordTerms::Contracts{expected[1], expected[2]}));
    EXPECT_EQ(journal().undo().description, QStringLiteral("Contracted hours of Ann Berg"));
    EXPECT_EQ(RecordTerms::contracts(SharedConnection::get(), id), (RecordTerms::Contracts{expected[1]}));
}

}  // namespace
}  // namespace hv::test
