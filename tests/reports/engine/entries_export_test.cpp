// The export of every entry writes each date as it is stored, whatever the
// time zone: across a change to summer time, in a zone whose clocks skip
// midnight, and at a time of day the change skips.
#include "reports/engine/entries_export.h"
#include "support/qt_printers.h"
#include "support/test_environment.h"
#include "support/xlsx_reader.h"

#include "data/connection.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <ctime>

namespace hv::test {
namespace {

// The process's time zone for the life of the object.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone) : m_had(qEnvironmentVariableIsSet("TZ")), m_old(qgetenv("TZ"))
    {
        qputenv("TZ", zone);
        tzset();
    }
    ~ScopedTimeZone()
    {
        if (m_had)
            qputenv("TZ", m_old);
        else
            qunsetenv("TZ");
        tzset();
    }
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

private:
    bool m_had;
    QByteArray m_old;
};

// Days on both sides of the changes of 2026 in Berlin (29 March, 25
// October) and Santiago (6 September, whose midnight does not exist there),
// and times of day the spring changes skip.
const char* const kStored[] = {"2026-03-28", "2026-03-29", "2026-03-30", "2026-09-05", "2026-09-06",
                               "2026-10-25", "2026-03-29T02:30:00", "2026-09-06T00:30:00"};

class EntriesExportZones : public ::testing::TestWithParam<const char*> {};

TEST_P(EntriesExportZones, WritesEveryStoredDateAsItIs)
{
    const TemporaryDatabase database;
    data::Connection connection;
    connection.Open(database.connectionString());
    connection.Execute(QStringLiteral("insert into Employees ([First Name],[Last Name]) values ('Ann','Archer')"));
    connection.Execute(QStringLiteral("insert into [Work Codes] (Description,Billable) values ('Design',TRUE)"));
    QByteArray expected = "ID,Employee,Date Worked,Work Code,Hours,Billable,Work Description\r\n";
    int id = 0;
    for (const char* stored : kStored) {
        connection.Execute(QStringLiteral("insert into [Work Hours] (Employee,[Date Worked],[Work Code],Hours) "
                                          "values (1,'%1',1,1)")
                               .arg(QLatin1String(stored)));
        expected += QByteArray::number(++id) + ",Ann Archer," + stored + ",Design,1,Yes,\r\n";
    }

    const ScopedTimeZone zone(GetParam());
    QBuffer csv;
    csv.open(QIODevice::WriteOnly);
    reports::EntriesExport::write(connection, csv, reports::EntriesExport::Format::Csv);
    EXPECT_EQ(csv.data(), expected);

    const QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("entries.xlsx"));
    QFile xlsx(path);
    ASSERT_TRUE(xlsx.open(QIODevice::WriteOnly));
    reports::EntriesExport::write(connection, xlsx, reports::EntriesExport::Format::Xlsx);
    xlsx.close();
    const XlsxSheetRead sheet = readXlsx(path);
    for (int row = 1; row <= id; ++row) {
        const QString stored = QString::fromLatin1(kStored[row - 1]);
        const XlsxCell cell = sheet.at(row, 2);
        EXPECT_EQ(cell.type, QStringLiteral("d")) << stored.toStdString();
        EXPECT_EQ(cell.value.toString(), stored.size() == 10 ? stored + QStringLiteral("T00:00:00") : stored);
    }
}

INSTANTIATE_TEST_SUITE_P(Zones, EntriesExportZones,
                         ::testing::Values("UTC", "Europe/Berlin", "America/Santiago", "Pacific/Kiritimati"),
                         [](const auto& info) {
                             std::string name = info.param;
                             for (char& c : name)
                                 c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             return name;
                         });

}  // namespace
}  // namespace hv::test
