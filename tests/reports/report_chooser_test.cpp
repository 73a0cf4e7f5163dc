#include "reports_fixture.h"

#include "gui/error_report.h"
#include "core/twips.h"
#include "gui/window_pointer.h"
#include "reports/report_chooser.h"
#include "reports/report_preview.h"
#include "reports/engine/report_lines.h"
#include "reports/engine/report_rows.h"

#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QTest>

namespace hv::test {
namespace {

const QStringList kEntries{QStringLiteral("Billable Hours by Employee"), QStringLiteral("Billable Hours by Project"),
                           QStringLiteral("Non-Billable Hours by Employee")};

TEST_F(ReportsTest, ChooserOffersTheThreeReportsWithNothingChosen)
{
    openChooser([](Form4& form) {
        EXPECT_EQ(form.objectName(), QStringLiteral("Form4"));
        EXPECT_EQ(form.windowTitle(), QStringLiteral("Reports"));
        EXPECT_EQ(form.size(), QSize(twips::toPixels(8040), twips::toPixels(1560)));
        auto* frame = form.findChild<QGroupBox*>(QStringLiteral("Frame1"));
        ASSERT_NE(frame, nullptr);
        EXPECT_EQ(frame->title(), QStringLiteral("Report Type"));
        EXPECT_EQ(frame->geometry(), twips::rect(120, 120, 7800, 825));
        QComboBox* combo = form.reportType();
        EXPECT_EQ(combo->objectName(), QStringLiteral("Combo1"));
        EXPECT_EQ(combo->parentWidget(), frame);
        EXPECT_EQ(combo->geometry(), twips::rect(240, 300, 7335, 345));
        EXPECT_TRUE(combo->isEditable());
        EXPECT_TRUE(combo->currentText().isEmpty());
        QStringList items;
        for (int i = 0; i < combo->count(); ++i)
            items.append(combo->itemText(i));
        EXPECT_EQ(items, kEntries);
        EXPECT_EQ(combo->currentIndex(), -1);
        EXPECT_EQ(form.findChild<QPushButton*>(QStringLiteral("PushButton1"))->text(), QStringLiteral("Print Preview"));
        EXPECT_EQ(form.findChild<QPushButton*>(QStringLiteral("PushButton2"))->text(), QStringLiteral("Cancel"));
    });
}

TEST_F(ReportsTest, PrintPreviewWithNothingChosenDoesNothing)
{
    openChooser([this](Form4& form) {
        const int shows = m_ui.modalShows();
        press(form, QStringLiteral("PushButton1"));
        EXPECT_EQ(m_ui.modalShows(), shows);
        EXPECT_TRUE(m_ui.messages().isEmpty());
        EXPECT_TRUE(form.isVisible());
    });
}

// Previews one after another from the same opening: each is owned by the
// chooser, captioned and named for its report, and the choice stays.
TEST_F(ReportsTest, SeveralPreviewsOneAfterAnother)
{
    addEntries({{QStringLiteral("Anna"), QStringLiteral("Berg"), QStringLiteral("Billable support"),
                 QStringLiteral("2026-02-03"), 2, QStringLiteral("Phone call")}});
    const QStringList names{QStringLiteral("rptBillableHoursByEmployee"), QStringLiteral("rptBillableHoursByProject"),
                            QStringLiteral("rptNonBillableHoursByEmployee")};
    openChooser([&](Form4& form) {
        for (int round = 0; round < 2; ++round) {
            for (qsizetype i = 0; i < kEntries.size(); ++i) {
                preview(form, kEntries.at(i), [&](reports::ReportPreview& shown) {
                    EXPECT_EQ(shown.windowTitle(), kEntries.at(i));
                    EXPECT_EQ(shown.objectName(), names.at(i));
                    EXPECT_EQ(shown.parentWidget(), &form);
                    EXPECT_TRUE(shown.isModal());
                    EXPECT_FALSE(shown.windowIcon().isNull());
                    EXPECT_EQ(shown.pageCount(), 1);
                });
                EXPECT_EQ(form.reportType()->currentText(), kEntries.at(i));
            }
        }
        EXPECT_TRUE(form.isVisible());
    });
    EXPECT_EQ(m_ui.modalShows(), 1 + 6);
    EXPECT_TRUE(m_ui.errorReports().isEmpty()) << m_ui.errorReports().join(QLatin1Char('|')).toStdString();
}

// Enter and Esc press nothing; "Cancel" unloads.
TEST_F(ReportsTest, OnlyCancelUnloadsTheChooser)
{
    openChooser([](Form4& form) {
        form.reportType()->setCurrentIndex(0);
        QTest::keyClick(form.reportType(), Qt::Key_Return);
        QTest::keyClick(form.reportType(), Qt::Key_Escape);
        EXPECT_TRUE(form.isVisible());
        press(form, QStringLiteral("PushButton2"));
        EXPECT_FALSE(form.isVisible());
    });
    EXPECT_EQ(m_ui.modalShows(), 1);
}

TEST_F(ReportsTest, ChooserFrameResetsThePointerAndButtonsShowTheHand)
{
    openChooser([](Form4& form) {
        auto* frame = form.findChild<QGroupBox*>(QStringLiteral("Frame1"));
        for (const char* button : {"PushButton1", "PushButton2"}) {
            hover(frame, QPoint(frame->width() - 4, frame->height() - 4));
            EXPECT_EQ(form.pointer().value(), WindowPointer::Default);
            hover(form.findChild<QPushButton*>(QString::fromLatin1(button)));
            EXPECT_EQ(form.pointer().value(), WindowPointer::Custom) << button;
        }
    });
}

// A stored query the database lacks: the open fails, so does the show over
// the closed recordset and its close; each is reported on its own line and
// the chooser stays usable.
struct MissingQueryCase {
    const char* entry;
    const char* view;
    QList<int> lines;
};

void PrintTo(const MissingQueryCase& c, std::ostream* out)
{
    *out << c.entry;
}

class MissingQueryTest : public ReportsTest, public ::testing::WithParamInterface<MissingQueryCase> {};

TEST_P(MissingQueryTest, EachFailingStepIsReportedOnItsLine)
{
    const MissingQueryCase& c = GetParam();
    rawSql(QStringLiteral("DROP VIEW \"%1\";").arg(QString::fromLatin1(c.view)));
    openChooser([&](Form4& form) {
        preview(form, QString::fromLatin1(c.entry), [](reports::ReportPreview&) {
            ADD_FAILURE() << "no preview without rows";
        });
        EXPECT_TRUE(form.isVisible());
    });
    const QStringList reports = m_ui.errorReports();
    ASSERT_EQ(reports.size(), c.lines.size()) << reports.join(QLatin1Char('|')).toStdString();
    const QString location = ErrorReport::location(QStringLiteral("Form4"), QStringLiteral("PushButton1_Click"));
    EXPECT_EQ(location, QStringLiteral("in Vevudazor2021/08/31.Form4.PushButton1_Click "));
    for (qsizetype i = 0; i < reports.size(); ++i)
        EXPECT_TRUE(reports.at(i).contains(location + QStringLiteral("at line ") + QString::number(c.lines.at(i))))
            << reports.at(i).toStdString();
}

INSTANTIATE_TEST_SUITE_P(Reports, MissingQueryTest,
                         ::testing::Values(MissingQueryCase{"Billable Hours by Employee", "Billable Hours", {104, 112, 114}},
                                           MissingQueryCase{"Billable Hours by Project", "Billable Hours", {122, 130, 132}},
                                           MissingQueryCase{"Non-Billable Hours by Employee", "Non Billable Hours",
                                                            {140, 148, 150}}));

// The box takes typing: "Print Preview" opens the report whose entry the
// typed text is, letter for letter, and does nothing at all for any other
// text; what was typed never joins the list.
struct TypedCase {
    const char* typed;
    const char* opens;  // the preview's title; nullptr: nothing opens
};

void PrintTo(const TypedCase& c, std::ostream* out)
{
    *out << '"' << c.typed << '"';
}

class TypedReportTest : public ReportsTest, public ::testing::WithParamInterface<TypedCase> {};

TEST_P(TypedReportTest, PrintPreviewOpensOnlyTheReportTypedLetterForLetter)
{
    QString opened;
    openChooser([&](Form4& form) {
        QComboBox* combo = form.reportType();
        combo->setFocus();
        QTest::keyClicks(combo, QString::fromUtf8(GetParam().typed));
        EXPECT_EQ(combo->currentText(), QString::fromUtf8(GetParam().typed));
        QTest::keyClick(combo, Qt::Key_Return);
        m_ui.onNextModal([&](QDialog& dialog) { opened = dialog.windowTitle(); });
        press(form, QStringLiteral("PushButton1"));
        EXPECT_EQ(combo->count(), kEntries.size());
        EXPECT_TRUE(form.isVisible());
    });
    EXPECT_EQ(opened, GetParam().opens ? QString::fromLatin1(GetParam().opens) : QString());
    EXPECT_TRUE(m_ui.messages().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Reports, TypedReportTest,
    ::testing::Values(TypedCase{"Billable Hours by Project", "Billable Hours by Project"},
                      TypedCase{"Non-Billable Hours by Employee", "Non-Billable Hours by Employee"},
                      TypedCase{"billable hours by project", nullptr}, TypedCase{"Billable Hours by Project ", nullptr},
                      TypedCase{"Billable", nullptr}, TypedCase{"", nullptr}));

// The chooser's queries sort by name (or work code) only; within each name
// the report prints the rows in date order, then in the order they were
// entered, however the entries were written.
struct GroupOrderCase {
    const char* entry;
    const reports::ReportLayout& (*layout)();
    const char* groupColumn;
};

void PrintTo(const GroupOrderCase& c, std::ostream* out)
{
    *out << c.entry;
}

class GroupOrderTest : public ReportsTest,
                       public ::testing::WithParamInterface<std::tuple<Backend, GroupOrderCase>> {
protected:
    GroupOrderTest() : ReportsTest(std::get<0>(GetParam())) {}
};

TEST_P(GroupOrderTest, RowsOfOneNameComeInDateOrder)
{
    const QStringList dates{QStringLiteral("2026-03-09"), QStringLiteral("2025-12-31"), QStringLiteral("2026-01-15"),
                            QStringLiteral("2026-01-15T08:30:00"), QStringLiteral("2026-01-15"),
                            QStringLiteral("2026-02-01")};
    QList<Entry> entries;
    for (int i = 0; i < 48; ++i) {
        const QString code = QStringList{QStringLiteral("Billable b"), QStringLiteral("Billable a"),
                                         QStringLiteral("Admin"), QStringLiteral("Travel")}
                                 .at((i * 7) % 4);
        entries.append({QStringList{QStringLiteral("Zoe"), QStringLiteral("Al"), QStringLiteral("Mo")}.at(i % 3),
                        QStringLiteral("Doe"), code, dates.at((i * 5) % dates.size()), 1.0,
                        QString::number(i)});
    }
    addEntries(entries);
    // Its own tables only: the whole database holds other tests' schemas too.
    rawSql(QStringLiteral("ANALYZE \"Work Hours\"; ANALYZE \"Employees\"; ANALYZE \"Work Codes\";"));

    const GroupOrderCase& c = std::get<1>(GetParam());
    // The day and the description (the entry's number) of each printed entry, by group.
    QList<QPair<QString, QPair<QDateTime, int>>> printed;
    openChooser([&](Form4& chooser) {
        preview(chooser, QString::fromLatin1(c.entry), [&](reports::ReportPreview& shown) {
            const reports::ReportLines& lines = shown.lines();
            const reports::ReportRows& rows = lines.rows();
            const reports::ReportLayout& layout = c.layout();
            const auto field = [&](const char* column) { return layout.fieldIndex(QString::fromLatin1(column)); };
            const int group = field(c.groupColumn);
            const int date = field("Date Worked");
            const int description = field("Work Description");
            ASSERT_GE(group, 0);
            ASSERT_GE(date, 0);
            ASSERT_GE(description, 0);
            for (int i = 0; i < lines.count(); ++i) {
                const int row = lines.at(i).row;
                const QVariant day = rows.value(row, date);
                printed.append({rows.text(row, group),
                                {day.typeId() == QMetaType::QDate ? day.toDate().startOfDay(Qt::UTC) : day.toDateTime(),
                                 rows.text(row, description).toInt()}});
            }
        });
    });
    ASSERT_GE(printed.size(), 10);
    for (qsizetype i = 1; i < printed.size(); ++i) {
        if (printed.at(i - 1).first == printed.at(i).first) {
            EXPECT_LT(printed.at(i - 1).second, printed.at(i).second) << "line " << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Reports, GroupOrderTest,
    ::testing::Combine(backends(),
                       ::testing::Values(GroupOrderCase{"Billable Hours by Employee", reports::rptBillableHoursByEmployee,
                                                        "Employee Name"},
                                         GroupOrderCase{"Billable Hours by Project", reports::rptBillableHoursByProject,
                                                        "Work Code Description"},
                                         GroupOrderCase{"Non-Billable Hours by Employee",
                                                        reports::rptNonBillableHoursByEmployee, "Employee Name"})));

// Groups are records, not names: two employees of one display name are two
// groups with two totals, the entries of an employee who has gone are one
// group of their own ("(no employee)", first), and the groups follow the
// user's alphabetical order ("Łukasz" before "Tom"), on either engine.
class RecordGroupsTest : public ReportsTest, public ::testing::WithParamInterface<std::tuple<Backend, const char*>> {
protected:
    RecordGroupsTest() : ReportsTest(std::get<0>(GetParam())) {}
};

TEST_P(RecordGroupsTest, SameNamedEmployeesAreTwoGroupsToldApartAndTheGoneOneGroupFirst)
{
    const QString entry = QString::fromLatin1(std::get<1>(GetParam()));
    const QString code = entry.startsWith(QStringLiteral("Billable")) ? QStringLiteral("Billable support")
                                                                       : QStringLiteral("Internal meeting");
    // "Tom Smith" twice: the second has the whole name as the first name.
    addEntries({{QStringLiteral("Tom"), QStringLiteral("Smith"), code, QStringLiteral("2026-01-06"), 82.5, {}},
                {QStringLiteral("Tom Smith"), QString(), code, QStringLiteral("2026-01-07"), 838, {}},
                {QStringLiteral("anna"), QStringLiteral("Berg"), code, QStringLiteral("2026-01-05"), 1.5, {}},
                {QStringLiteral("Tom"), QStringLiteral("Smith"), code, QStringLiteral("2026-01-08"), 0.25, {}},
                {QString::fromUtf8("Łukasz"), QString::fromUtf8("Żółć"), code, QStringLiteral("2026-01-09"), 2, {}},
                {QStringLiteral("Gone"), QStringLiteral("Away"), code, QStringLiteral("2026-01-02"), 3, {}}});
    // An employee deleted with the entries kept.
    rawSql(QStringLiteral("DELETE FROM \"Employees\" WHERE \"First Name\" = 'Gone';"));

    QStringList totals;
    openChooser([&](Form4& chooser) {
        preview(chooser, entry, [&](reports::ReportPreview& shown) {
            reports::ReportOptions options;
            options.totals = true;
            shown.setOptions(options);
            for (int i = 0; i < shown.lines().count(); ++i) {
                const reports::ReportLine& line = shown.lines().at(i);
                if (line.kind != reports::ReportLine::Entry)
                    totals.append(line.label + QLatin1Char(' ') + line.hours.toPlainText());
            }
        });
    });
    EXPECT_EQ(totals, QStringList({QStringLiteral("Total for (no employee) 3"), QStringLiteral("Total for anna Berg 1.5"),
                                   QString::fromUtf8("Total for Łukasz Żółć 2"), QStringLiteral("Total for Tom Smith (1) 82.75"),
                                   QStringLiteral("Total for Tom Smith (2) 838"), QStringLiteral("Grand total 927.25")}));
}

INSTANTIATE_TEST_SUITE_P(Reports, RecordGroupsTest,
                         ::testing::Combine(backends(), ::testing::Values("Billable Hours by Employee",
                                                                          "Non-Billable Hours by Employee")));

}  // namespace
}  // namespace hv::test
