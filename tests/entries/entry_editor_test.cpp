#include "entries/entry_editor.h"

#include "core/twips.h"
#include "catalog/employee_editor.h"
#include "catalog/work_code_editor.h"
#include "fixtures/catalog_fixture.h"
#include "fixtures/database_fixture.h"
#include "gui/date_box.h"
#include "gui/eliding_combo_box.h"
#include "core/locale_text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QFile>
#include <QPushButton>
#include <QTest>
#include <sqlite3.h>

namespace hv::test {
namespace {

// The locale in force for one test.
class LocaleScope {
public:
    explicit LocaleScope(const char* name) { QLocale::setDefault(QLocale(QString::fromLatin1(name))); }
    ~LocaleScope() { QLocale::setDefault(m_previous); }

private:
    QLocale m_previous;
};

class EntryEditorTest : public CatalogTest {
protected:
    explicit EntryEditorTest(Backend backend = Backend::Local) : CatalogTest(backend) {}

    void SetUp() override
    {
        CatalogTest::SetUp();
        if (IsSkipped())
            return;
        execute(QStringLiteral("insert into Employees ([First Name],[Last Name]) values ('Ann','Archer')"));
        execute(QStringLiteral("insert into Employees ([First Name],[Last Name]) values ('Cid','Carter')"));
        execute(QStringLiteral("insert into [Work Codes] (Description,Billable) values ('Design',TRUE)"));
        execute(QStringLiteral("insert into [Work Codes] (Description,Billable) values ('Meetings',FALSE)"));
    }

    QLineEdit* hours(Form2& form) const { return form.findChild<QLineEdit*>(QStringLiteral("Text1")); }
    QLineEdit* description(Form2& form) const { return form.findChild<QLineEdit*>(QStringLiteral("Text3")); }
    QComboBox* employee(Form2& form) const { return form.findChild<QComboBox*>(QStringLiteral("Combo1")); }
    QComboBox* workCode(Form2& form) const { return form.findChild<QComboBox*>(QStringLiteral("Combo2")); }
    DateBox* date(Form2& form) const { return form.findChild<DateBox*>(QStringLiteral("DateTimePicker1")); }

    void fill(Form2& form, const QString& hoursText, const QString& text = QStringLiteral("work"))
    {
        employee(form)->setCurrentIndex(1);
        workCode(form)->setCurrentIndex(0);
        hours(form)->setText(hoursText);
        description(form)->setText(text);
    }

    // Employee, date, work code, hours and description of every stored entry.
    QList<QVariantList> entries() const
    {
        return rows(QStringLiteral(
            "select Employee, [Date Worked], [Work Code], Hours, [Work Description] from [Work Hours]"));
    }
};

// The editor's saves and the pickers' deletes, on the local file and on a server.
class EntryEditorOnBoth : public EntryEditorTest, public ::testing::WithParamInterface<Backend> {
protected:
    EntryEditorOnBoth() : EntryEditorTest(GetParam()) {}
};
INSTANTIATE_TEST_SUITE_P(Backends, EntryEditorOnBoth, backends(), backendName);

TEST_F(EntryEditorTest, OpensEmptyWithTodayAndItsControlsInPlace)
{
    open<Form2>({}, [this](Form2& form) {
        EXPECT_EQ(form.size(), QSize(twips::toPixels(4095), twips::toPixels(5325)));
        EXPECT_EQ(employee(form)->geometry(), twips::rect(120, 885, 2520, 345));
        EXPECT_EQ(date(form)->geometry(), twips::rect(120, 1725, 3840, 345));
        EXPECT_EQ(date(form)->date(), QDate::currentDate());
        EXPECT_NE(date(form)->findChild<QWidget*>(QStringLiteral("Calendar")), nullptr);
        EXPECT_EQ(employee(form)->toolTip(), QStringLiteral("Double click to edit contact"));
        EXPECT_EQ(workCode(form)->toolTip(), QStringLiteral("Double click to edit contact"));
        EXPECT_FALSE(employee(form)->isEditable());

        // Both pickers filled, neither with a selection.
        EXPECT_EQ(employee(form)->count(), 2);
        EXPECT_EQ(employee(form)->itemText(0), QStringLiteral("Ann Archer"));
        EXPECT_EQ(workCode(form)->count(), 2);
        EXPECT_EQ(employee(form)->currentIndex(), -1);
        EXPECT_EQ(workCode(form)->currentIndex(), -1);
        EXPECT_EQ(form.employees().idAt(2), QStringLiteral("2"));

        auto* id = form.findChild<QLineEdit*>(QStringLiteral("Text2"));
        EXPECT_FALSE(id->isEnabled());
        EXPECT_TRUE(id->text().isEmpty());

        // The employee picker first, then its three buttons, the date, the
        // work-code picker and its buttons, hours, description, Save, Cancel.
        EXPECT_EQ(form.focusWidget(), employee(form));
        QStringList order;
        QWidget* w = employee(form);
        for (int i = 0; i < 12; ++i) {
            w = nextTabStop(w);
            order << w->objectName();
        }
        EXPECT_EQ(order, (QStringList{"PushButton5", "PushButton9", "PushButton6", "DateTimePicker1", "Combo2",
                                      "PushButton3", "PushButton10", "PushButton4", "Text1", "Text3", "PushButton2",
                                      "PushButton1"}));
    });
}

// A name too long for its picker ends in "…" where it is cut, is whole in
// the list and in currentText(), and the picker keeps its own tooltip.
TEST_F(EntryEditorTest, PickersEndACutNameWithAnEllipsis)
{
    const QString longCode = QStringLiteral("Customer support (phone, e-mail and remote sessions)");
    execute(QStringLiteral("insert into [Work Codes] (Description,Billable) values ('%1',TRUE)").arg(longCode));
    open<Form2>({}, [&](Form2& form) {
        auto* picker = qobject_cast<ElidingComboBox*>(workCode(form));
        ASSERT_NE(picker, nullptr);
        picker->setCurrentIndex(picker->findText(longCode));
        EXPECT_EQ(picker->currentText(), longCode);
        const QString shown = picker->shownText();
        ASSERT_TRUE(shown.endsWith(QChar(0x2026))) << shown.toStdString();
        EXPECT_TRUE(longCode.startsWith(shown.chopped(1))) << shown.toStdString();
        EXPECT_EQ(picker->toolTip(), QStringLiteral("Double click to edit contact"));
        picker->setCurrentIndex(picker->findText(QStringLiteral("Design")));
        EXPECT_EQ(picker->shownText(), QStringLiteral("Design"));
    });
}

TEST_F(EntryEditorTest, ChecksRunInOrderAndLeaveTheFocusOnTheControlNamed)
{
    open<Form2>({}, [this](Form2& form) {
        const auto pressSave = [&] {
            m_ui.clear();
            press(form, QStringLiteral("PushButton2"));
            return m_ui.messages().size() == 1 ? m_ui.messages().at(0).text : QStringLiteral("<several or none>");
        };
        EXPECT_EQ(pressSave(), QStringLiteral("You forgot to input Hours."));
        EXPECT_EQ(form.focusWidget(), hours(form));

        hours(form)->setText(QStringLiteral("eight"));
        description(form)->setFocus();
        EXPECT_EQ(pressSave(), QStringLiteral("Hours must be numeric."));
        EXPECT_EQ(form.focusWidget(), hours(form));

        hours(form)->setText(QStringLiteral(" 8 "));
        EXPECT_EQ(pressSave(), QStringLiteral("You forgot to select Employee."));
        EXPECT_EQ(form.focusWidget(), employee(form));

        employee(form)->setCurrentIndex(0);
        EXPECT_EQ(pressSave(), QStringLiteral("You forgot to select Work Code."));
        EXPECT_EQ(form.focusWidget(), workCode(form));
        EXPECT_TRUE(form.isVisible());
        EXPECT_EQ(m_ui.messages().at(0).icon, QMessageBox::NoIcon);
    });
    EXPECT_TRUE(entries().isEmpty());
}

struct HoursCase {
    const char* typed;
    const char* message;  // empty: stored as the number
};

class EntryHoursTest : public EntryEditorTest, public ::testing::WithParamInterface<HoursCase> {};

TEST_P(EntryHoursTest, AreRefusedWithTheFirstFailingCheckOrStoredAsTyped)
{
    const HoursCase& c = GetParam();
    open<Form2>({}, [&](Form2& form) {
        fill(form, QString::fromUtf8(c.typed));
        press(form, QStringLiteral("PushButton2"));
    });
    const QString message = QString::fromUtf8(c.message);
    if (message.isEmpty()) {
        EXPECT_EQ(messageTexts(), QStringList{QStringLiteral("Record Successfully Saved")});
        ASSERT_EQ(entries().size(), 1);
        EXPECT_EQ(entries().at(0).at(3).toDouble(), text::textToHours(QString::fromUtf8(c.typed)).value());
    } else {
        EXPECT_EQ(messageTexts(), QStringList{message});
        EXPECT_TRUE(m_stillOpenAfterScript);
        EXPECT_TRUE(entries().isEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Typed, EntryHoursTest,
    ::testing::Values(HoursCase{"", "You forgot to input Hours."}, HoursCase{"   ", "You forgot to input Hours."},
                      HoursCase{"abc", "Hours must be numeric."}, HoursCase{"1e400", "Hours must be numeric."},
                      HoursCase{"NaN", "Hours must be numeric."}, HoursCase{"inf", "Hours must be numeric."},
                      HoursCase{"--5", "Hours must be numeric."},
                      HoursCase{"5;drop table [Work Hours]", "Hours must be numeric."},
                      HoursCase{"0x10", "Hours must be numeric."}, HoursCase{" 7.25 ", ""}, HoursCase{"+8", ""},
                      HoursCase{"2.4e1", ""}, HoursCase{" 1:30 ", ""}, HoursCase{"24:00", ""},
                      HoursCase{"-1.5", "Hours cannot be negative: type 0 to 24 hours."},
                      HoursCase{"-0:30", "Hours must be numeric."},
                      HoursCase{"24.01", "Hours cannot be more than 24 in one entry."},
                      HoursCase{"1e2", "Hours cannot be more than 24 in one entry."},
                      HoursCase{"99999", "Hours cannot be more than 24 in one entry."},
                      HoursCase{"0", "This entry has 0 hours. Save it anyway?"},
                      HoursCase{"1:75", "Hours must be numeric."}));

TEST_F(EntryEditorTest, ATenThousandDigitNumberIsRefusedAndNothingIsWritten)
{
    open<Form2>({}, [&](Form2& form) {
        fill(form, QStringLiteral("9").repeated(10000));
        press(form, QStringLiteral("PushButton2"));
    });
    EXPECT_EQ(messageTexts(), QStringList{QStringLiteral("Hours must be numeric.")});
    EXPECT_TRUE(entries().isEmpty());
}

TEST_F(EntryEditorTest, HoursTypedWithTheLocalesSeparatorAreStoredAsThatNumber)
{
    for (const auto& [locale, typed] : {std::pair{"en_US", "7.5"}, std::pair{"de_DE", " 7,5 "}}) {
        LocaleScope scope(locale);
        m_ui.clear();
        open<Form2>({}, [&](Form2& form) {
            fill(form, QString::fromLatin1(typed));
            press(form, QStringLiteral("PushButton2"));
        });
        const QString id = lastId(QStringLiteral("Work Hours"));
        EXPECT_EQ(rows(QStringLiteral("select Hours from [Work Hours] where ID=") + id).at(0).at(0).toDouble(), 7.5)
            << locale;

        // Edited in the same locale, the update stores the new number too.
        open<Form2>(id, [&](Form2& form) {
            EXPECT_EQ(hours(form)->text(), QString::fromLatin1(typed).trimmed());
            hours(form)->setText(QString::fromLatin1(typed).replace('5', QStringLiteral("25")));
            press(form, QStringLiteral("PushButton2"));
        });
        EXPECT_TRUE(m_ui.errorReports().isEmpty()) << m_ui.errorReports().join('\n').toStdString();
        EXPECT_EQ(rows(QStringLiteral("select Hours from [Work Hours] where ID=") + id).at(0).at(0).toDouble(), 7.25)
            << locale;
    }
}

TEST_P(EntryEditorOnBoth, CreatesThenEditsAnEntryWithAnyDescription)
{
    const QString text = QStringLiteral("O'Neil's \"draft\"; '); delete from [Work Hours]; --\nsecond line 東京 🙂");
    const QDate day = QDate::currentDate().addDays(-3);
    open<Form2>({}, [&](Form2& form) {
        fill(form, QStringLiteral("3"), text);
        date(form)->setDate(day);
        press(form, QStringLiteral("PushButton2"));
    });
    EXPECT_FALSE(m_stillOpenAfterScript);
    EXPECT_EQ(messageTexts(), QStringList{QStringLiteral("Record Successfully Saved")});
    ASSERT_EQ(entries().size(), 1);
    EXPECT_EQ(entries().at(0), (QVariantList{qint64(2), day, qint64(1), 3.0, text}));

    const QString id = lastId(QStringLiteral("Work Hours"));
    m_ui.clear();
    open<Form2>(id, [&](Form2& form) {
        EXPECT_EQ(form.findChild<QLineEdit*>(QStringLiteral("Text2"))->text(), id);
        EXPECT_EQ(employee(form)->currentText(), QStringLiteral("Cid Carter"));
        EXPECT_EQ(workCode(form)->currentText(), QStringLiteral("Design"));
        EXPECT_EQ(date(form)->date(), day);
        EXPECT_EQ(hours(form)->text(), QStringLiteral("3"));
        EXPECT_EQ(description(form)->text(), text);
        workCode(form)->setCurrentIndex(1);
        description(form)->clear();
        press(form, QStringLiteral("PushButton2"));
    });
    EXPECT_EQ(messageTexts(), QStringList{QStringLiteral("Record Successfully Updated")});
    EXPECT_EQ(entries().at(0), (QVariantList{qint64(2), day, qint64(2), 3.0, QString()}));
    EXPECT_FALSE(entries().at(0).at(4).isNull());
}

enum class Editor { Entry, Employee, WorkCode };

class SaveOfADeletedRecord : public EntryEditorTest,
                             public ::testing::WithParamInterface<std::tuple<Backend, Editor>> {
protected:
    SaveOfADeletedRecord() : EntryEditorTest(std::get<0>(GetParam())) {}
};

std::string editorCaseName(const ::testing::TestParamInfo<std::tuple<Backend, Editor>>& info)
{
    static const std::array<const char*, 3> kNames{"Entry", "Employee", "WorkCode"};
    return std::string(std::get<0>(info.param) == Backend::Local ? "Local_" : "Server_")
        + kNames.at(static_cast<size_t>(std::get<1>(info.param)));
}

INSTANTIATE_TEST_SUITE_P(Editors, SaveOfADeletedRecord,
                         ::testing::Combine(backends(), ::testing::Values(Editor::Entry, Editor::Employee,
                                                                          Editor::WorkCode)),
                         editorCaseName);

// The record is deleted elsewhere while its editor is open: Save says so,
// confirms nothing, writes nothing, and keeps what was typed on screen.
TEST_P(SaveOfADeletedRecord, SaysTheRecordIsGoneAndWritesNothing)
{
    const Editor editor = std::get<1>(GetParam());
    execute(QStringLiteral("insert into [Work Hours] (Employee,[Date Worked],[Work Code],Hours,[Work Description]) "
                           "values (1,'2026-12-01',1,'2','typed')"));
    const QString table = editor == Editor::Entry ? QStringLiteral("Work Hours")
        : editor == Editor::Employee              ? QStringLiteral("Employees")
                                                  : QStringLiteral("Work Codes");
    const QString id = lastId(table);
    const auto deleteThenSave = [&](QDialog& form) {
        execute(QStringLiteral("delete from [%1] where ID=%2").arg(table, id));
        press(form, QStringLiteral("PushButton2"));
    };
    switch (editor) {
    case Editor::Entry: open<Form2>(id, deleteThenSave); break;
    case Editor::Employee: open<Form3>(id, deleteThenSave); break;
    case Editor::WorkCode: open<Form5>(id, deleteThenSave); break;
    }
    EXPECT_TRUE(m_stillOpenAfterScript);
    ASSERT_EQ(messageTexts().size(), 1) << messageTexts().join(u'\n').toStdString();
    EXPECT_TRUE(messageTexts()[0].startsWith(QStringLiteral("This record no longer exists")));
    EXPECT_TRUE(rows(QStringLiteral("select * from [%1] where ID=%2").arg(table, id)).isEmpty());
}

// The record was deleted elsewhere before its editor opened: the opening
// says so instead of showing an empty window.
TEST_P(SaveOfADeletedRecord, OpeningItSaysItIsGoneInsteadOfShowingAnEmptyWindow)
{
    const Editor editor = std::get<1>(GetParam());
    const QString table = editor == Editor::Entry ? QStringLiteral("Work Hours")
        : editor == Editor::Employee              ? QStringLiteral("Employees")
                                                  : QStringLiteral("Work Codes");
    execute(QStringLiteral("insert into [Work Hours] (Employee,[Date Worked],[Work Code],Hours) "
                           "values (1,'2026-12-01',1,'2')"));
    const QString id = lastId(table);
    execute(QStringLiteral("delete from [%1] where ID=%2").arg(table, id));
    const auto never = [](QDialog&) { ADD_FAILURE() << "a window was shown for a record that is gone"; };
    switch (editor) {
    case Editor::Entry: open<Form2>(id, never); break;
    case Editor::Employee: open<Form3>(id, never); break;
    case Editor::WorkCode: open<Form5>(id, never); break;
    }
    EXPECT_EQ(m_ui.modalShows(), 0);
    ASSERT_EQ(messageTexts().size(), 1) << messageTexts().join(u'\n').toStdString();
    const char* const names[] = {"This entry", "This employee", "This work code"};
    EXPECT_TRUE(messageTexts()[0].startsWith(QLatin1String(names[static_cast<int>(editor)])
                                             + QStringLiteral(" no longer exists")))
        << messageTexts()[0].toStdString();
}

TEST_F(EntryEditorTest, TwoEmployeesWithOneNameLoadAsTheFirst)
{
    execute(QStringLiteral("insert into Employees ([First Name],[Last Name]) values ('Cid','Carter')"));
    execute(QStringLiteral("insert into [Work Hours] (Employee,[Date Worked],[Work Code],Hours,[Work Description]) "
                           "values (3,'2026-12-01',1,'2','twin')"));
    const QString id = lastId(QStringLiteral("Work Hours"));
    open<Form2>(id, [&](Form2& form) {
        EXPECT_EQ(employee(form)->currentIndex(), 1);
        press(form, QStringLiteral("PushButton2"));
    });
    EXPECT_EQ(entries().at(0).at(0).toLongLong(), 2);  // booked to the first of the two
}

TEST_F(EntryEditorTest, ARefusedSaveKeepsTheWindowOpenWithWhatWasEntered)
{
    refuseWrites(QStringLiteral("Work Hours"));
    open<Form2>({}, [&](Form2& form) {
        fill(form, QStringLiteral("4"), QStringLiteral("kept"));
        press(form, QStringLiteral("PushButton2"));
        ASSERT_EQ(m_ui.errorReports().size(), 1);
        EXPECT_TRUE(m_ui.errorReports().at(0).contains(QStringLiteral("Form2.PushButton2_Click at line 134")));
        EXPECT_FALSE(messageTexts().contains(QStringLiteral("Record Successfully Saved")));
        EXPECT_TRUE(form.isVisible());
        EXPECT_EQ(description(form)->text(), QStringLiteral("kept"));
        EXPECT_EQ(employee(form)->currentIndex(), 1);
    });
    EXPECT_TRUE(entries().isEmpty());
}

// --- The date worked as stored ------------------------------------------------

// The stored text of every entry's date worked, exactly as the file holds it.
QStringList storedDates(const QString& path)
{
    QStringList dates;
    for (const QByteArray& bytes : storedBytes(path, "select \"Date Worked\" from \"Work Hours\" order by ID"))
        dates << QString::fromUtf8(bytes);
    return dates;
}

// Writes an entry as an old-format database or another tool may hold it, past the checks
// of this one.
void storeEntryDirectly(const QString& path, const QString& dateWorked)
{
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &raw), SQLITE_OK);
    const QByteArray sql = "insert into \"Work Hours\" (Employee,\"Date Worked\",\"Work Code\",Hours,\"Work Description\") "
                           "values (1,'" + dateWorked.toUtf8() + "',1,2,'old')";
    EXPECT_EQ(sqlite3_exec(raw, sql.constData(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(raw);
    sqlite3_close(raw);
}

struct StoredDateCase {
    const char* locale;
    const char* stored;
};

class EntryStoredDateTest : public EntryEditorTest, public ::testing::WithParamInterface<StoredDateCase> {};

TEST_P(EntryStoredDateTest, SavedWithTheDateUntouchedKeepsItsTimeOfDay)
{
    LocaleScope scope(GetParam().locale);
    const QString stored = QString::fromLatin1(GetParam().stored);
    storeEntryDirectly(m_db.path(), stored);
    open<Form2>(lastId(QStringLiteral("Work Hours")), [&](Form2& form) {
        description(form)->setText(QStringLiteral("edited"));
        press(form, QStringLiteral("PushButton2"));
    });
    EXPECT_EQ(messageTexts(), QStringList{QStringLiteral("Record Successfully Updated")});
    EXPECT_EQ(storedDates(m_db.path()), QStringList{stored});
}

// Times in the hour that daylight saving skips or repeats somewhere, and
// locales that write their dates and times in other ways.
INSTANTIATE_TEST_SUITE_P(Cases, EntryStoredDateTest,
                         ::testing::Values(StoredDateCase{"en_US", "2024-03-05T13:45:00"},
                                           StoredDateCase{"en_US", "2024-03-10T02:30:00"},
                                           StoredDateCase{"de_DE", "2024-03-31T02:30:59"},
                                           StoredDateCase{"fr_FR", "2024-10-27T02:30:15"},
                                           StoredDateCase{"ru_RU", "2024-03-05T00:00:01"},
                                           StoredDateCase{"ar_EG", "2024-03-05T23:59:59"},
                                           StoredDateCase{"ja_JP", "2024-03-05"}));

TEST_F(EntryEditorTest, ADateTheUserChangesIsSavedWithoutTheOldTimeOfDay)
{
    storeEntryDirectly(m_db.path(), QStringLiteral("2024-03-05T13:45:00"));
    storeEntryDirectly(m_db.path(), QStringLiteral("2024-03-05T13:45:00"));
    m_ui.answerNext(QMessageBox::Yes);  // a day long past, asked about
    open<Form2>(QStringLiteral("1"), [&](Form2& form) {
        date(form)->setDate(QDate(2024, 3, 6));
        press(form, QStringLiteral("PushButton2"));
    });
    // Changed and changed back: the day is the stored one, so is its time.
    open<Form2>(QStringLiteral("2"), [&](Form2& form) {
        date(form)->setDate(QDate(2024, 3, 6));
        date(form)->setDate(QDate(2024, 3, 5));
        press(form, QStringLiteral("PushButton2"));
    });
    EXPECT_EQ(storedDates(m_db.path()), (QStringList{"2024-03-06", "2024-03-05T13:45:00"}));
}

TEST_F(EntryEditorTest, AStoredDateBeforeTheYear100IsRefusedNotMoved)
{
    LocaleScope scope("en_US");
    storeEntryDirectly(m_db.path(), QStringLiteral("0050-03-05T08:00:00"));
    open<Form2>(QStringLiteral("1"), [&](Form2& form) {
        press(form, QStringLiteral("PushButton2"));
        EXPECT_EQ(messageTexts(),
                  QStringList{QStringLiteral("The date worked 3/5/0050 cannot be stored: dates run from 1/1/0100 to "
                                             "12/31/9999. Choose another date.")});
        EXPECT_EQ(form.focusWidget(), date(form));
        EXPECT_TRUE(form.isVisible());
        EXPECT_EQ(storedDates(m_db.path()), QStringList{QStringLiteral("0050-03-05T08:00:00")});

        date(form)->setDate(QDate(2050, 3, 5));
        m_ui.answerNext(QMessageBox::Yes);  // a day far ahead, asked about
        press(form, QStringLiteral("PushButton2"));
    });
    EXPECT_EQ(storedDates(m_db.path()), QStringList{QStringLiteral("2050-03-05")});
}

// --- The pickers' buttons ---------------------------------------------------

TEST_F(EntryEditorTest, AddAndEditKeepThePositionCancelToo)
{
    open<Form2>({}, [&](Form2& form) {
        employee(form)->setCurrentIndex(1);  // Cid Carter
        // "+" adds Bea Baker, who sorts before Cid: the position stays, so it
        // now shows the new employee's neighbour in the order.
        m_ui.onNextModal([](QDialog& dialog) {
            auto& editor = static_cast<Form3&>(dialog);
            EXPECT_TRUE(editor.m_ID.isEmpty());
            editor.box(1)->setText(QStringLiteral("Bea"));
            editor.box(2)->setText(QStringLiteral("Baker"));
            press(editor, QStringLiteral("PushButton2"));
        });
        press(form, QStringLiteral("PushButton5"));
        EXPECT_EQ(employee(form)->count(), 3);
        EXPECT_EQ(employee(form)->currentIndex(), 1);
        EXPECT_EQ(employee(form)->currentText(), QStringLiteral("Bea Baker"));
        EXPECT_EQ(form.employees().idCount(), 3);
        EXPECT_EQ(form.employees().idAt(2), QStringLiteral("3"));

        // "*" opens the chosen employee; cancelling still refills.
        m_ui.onNextModal([](QDialog& dialog) {
            auto& editor = static_cast<Form3&>(dialog);
            EXPECT_EQ(editor.m_ID, QStringLiteral("3"));
            EXPECT_EQ(editor.box(1)->text(), QStringLiteral("Bea"));
            press(editor, QStringLiteral("PushButton1"));
        });
        press(form, QStringLiteral("PushButton9"));
        EXPECT_EQ(employee(form)->currentIndex(), 1);

        // The work-code side works the same way, and alone.
        workCode(form)->setCurrentIndex(0);
        m_ui.onNextModal([](QDialog& dialog) {
            auto& editor = static_cast<Form5&>(dialog);
            EXPECT_EQ(editor.m_ID, QStringLiteral("1"));
            editor.billable()->setChecked(false);
            press(editor, QStringLiteral("PushButton2"));
        });
        press(form, QStringLiteral("PushButton10"));
        EXPECT_EQ(workCode(form)->currentIndex(), 0);
        EXPECT_EQ(employee(form)->currentIndex(), 1);
    });
    EXPECT_EQ(m_ui.modalShows(), 4);
    EXPECT_FALSE(rows(QStringLiteral("select Billable from [Work Codes] where ID=1")).at(0).at(0).toBool());
}

TEST_F(EntryEditorTest, EditAndDeleteWithNothingChosenDoNothing)
{
    open<Form2>({}, [&](Form2& form) {
        for (const char* button : {"PushButton9", "PushButton6", "PushButton10", "PushButton4"})
            press(form, QString::fromLatin1(button));
    });
    EXPECT_EQ(m_ui.modalShows(), 1);  // the entry editor itself
    EXPECT_TRUE(m_ui.messages().isEmpty());
}

TEST_P(EntryEditorOnBoth, DeletingAnEmployeeTakesItsEntriesAndLeavesOthers)
{
    for (int employeeId : {1, 2, 2})
        execute(QStringLiteral("insert into [Work Hours] (Employee,[Date Worked],[Work Code],Hours,[Work Description]) "
                               "values (%1,'2026-12-01',1,'1','x')")
                    .arg(employeeId));
    open<Form2>({}, [&](Form2& form) {
        workCode(form)->setCurrentIndex(1);
        employee(form)->setCurrentIndex(1);
        m_ui.answerNext(QMessageBox::Yes);
        press(form, QStringLiteral("PushButton6"));
        EXPECT_EQ(employee(form)->count(), 1);
        EXPECT_EQ(employee(form)->currentIndex(), -1);
        EXPECT_EQ(workCode(form)->currentIndex(), 1);  // the other picker keeps its choice
    });
    EXPECT_EQ(rows(QStringLiteral("select [First Name] from Employees")), (QList<QVariantList>{{QStringLiteral("Ann")}}));
    EXPECT_EQ(entries().size(), 1);
    EXPECT_EQ(entries().at(0).at(0).toLongLong(), 1);
}

struct DeleteQuestionCase {
    const char* button;  // the picker's "-"
    const char* picker;
    int position;        // the record chosen
    const char* question;
};

class DeleteQuestion : public EntryEditorTest,
                       public ::testing::WithParamInterface<std::tuple<Backend, DeleteQuestionCase>> {
protected:
    DeleteQuestion() : EntryEditorTest(std::get<0>(GetParam())) {}
};
INSTANTIATE_TEST_SUITE_P(
    Pickers, DeleteQuestion,
    ::testing::Combine(
        backends(),
        ::testing::Values(
            DeleteQuestionCase{"PushButton6", "Combo1", 1,
                               "Warning: Deleting assigned to will also delete issue data that is linked to this "
                               "employee.\r\nCid Carter: 5 entries, 1.9 hours will be deleted.\r\nDo you wish to continue?"},
            DeleteQuestionCase{"PushButton6", "Combo1", 0,
                               "Warning: Deleting assigned to will also delete issue data that is linked to this "
                               "employee.\r\nAnn Archer: 1 entry, 8 hours will be deleted.\r\nDo you wish to continue?"},
            DeleteQuestionCase{"PushButton4", "Combo2", 1,
                               "Warning: Deleting opened by will also delete issue data that is linked to this "
                               "employee.\r\nMeetings: 2 entries, 8.1 hours will be deleted.\r\nDo you wish to continue?"})),
    BackendCaseName());

// The question names the record, its entries and their exact hours (an entry
// without hours counts, adding none), and Enter keeps them: No is the default.
TEST_P(DeleteQuestion, NamesWhatGoesAndDefaultsToNo)
{
    const DeleteQuestionCase& c = std::get<1>(GetParam());
    for (const char* values : {"2,'2026-12-01',1,0.1", "2,'2026-12-02',1,0.2", "2,'2026-12-03',2,0.1",
                               "2,'2026-12-04',1,NULL", "2,'2026-12-05',1,1.5", "1,'2026-12-06',2,8"})
        execute(QStringLiteral("insert into [Work Hours] (Employee,[Date Worked],[Work Code],Hours,[Work Description]) "
                               "values (%1,'x')")
                    .arg(QString::fromLatin1(values)));
    open<Form2>({}, [&](Form2& form) {
        form.findChild<QComboBox*>(QString::fromLatin1(c.picker))->setCurrentIndex(c.position);
        press(form, QString::fromLatin1(c.button));  // answered with No
    });
    ASSERT_EQ(m_ui.messages().size(), 1);
    const MessageRequest& asked = m_ui.messages().at(0);
    EXPECT_EQ(asked.text, QString::fromUtf8(c.question));
    EXPECT_EQ(asked.buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(asked.defaultButton, QMessageBox::No);
    EXPECT_EQ(asked.icon, QMessageBox::NoIcon);
    EXPECT_EQ(entries().size(), 6);
}

TEST_P(EntryEditorOnBoth, ARecordAndItsEntriesAreDeletedBothOrNeither)
{
    execute(QStringLiteral("insert into [Work Hours] (Employee,[Date Worked],[Work Code],Hours,[Work Description]) "
                           "values (1,'2026-12-01',2,'1','x')"));
    // The entries cannot be deleted: the work code must stay as well.
    refuseDeletes(QStringLiteral("Work Hours"));

    open<Form2>({}, [&](Form2& form) {
        workCode(form)->setCurrentIndex(1);
        m_ui.answerNext(QMessageBox::Yes);
        press(form, QStringLiteral("PushButton4"));
        EXPECT_EQ(workCode(form)->count(), 2);
    });
    const QStringList reports = m_ui.errorReports();
    ASSERT_EQ(reports.size(), 1);
    EXPECT_TRUE(reports.at(0).contains(QStringLiteral("Form2.PushButton4_Click at line 106")));
    EXPECT_EQ(rows(QStringLiteral("select ID from [Work Codes]")).size(), 2);
    EXPECT_EQ(entries().size(), 1);
}

// --- Dates typed into the date box --------------------------------------------

// How a test empties the date box before typing.
enum class Clearing { SelectAll, Backspaces };

struct TypedDateCase {
    const char* locale;
    // A day near today typed in this pattern of QDate::toString (ASCII digits).
    const char* pattern;
    // Or this text, which is no date.
    const char* wrongText = nullptr;
    Clearing clearing = Clearing::SelectAll;
};

class TypedDateTest : public EntryEditorTest, public ::testing::WithParamInterface<TypedDateCase> {};

// Keystrokes typed into the real box are saved as the day the box shows,
// under the locale's own way of writing a date and ISO; a text that is no
// date, or a year before 1900 or after 2100, is refused and nothing is saved.
TEST_P(TypedDateTest, IsSavedAsTheDayShown)
{
    const TypedDateCase& c = GetParam();
    LocaleScope scope(c.locale);
    const QDate day = QDate::currentDate().addDays(-2);
    const QString typed = c.wrongText ? QString::fromUtf8(c.wrongText) : day.toString(QString::fromLatin1(c.pattern));
    open<Form2>({}, [&](Form2& form) {
        fill(form, QStringLiteral("8"));
        DateBox* box = date(form);
        if (c.clearing == Clearing::SelectAll) {
            QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        } else {
            QTest::keyClick(box, Qt::Key_End);
            for (int i = 0; i < 12; ++i)
                QTest::keyClick(box, Qt::Key_Backspace);
        }
        QTest::keyClicks(box, typed);
        if (!c.wrongText) {
            EXPECT_EQ(box->weekday(), QLocale().dayName(day.dayOfWeek()));
        }
        press(form, QStringLiteral("PushButton2"));
        if (!c.wrongText) {
            EXPECT_EQ(box->text(), text::dateToText(day));
        } else {
            EXPECT_EQ(form.focusWidget(), box);
        }
    });
    if (c.wrongText) {
        EXPECT_EQ(messageTexts(), QStringList{QStringLiteral("\"%1\" is not a date. Type a date from %2 to %3, such as %4.")
                                                  .arg(typed, text::dateToText(QDate(1900, 1, 1)),
                                                       text::dateToText(QDate(2100, 12, 31)),
                                                       text::dateToText(QDate::currentDate()))});
        EXPECT_TRUE(entries().isEmpty());
        return;
    }
    EXPECT_EQ(messageTexts(), QStringList{QStringLiteral("Record Successfully Saved")}) << typed.toStdString();
    ASSERT_EQ(entries().size(), 1);
    EXPECT_EQ(entries().at(0).at(1), QVariant(day)) << typed.toStdString();
}

TypedDateCase wrong(const char* locale, const char* text)
{
    return {locale, nullptr, text};
}

INSTANTIATE_TEST_SUITE_P(MonthFirst, TypedDateTest,
                         ::testing::Values(TypedDateCase{"en_US", "MM/dd/yyyy"}, TypedDateCase{"en_US", "M/d/yyyy"},
                                           TypedDateCase{"en_US", "MMddyyyy"},
                                           TypedDateCase{"en_US", "M/d/yyyy", nullptr, Clearing::Backspaces},
                                           wrong("en_US", "2/30/2026"), wrong("en_US", "13/1/2026"),
                                           wrong("en_US", "1/1/1899"), wrong("en_US", "1/1/2101"),
                                           wrong("en_US", "30.11.2026"), wrong("en_US", "11/30")));
INSTANTIATE_TEST_SUITE_P(DayFirst, TypedDateTest,
                         ::testing::Values(TypedDateCase{"de_DE", "dd.MM.yyyy"}, TypedDateCase{"de_DE", "d.M.yyyy"},
                                           TypedDateCase{"de_DE", "ddMMyyyy"},
                                           TypedDateCase{"de_DE", "dd.MM.yyyy", nullptr, Clearing::Backspaces},
                                           TypedDateCase{"fr_FR", "dd/MM/yyyy"}, wrong("de_DE", "30.02.2026"),
                                           wrong("de_DE", "10.12.0912"), wrong("de_DE", "11/30/2026")));
INSTANTIATE_TEST_SUITE_P(Iso, TypedDateTest,
                         ::testing::Values(TypedDateCase{"en_US", "yyyy-MM-dd"},
                                           TypedDateCase{"sv_SE", "yyyy-MM-dd"}, TypedDateCase{"sv_SE", "yyyyMMdd"},
                                           wrong("en_US", "2026-13-01"), wrong("de_DE", "1899-12-31")));
INSTANTIATE_TEST_SUITE_P(TwoDigitYears, TypedDateTest,
                         ::testing::Values(TypedDateCase{"en_US", "M/d/yy"}, TypedDateCase{"en_US", "MMddyy"},
                                           TypedDateCase{"de_DE", "d.M.yy"}, TypedDateCase{"de_DE", "ddMMyy"},
                                           wrong("en_US", "2/30/26")));

struct FarDayCase {
    int daysFromToday;
    const char* question;  // empty: nothing asked
};

class FarDayTest : public EntryEditorTest, public ::testing::WithParamInterface<FarDayCase> {};

// A day more than a week ahead or more than a year back is asked about, No
// by default; answered No nothing is saved and the date keeps the focus.
TEST_P(FarDayTest, IsAskedAboutBeforeSaving)
{
    const FarDayCase& c = GetParam();
    LocaleScope scope("en_US");
    const QDate day = QDate::currentDate().addDays(c.daysFromToday);
    const auto save = [&] {
        m_ui.clear();
        open<Form2>({}, [&](Form2& form) {
            fill(form, QStringLiteral("8"));
            date(form)->setDate(day);
            press(form, QStringLiteral("PushButton2"));
            if (m_ui.messages().size() == 1 && *c.question) {
                EXPECT_EQ(form.focusWidget(), date(form));
            }
        });
    };
    save();
    if (!*c.question) {
        EXPECT_EQ(messageTexts(), QStringList{QStringLiteral("Record Successfully Saved")});
        return;
    }
    const QString question = QString::fromLatin1(c.question).arg(text::dateToText(day));
    ASSERT_EQ(messageTexts(), QStringList{question});
    EXPECT_EQ(m_ui.messages().at(0).defaultButton, QMessageBox::No);
    EXPECT_TRUE(entries().isEmpty());

    m_ui.answerNext(QMessageBox::Yes);
    save();
    EXPECT_EQ(messageTexts(), (QStringList{question, QStringLiteral("Record Successfully Saved")}));
    ASSERT_EQ(entries().size(), 1);
    EXPECT_EQ(entries().at(0).at(1), QVariant(day));
}

INSTANTIATE_TEST_SUITE_P(
    Days, FarDayTest,
    ::testing::Values(FarDayCase{7, ""}, FarDayCase{8, "The date worked %1 is 8 days in the future. Save it anyway?"},
                      FarDayCase{20, "The date worked %1 is 20 days in the future. Save it anyway?"},
                      FarDayCase{-365, ""},
                      FarDayCase{-400, "The date worked %1 is 400 days in the past. Save it anyway?"}));


// --- An employee's day -----------------------------------------------------------

// A day on which the employee's entries would pass 24 hours is asked about,
// No by default; the entry being edited is not counted twice, and another
// employee's or another day's hours do not count at all.
TEST_P(EntryEditorOnBoth, ADayPastTwentyFourHoursIsAskedAbout)
{
    LocaleScope scope("en_US");
    const QDate day = QDate::currentDate().addDays(-1);
    const QString stored = day.toString(Qt::ISODate);
    // Cid Carter (2): 16 hours that day in two entries, with a time of day in
    // one; Ann Archer (1) and the day before do not count.
    for (const QString& values : {QStringLiteral("2,'%1',1,10").arg(stored), QStringLiteral("2,'%1T09:00:00',1,6").arg(stored),
                                  QStringLiteral("1,'%1',1,20").arg(stored),
                                  QStringLiteral("2,'%1',1,20").arg(day.addDays(-1).toString(Qt::ISODate))})
        execute(QStringLiteral("insert into [Work Hours] (Employee,[Date Worked],[Work Code],Hours) values (") + values
                + u')');
    const QString question = QStringLiteral("With this entry Cid Carter has 24.5 hours on %1 (%2), more than 24 in one "
                                            "day. Save it anyway?")
                                 .arg(text::dateToText(day), QLocale().dayName(day.dayOfWeek()));
    const auto add = [&](const QString& typed) {
        m_ui.clear();
        open<Form2>({}, [&](Form2& form) {
            fill(form, typed);
            date(form)->setDate(day);
            press(form, QStringLiteral("PushButton2"));
        });
    };
    add(QStringLiteral("8"));  // 24 in all: the limit itself
    EXPECT_EQ(messageTexts(), QStringList{QStringLiteral("Record Successfully Saved")});
    const QString eight = lastId(QStringLiteral("Work Hours"));

    add(QStringLiteral("0.5"));
    ASSERT_EQ(messageTexts(), QStringList{question});
    EXPECT_EQ(m_ui.messages().at(0).defaultButton, QMessageBox::No);
    EXPECT_EQ(entries().size(), 5);

    // The entry of 8 hours edited to 8.5: its old hours are not counted.
    m_ui.clear();
    m_ui.answerNext(QMessageBox::Yes);
    open<Form2>(eight, [&](Form2& form) {
        hours(form)->setText(QStringLiteral("8.5"));
        press(form, QStringLiteral("PushButton2"));
    });
    EXPECT_EQ(messageTexts(), (QStringList{question, QStringLiteral("Record Successfully Updated")}));
    EXPECT_EQ(rows(QStringLiteral("select Hours from [Work Hours] where ID=") + eight).at(0).at(0).toDouble(), 8.5);
}

TEST_F(EntryEditorTest, ZeroHoursAnsweredYesAreSaved)
{
    m_ui.answerNext(QMessageBox::Yes);
    open<Form2>({}, [&](Form2& form) {
        fill(form, QStringLiteral("0"));
        press(form, QStringLiteral("PushButton2"));
    });
    EXPECT_EQ(messageTexts(), (QStringList{QStringLiteral("This entry has 0 hours. Save it anyway?"),
                                           QStringLiteral("Record Successfully Saved")}));
    ASSERT_EQ(entries().size(), 1);
    EXPECT_EQ(entries().at(0).at(3).toDouble(), 0.0);
}

}  // namespace
}  // namespace hv::test
