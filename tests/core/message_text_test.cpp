#include "core/message_text.h"

#include <QRegularExpression>
#include <QStringList>
#include <gtest/gtest.h>

namespace hv::message_text {
namespace {

const QChar kEllipsis(0x2026);

TEST(MessageText, ShortTextsComeBackUntouched)
{
    for (const QString& text :
         {QString(), QStringLiteral("Hours must be numeric."),
          QStringLiteral("Warning: Deleting assigned to will also delete issue data.\r\nDo you wish to continue?"),
          QStringLiteral("a\rb\nc\r\n") + QString(290, u'x')}) {
        EXPECT_EQ(shortened(text), text);
    }
}

struct LongCase {
    const char* name;
    QString text;
};

void PrintTo(const LongCase& c, std::ostream* os)
{
    *os << c.name;
}

class LongMessageText : public ::testing::TestWithParam<LongCase> {};

// Whatever the text, the shortened one keeps its first line's start and its
// last three lines, stays within the limits and never splits a character.
TEST_P(LongMessageText, IsCutWithinTheLimitsKeepingItsEnds)
{
    const QString& text = GetParam().text;
    const Limits limits;
    const QString shown = shortened(text, limits);
    EXPECT_LT(shown.size(), text.size()) << "nothing was cut";
    EXPECT_TRUE(shown.contains(kEllipsis));

    const QStringList lines = shown.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
    EXPECT_LE(lines.size(), limits.lines);
    for (const QString& line : lines)
        EXPECT_LE(line.size(), limits.lineLength);
    EXPECT_LE(shown.size(), limits.length + 3 * limits.lineLength);

    const QStringList original = text.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
    EXPECT_TRUE(original.first().startsWith(lines.first().chopped(lines.first().endsWith(kEllipsis) ? 1 : 0)));
    if (original.size() > 3) {
        EXPECT_EQ(lines.mid(lines.size() - 3), original.mid(original.size() - 3));
    }
    for (qsizetype i = 0; i < shown.size(); ++i) {
        const bool paired = shown.at(i).isHighSurrogate()
            ? i + 1 < shown.size() && shown.at(i + 1).isLowSurrogate()
            : !shown.at(i).isLowSurrogate() || (i > 0 && shown.at(i - 1).isHighSurrogate());
        EXPECT_TRUE(paired) << i;
    }
}

QString errorReportAround(const QString& description)
{
    return description + QStringLiteral("\r\nin Vevudazor2021/08/31.Form3.PushButton2_Click at line 118\r\r"
                                        "Please email screenshot of this message to support@harrowfen.example");
}

QString manyLines(int count, int length)
{
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines << QString(length, QChar(u'a' + i % 26));
    return lines.join(u'\n');
}

INSTANTIATE_TEST_SUITE_P(
    Texts, LongMessageText,
    ::testing::Values(LongCase{"OneMegabyteWord", errorReportAround(QStringLiteral("unrecognized token: \"'")
                                                                    + QString(1 << 20, u'x'))},
                      LongCase{"TenThousandLines", errorReportAround(manyLines(10000, 12))},
                      LongCase{"FewLongLines", manyLines(12, 299)},
                      LongCase{"EmojiAtEveryCut", QString(200000, u' ').replace(u' ', QStringLiteral("🙂"))},
                      LongCase{"MixedBreaks", QStringLiteral("first\r\n") + manyLines(40, 5).replace(u'\n', u'\r')
                                                  + QStringLiteral("\r\nlast")}),
    [](const ::testing::TestParamInfo<LongCase>& info) { return std::string(info.param.name); });

// Lines begun with a tab hold what the reader must see whole: each comes
// through uncut and in its place, however long the rest, and a text made
// of nothing else is still bounded.
struct WholeLinesCase {
    const char* name;
    QString text;
    int wholeShown;  // the tab-led lines expected whole, from the first
};

void PrintTo(const WholeLinesCase& c, std::ostream* os)
{
    *os << c.name;
}

class WholeLines : public ::testing::TestWithParam<WholeLinesCase> {};

TEST_P(WholeLines, AreNeverCutNorLeftOut)
{
    const QString& text = GetParam().text;
    const QString shown = shortened(text);
    const QStringList lines = shown.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
    QStringList whole;
    for (const QString& line : text.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")))) {
        if (line.startsWith(u'\t'))
            whole << line;
    }
    for (int i = 0; i < GetParam().wholeShown; ++i)
        EXPECT_TRUE(lines.contains(whole.at(i))) << i;
    EXPECT_LE(shown.size(), 1500 + 3 * 300 + 12 * 4096 + 24);
}

QString damageAdvice(const QString& folder)
{
    return QStringLiteral("The database '%1/dbData.mdb' is damaged (database disk image is malformed).\n"
                          "Hourvane has opened it read-only.\n\nThe newest sound backup, saved 5/2/26, is:\n"
                          "\t%1/backups/dbData-2026-05-02-090000.mdb\nTo go on from it:\n\t1. Close Hourvane.\n"
                          "\t2. Keep the damaged file under another name.\n\t3. Copy the backup to '%1/dbData.mdb'.")
        .arg(folder);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, WholeLines,
    ::testing::Values(WholeLinesCase{"AdviceInAReport", errorReportAround(damageAdvice(QString(400, u'f'))), 4},
                      WholeLinesCase{"AmongManyLines",
                                     manyLines(500, 20) + u'\n' + damageAdvice(QStringLiteral("/data")) + u'\n'
                                         + manyLines(500, 20),
                                     4},
                      WholeLinesCase{"NothingButTabs", QString(100000, u'\t').replace(u'\t', QStringLiteral("\tx\n")), 12}),
    [](const ::testing::TestParamInfo<WholeLinesCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace hv::message_text
