#include "catalog/work_code_editor.h"

#include "core/twips.h"
#include "fixtures/catalog_fixture.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace hv::test {
namespace {

class WorkCodeEditorTest : public CatalogTest {
protected:
    // Description and billable mark of a stored work code.
    std::pair<QString, bool> stored(const QString& id) const
    {
        const auto found = rows(QStringLiteral("select Description, Billable from [Work Codes] where ID=") + id);
        if (found.isEmpty())
            return {};
        return {found.first().at(0).toString(), found.first().at(1).toBool()};
    }
    int workCodeCount() const { return rows(QStringLiteral("select ID from [Work Codes]")).size(); }
};

TEST_F(WorkCodeEditorTest, WindowHasItsFramesButtonsAndTabOrder)
{
    open<Form5>({}, [](Form5& form) {
        EXPECT_EQ(form.windowTitle(), QStringLiteral("Work codes"));
        EXPECT_EQ(form.size(), QSize(twips::toPixels(8040), twips::toPixels(2760)));
        EXPECT_FALSE(form.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
        auto* frame1 = form.findChild<QGroupBox*>(QStringLiteral("Frame1"));
        auto* frame2 = form.findChild<QGroupBox*>(QStringLiteral("Frame2"));
        EXPECT_EQ(frame1->title(), QStringLiteral("Description"));
        EXPECT_EQ(frame2->title(), QStringLiteral("Billable Option"));
        EXPECT_EQ(form.description()->parentWidget(), frame1);
        EXPECT_EQ(form.description()->geometry(), twips::rect(240, 300, 7320, 345));
        EXPECT_EQ(form.billable()->parentWidget(), frame2);
        EXPECT_EQ(form.billable()->text(), QStringLiteral("Make Billable"));
        EXPECT_FALSE(form.billable()->isChecked());
        for (QWidget* recoloured : {static_cast<QWidget*>(&form), static_cast<QWidget*>(frame1),
                                    static_cast<QWidget*>(frame2), static_cast<QWidget*>(form.billable())})
            EXPECT_EQ(recoloured->backgroundRole(), QPalette::Button) << recoloured->objectName().toStdString();

        auto* save = form.findChild<QPushButton*>(QStringLiteral("PushButton2"));
        auto* cancel = form.findChild<QPushButton*>(QStringLiteral("PushButton3"));
        auto* hidden = form.findChild<QPushButton*>(QStringLiteral("PushButton1"));
        EXPECT_EQ(save->text(), QStringLiteral("Save"));
        EXPECT_EQ(cancel->text(), QStringLiteral("Cancel"));
        EXPECT_EQ(hidden->text(), QStringLiteral("Cancel"));
        EXPECT_FALSE(form.rect().intersects(hidden->geometry()));  // below the window's edge

        // Save, Cancel, the hidden Cancel, the description, the check box;
        // the focus starts on Save.
        EXPECT_EQ(form.focusWidget(), save);
        EXPECT_EQ(nextTabStop(save), cancel);
        EXPECT_EQ(nextTabStop(cancel), hidden);
        EXPECT_EQ(nextTabStop(hidden), form.description());
        EXPECT_EQ(nextTabStop(form.description()), form.billable());
    });
}

TEST_F(WorkCodeEditorTest, ABlankDescriptionIsMissing)
{
    open<Form5>({}, [this](Form5& form) {
        form.description()->setText(QStringLiteral("    "));
        press(form, QStringLiteral("PushButton2"));
        EXPECT_EQ(messageTexts(), QStringList{QStringLiteral("You forgot to input first name.")});
        EXPECT_EQ(form.focusWidget(), form.description());
        EXPECT_TRUE(form.isVisible());
    });
    EXPECT_EQ(workCodeCount(), 0);
}

TEST_F(WorkCodeEditorTest, CreatesAndEditsTheBillableMarkBothWays)
{
    open<Form5>({}, [](Form5& form) {
        form.description()->setText(QStringLiteral(" Customer's support "));
        press(form, QStringLiteral("PushButton2"));
    });
    EXPECT_FALSE(m_stillOpenAfterScript);
    EXPECT_EQ(messageTexts(), QStringList{QStringLiteral("Record Successfully Saved")});
    const QString id = lastId(QStringLiteral("Work Codes"));
    EXPECT_EQ(stored(id), std::make_pair(QStringLiteral(" Customer's support "), false));

    open<Form5>(id, [](Form5& form) {
        EXPECT_EQ(form.description()->text(), QStringLiteral(" Customer's support "));
        EXPECT_FALSE(form.billable()->isChecked());
        form.billable()->setChecked(true);
        press(form, QStringLiteral("PushButton2"));
    });
    EXPECT_EQ(stored(id), std::make_pair(QStringLiteral(" Customer's support "), true));

    open<Form5>(id, [](Form5& form) {
        EXPECT_TRUE(form.billable()->isChecked());
        form.billable()->setChecked(false);
        form.description()->setText(QStringLiteral("'); delete from [Work Codes]; -- 東京 🙂"));
        press(form, QStringLiteral("PushButton2"));
    });
    EXPECT_EQ(stored(id), std::make_pair(QStringLiteral("'); delete from [Work Codes]; -- 東京 🙂"), false));
    EXPECT_EQ(workCodeCount(), 1);
    EXPECT_TRUE(m_ui.errorReports().isEmpty());
}

TEST_F(WorkCodeEditorTest, EditingARowThatNoLongerExistsSaysSoAndCreatesNothing)
{
    open<Form5>(QStringLiteral("99"), [](Form5&) { ADD_FAILURE() << "the editor opened"; });
    ASSERT_EQ(messageTexts().size(), 1);
    EXPECT_TRUE(messageTexts()[0].startsWith(QStringLiteral("This work code no longer exists")));
    EXPECT_EQ(workCodeCount(), 0);
}

TEST_F(WorkCodeEditorTest, ARefusedSaveKeepsTheWindowOpen)
{
    refuseWrites(QStringLiteral("Work Codes"));
    open<Form5>({}, [this](Form5& form) {
        form.description()->setText(QStringLiteral("Consulting"));
        form.billable()->setChecked(true);
        press(form, QStringLiteral("PushButton2"));
        ASSERT_EQ(m_ui.errorReports().size(), 1);
        EXPECT_TRUE(m_ui.errorReports().at(0).contains(
            QStringLiteral("in Vevudazor2021/08/31.Form5.PushButton2_Click at line 112")));
        EXPECT_FALSE(messageTexts().contains(QStringLiteral("Record Successfully Saved")));
        EXPECT_TRUE(form.isVisible());
        EXPECT_EQ(form.description()->text(), QStringLiteral("Consulting"));
        EXPECT_TRUE(form.billable()->isChecked());
    });
    EXPECT_EQ(workCodeCount(), 0);
}

TEST_F(WorkCodeEditorTest, BothCancelButtonsAndEnterOrEscWriteNothing)
{
    for (const char* cancel : {"PushButton3", "PushButton1"}) {
        open<Form5>({}, [&](Form5& form) {
            form.description()->setText(QStringLiteral("Unsaved"));
            QTest::keyClick(form.description(), Qt::Key_Return);
            QTest::keyClick(form.description(), Qt::Key_Escape);
            EXPECT_TRUE(form.isVisible());
            press(form, QString::fromLatin1(cancel));
            EXPECT_FALSE(form.isVisible());
        });
    }
    EXPECT_EQ(workCodeCount(), 0);
    EXPECT_TRUE(m_ui.messages().isEmpty());
}

TEST_F(WorkCodeEditorTest, FramesResetThePointerAndButtonsShowTheHand)
{
    open<Form5>({}, [](Form5& form) {
        auto* frame2 = form.findChild<QGroupBox*>(QStringLiteral("Frame2"));
        hover(form.findChild<QPushButton*>(QStringLiteral("PushButton3")));
        EXPECT_EQ(form.pointer().value(), WindowPointer::Custom);
        hover(frame2, QPoint(frame2->width() - 4, frame2->height() - 4));
        EXPECT_EQ(form.pointer().value(), WindowPointer::Default);
        form.pointer().set(WindowPointer::Hourglass);
        hover(form.findChild<QPushButton*>(QStringLiteral("PushButton2")));
        EXPECT_EQ(form.pointer().value(), WindowPointer::Hourglass);
    });
}

}  // namespace
}  // namespace hv::test
