#include "app/ui_seam.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <gtest/gtest.h>

namespace hv::test {
namespace {

struct BoxCase {
    const char* name;
    QString text;
};

void PrintTo(const BoxCase& c, std::ostream* os)
{
    *os << c.name;
}

class RealMessageBox : public ::testing::TestWithParam<BoxCase> {};

// The real box, not a recorded one: however long its text, it lies wholly on
// the screen with its button reachable, and shows a shortened text.
TEST_P(RealMessageBox, FitsTheScreenWithItsButtonReachable)
{
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    QRect frame;
    QRect button;
    QString shown;
    QObject context;
    QTimer::singleShot(0, &context, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        frame = box->frameGeometry();
        QAbstractButton* ok = box->button(QMessageBox::Ok);
        button = QRect(ok->mapToGlobal(QPoint(0, 0)), ok->size());
        shown = box->text();
        ok->click();
    });
    const QMessageBox::StandardButton pressed =
        UiSeam::message(nullptr, {GetParam().text, QStringLiteral("Application Error"), QMessageBox::Warning,
                                  QMessageBox::Ok});
    EXPECT_EQ(pressed, QMessageBox::Ok);
    EXPECT_TRUE(area.contains(frame)) << frame.x() << "," << frame.y() << " " << frame.width() << "x" << frame.height();
    EXPECT_TRUE(area.contains(button));
    EXPECT_LT(shown.size(), 4000);
    EXPECT_TRUE(shown.contains(QChar(0x2026)));
}

QString lines(int count, const QString& line)
{
    QStringList all;
    for (int i = 0; i < count; ++i)
        all << line;
    return all.join(QStringLiteral("\r\n"));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, RealMessageBox,
    ::testing::Values(BoxCase{"OneMegabyteWord", QString(1 << 20, u'x')},
                      BoxCase{"TenThousandLines", lines(10000, QStringLiteral("line"))},
                      BoxCase{"ManyLinesOfWords", lines(200, QStringLiteral("word ").repeated(40))}),
    [](const ::testing::TestParamInfo<BoxCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace hv::test
