// The main window's appearance at start-up: the skin, the hand pointer, the
// title, and text that stays readable under any colour scheme.
#include "app/main_window.h"
#include "app/work_hours_model.h"
#include "core/file_system.h"
#include "fixtures/main_window_fixture.h"
#include "gui/ui_seam.h"
#include "support/widget_input.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QTemporaryDir>
#include <QTreeView>
#include <cmath>

namespace hv::test {
namespace {

class AppearanceStartupTest : public MainWindowTest {
protected:
    // A program folder holding only the template database, and what a test adds.
    void useBareProgramFolder()
    {
        ASSERT_TRUE(QFile::copy(programFolder() + QStringLiteral("/dbBlank.mdb"),
                                m_program.filePath(QStringLiteral("dbBlank.mdb"))));
        fs::setProgramFolder(m_program.path());
    }
    QTemporaryDir m_program;
};

TEST_F(AppearanceStartupTest, WithTheSkinTheMainWindowIsSkinnedAndKeepsItsFonts)
{
    auto window = start();
    EXPECT_TRUE(m_ui.errorReports().isEmpty()) << m_ui.errorReports().join('\n').toStdString();
    EXPECT_EQ(window->backgroundRole(), QPalette::Button);
    EXPECT_TRUE(window->skin().loaded());
    EXPECT_TRUE(window->styleSheet().contains(QStringLiteral("QPushButton")));
    EXPECT_TRUE(window->styleSheet().contains(QStringLiteral("QHeaderView")));
    auto* button = window->findChild<QPushButton*>(QStringLiteral("PushButton2"));
    button->ensurePolished();
    EXPECT_EQ(button->font().family(), QStringLiteral("Arial"));
    EXPECT_DOUBLE_EQ(button->font().pointSizeF(), 11.25);

    EXPECT_EQ(window->windowTitle(), QStringLiteral("Hourvane"));
    EXPECT_FALSE(window->windowIcon().isNull());
    EXPECT_EQ(UiSeam::applicationTitle(), QStringLiteral("Hourvane"));

    hover(button);
    EXPECT_EQ(window->mousePointer(), Form1::PointerCustom);
    EXPECT_EQ(window->cursor().shape(), Qt::BitmapCursor);
    EXPECT_EQ(window->cursor().hotSpot(), QPoint(5, 0));
}

TEST_F(AppearanceStartupTest, WithoutSkinOrPointerTheWindowStaysWhiteWithTheArrow)
{
    useBareProgramFolder();
    auto window = start();
    EXPECT_TRUE(m_ui.errorReports().isEmpty()) << m_ui.errorReports().join('\n').toStdString();
    EXPECT_EQ(window->palette().color(window->backgroundRole()), QColor(Qt::white));
    EXPECT_TRUE(window->styleSheet().isEmpty());
    EXPECT_FALSE(window->skin().loaded());
    EXPECT_FALSE(window->pointer().hasImage());

    hover(window->findChild<QPushButton*>(QStringLiteral("PushButton6")));
    EXPECT_EQ(window->mousePointer(), Form1::PointerCustom);
    EXPECT_EQ(window->cursor().shape(), Qt::ArrowCursor);
}

// A folder named like the skin file is passed over without a word; a
// pointer file that is no cursor is reported, and start-up goes on.
TEST_F(AppearanceStartupTest, AFolderNamedLikeTheSkinIsPassedOverAndABadPointerIsReported)
{
    useBareProgramFolder();
    ASSERT_TRUE(QDir(m_program.path()).mkpath(QStringLiteral("x/o.cjs")));  // a folder, not a file
    writeFile(m_program.filePath(QStringLiteral("HAND-M.CUR")), "GIF89a");
    auto window = start();
    const QStringList reports = m_ui.errorReports();
    ASSERT_EQ(reports.size(), 1) << reports.join('\n').toStdString();
    EXPECT_TRUE(reports.at(0).contains(QStringLiteral("Form1.Form_Load at line 116")));
    EXPECT_TRUE(reports.at(0).contains(QStringLiteral("Invalid picture")));
    EXPECT_FALSE(window->skin().loaded());
    EXPECT_EQ(window->palette().color(window->backgroundRole()), QColor(Qt::white));
    EXPECT_EQ(window->listModel()->columnCount(), 6);
    EXPECT_EQ(UiSeam::applicationTitle(), QStringLiteral("Hourvane"));
}

// WCAG's relative luminance of a colour, and the contrast of two colours.
double luminance(QColor c)
{
    const auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

double contrast(QColor a, QColor b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The contrast of a text drawn in a picture: its background is the colour
// most pixels have, its text the pixel that stands out most from it.
double textContrast(const QImage& image)
{
    QHash<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            ++counts[image.pixel(x, y)];
    }
    QRgb background = 0;
    int most = -1;
    for (auto it = counts.constBegin(); it != counts.constEnd(); ++it) {
        if (it.value() > most) {
            most = it.value();
            background = it.key();
        }
    }
    double best = 1.0;
    for (auto it = counts.constBegin(); it != counts.constEnd(); ++it)
        best = std::max(best, contrast(QColor(background), QColor(it.key())));
    return best;
}

QPalette darkPalette()
{
    QPalette p;
    const QColor dark(45, 45, 48);
    const QColor darker(30, 30, 32);
    p.setColor(QPalette::Window, dark);
    p.setColor(QPalette::WindowText, QColor(230, 230, 230));
    p.setColor(QPalette::Base, darker);
    p.setColor(QPalette::AlternateBase, dark);
    p.setColor(QPalette::Text, QColor(230, 230, 230));
    p.setColor(QPalette::Button, dark);
    p.setColor(QPalette::ButtonText, QColor(230, 230, 230));
    p.setColor(QPalette::Highlight, QColor(42, 130, 218));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::ToolTipBase, darker);
    p.setColor(QPalette::ToolTipText, QColor(230, 230, 230));
    return p;
}

QPalette highContrastPalette()
{
    QPalette p(Qt::white, Qt::black);
    p.setColor(QPalette::Base, Qt::black);
    p.setColor(QPalette::Text, Qt::white);
    p.setColor(QPalette::ButtonText, Qt::white);
    p.setColor(QPalette::Button, Qt::black);
    p.setColor(QPalette::Highlight, QColor(0, 255, 255));
    p.setColor(QPalette::HighlightedText, Qt::black);
    return p;
}

struct SchemeCase {
    const char* name;
    QPalette (*palette)();
    bool skin;
};

void PrintTo(const SchemeCase& c, std::ostream* out)
{
    *out << c.name << (c.skin ? " with the skin" : " without the skin");
}

// Under a light, a dark and a high-contrast desktop scheme, with and without
// the skin: the list's rows and the main window's message boxes show their
// text clearly against their background.
class ColourSchemeTest : public AppearanceStartupTest, public ::testing::WithParamInterface<SchemeCase> {
protected:
    void SetUp() override
    {
        AppearanceStartupTest::SetUp();
        m_oldStyle = QApplication::style()->name();
        m_oldPalette = QApplication::palette();
        QApplication::setStyle(QStringLiteral("Fusion"));
        QApplication::setPalette(GetParam().palette ? GetParam().palette() : QApplication::style()->standardPalette());
        if (!GetParam().skin)
            useBareProgramFolder();
    }
    void TearDown() override
    {
        QApplication::setPalette(m_oldPalette);
        QApplication::setStyle(m_oldStyle);
        AppearanceStartupTest::TearDown();
    }
    QString m_oldStyle;
    QPalette m_oldPalette;
};

TEST_P(ColourSchemeTest, ListRowsAndMessagesStayReadable)
{
    auto window = start();
    execute({QStringLiteral("insert into Employees ([First Name],[Last Name]) values ('Wilhelmina','Oduya')"),
             QStringLiteral("insert into [Work Codes] (Description,Billable) values ('Support',-1)"),
             QStringLiteral("insert into [Work Hours] (Employee,[Date Worked],[Work Code],Hours,[Work Description]) "
                            "values (1,'2026-03-02',1,8,'Migration of the mail server')"),
             QStringLiteral("insert into [Work Hours] (Employee,[Date Worked],[Work Code],Hours,[Work Description]) "
                            "values (1,'2026-03-03',1,6,'Migration of the file server')")});
    window->ListData();
    window->show();
    window->listView()->clearSelection();
    window->listView()->setCurrentIndex({});
    QTreeView* list = window->listView();
    const QRect row = list->visualRect(window->listModel()->index(1, 5)).united(
        list->visualRect(window->listModel()->index(1, 1)));
    ASSERT_FALSE(row.isEmpty());
    const QImage rows = list->viewport()->grab(row).toImage();
    EXPECT_GE(textContrast(rows), 4.5);

    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Hourvane"), QStringLiteral("Record Successfully Saved"),
                    QMessageBox::Ok, window.get());
    box.show();
    auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    ASSERT_NE(label, nullptr);
    EXPECT_GE(textContrast(label->grab().toImage()), 4.5);
    auto* ok = box.findChild<QPushButton*>();
    ASSERT_NE(ok, nullptr);
    EXPECT_GE(textContrast(ok->grab().toImage()), 3.0);
}

INSTANTIATE_TEST_SUITE_P(Schemes, ColourSchemeTest,
                         ::testing::Values(SchemeCase{"Light", nullptr, true}, SchemeCase{"Dark", darkPalette, true},
                                           SchemeCase{"HighContrast", highContrastPalette, true},
                                           SchemeCase{"Light", nullptr, false}, SchemeCase{"Dark", darkPalette, false},
                                           SchemeCase{"HighContrast", highContrastPalette, false}));

}  // namespace
}  // namespace hv::test
