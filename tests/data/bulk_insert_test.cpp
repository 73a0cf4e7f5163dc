// Rows added in bulk, as the import adds them: on the local file one
// prepared insert per row, on a server the COPY protocol. Every value comes
// back byte for byte whatever it holds, IDs are kept, and a copy that is
// refused or given up keeps none of its rows.
#include "fixtures/database_fixture.h"

#include "data/bulk_insert.h"
#include "data/prepared_statement.h"
#include "data/postgres/session.h"

#include <optional>
#include <vector>

namespace hv::test {
namespace {

using data::BulkInsert;

const QStringList kEntryColumns = {QStringLiteral("ID"), QStringLiteral("Employee"), QStringLiteral("Date Worked"),
                                   QStringLiteral("Hours"), QStringLiteral("Work Description")};

// Texts the server's text form of a copy has to escape or could mistake.
const std::vector<std::optional<QString>> kTexts = {
    std::nullopt,
    QString(),
    QStringLiteral("O'Brien \"quoted\" ; drop"),
    QStringLiteral("C:\\temp\\new"),
    QStringLiteral("tab\there"),
    QStringLiteral("line\nbreak\r\nand\rreturn"),
    QStringLiteral("\\N"),
    QStringLiteral("\\."),
    QStringLiteral("\\"),
    QStringLiteral("ünïcødé ✓ 😀"),
    QString(QChar(0xFEFF)) + QStringLiteral(" byte-order mark"),
    QStringLiteral("  blanks at both ends  "),
};

struct StoredEntry {
    qint64 id;
    std::optional<QString> date;
    std::optional<QString> hours;
    std::optional<QString> description;
    bool operator==(const StoredEntry&) const = default;
};

void PrintTo(const StoredEntry& entry, std::ostream* out)
{
    const auto text = [](const std::optional<QString>& value) {
        return value ? "'" + value->toStdString() + "'" : std::string("Null");
    };
    *out << entry.id << " " << text(entry.date) << " " << text(entry.hours) << " " << text(entry.description);
}

class BulkInsertTest : public StatementTest {
protected:
    std::vector<StoredEntry> stored()
    {
        data::PreparedStatement read(db(), QStringLiteral("SELECT \"ID\", \"Date Worked\", \"Hours\", "
                                                          "\"Work Description\" FROM \"Work Hours\" ORDER BY \"ID\""));
        std::vector<StoredEntry> entries;
        const auto cell = [&](int column) -> std::optional<QString> {
            if (read.isNull(column))
                return std::nullopt;
            return column == 2 ? QString::number(read.number(column), 'g', 17) : read.text(column);
        };
        while (read.next())
            entries.push_back({read.integer(0), cell(1), cell(2), cell(3)});
        return entries;
    }

    // Adds the entries in one bulk insert and returns them as they should be stored.
    std::vector<StoredEntry> addEntries(int count, int firstId)
    {
        BulkInsert insert(db(), QStringLiteral("Work Hours"), kEntryColumns);
        std::vector<StoredEntry> expected;
        for (int i = 0; i < count; ++i) {
            const qint64 id = firstId + 7 * i;  // with gaps, as old files have them
            const std::optional<QString>& text = kTexts[static_cast<size_t>(i) % kTexts.size()];
            // Long texts too, so that the rows go to the server in several pieces.
            const std::optional<QString> description =
                text && i >= static_cast<int>(kTexts.size()) ? *text + QString(200, u'x') : text;
            const double hours = i % 3 == 0 ? 0.1 * i : -1.0 / (i + 1);
            insert.bindInteger(1, id);
            insert.bindNull(2);
            if (i % 4 == 0)
                insert.bindNull(3);
            else
                insert.bindText(3, i % 2 ? QStringLiteral("2026-03-05") : QStringLiteral("2026-03-05T08:30:15"));
            insert.bindNumber(4, hours);
            if (description)
                insert.bindText(5, *description);
            else
                insert.bindNull(5);
            insert.add();
            expected.push_back({id,
                                i % 4 == 0 ? std::nullopt
                                           : std::optional<QString>(i % 2 ? QStringLiteral("2026-03-05")
                                                                          : QStringLiteral("2026-03-05T08:30:15")),
                                QString::number(hours, 'g', 17), description});
        }
        insert.finish();
        return expected;
    }
};
INSTANTIATE_TEST_SUITE_P(Engines, BulkInsertTest, backends(), backendName);

TEST_P(BulkInsertTest, KeepsEveryValueAndIdAsBound)
{
    data::Transaction transaction(db());
    const std::vector<StoredEntry> expected = addEntries(3000, 5);
    transaction.commit();
    EXPECT_EQ(stored(), expected);
    // Rows added afterwards are numbered past the IDs kept.
    execute(QStringLiteral("insert into [Work Hours] (Hours) values (1)"));
    EXPECT_EQ(lastId(QStringLiteral("Work Hours")), expected.back().id + 1);
}

TEST_P(BulkInsertTest, RowsWhoseIdsAreNeededSayWhichTheyReceived)
{
    // The numbering stands apart from anything else the database counts.
    execute(QStringLiteral("insert into Employees (ID,[First Name]) values (40,'Already')"));
    data::Transaction transaction(db());
    BulkInsert insert(db(), QStringLiteral("Employees"), {QStringLiteral("First Name")}, BulkInsert::Ids::Needed);
    std::vector<qint64> ids;
    for (const char* name : {"Ann", "Bob", "Cy"}) {
        insert.bindText(1, QString::fromLatin1(name));
        ids.push_back(insert.add());
    }
    insert.finish();
    transaction.commit();
    EXPECT_EQ(ids, (std::vector<qint64>{41, 42, 43}));
    EXPECT_EQ(value(QStringLiteral("select [First Name] from Employees where ID=42"), QStringLiteral("First Name")),
              QVariant(QStringLiteral("Bob")));
}

TEST_P(BulkInsertTest, ARefusedOrAbandonedCopyKeepsNoneOfItsRows)
{
    if (!onServer())
        GTEST_SKIP() << "a local file writes each row as it is added; the transaction's rollback undoes them";
    data::Transaction transaction(db());
    execute(QStringLiteral("insert into [Work Hours] (ID,Hours,[Work Description]) values (1000,1,'before')"));
    {
        // Abandoned half-way, as the import stops at a row it cannot read.
        BulkInsert insert(db(), QStringLiteral("Work Hours"), {QStringLiteral("Work Description")});
        for (int i = 0; i < 5000; ++i) {
            insert.bindText(1, QStringLiteral("abandoned %1").arg(i));
            insert.add();
        }
    }
    // Refused whole at its end: an ID that is taken. The transaction goes on
    // without it.
    BulkInsert insert(db(), QStringLiteral("Work Hours"), {QStringLiteral("ID"), QStringLiteral("Work Description")});
    for (const qint64 id : {2000, 1000}) {
        insert.bindInteger(1, id);
        insert.bindText(2, QStringLiteral("refused"));
        insert.add();
    }
    EXPECT_TRUE(errorOf([&] { insert.finish(); }).description().contains(QStringLiteral("duplicate key")));
    execute(QStringLiteral("insert into [Work Hours] (ID,Hours,[Work Description]) values (1001,1,'after')"));
    transaction.commit();
    EXPECT_EQ(rows(QStringLiteral("select [Work Description] from [Work Hours] order by ID")),
              (QList<QVariantList>{{QStringLiteral("before")}, {QStringLiteral("after")}}));
}

TEST_P(BulkInsertTest, ATextHoldingANulIsRefusedOnTheServerAndTheCopyKeepsNothing)
{
    if (!onServer())
        GTEST_SKIP() << "a local file stores a NUL as any other character";
    data::Transaction transaction(db());
    {
        BulkInsert insert(db(), QStringLiteral("Work Hours"), {QStringLiteral("Work Description")});
        insert.bindText(1, QStringLiteral("fine"));
        insert.add();
        EXPECT_EQ(errorOf([&] { insert.bindText(1, QStringLiteral("before") + QChar(0) + QStringLiteral("after")); })
                      .description(),
                  data::PostgresSession::nulRefused().description());
    }
    execute(QStringLiteral("insert into [Work Hours] ([Work Description]) values ('kept')"));
    transaction.commit();
    EXPECT_EQ(rows(QStringLiteral("select [Work Description] from [Work Hours]")),
              (QList<QVariantList>{{QStringLiteral("kept")}}));
}

TEST_P(BulkInsertTest, ACopyOpenWhenItsConnectionClosesIsGivenUpWithIt)
{
    db().BeginTrans();
    BulkInsert insert(db(), QStringLiteral("Work Hours"), {QStringLiteral("Hours")});
    insert.bindNumber(1, 1.5);
    insert.add();
    db().Close();
    EXPECT_EQ(errorOf([&] { insert.add(); }).number(), err::ConnectionUnusable);
    db().Open(onServer() ? m_server->address() : m_database.connectionString());
    EXPECT_TRUE(rows(QStringLiteral("select * from [Work Hours]")).isEmpty());
}

}  // namespace
}  // namespace hv::test
