// The entry editor's pickers leave out employees and work codes no longer
// active, except the ones the entry being edited uses.
#include "entries/entry_editor.h"

#include "data/record_terms.h"
#include "fixtures/catalog_fixture.h"
#include "gui/shared_connection.h"

#include <QComboBox>

namespace hv::test {
namespace {

using data::RecordTerms;

class EntryEditorTermsTest : public CatalogTest {
protected:
    void SetUp() override
    {
        CatalogTest::SetUp();
        execute(QStringLiteral("insert into Employees ([First Name],[Last Name]) values ('Ann','Archer')"));
        execute(QStringLiteral("insert into Employees ([First Name],[Last Name]) values ('Cid','Carter')"));
        execute(QStringLiteral("insert into [Work Codes] (Description,Billable) values ('Design',TRUE)"));
        execute(QStringLiteral("insert into [Work Codes] (Description,Billable) values ('Meetings',FALSE)"));
        execute(QStringLiteral("insert into [Work Hours] (Employee,[Date Worked],[Work Code],Hours,[Work Description]) "
                               "values (1,'2026-03-02',1,2,'Plans')"));
        RecordTerms::setInactive(SharedConnection::get(), RecordTerms::Record::Employee, 1, true);
        RecordTerms::setInactive(SharedConnection::get(), RecordTerms::Record::WorkCode, 1, true);
    }

    static QStringList items(QComboBox* combo)
    {
        QStringList texts;
        for (int i = 0; i < combo->count(); ++i)
            texts << combo->itemText(i);
        return texts;
    }
};

TEST_F(EntryEditorTermsTest, ANewEntryIsNotOfferedRecordsNoLongerActive)
{
    open<Form2>({}, [](Form2& form) {
        EXPECT_EQ(items(form.findChild<QComboBox*>(QStringLiteral("Combo1"))), QStringList{"Cid Carter"});
        EXPECT_EQ(items(form.findChild<QComboBox*>(QStringLiteral("Combo2"))), QStringList{"Meetings"});
    });
}

TEST_F(EntryEditorTermsTest, AnEntryKeepsShowingTheRecordsItUses)
{
    open<Form2>(QStringLiteral("1"), [](Form2& form) {
        auto* employee = form.findChild<QComboBox*>(QStringLiteral("Combo1"));
        auto* workCode = form.findChild<QComboBox*>(QStringLiteral("Combo2"));
        EXPECT_EQ(items(employee), QStringList({"Ann Archer", "Cid Carter"}));
        EXPECT_EQ(employee->currentText(), QStringLiteral("Ann Archer"));
        EXPECT_EQ(form.employees().idAt(employee->currentIndex() + 1), QStringLiteral("1"));
        EXPECT_EQ(workCode->currentText(), QStringLiteral("Design"));
    });
}

}  // namespace
}  // namespace hv::test
