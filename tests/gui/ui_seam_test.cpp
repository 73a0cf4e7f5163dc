#include "gui/ui_seam.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace hv::test {
namespace {

struct BoxCase {
    const char* name;
    QString text;
    bool cut;  // too long to be shown whole
};

void PrintTo(const BoxCase& c, std::ostream* os)
{
    *os << c.name;
}

class RealMessageBox : public ::testing::TestWithParam<BoxCase> {};

// The real box, not a recorded one: however long its text, it lies wholly on
// the screen with its button reachable, and shows the text itself, or
// shortened when it is too long; a long word is wrapped only where it is
// painted, so the box's text and what a screen reader reads are the message.
TEST_P(RealMessageBox, FitsTheScreenWithItsButtonReachable)
{
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    QRect frame;
    QRect button;
    QString shown;
    QStringList read;
    QObject context;
    QTimer::singleShot(0, &context, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        frame = box->frameGeometry();
        QAbstractButton* ok = box->button(QMessageBox::Ok);
        button = QRect(ok->mapToGlobal(QPoint(0, 0)), ok->size());
        shown = box->text();
        for (QLabel* label : box->findChildren<QLabel*>()) {
            if (label->isVisible() && !label->text().isEmpty())
                read << QAccessible::queryAccessibleInterface(label)->text(QAccessible::Name);
        }
        ok->click();
    });
    const QMessageBox::StandardButton pressed =
        UiSeam::message(nullptr, {GetParam().text, QStringLiteral("Application Error"), QMessageBox::Warning,
                                  QMessageBox::Ok});
    EXPECT_EQ(pressed, QMessageBox::Ok);
    EXPECT_TRUE(area.contains(frame)) << frame.x() << "," << frame.y() << " " << frame.width() << "x" << frame.height();
    EXPECT_TRUE(area.contains(button));
    EXPECT_EQ(read, QStringList{shown});
    EXPECT_FALSE(shown.contains(QChar(0x200B)));
    if (GetParam().cut) {
        EXPECT_LT(shown.size(), 4000);
        EXPECT_TRUE(shown.contains(QChar(0x2026)));
    } else {
        EXPECT_EQ(shown, GetParam().text);
    }
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
    ::testing::Values(BoxCase{"OneMegabyteWord", QString(1 << 20, u'x'), true},
                      BoxCase{"TenThousandLines", lines(10000, QStringLiteral("line")), true},
                      BoxCase{"ManyLinesOfWords", lines(200, QStringLiteral("word ").repeated(40)), true},
                      BoxCase{"LongPathWithinTheLimits",
                              QStringLiteral("Cannot open '/") + QStringLiteral("folder/").repeated(35)
                                  + QStringLiteral("dbData.mdb'.\r\nCheck the name and try again."),
                              false}),
    [](const ::testing::TestParamInfo<BoxCase>& info) { return std::string(info.param.name); });

class RealQuestion : public ::testing::TestWithParam<std::pair<QMessageBox::StandardButton, QMessageBox::StandardButton>> {};

// Enter presses the default the request names, or the platform's own (Yes)
// when it names none.
TEST_P(RealQuestion, EnterPressesTheDefaultAsked)
{
    const auto [asked, pressedByEnter] = GetParam();
    QObject context;
    QTimer::singleShot(0, &context, [] {
        QWidget* box = QApplication::activeModalWidget();
        ASSERT_NE(box, nullptr);
        QTest::keyClick(box, Qt::Key_Return);
    });
    EXPECT_EQ(UiSeam::message(nullptr, {QStringLiteral("Delete?"), QStringLiteral("Title"), QMessageBox::NoIcon,
                                        QMessageBox::Yes | QMessageBox::No, asked}),
              pressedByEnter);
}

INSTANTIATE_TEST_SUITE_P(Defaults, RealQuestion,
                         ::testing::Values(std::pair{QMessageBox::No, QMessageBox::No},
                                           std::pair{QMessageBox::NoButton, QMessageBox::Yes}));

// What waits for the program's boxes to close runs once the outermost one
// has closed, from the event loop, and never for an object that is gone.
TEST(ModalCount, WhatWaitsRunsAfterTheLastBoxCloses)
{
    QStringList ran;
    auto kept = std::make_unique<QObject>();
    auto gone = std::make_unique<QObject>();
    UiSeam::setMessageHandler([&](const MessageRequest& request) {
        if (request.text == u"outer") {
            EXPECT_EQ(UiSeam::openModals(), 1);
            UiSeam::afterModals(kept.get(), [&] { ran << QStringLiteral("after"); });
            UiSeam::afterModals(gone.get(), [&] { ran << QStringLiteral("gone"); });
            gone.reset();
            UiSeam::message(nullptr, {QStringLiteral("inner"), QString()});
            QCoreApplication::processEvents();
            EXPECT_TRUE(ran.isEmpty()) << "ran while the outer box was still open";
        } else {
            EXPECT_EQ(UiSeam::openModals(), 2);
        }
        return QMessageBox::Ok;
    });
    UiSeam::message(nullptr, {QStringLiteral("outer"), QString()});
    UiSeam::setMessageHandler({});
    EXPECT_EQ(UiSeam::openModals(), 0);
    EXPECT_TRUE(ran.isEmpty()) << "ran inside the box's own call";
    QCoreApplication::processEvents();
    EXPECT_EQ(ran, QStringList{QStringLiteral("after")});
}

}  // namespace
}  // namespace hv::test
