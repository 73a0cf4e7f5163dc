#include "gui/appearance.h"
#include "core/file_system.h"
#include "app/work_hours_model.h"
#include "app/main_window.h"
#include "gui/skin_framework.h"
#include "gui/ui_seam.h"
#include "core/runtime_error.h"
#include "fixtures/main_window_fixture.h"
#include "support/widget_input.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTreeView>
#include <QHash>
#include <QMessageBox>
#include <QStyle>
#include <cmath>

namespace hv::test {
namespace {

struct TitleCase {
    const char* productName;
    const char* title;
};

class ApplicationTitleTest : public ::testing::TestWithParam<TitleCase> {};

TEST_P(ApplicationTitleTest, DropsTheLastWordThenCutsToFortyCharacters)
{
    EXPECT_EQ(appearance::titleFromProductName(QString::fromUtf8(GetParam().productName)),
              QString::fromUtf8(GetParam().title));
}

INSTANTIATE_TEST_SUITE_P(
    Names, ApplicationTitleTest,
    ::testing::Values(TitleCase{"Harrowfen Time Sheet Pro", "Harrowfen Time Sheet"},
                      TitleCase{"Hours Tracker", "Hours"},
                      TitleCase{"Hourvane", "Hourvane"},  // one word: kept whole
                      TitleCase{"Alpha Beta Gamma Delta Epsilon Zeta Eta Theta Iota", "Alpha Beta Gamma Delta Epsilon Zeta Eta"},
                      TitleCase{"Supercalifragilisticexpialidocious-and-then-some-more", "Supercalifragilisticexpialidocious-and-t"},
                      TitleCase{"Averyveryveryveryveryveryveryveryverylongword Tail", "Averyveryveryveryveryveryveryveryverylon"}));

// A temporary file with the given bytes.
QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
}

TEST(HandPointerFile, IsAHandWithItsHotSpotOnTheFingertip)
{
    const QCursor cursor = appearance::loadPointerImage(programFolder() + QStringLiteral("/HAND-M.CUR"));
    EXPECT_EQ(cursor.hotSpot(), QPoint(5, 0));
    const QImage image = cursor.pixmap().toImage();
    EXPECT_EQ(image.size(), QSize(32, 32));
    EXPECT_EQ(image.pixelColor(5, 0), QColor(Qt::black));   // the fingertip's outline
    EXPECT_EQ(image.pixelColor(6, 3), QColor(Qt::white));   // inside the finger
    EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0);           // around the hand
    EXPECT_EQ(image.pixelColor(31, 31).alpha(), 0);
}

TEST(HandPointerFile, AnythingButACursorIsAnInvalidPicture)
{
    QTemporaryDir dir;
    QFile built(programFolder() + QStringLiteral("/HAND-M.CUR"));
    ASSERT_TRUE(built.open(QIODevice::ReadOnly));
    const QByteArray good = built.readAll();

    QByteArray icon = good;
    icon[2] = 1;  // an icon, not a cursor
    QByteArray hotSpotOutside = good;
    hotSpotOutside[10] = 40;
    const QList<QPair<const char*, QByteArray>> files{
        {"empty", {}},
        {"text", "not a cursor at all"},
        {"icon", icon},
        {"header only", good.left(22)},
        {"cut short", good.left(200)},
        {"hot spot outside", hotSpotOutside},
    };
    for (const auto& [name, bytes] : files) {
        const QString path = writeFile(dir, QString::fromLatin1(name), bytes);
        try {
            appearance::loadPointerImage(path);
            ADD_FAILURE() << name << " was accepted";
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.number(), err::InvalidPicture) << name;
            EXPECT_TRUE(e.description().contains(path)) << name;
        }
    }
    EXPECT_THROW(appearance::loadPointerImage(dir.filePath(QStringLiteral("missing.cur"))), RuntimeError);
}

TEST(ApplicationIcon, IsOneIconWithSeveralSizes)
{
    const QIcon& icon = applicationIcon();
    ASSERT_FALSE(icon.isNull());
    EXPECT_GE(icon.availableSizes().size(), 4);
    EXPECT_EQ(&icon, &applicationIcon());
}

TEST(SkinFrameworkTest, AppliesTheBaseAlwaysAndEachPartWithItsOption)
{
    QTemporaryDir dir;
    const QString path = writeFile(dir, QStringLiteral("skin.qss"),
                                   "QWidget#Form1 { background: red; }\n"
                                   "/* @part controls */ QLabel { color: blue; }\n"
                                   "/* @part buttons */ QPushButton { color: green; }\n"
                                   "/* @part lists */ QTreeView { color: gray; }\n");
    SkinFramework skin;
    QWidget window;
    EXPECT_THROW(skin.ApplyWindow(window), RuntimeError);
    skin.LoadSkin(path, QString());
    EXPECT_EQ(skin.styleSheet().trimmed(), QStringLiteral("QWidget#Form1 { background: red; }"));

    skin.SetApplyOptions(skin.ApplyOptions() | SkinFramework::kApplyControls);
    skin.SetSetting(SkinFramework::kSkinButtons, true);
    EXPECT_TRUE(skin.styleSheet().contains(QStringLiteral("QLabel")));
    EXPECT_TRUE(skin.styleSheet().contains(QStringLiteral("QPushButton")));
    EXPECT_FALSE(skin.styleSheet().contains(QStringLiteral("QTreeView")));
    skin.SetSetting(SkinFramework::kSkinLists, true);
    skin.ApplyWindow(window);
    EXPECT_EQ(window.styleSheet(), skin.styleSheet());
    EXPECT_THROW(skin.SetSetting(7, true), RuntimeError);

    skin.LoadSkin(path, QStringLiteral("Buttons"));
    EXPECT_EQ(skin.styleSheet().trimmed(), QStringLiteral("QPushButton { color: green; }"));
    EXPECT_THROW(skin.LoadSkin(path, QStringLiteral("menus")), RuntimeError);
    EXPECT_THROW(skin.LoadSkin(dir.filePath(QStringLiteral("missing.qss")), QString()), RuntimeError);
    EXPECT_TRUE(skin.styleSheet().contains(QStringLiteral("QPushButton")));  // the loaded skin stays
}

TEST(SetFormColorsTest, RecoloursTheWindowAndItsLabelsChecksOptionsAndFramesOnly)
{
    QWidget window;
    auto* frame = new QGroupBox(QStringLiteral("Frame"), &window);
    auto* inner = new QLabel(QStringLiteral("inside"), frame);
    auto* check = new QCheckBox(QStringLiteral("check"), frame);
    auto* option = new QRadioButton(QStringLiteral("option"), &window);
    auto* box = new QLineEdit(&window);
    auto* button = new QPushButton(QStringLiteral("button"), &window);
    SetFormColors(window);
    for (QWidget* recoloured : {&window, static_cast<QWidget*>(frame), static_cast<QWidget*>(inner),
                                static_cast<QWidget*>(check), static_cast<QWidget*>(option)}) {
        EXPECT_EQ(recoloured->backgroundRole(), QPalette::Button);
        EXPECT_TRUE(recoloured->autoFillBackground());
    }
    EXPECT_NE(box->backgroundRole(), QPalette::Button);
    EXPECT_FALSE(button->autoFillBackground());
    // The colour is the desktop's button face, whatever the scheme.
    EXPECT_EQ(window.palette().color(window.backgroundRole()), QApplication::palette().color(QPalette::Button));
}

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
    writeFile(m_program, QStringLiteral("HAND-M.CUR"), "GIF89a");
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
