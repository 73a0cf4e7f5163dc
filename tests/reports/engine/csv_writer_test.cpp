#include "reports/engine/csv_writer.h"

#include <QBuffer>
#include <gtest/gtest.h>

namespace hv::test {
namespace {

struct FieldCase {
    const char* text;
    const char* written;
};

class CsvFieldTest : public ::testing::TestWithParam<FieldCase> {};

TEST_P(CsvFieldTest, QuotesOnlyWhatNeedsQuoting)
{
    EXPECT_EQ(CsvWriter::field(QString::fromUtf8(GetParam().text)), QString::fromUtf8(GetParam().written));
}

INSTANTIATE_TEST_SUITE_P(
    Fields, CsvFieldTest,
    ::testing::Values(FieldCase{"", ""}, FieldCase{"plain", "plain"}, FieldCase{"Zoë Ærøskøbing", "Zoë Ærøskøbing"},
                      FieldCase{"7.5", "7.5"}, FieldCase{"a,b", "\"a,b\""},
                      FieldCase{"say \"hi\"", "\"say \"\"hi\"\"\""}, FieldCase{"\"", "\"\"\"\""},
                      FieldCase{"two\r\nlines", "\"two\r\nlines\""}, FieldCase{"two\nlines", "\"two\nlines\""},
                      FieldCase{" padded", "\" padded\""}, FieldCase{"padded ", "\"padded \""},
                      FieldCase{"inner blank", "inner blank"}));

// Records end in CR LF, the text is UTF-8, and the byte order mark comes
// once, before the first record, only when asked for.
TEST(CsvWriterTest, WritesUtf8RecordsEndedByCrLf)
{
    for (const bool mark : {false, true}) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        CsvWriter writer(buffer, {mark});
        writer.writeRecord({QStringLiteral("Employee"), QStringLiteral("Hours")});
        writer.writeRecord({QStringLiteral("Zoë, Ann"), QStringLiteral("0.3")});
        writer.writeRecord({});
        EXPECT_TRUE(writer.ok());
        const QByteArray expected = QByteArray(mark ? "\xEF\xBB\xBF" : "")
            + QByteArray("Employee,Hours\r\n\"Zo\xC3\xAB, Ann\",0.3\r\n\r\n");
        EXPECT_EQ(buffer.data(), expected) << "mark " << mark;
    }
}

TEST(CsvWriterTest, AFailedWriteIsReported)
{
    QBuffer buffer;
    buffer.open(QIODevice::ReadOnly);
    CsvWriter writer(buffer);
    writer.writeRecord({QStringLiteral("x")});
    EXPECT_FALSE(writer.ok());
}

}  // namespace
}  // namespace hv::test
