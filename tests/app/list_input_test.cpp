#include "fixtures/main_window_fixture.h"

#include "app/find_bar.h"
#include "app/list_input.h"
#include "app/work_hours_model.h"
#include "entries/entry_editor.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QMenu>
#include <QTest>
#include <QTreeView>

namespace hv::test {
namespace {

class ListInputTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        m_window = start();
        // A description with a tab and quotes, which tab-separated text must quote.
        addAnnsEntries({QStringLiteral("plain"), QStringLiteral("tab\there, a \"quote\"")});
        m_window->ListData();
        m_window->show();
        QApplication::setActiveWindow(m_window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
        m_window->listView()->setFocus();
        m_ui.clear();
    }

    // The title and entry of the editor the next modal show opens.
    void recordEditor()
    {
        m_ui.onNextModal([this](QDialog& dialog) {
            m_editor = dialog.windowTitle() + u' ' + static_cast<Form2&>(dialog).m_ID;
        });
    }

    QPoint rowCentre(int row) const
    {
        return m_window->listView()->visualRect(m_window->listModel()->index(row, 1)).center();
    }

    std::unique_ptr<Form1> m_window;
    QString m_editor;
};

enum class Gesture { Return, KeypadEnter, DoubleClick };

class EditGestureTest : public ListInputTest, public ::testing::WithParamInterface<Gesture> {};

TEST_P(EditGestureTest, EditsTheEntryOfTheRow)
{
    m_window->selectPosition(2);
    recordEditor();
    QTreeView& list = *m_window->listView();
    switch (GetParam()) {
    case Gesture::Return: QTest::keyClick(&list, Qt::Key_Return); break;
    case Gesture::KeypadEnter: QTest::keyClick(&list, Qt::Key_Enter, Qt::KeypadModifier); break;
    case Gesture::DoubleClick:
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, rowCentre(1));
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, rowCentre(1));
        break;
    }
    EXPECT_EQ(m_ui.modalShows(), 1);
    EXPECT_EQ(m_editor, QStringLiteral("Edit Data 2"));
}

INSTANTIATE_TEST_SUITE_P(Gestures, EditGestureTest,
                         ::testing::Values(Gesture::Return, Gesture::KeypadEnter, Gesture::DoubleClick));

TEST_F(ListInputTest, DeleteAsksTheDeleteQuestion)
{
    m_window->selectPosition(1);
    m_ui.answerNext(QMessageBox::No);
    QTest::keyClick(m_window->listView(), Qt::Key_Delete);
    ASSERT_EQ(m_ui.messages().size(), 1);
    EXPECT_TRUE(m_ui.messages().at(0).text.startsWith(QStringLiteral("Are you sure you want to delete [Ann Archer]?\r\n")));
    EXPECT_EQ(listRows(*m_window).size(), 2);
}

TEST_F(ListInputTest, WindowShortcutsAddRefillAndFind)
{
    recordEditor();
    QTest::keyClick(m_window->listView(), Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(m_editor, QStringLiteral("Add New Work "));

    execute({QStringLiteral("delete from [Work Hours] where ID=1")});
    QTest::keyClick(m_window->listView(), Qt::Key_F5);
    EXPECT_EQ(listRows(*m_window).size(), 1);

    QTest::keyClick(m_window->listView(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(m_window->findBarShown());
    QWidget* focused = QApplication::focusWidget();
    ASSERT_NE(focused, nullptr);
    EXPECT_EQ(focused->objectName(), QStringLiteral("FindText"));
    QTest::keyClick(focused, Qt::Key_Escape);
    EXPECT_FALSE(m_window->findBarShown());
}

TEST_F(ListInputTest, ContextMenuOffersEditDeleteUndoAndCopy)
{
    QStringList items;
    for (QAction* action : m_window->listInput()->contextMenu().actions()) {
        if (!action->isSeparator())
            items << action->text() + (action->isEnabled() ? QString() : QStringLiteral(" (disabled)"));
    }
    // Undo names the newest change: the fixture's last entry.
    EXPECT_EQ(items, (QStringList{"&Edit Selected Work", "&Delete Selected Work", "&Week Sheet...", "&Undo Add entry 2", "&Copy"}));
}

TEST_F(ListInputTest, CopyPutsTheSelectedRowsOnTheClipboardAsTabSeparatedText)
{
    m_window->listView()->selectAll();
    m_window->listInput()->copyAction().trigger();
    const QStringList row1 = listRows(*m_window).at(0);
    const QStringList row2 = listRows(*m_window).at(1);
    EXPECT_EQ(QApplication::clipboard()->text(),
              row1.join(u'\t') + u'\n' + row2.mid(0, 5).join(u'\t')
                  + QStringLiteral("\t\"tab\there, a \"\"quote\"\"\"\n"));
}

}  // namespace
}  // namespace hv::test
