// Hostile texts typed into the real editors: every value that reaches the
// database comes back byte for byte, in the file, in the boxes and after a
// save of the unchanged record; every value that cannot be stored is refused
// with a message before anything is written.
#include "catalog/employee_editor.h"
#include "catalog/notes_box.h"
#include "catalog/work_code_editor.h"
#include "fixtures/catalog_fixture.h"
#include "entries/entry_editor.h"
#include "hostile_text.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QLocale>

namespace hv::test {
namespace {

// The fuzz writes some hundreds of records, each synced to disk as it is
// saved; it is about values, not disks, so its files go to a folder in
// memory when the machine has one.
class FilesInMemory : public ::testing::Environment {
public:
    void SetUp() override
    {
        const QFileInfo shared(QStringLiteral("/dev/shm"));
        if (shared.isDir() && shared.isWritable())
            qputenv("TMPDIR", QByteArrayLiteral("/dev/shm"));
    }
};
[[maybe_unused]] const ::testing::Environment* const kFilesInMemory =
    ::testing::AddGlobalTestEnvironment(new FilesInMemory);

// What a save of these texts must end in: stored, or this message.
QString refusalFor(const QList<QPair<QString, QString>>& captionsAndTexts)
{
    for (const auto& [caption, text] : captionsAndTexts) {
        if (text.contains(QChar(0)))
            return QStringLiteral("The box \"%1\" contains a NUL character (code 0), which cannot be stored. "
                                  "Delete it (it is selected) and save again.")
                .arg(caption);
    }
    return {};
}

const QStringList kEmployeeCaptions = {"First Name",   "Last Name",  "Job Title", "Company",
                                       "Business Phone", "Home Phone", "Mobile Phone", "Fax Number",
                                       "Address",      "City",       "State",     "Postal Code",
                                       "Country",      "Email Address", "Webpage", "Notes"};
const QByteArray kEmployeeColumns = "\"First Name\",\"Last Name\",\"Job Title\",\"Company\",\"Business Phone\","
                                    "\"Home Phone\",\"Mobile Phone\",\"Fax Number\",\"Address\",\"City\",\"State\","
                                    "\"ZIP\",\"Country\",\"E-mail Address\",\"Web Page\",\"Notes\"";

struct FuzzCase {
    quint32 seed;
    const char* locale;
};

void PrintTo(const FuzzCase& c, std::ostream* os)
{
    *os << c.seed << " " << c.locale;
}

// Each seed on the local file and on the test server.
class StatementFuzz : public CatalogTest, public ::testing::WithParamInterface<std::tuple<Backend, FuzzCase>> {
protected:
    StatementFuzz() : CatalogTest(std::get<0>(GetParam())) {}
    const FuzzCase& fuzzCase() const { return std::get<1>(GetParam()); }

    void SetUp() override
    {
        CatalogTest::SetUp();
        if (IsSkipped())
            return;
        QLocale::setDefault(QLocale(QString::fromLatin1(fuzzCase().locale)));
        execute(QStringLiteral("insert into Employees ([First Name],[Last Name],Notes) values ('Kept','Sentinel','a\r\nb')"));
        execute(QStringLiteral("insert into [Work Codes] (Description,Billable) values ('Kept code',TRUE)"));
        execute(QStringLiteral("insert into [Work Hours] (Employee,[Date Worked],[Work Code],Hours,[Work Description]) "
                               "values (1,'2024-03-05',1,'8','kept entry')"));
    }

    void TearDown() override
    {
        QLocale::setDefault(m_locale);
        CatalogTest::TearDown();
    }

    // The stored bytes of the first column of each row of a query.
    QList<QByteArray> storedRows(const QByteArray& sql) const
    {
        return onServer() ? m_server->storedBytes(sql) : storedBytes(m_db.path(), sql);
    }

    // The stored bytes of one column of one row.
    QByteArray stored(const char* table, const QByteArray& column, const QString& id) const
    {
        const QList<QByteArray> found =
            storedRows("select " + column + " from \"" + table + "\" where \"ID\"=" + id.toLatin1());
        return found.isEmpty() ? QByteArray("<no row>") : found.first();
    }

    // One message box shown, with this text (the success message when empty).
    void expectOnly(const QString& message, const QString& success, const QString& context)
    {
        EXPECT_EQ(m_ui.messages().size(), 1) << context.toStdString();
        if (!m_ui.messages().isEmpty()) {
            EXPECT_EQ(m_ui.messages().at(0).text, message.isEmpty() ? success : message) << context.toStdString();
        }
        m_ui.clear();
    }

    // After a new record's save: checks its one message and returns whether
    // it stored a row, whose ID is then in `id`; a refused one adds none.
    bool saved(const QString& refusal, const QString& table, const QString& before, const QString& context,
               QString& id)
    {
        expectOnly(refusal, QStringLiteral("Record Successfully Saved"), context);
        id = lastId(table);
        if (!refusal.isEmpty()) {
            ++m_refused;
            EXPECT_EQ(id, before) << context.toStdString();
            return false;
        }
        ++m_saved;
        return true;
    }

    void employees(const QStringList& values);
    void workCode(const QString& value);
    void entry(const QString& value);

    int m_saved = 0;
    int m_refused = 0;

private:
    QLocale m_locale;
};

QString boxText(Form3& form, int number)
{
    return number == 16 ? form.notes()->text() : form.box(number)->text();
}

void StatementFuzz::employees(const QStringList& values)
{
    QList<QPair<QString, QString>> named;
    for (int i = 0; i < 16; ++i)
        named.append({kEmployeeCaptions.at(i), values.at(i)});
    QString expected = refusalFor(named);
    if (values.at(1).trimmed().isEmpty())
        expected = QStringLiteral("You forgot to input last name.");
    if (values.at(0).trimmed().isEmpty())
        expected = QStringLiteral("You forgot to input first name.");

    const QString before = lastId(QStringLiteral("Employees"));
    open<Form3>({}, [&](Form3& form) {
        for (int number = 1; number <= 16; ++number) {
            if (number == 16)
                form.notes()->setText(values.at(15));
            else
                form.box(number)->setText(values.at(number - 1));
        }
        press(form, QStringLiteral("PushButton2"));
    });
    QString id;
    if (!saved(expected, QStringLiteral("Employees"), before, values.join(u'|'), id))
        return;
    const QList<QByteArray> columns = kEmployeeColumns.split(',');
    const auto expectStored = [&](const char* when) {
        for (int i = 0; i < 16; ++i)
            EXPECT_EQ(stored("Employees", columns.at(i), id), values.at(i).toUtf8()) << when << " box " << i + 1;
    };
    expectStored("saved");
    open<Form3>(id, [&](Form3& form) {
        for (int number = 1; number <= 16; ++number)
            EXPECT_EQ(boxText(form, number), values.at(number - 1)) << "shown, box " << number;
        press(form, QStringLiteral("PushButton2"));
    });
    expectOnly({}, QStringLiteral("Record Successfully Updated"), id);
    expectStored("saved again unchanged");
}

void StatementFuzz::workCode(const QString& value)
{
    QString expected = refusalFor({{QStringLiteral("Description"), value}});
    if (value.trimmed().isEmpty())
        expected = QStringLiteral("You forgot to input first name.");
    const QString before = lastId(QStringLiteral("Work Codes"));
    open<Form5>({}, [&](Form5& form) {
        form.description()->setText(value);
        press(form, QStringLiteral("PushButton2"));
    });
    QString id;
    if (!saved(expected, QStringLiteral("Work Codes"), before, value, id))
        return;
    EXPECT_EQ(stored("Work Codes", "\"Description\"", id), value.toUtf8());
    open<Form5>(id, [&](Form5& form) {
        EXPECT_EQ(form.description()->text(), value);
        press(form, QStringLiteral("PushButton2"));
    });
    expectOnly({}, QStringLiteral("Record Successfully Updated"), id);
    EXPECT_EQ(stored("Work Codes", "\"Description\"", id), value.toUtf8()) << "saved again unchanged";
}

void StatementFuzz::entry(const QString& value)
{
    const QString expected = refusalFor({{QStringLiteral("Description"), value}});
    const QString before = lastId(QStringLiteral("Work Hours"));
    open<Form2>({}, [&](Form2& form) {
        form.findChild<QComboBox*>(QStringLiteral("Combo1"))->setCurrentIndex(0);
        form.findChild<QComboBox*>(QStringLiteral("Combo2"))->setCurrentIndex(0);
        // One hour each: a seed's 21 entries on one day stay within a day's 24 hours.
        form.findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(QStringLiteral("1"));
        form.findChild<QLineEdit*>(QStringLiteral("Text3"))->setText(value);
        press(form, QStringLiteral("PushButton2"));
    });
    QString id;
    if (!saved(expected, QStringLiteral("Work Hours"), before, value, id))
        return;
    EXPECT_EQ(stored("Work Hours", "\"Work Description\"", id), value.toUtf8());
    const QByteArray worked = stored("Work Hours", "\"Date Worked\"", id);
    open<Form2>(id, [&](Form2& form) {
        EXPECT_EQ(form.findChild<QLineEdit*>(QStringLiteral("Text3"))->text(), value);
        press(form, QStringLiteral("PushButton2"));
    });
    expectOnly({}, QStringLiteral("Record Successfully Updated"), id);
    EXPECT_EQ(stored("Work Hours", "\"Work Description\"", id), value.toUtf8()) << "saved again unchanged";
    EXPECT_EQ(stored("Work Hours", "\"Date Worked\"", id), worked);
}

// 250 texts for each seed: 208 into the employee editor's sixteen boxes, 21
// as work-code descriptions, 21 as entry descriptions.
TEST_P(StatementFuzz, EveryTextIsStoredByteForByteOrClearlyRefused)
{
    HostileText texts(fuzzCase().seed);
    for (int record = 0; record < 13; ++record) {
        QStringList values;
        for (int box = 0; box < 16; ++box)
            values << texts.next();
        employees(values);
    }
    for (int i = 0; i < 21; ++i)
        workCode(texts.next());
    for (int i = 0; i < 21; ++i)
        entry(texts.next());

    // What was there before is untouched, and nothing was written twice.
    EXPECT_EQ(stored("Employees", "\"Notes\"", QStringLiteral("1")), QByteArray("a\r\nb"));
    EXPECT_EQ(stored("Work Codes", "\"Description\"", QStringLiteral("1")), QByteArray("Kept code"));
    EXPECT_EQ(stored("Work Hours", "\"Work Description\"", QStringLiteral("1")), QByteArray("kept entry"));
    const int rows = storedRows("select \"ID\" from \"Employees\"").size()
        + storedRows("select \"ID\" from \"Work Codes\"").size()
        + storedRows("select \"ID\" from \"Work Hours\"").size();
    EXPECT_EQ(rows, 3 + m_saved);
    EXPECT_GT(m_refused, 0);
    EXPECT_TRUE(m_ui.errorReports().isEmpty());
    RecordProperty("saved", m_saved);
    RecordProperty("refused", m_refused);
}

INSTANTIATE_TEST_SUITE_P(Seeds, StatementFuzz,
                         ::testing::Combine(backends(),
                                            ::testing::Values(FuzzCase{20240514, "en_US"}, FuzzCase{7, "de_DE"},
                                                              FuzzCase{1234567, "fr_FR"}, FuzzCase{99991, "ru_RU"})),
                         [](const ::testing::TestParamInfo<std::tuple<Backend, FuzzCase>>& info) {
                             const FuzzCase& c = std::get<1>(info.param);
                             return std::string(std::get<0>(info.param) == Backend::Local ? "Local_" : "Server_")
                                 + c.locale + "_" + std::to_string(c.seed);
                         });

}  // namespace
}  // namespace hv::test
