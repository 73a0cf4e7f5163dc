#include "fixtures/main_window_fixture.h"
#include "support/widget_input.h"

#include "core/app_config.h"
#include "gui/ui_seam.h"
#include "app/work_hours_model.h"
#include "core/locale_text.h"

#include <QComboBox>
#include <QDate>
#include <QDialog>
#include <QPushButton>

namespace hv::test {
namespace {

using ReportsAndHelpButtonsTest = MainWindowTest;

TEST_F(ReportsAndHelpButtonsTest, ShowsThePlainContactMessageAndChangesNothing)
{
    auto window = start();
    execute({QStringLiteral("insert into Employees ([First Name],[Last Name]) values ('Ann','Lee')"),
             QStringLiteral("insert into [Work Codes] (Description,Billable) values ('Coding',TRUE)"),
             QStringLiteral("insert into [Work Hours] (Employee,[Date Worked],[Work Code],Hours,[Work Description]) "
                            "values (1,'") + text::dateToText(QDate(2026, 1, 5)) + QStringLiteral("',1,'3','Review')")});
    window->ListData();
    ASSERT_EQ(window->listModel()->rowCount(), 1);
    const auto rowsBefore = listRows(*window);
    m_ui.clear();

    auto* help = window->findChild<QPushButton*>(QStringLiteral("PushButton6"));
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->text(), QStringLiteral("Help"));
    help->click();

    ASSERT_EQ(m_ui.messages().size(), 1);
    const MessageRequest& shown = m_ui.messages().first();
    EXPECT_EQ(shown.text, QStringLiteral("Questions? Please contact Team Harrowfen at ") + config::kContactPage);
    EXPECT_EQ(shown.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    EXPECT_EQ(shown.icon, QMessageBox::NoIcon);
    EXPECT_EQ(shown.title, UiSeam::applicationTitle());
    EXPECT_FALSE(shown.title.isEmpty());
    EXPECT_EQ(listRows(*window), rowsBefore);
    EXPECT_EQ(m_endCalls, 0);
    closeWindow(window);
}

TEST_F(ReportsAndHelpButtonsTest, ReportsOpensTheChooserModallyAndRefreshesNothing)
{
    auto window = start();
    execute({QStringLiteral("insert into Employees ([First Name],[Last Name]) values ('Ann','Lee')")});
    QStringList entries;
    m_ui.onNextModal([&](QDialog& dialog) {
        EXPECT_EQ(dialog.objectName(), QStringLiteral("Form4"));
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Reports"));
        EXPECT_TRUE(dialog.isModal());
        auto* combo = dialog.findChild<QComboBox*>(QStringLiteral("Combo1"));
        ASSERT_NE(combo, nullptr);
        for (int i = 0; i < combo->count(); ++i)
            entries << combo->itemText(i);
        press(dialog, QStringLiteral("PushButton2"));
        EXPECT_FALSE(dialog.isVisible());
    });
    window->findChild<QPushButton*>(QStringLiteral("PushButton5"))->click();
    EXPECT_EQ(m_ui.modalShows(), 1);
    EXPECT_EQ(entries, (QStringList{"Billable Hours by Employee", "Billable Hours by Project",
                                    "Non-Billable Hours by Employee"}));
    EXPECT_TRUE(m_ui.errorReports().isEmpty());
    EXPECT_TRUE(m_ui.messages().isEmpty());
}

}  // namespace
}  // namespace hv::test
