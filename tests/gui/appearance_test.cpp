#include "gui/appearance.h"
#include "core/runtime_error.h"
#include "gui/skin_framework.h"
#include "support/test_environment.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

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
        const QString path = writeFile(dir.filePath(QString::fromLatin1(name)), bytes);
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
    const QString path = writeFile(dir.filePath(QStringLiteral("skin.qss")),
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

}  // namespace
}  // namespace hv::test
