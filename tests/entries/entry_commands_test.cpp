#include "app/main_window.h"
#include "app/work_hours_model.h"
#include "entries/entry_editor.h"
#include "fixtures/main_window_fixture.h"
#include "support/widget_input.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>

namespace hv::test {
namespace {

class EntryCommandsTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        m_window = start();
        execute({QStringLiteral("insert into Employees ([First Name],[Last Name]) values ('Ann','Archer')"),
                 QStringLiteral("insert into Employees ([First Name],[Last Name]) values ('Cid','Carter')"),
                 QStringLiteral("insert into [Work Codes] (Description,Billable) values ('Design',TRUE)")});
    }

    void addEntries(int count)
    {
        QStringList statements;
        for (int i = 1; i <= count; ++i)
            statements << QStringLiteral("insert into [Work Hours] (Employee,[Date Worked],[Work Code],Hours,"
                                         "[Work Description]) values (%1,'2026-12-0%2',1,'%2','entry %2')")
                              .arg(i % 2 + 1)
                              .arg(i);
        execute(statements);
        m_window->ListData();
    }

    QStringList column(int cell) const
    {
        QStringList texts;
        for (const QStringList& row : listRows(*m_window))
            texts << row.at(cell);
        return texts;
    }

    void click(const char* button) { press(*m_window, QString::fromLatin1(button)); }

    std::unique_ptr<Form1> m_window;
};

TEST_F(EntryCommandsTest, AnEmptyListLetsOnlyAddWork)
{
    click("PushButton1");
    click("PushButton3");
    EXPECT_EQ(m_ui.modalShows(), 0);
    EXPECT_TRUE(m_ui.messages().isEmpty());

    m_ui.onNextModal([](QDialog& dialog) {
        auto& editor = static_cast<Form2&>(dialog);
        EXPECT_EQ(editor.windowTitle(), QStringLiteral("Add New Work"));
        EXPECT_TRUE(editor.m_ID.isEmpty());
        editor.findChild<QComboBox*>(QStringLiteral("Combo1"))->setCurrentIndex(0);
        editor.findChild<QComboBox*>(QStringLiteral("Combo2"))->setCurrentIndex(0);
        editor.findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(QStringLiteral("6"));
        editor.findChild<QLineEdit*>(QStringLiteral("Text3"))->setText(QStringLiteral("added"));
        press(editor, QStringLiteral("PushButton2"));
    });
    click("PushButton2");
    EXPECT_EQ(column(5), QStringList{QStringLiteral("added")});
    EXPECT_EQ(column(1), QStringList{QStringLiteral("Ann Archer")});
}

TEST_F(EntryCommandsTest, CancellingAnEditorStillRefillsTheList)
{
    addEntries(1);
    execute({QStringLiteral("insert into [Work Hours] (Employee,[Date Worked],[Work Code],Hours,[Work Description]) "
                            "values (1,'2026-12-09',1,'1','written elsewhere')")});
    m_ui.onNextModal([](QDialog& dialog) { press(dialog, QStringLiteral("PushButton1")); });
    click("PushButton2");
    EXPECT_EQ(column(5), (QStringList{"entry 1", "written elsewhere"}));
}

TEST_F(EntryCommandsTest, EditReselectsThePositionButNotTheLastItem)
{
    addEntries(4);
    m_window->selectPosition(2);
    m_ui.onNextModal([](QDialog& dialog) {
        auto& editor = static_cast<Form2&>(dialog);
        EXPECT_EQ(editor.windowTitle(), QStringLiteral("Edit Data"));
        EXPECT_EQ(editor.m_ID, QStringLiteral("2"));
        editor.findChild<QLineEdit*>(QStringLiteral("Text3"))->setText(QStringLiteral("changed"));
        press(editor, QStringLiteral("PushButton2"));
    });
    click("PushButton1");
    EXPECT_EQ(column(5), (QStringList{"entry 1", "changed", "entry 3", "entry 4"}));
    EXPECT_EQ(m_window->selectedPosition(), 2);

    // Sorted by description, the edited entry moves; the same position is
    // selected again, whatever entry stands there now.
    m_window->ListView1_ColumnClick(6);
    m_window->selectPosition(1);  // "changed"
    m_ui.onNextModal([](QDialog& dialog) {
        static_cast<Form2&>(dialog).findChild<QLineEdit*>(QStringLiteral("Text3"))->setText(QStringLiteral("zz last"));
        press(dialog, QStringLiteral("PushButton2"));
    });
    click("PushButton1");
    EXPECT_EQ(m_window->selectedPosition(), 1);
    EXPECT_EQ(m_window->selectedText(5), QStringLiteral("entry 1"));

    m_window->selectPosition(4);
    m_ui.onNextModal([](QDialog& dialog) { press(dialog, QStringLiteral("PushButton1")); });
    click("PushButton1");
    EXPECT_EQ(m_window->selectedPosition(), 1);
    EXPECT_TRUE(m_ui.errorReports().isEmpty());
}

TEST_F(EntryCommandsTest, DeleteAsksByEmployeeAndDeletesOnlyOnYes)
{
    addEntries(3);
    m_window->selectPosition(2);
    m_ui.answerNext(QMessageBox::No);
    click("PushButton3");
    ASSERT_EQ(m_ui.messages().size(), 1);
    // The entry as the list shows it on a second line; No unless answered.
    EXPECT_EQ(m_ui.messages().at(0).text, QStringLiteral("Are you sure you want to delete [Ann Archer]?\r\n%1, Design, 2 hours")
                                              .arg(m_window->selectedText(2)));
    EXPECT_EQ(m_ui.messages().at(0).buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(m_ui.messages().at(0).defaultButton, QMessageBox::No);
    EXPECT_EQ(m_window->selectedPosition(), 2);
    EXPECT_EQ(column(0).size(), 3);

    m_ui.answerNext(QMessageBox::Yes);
    click("PushButton3");
    EXPECT_EQ(column(5), (QStringList{"entry 1", "entry 3"}));
    EXPECT_EQ(m_window->selectedPosition(), 1);
}

}  // namespace
}  // namespace hv::test
