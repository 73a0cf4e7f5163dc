// The import of old-format files, checked against the exact rows the test
// file holds: into an empty database (IDs kept) and into one with rows (IDs
// renumbered, links followed), and the files it must refuse untouched.
#include "fixtures/old_file_variants.h"
#include "support/qt_printers.h"
#include "support/test_environment.h"

#include "import/import_error.h"
#include "import/old_database_importer.h"
#include "import/old_format_signature.h"
#include "import/old_values.h"
#include "import/unusual_hours.h"
#include "data/connection.h"
#include "data/sqlite/handles.h"
#include "data/sqlite/session.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <cerrno>
#include <cstring>

#include <sys/stat.h>

// Readable failures for the rows compared below.
inline void PrintTo(const QVariant& value, std::ostream* out)
{
    *out << (value.isNull() ? std::string("Null") : value.toString().toStdString());
}

namespace hv::test {
namespace {

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QJsonObject expectedRows()
{
    return QJsonDocument::fromJson(bytesOf(oldFixtureRows())).object();
}

// A row of the JSON as the database should hold it: dates as stored (no time
// of day when it is midnight), yes/no as -1/0.
QVariantList storedForm(const QJsonArray& row, const QString& table)
{
    QVariantList values;
    for (qsizetype i = 0; i < row.size(); ++i) {
        const QJsonValue value = row.at(i);
        if (value.isNull()) {
            values << QVariant();
        } else if (value.isBool()) {
            values << QVariant(qint64(value.toBool() ? -1 : 0));
        } else if (value.isDouble()) {
            const bool whole = table != u"Work Hours" || i != 4;
            values << (whole ? QVariant(qint64(value.toDouble())) : QVariant(value.toDouble()));
        } else if (table == u"Work Hours" && i == 2) {
            const QString date = value.toString();
            values << (date.endsWith(u"T00:00") ? date.left(10) : date + QStringLiteral(":00"));
        } else {
            values << value.toString();
        }
    }
    return values;
}

class ImportTest : public ::testing::Test {
protected:
    ImportTest() { m_connection.Open(m_database.connectionString()); }

    import::ImportSummary importFile(const QString& path)
    {
        return import::OldDatabaseImporter(m_connection).importFile(path);
    }

    // Every row of a query, each value with the kind the engine stored.
    QList<QVariantList> rows(const QString& sql) const
    {
        data::DatabaseHandle db;
        sqlite3* raw = nullptr;
        sqlite3_open_v2(QFile::encodeName(m_database.path()).constData(), &raw, SQLITE_OPEN_READONLY, nullptr);
        db.reset(raw);
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(raw, sql.toUtf8().constData(), -1, &statement, nullptr);
        const data::StatementHandle owner(statement);
        QList<QVariantList> result;
        while (statement && sqlite3_step(statement) == SQLITE_ROW) {
            QVariantList row;
            for (int c = 0; c < sqlite3_column_count(statement); ++c) {
                switch (sqlite3_column_type(statement, c)) {
                case SQLITE_INTEGER: row << QVariant(qint64(sqlite3_column_int64(statement, c))); break;
                case SQLITE_FLOAT: row << QVariant(sqlite3_column_double(statement, c)); break;
                case SQLITE_TEXT:
                    row << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, c)),
                                             sqlite3_column_bytes(statement, c));
                    break;
                default: row << QVariant(); break;
                }
            }
            result << row;
        }
        return result;
    }

    qint64 number(const QString& sql) const { return rows(sql).value(0).value(0).toLongLong(); }

    TemporaryDatabase m_database;
    data::Connection m_connection;
};

TEST_F(ImportTest, IntoAnEmptyDatabaseEveryRowMatchesTheOldFileAndTheFileIsOnlyRead)
{
    QTemporaryDir folder;
    const QString copy = folder.filePath(QStringLiteral("old.mdb"));
    ASSERT_TRUE(QFile::copy(oldFixture(), copy));
    const QByteArray before = bytesOf(copy);

    const import::ImportSummary summary = importFile(copy);
    EXPECT_EQ(summary.employees, 5);
    EXPECT_EQ(summary.workCodes, 6);
    EXPECT_EQ(summary.entries, 2000);
    EXPECT_EQ(summary.entriesWithMissingLink, 21);
    EXPECT_TRUE(summary.idsKept);
    EXPECT_EQ(summary.ignoredColumns, QStringList());
    EXPECT_EQ(bytesOf(copy), before);

    const QJsonObject expected = expectedRows();
    const std::pair<const char*, const char*> tables[] = {
        {"Employees", "SELECT * FROM \"Employees\" ORDER BY \"ID\""},
        {"Work Codes", "SELECT * FROM \"Work Codes\" ORDER BY \"ID\""},
        {"Work Hours", "SELECT * FROM \"Work Hours\" ORDER BY \"ID\""}};
    for (const auto& [table, sql] : tables) {
        const QJsonArray want = expected.value(QLatin1String(table)).toArray();
        const QList<QVariantList> got = rows(QLatin1String(sql));
        ASSERT_EQ(got.size(), want.size()) << table;
        for (qsizetype r = 0; r < got.size(); ++r)
            ASSERT_EQ(got[r], storedForm(want.at(r).toArray(), QLatin1String(table))) << table << " row " << r + 1;
    }
    // Null and empty text stay apart, as the old file keeps them.
    EXPECT_EQ(number(QStringLiteral("SELECT count(*) FROM \"Work Hours\" WHERE \"Work Description\" IS NULL")), 194);
    EXPECT_EQ(number(QStringLiteral("SELECT count(*) FROM \"Work Hours\" WHERE \"Work Description\" = ''")), 178);
}

// Hours the program would refuse or ask about are imported as the old file
// holds them, and the summary names the entries and the employees' days.
TEST_F(ImportTest, UnusualHoursAreImportedAsFoundAndNamed)
{
    const QLocale previous;
    QLocale::setDefault(QLocale(QStringLiteral("en_US")));
    const import::ImportSummary summary = importFile(oldFixture());
    QLocale::setDefault(previous);

    QList<qint64> outOfRange;
    QHash<std::pair<qint64, QString>, double> days;
    for (const QJsonValue& row : expectedRows().value(QStringLiteral("Work Hours")).toArray()) {
        if (row[4].isNull())
            continue;
        const double hours = row[4].toDouble();
        if (hours < 0 || hours > 24)
            outOfRange << row[0].toInteger();
        if (!row[1].isNull() && !row[2].isNull())
            days[{row[1].toInteger(), row[2].toString().left(10)}] += hours;
    }
    QList<import::ImportSummary::BusyDay> busy;
    for (auto day = days.cbegin(); day != days.cend(); ++day) {
        if (day.value() > 24)
            busy.append({day.key().first, QDate::fromString(day.key().second, Qt::ISODate), day.value()});
    }
    ASSERT_GT(outOfRange.size(), 10);
    ASSERT_EQ(busy.size(), 1);
    EXPECT_EQ(summary.entries, 2000);
    EXPECT_EQ(summary.entriesWithHoursOutOfRange, outOfRange);
    EXPECT_TRUE(summary.entriesWithZeroHours.isEmpty());
    EXPECT_EQ(summary.busyDays, busy);

    QLocale::setDefault(QLocale(QStringLiteral("en_US")));
    const QString text = summary.text();
    QLocale::setDefault(previous);
    QStringList firstTen;
    for (qsizetype i = 0; i < 10; ++i)
        firstTen << QString::number(outOfRange.at(i));
    EXPECT_TRUE(text.contains(QStringLiteral("\r\nEntries with hours below 0 or above 24, imported as found: %1 (IDs %2, …).")
                                  .arg(outOfRange.size())
                                  .arg(firstTen.join(QStringLiteral(", ")))))
        << text.toStdString();
    EXPECT_TRUE(text.endsWith(QStringLiteral("\r\nDays on which one employee has more than 24 hours: 1 (employee %1 on "
                                             "%2: %3 hours).")
                                  .arg(busy[0].employee)
                                  .arg(busy[0].day.toString(QStringLiteral("M/d/yyyy")))
                                  .arg(busy[0].hours)))
        << text.toStdString();
}

// The tally behind those lines: zero hours, and a day's hours only for
// entries that have both an employee and a day.
TEST(UnusualHoursTest, NamesZeroHoursAndCountsOnlyDaysOfAnEmployee)
{
    import::UnusualHours tally;
    const QDate day(2026, 11, 30);
    tally.add(1, 7, day, 0);
    tally.add(2, 7, day, 20);
    tally.add(3, std::nullopt, day, 10);
    tally.add(4, 8, day, 10);
    tally.add(5, 7, QDate(), 10);
    tally.add(6, 7, day, 4);
    import::ImportSummary summary;
    tally.report(summary);
    EXPECT_EQ(summary.entriesWithZeroHours, QList<qint64>{1});
    EXPECT_TRUE(summary.entriesWithHoursOutOfRange.isEmpty());
    EXPECT_TRUE(summary.busyDays.isEmpty());  // 24 hours is the limit itself

    tally.add(7, 7, day, 0.25);
    tally.report(summary);
    EXPECT_EQ(summary.busyDays, (QList<import::ImportSummary::BusyDay>{{7, day, 24.25}}));
    EXPECT_TRUE(summary.text().contains(QStringLiteral("Entries with 0 hours: 1 (ID 1).")));
}

// Into an empty database and into one that already holds rows.
class ImportLinksTest : public ImportTest, public ::testing::WithParamInterface<bool> {};

TEST_P(ImportLinksTest, EntriesFollowTheirRecordsAndMissingRecordsKeepNumbersOfTheirOwn)
{
    const bool holdsRows = GetParam();
    if (holdsRows) {
        m_connection.Execute(QStringLiteral("insert into Employees ([First Name],[Last Name]) values ('Zoe','Old')"));
        m_connection.Execute(QStringLiteral("insert into Employees ([First Name],[Last Name]) values ('Yan','Old')"));
        m_connection.Execute(QStringLiteral("insert into [Work Codes] (Description,Billable) values ('Old code',TRUE)"));
        m_connection.Execute(QStringLiteral("insert into [Work Hours] (Employee,[Date Worked],[Work Code],Hours,"
                                            "[Work Description]) values (2,'2020-01-01',1,'3','old entry')"));
    }
    const import::ImportSummary summary = importFile(oldFixture());
    EXPECT_EQ(summary.idsKept, !holdsRows);
    EXPECT_EQ(summary.entriesWithMissingLink, 21);

    const QJsonObject expected = expectedRows();
    QHash<qint64, QString> oldNames;
    for (const QJsonValue& row : expected.value(QStringLiteral("Employees")).toArray())
        oldNames.insert(row[0].toInteger(), row[1].toString() + u'|' + row[2].toString());
    QHash<qint64, QString> oldCodes;
    for (const QJsonValue& row : expected.value(QStringLiteral("Work Codes")).toArray())
        oldCodes.insert(row[0].toInteger(), row[1].toString());

    const QList<QVariantList> entries = rows(QStringLiteral(
        "SELECT h.\"ID\", h.\"Employee\", e.\"First Name\" || '|' || e.\"Last Name\", w.\"Description\" "
        "FROM \"Work Hours\" AS h LEFT JOIN \"Employees\" AS e ON e.\"ID\" = h.\"Employee\" "
        "LEFT JOIN \"Work Codes\" AS w ON w.\"ID\" = h.\"Work Code\" "
        "WHERE h.\"Work Description\" IS NOT 'old entry' ORDER BY h.\"ID\""));
    const QJsonArray oldEntries = expected.value(QStringLiteral("Work Hours")).toArray();
    ASSERT_EQ(entries.size(), oldEntries.size());
    QSet<qint64> missingNumbers;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const QJsonArray old = oldEntries.at(i).toArray();
        EXPECT_EQ(entries[i][0].toLongLong() == old[0].toInteger(), !holdsRows) << "entry " << i + 1;
        EXPECT_EQ(entries[i][3].toString(), oldCodes.value(old[3].toInteger())) << "entry " << i + 1;
        if (oldNames.contains(old[1].toInteger())) {
            EXPECT_EQ(entries[i][2].toString(), oldNames.value(old[1].toInteger())) << "entry " << i + 1;
        } else {
            EXPECT_TRUE(entries[i][2].isNull()) << "entry " << i + 1;
            missingNumbers.insert(entries[i][1].toLongLong());
        }
    }
    // The entries of the one missing employee share one number that no record holds...
    ASSERT_EQ(missingNumbers.size(), 1);
    const qint64 missing = *missingNumbers.begin();
    if (!holdsRows) {
        EXPECT_EQ(missing, 6);
    }
    // ...and an employee added afterwards never takes it.
    m_connection.Execute(QStringLiteral("insert into Employees ([First Name],[Last Name]) values ('New','Hire')"));
    EXPECT_GT(number(QStringLiteral("SELECT max(\"ID\") FROM \"Employees\"")), missing);
    EXPECT_EQ(number(QStringLiteral("SELECT count(*) FROM \"Employees\" WHERE \"ID\" = %1").arg(missing)), 0);
    if (holdsRows) {
        EXPECT_EQ(rows(QStringLiteral("SELECT \"First Name\" FROM \"Employees\" WHERE \"ID\" <= 2 ORDER BY \"ID\"")),
                  (QList<QVariantList>{{QStringLiteral("Zoe")}, {QStringLiteral("Yan")}}));
    }
}

INSTANTIATE_TEST_SUITE_P(Database, ImportLinksTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "HoldingRows" : "Empty"; });

// Files that cannot be imported: refused with the file and the reason named,
// and the database left byte for byte as it was, even after the import had
// written part of the file's rows.
class BadOldFileTest : public ImportTest, public ::testing::WithParamInterface<BadOldFile> {};

TEST_P(BadOldFileTest, IsRefusedWithItsReasonAndNothingIsWritten)
{
    m_connection.Execute(QStringLiteral("insert into Employees ([First Name]) values ('Kept')"));
    const QByteArray before = bytesOf(m_database.path());
    QTemporaryDir folder;
    const QString path = makeBadOldFile(GetParam(), folder.path());

    QString message;
    try {
        importFile(path);
    } catch (const import::ImportError& error) {
        message = error.message();
    }
    EXPECT_TRUE(message.contains(path)) << message.toStdString();
    EXPECT_TRUE(message.contains(reasonOf(GetParam()))) << message.toStdString();
    EXPECT_FALSE(m_connection.inTransaction());
    m_connection.Close();
    EXPECT_EQ(bytesOf(m_database.path()), before);
}

INSTANTIATE_TEST_SUITE_P(Files, BadOldFileTest,
                         ::testing::Values(BadOldFile::TruncatedMidPage, BadOldFile::TruncatedAtPage,
                                           BadOldFile::Encrypted, BadOldFile::NewerEngine, BadOldFile::MissingTable,
                                           BadOldFile::NotOldFormat, BadOldFile::DoesNotExist, BadOldFile::Folder,
                                           BadOldFile::NoteLongerThanStored, BadOldFile::NoteChainCut,
                                           BadOldFile::NoteMarkedInline, BadOldFile::NoteElsewhere,
                                           BadOldFile::RowWarnedAbout));

// A database that cannot take the rows (its disk full) is named with the
// system's reason, and keeps nothing of the import.
TEST_F(ImportTest, ADatabaseThatCannotBeWrittenIsNamedWithTheSystemsReason)
{
    const QByteArray before = bytesOf(m_database.path());
    // The engine's own limit on the file's size says what a full disk says.
    ASSERT_EQ(sqlite3_exec(data::SqliteSession::handleOf(m_connection), "PRAGMA max_page_count = 40", nullptr, nullptr, nullptr), SQLITE_OK);
    QString message;
    try {
        importFile(oldFixture());
    } catch (const import::ImportError& error) {
        message = error.message();
    }
    EXPECT_TRUE(message.startsWith(QStringLiteral("Cannot import '%1': the database '%2' cannot be written: %3")
                                       .arg(oldFixture(), m_database.path(),
                                            QString::fromLocal8Bit(std::strerror(ENOSPC)))))
        << message.toStdString();
    m_connection.Close();
    EXPECT_EQ(bytesOf(m_database.path()), before);
}

struct DateCase {
    double days;
    const char* text;  // nullptr: not a date
};

class OldDateTest : public ::testing::TestWithParam<DateCase> {};

TEST_P(OldDateTest, BecomesIsoTextWithItsTimeOfDay)
{
    const std::optional<QString> text = import::values::dateText(GetParam().days);
    if (GetParam().text)
        EXPECT_EQ(text.value_or(QStringLiteral("(none)")), QString::fromLatin1(GetParam().text));
    else
        EXPECT_FALSE(text.has_value()) << text->toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Values, OldDateTest,
    ::testing::Values(DateCase{0.0, "1899-12-30"}, DateCase{1.5, "1899-12-31T12:00:00"},
                      DateCase{43466.604166666664, "2019-01-01T14:30:00"},
                      // Before the epoch the whole part counts back, the fraction forward.
                      DateCase{-1.25, "1899-12-29T06:00:00"},
                      // A time a hair before midnight is the next day.
                      DateCase{43466.9999999999, "2019-01-02"}, DateCase{2958465.0, "9999-12-31"},
                      DateCase{-657434.0, "0100-01-01"}, DateCase{2958466.0, nullptr}, DateCase{-657435.0, nullptr},
                      DateCase{std::numeric_limits<double>::quiet_NaN(), nullptr}));

TEST(OldFormatSignatureTest, TheHeaderDecidesNeverTheName)
{
    QTemporaryDir folder;
    const auto write = [&](const char* name, const QByteArray& bytes) {
        QFile file(folder.filePath(QLatin1String(name)));
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        return file.fileName();
    };
    QByteArray jet3 = bytesOf(oldFixture());
    jet3[0x14] = 0x00;
    using Signature = import::OldFormatSignature;
    EXPECT_EQ(Signature::of(oldFixture()), Signature::Jet4);
    EXPECT_EQ(Signature::of(write("older.dat", jet3)), Signature::Jet3);
    EXPECT_EQ(Signature::of(makeBadOldFile(BadOldFile::NewerEngine, folder.path())), Signature::NewerEngine);
    EXPECT_EQ(Signature::of(programFolder() + QStringLiteral("/dbBlank.mdb")), Signature::NotOldFormat);
    EXPECT_EQ(Signature::of(write("empty.mdb", QByteArray())), Signature::NotOldFormat);
    EXPECT_EQ(Signature::of(folder.filePath(QStringLiteral("absent.mdb"))), Signature::NotOldFormat);
    // A pipe nobody writes into is judged without being read, at once.
    const QString pipe = folder.filePath(QStringLiteral("pipe.mdb"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    EXPECT_EQ(Signature::of(pipe), Signature::NotOldFormat);
}

}  // namespace
}  // namespace hv::test
